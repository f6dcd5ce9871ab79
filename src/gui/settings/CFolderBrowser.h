#pragma once
// The folder browser behind the ". . ." buttons: a directory chooser opened at a given folder.

#include <wx/string.h>

class wxBitmapButton;
class wxWindow;

class CFolderBrowser {
public:
    virtual ~CFolderBrowser() = default;

    // Shows the chooser over parent (which it disables while open), starting at initial. True, with
    // result set to the chosen directory's full path, when the user chose one; false, with result
    // unchanged, when cancelled. result and initial may be the same object.
    bool Browse(wxWindow* parent, const wxString& initial, const wxString& title, wxString& result);

    // The browse button (". . ."): our folder icon at 16 x 16 in place of a caption.
    static wxBitmapButton* CreateButton(wxWindow* parent, int id);
};
