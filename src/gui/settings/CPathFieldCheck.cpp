#include "settings/CPathFieldCheck.h"

#include <wx/filename.h>
#include <wx/msgdlg.h>
#include <wx/textctrl.h>

#include "app/CStringTable.h"
#include "app/StringIds.h"

using namespace skerrow;

bool CPathFieldCheck::AcceptsFolder(wxTextCtrl* field, const wxString& stored)
{
    return Accepts(field, stored, wxFileName::DirExists(field->GetValue()),
                   Tr("T.PcDirNotThere", "The PC folder \"%s\" does not exist. Choose the folder that holds your site."));
}

bool CPathFieldCheck::AcceptsFile(wxTextCtrl* field, const wxString& stored)
{
    return Accepts(field, stored, wxFileName::FileExists(field->GetValue()),
                   Tr("T.KeyFileNotThere", "The private key file \"%s\" does not exist. Choose the file of your SSH "
                                           "key, or leave the field empty."));
}

bool CPathFieldCheck::Accepts(wxTextCtrl* field, const wxString& stored, bool exists, const std::string& refusal)
{
    const wxString path = field->GetValue();
    if (path == stored || path.empty() || exists)
        return true;
    const std::string text = FormatText(refusal.c_str(), path.utf8_str().data());
    wxMessageBox(wxString::FromUTF8(text), wxString::FromUTF8(LoadString(IDS_APP_TITLE)), wxOK | wxICON_ERROR,
                 wxGetTopLevelParent(field));
    field->SetFocus();
    field->SelectAll();
    return false;
}
