#pragma once
// Takes unsigned numbers from edit fields with the checks every settings dialog uses: the text
// must read as an unsigned integer ("Please enter a positive integer.") and, where the field has a
// range, lie within it ("Please enter an integer between %1 and %2."). A field that fails gets the
// message, then the focus with its text selected.

#include <wx/string.h>

class wxTextCtrl;

class CNumberExchange {
public:
    virtual ~CNumberExchange() = default;

    // Any unsigned value.
    static bool TakeUInt(wxTextCtrl* field, unsigned& value);
    // An unsigned value from low to high.
    static bool TakeUInt(wxTextCtrl* field, unsigned& value, unsigned low, unsigned high);
    // Shows a value as decimal text (no range check).
    static void PutNumber(wxTextCtrl* field, long long value);

    // Optional blanks, one or more digits, optional blanks; fits in 32 bits.
    static bool ParseUInt(const wxString& text, unsigned& value);
    // String 61714 with its bounds filled in.
    static wxString RangeMessage(unsigned low, unsigned high);

private:
    static bool Refuse(wxTextCtrl* field, const wxString& message);
};
