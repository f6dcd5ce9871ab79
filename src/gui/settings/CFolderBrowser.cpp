#include "settings/CFolderBrowser.h"

#include <wx/bmpbuttn.h>
#include <wx/dirdlg.h>

#include "folder16.xpm"

bool CFolderBrowser::Browse(wxWindow* parent, const wxString& initial, const wxString& title, wxString& result)
{
    wxDirDialog dialog(parent, title, initial, wxDD_DEFAULT_STYLE | wxDD_DIR_MUST_EXIST);
    if (dialog.ShowModal() != wxID_OK)
        return false;
    const wxString chosen = dialog.GetPath();
    if (chosen.empty())
        return false;
    result = chosen;
    return true;
}

wxBitmapButton* CFolderBrowser::CreateButton(wxWindow* parent, int id)
{
    return new wxBitmapButton(parent, id, wxBitmap(folder16_xpm));
}
