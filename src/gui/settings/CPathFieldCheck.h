#pragma once
// A path as a settings dialog takes it: the PC folder, or the private key file. One the user typed
// that is not there is refused on OK, with the field selected, rather than by the next run or
// login. A value left as it was stored passes (it may be on a drive not mounted now), as does an
// empty one (the run refuses a missing PC folder itself; no key file means no key).

#include <wx/string.h>

#include <string>

class wxTextCtrl;

class CPathFieldCheck {
public:
    // True when OK may go on; else says why over the field's dialog and selects the field.
    static bool AcceptsFolder(wxTextCtrl* field, const wxString& stored);
    static bool AcceptsFile(wxTextCtrl* field, const wxString& stored);

private:
    // refusal names the path with its "%s".
    static bool Accepts(wxTextCtrl* field, const wxString& stored, bool exists, const std::string& refusal);
};
