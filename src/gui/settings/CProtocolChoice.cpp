#include "settings/CProtocolChoice.h"

#include <wx/textctrl.h>

#include <utility>

#include "app/CStringTable.h"

using namespace skerrow;

namespace {

constexpr int kImplicitTls = 2; // the encryption choice's item for implicit TLS
const wxString kSftpPort = "22";

wxArrayString Items()
{
    wxArrayString items;
    items.Add(wxString::FromUTF8(Tr("D150.ProtocolFtp", "FTP")));
    items.Add(wxString::FromUTF8(Tr("D150.ProtocolSftp", "SFTP (SSH)")));
    return items;
}

} // namespace

CProtocolChoice::CProtocolChoice(wxWindow* parent, int id)
    : wxChoice(parent, id, wxDefaultPosition, wxDefaultSize, Items())
{
    SetSelection(kFtp);
    Bind(wxEVT_CHOICE, &CProtocolChoice::OnChosen, this);
}

void CProtocolChoice::Relate(wxTextCtrl* port, wxChoice* encryption, std::vector<wxWindow*> ftpOnly)
{
    m_port = port;
    m_encryption = encryption;
    m_ftpOnly = std::move(ftpOnly);
}

void CProtocolChoice::ShowApplicable()
{
    const bool ftp = GetSelection() != kSftp;
    for (wxWindow* window : m_ftpOnly)
        window->Enable(ftp);
}

// A port of the user's own (neither protocol's usual one) stays as typed.
void CProtocolChoice::OnChosen(wxCommandEvent& event)
{
    const wxString port = m_port->GetValue().Strip(wxString::both);
    const bool sftp = GetSelection() == kSftp;
    if (sftp && (port == FtpPort() || port == "21" || port.empty()))
        m_port->SetValue(kSftpPort);
    else if (!sftp && port == kSftpPort)
        m_port->SetValue(FtpPort());
    ShowApplicable();
    event.Skip();
}

wxString CProtocolChoice::FtpPort() const
{
    return m_encryption && m_encryption->GetSelection() == kImplicitTls ? "990" : "21";
}
