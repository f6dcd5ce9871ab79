#include "settings/CKeyFileCheck.h"

#include <wx/filename.h>
#include <wx/msgdlg.h>
#include <wx/textctrl.h>

#include "app/CStringTable.h"
#include "app/StringIds.h"

using namespace skerrow;

bool CKeyFileCheck::Accepts(wxTextCtrl* field, const wxString& stored)
{
    const wxString file = field->GetValue();
    if (file == stored || file.empty() || wxFileName::FileExists(file))
        return true;
    const std::string text = FormatText(
        Tr("T.KeyFileNotThere",
           "The private key file \"%s\" does not exist. Choose the file of your SSH key, or leave the field empty.")
            .c_str(),
        file.utf8_str().data());
    wxMessageBox(wxString::FromUTF8(text), wxString::FromUTF8(LoadString(IDS_APP_TITLE)), wxOK | wxICON_ERROR,
                 wxGetTopLevelParent(field));
    field->SetFocus();
    field->SelectAll();
    return false;
}
