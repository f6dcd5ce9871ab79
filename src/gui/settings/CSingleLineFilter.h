#pragma once
// Keeps line breaks out of a one-line text field. Text pasted with a line break (often a trailing
// one, copied with the line it ended) would otherwise be taken as typed, and a setting cannot hold
// a line break.

#include <wx/string.h>

class wxTextCtrl;

class CSingleLineFilter {
public:
    virtual ~CSingleLineFilter() = default;

    // From now on every change of the field's text has its line breaks removed at once.
    static void Attach(wxTextCtrl* field);
    // The text without CR and LF characters.
    static wxString WithoutLineBreaks(const wxString& text);
};
