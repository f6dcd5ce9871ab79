#include "settings/CPcDirCheck.h"

#include <wx/filename.h>
#include <wx/msgdlg.h>
#include <wx/textctrl.h>

#include "app/CStringTable.h"
#include "app/StringIds.h"

using namespace skerrow;

bool CPcDirCheck::Accepts(wxTextCtrl* field, const wxString& stored)
{
    const wxString folder = field->GetValue();
    if (folder == stored || folder.empty() || wxFileName::DirExists(folder))
        return true;
    const std::string text =
        FormatText(Tr("T.PcDirNotThere", "The PC folder \"%s\" does not exist. Choose the folder that holds your site.")
                       .c_str(),
                   folder.utf8_str().data());
    wxMessageBox(wxString::FromUTF8(text), wxString::FromUTF8(LoadString(IDS_APP_TITLE)), wxOK | wxICON_ERROR,
                 wxGetTopLevelParent(field));
    field->SetFocus();
    field->SelectAll();
    return false;
}
