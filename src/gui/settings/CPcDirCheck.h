#pragma once
// The PC folder as a dialog takes it: a folder the user typed that is not there is refused on OK,
// with the field selected, rather than by the next run. A value left as it was stored passes (the
// folder may be on a drive not mounted now), as does an empty one, which the run refuses itself.

#include <wx/string.h>

class wxTextCtrl;

class CPcDirCheck {
public:
    // True when OK may go on; else says why over the field's dialog and selects the field.
    static bool Accepts(wxTextCtrl* field, const wxString& stored);
};
