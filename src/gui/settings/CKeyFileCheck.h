#pragma once
// The private key file as the Connect dialog takes it: a file the user typed that is not there is
// refused on OK, with the field selected, rather than by the next login. A value left as it was
// stored passes (the file may be on a drive not mounted now), as does an empty one: no key.

#include <wx/string.h>

class wxTextCtrl;

class CKeyFileCheck {
public:
    // True when OK may go on; else says why over the field's dialog and selects the field.
    static bool Accepts(wxTextCtrl* field, const wxString& stored);
};
