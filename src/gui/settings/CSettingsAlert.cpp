#include "settings/CSettingsAlert.h"

#include <wx/msgdlg.h>

#include <cstring>
#include <vector>

#include "app/CStringTable.h"
#include "app/StringIds.h"

using namespace skerrow;

namespace {

wxString Wx(const std::string& text)
{
    return wxString::FromUTF8(text);
}

// A path as it can be shown, whatever bytes it holds.
wxString ShownPath(const std::string& path)
{
    const wxString shown = wxString::FromUTF8(path);
    return shown.empty() && !path.empty() ? wxString::From8BitData(path.data(), path.size()) : shown;
}

} // namespace

wxString CSettingsAlert::Reason(int code)
{
    if (code == 0)
        return Wx(Tr("T.SettingsNotAFile", "It is not a regular file."));
    return wxString::FromUTF8(std::strerror(code)) + ".";
}

wxString CSettingsAlert::WriteFailureText(const std::string& path, const CIniFile::Error& error)
{
    wxString reason;
    switch (error.kind) {
    case CIniFile::Error::kUnreadable:
        reason = Wx(Tr("T.SettingsWriteRefused",
                       "The file could not be read, so it is not written over:")) + " " + Reason(error.code);
        break;
    case CIniFile::Error::kInvalidText:
        reason = Wx(Tr("T.SettingsInvalidText", "A value holds a line break."));
        break;
    case CIniFile::Error::kSystem:
    case CIniFile::Error::kNone:
        reason = Reason(error.code);
        break;
    }
    return wxString::Format(Wx(Tr("T.SettingsNotSaved", "The settings could not be saved in\n%s\n\n%s")),
                            ShownPath(path), reason);
}

wxString CSettingsAlert::UnreadableText(const CIniFile::Unreadable& file)
{
    return wxString::Format(Wx(Tr("T.SettingsUnreadable",
                                  "The settings file\n%s\ncannot be read: %s\n\nSkerrow uses its default "
                                  "settings and leaves that file as it is until it is started again.")),
                            ShownPath(file.path), Reason(file.code));
}

void CSettingsAlert::ShowWriteFailure(wxWindow* parent, const std::string& path)
{
    wxMessageBox(WriteFailureText(path, CIniFile::LastError()), Wx(LoadString(IDS_APP_TITLE)), wxOK | wxICON_ERROR,
                 parent);
}

bool CSettingsAlert::ShowUnreadable(wxWindow* parent)
{
    const std::vector<CIniFile::Unreadable> files = CIniFile::TakeUnreadableReports();
    if (files.empty())
        return false;
    wxString text;
    for (const CIniFile::Unreadable& file : files) {
        if (!text.empty())
            text += "\n\n";
        text += UnreadableText(file);
    }
    wxMessageBox(text, Wx(LoadString(IDS_APP_TITLE)), wxOK | wxICON_ERROR, parent);
    return true;
}
