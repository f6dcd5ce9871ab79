#pragma once
// The Advanced dialog's protocol: FTP or SFTP (SSH), in the order of their stored values.
//
// Choosing one proposes its usual port while the Port field still holds the other's (22 for SFTP;
// 21 for FTP, or 990 with implicit TLS), and greys the controls that only FTP uses. Greyed controls
// keep their values, and OK stores them as they are.

#include <wx/choice.h>

#include <vector>

class wxTextCtrl;

class CProtocolChoice : public wxChoice {
public:
    enum Protocol { kFtp = 0, kSftp = 1 };

    CProtocolChoice(wxWindow* parent, int id);

    // The controls the choice acts on. encryption is one of the FTP-only controls.
    void Relate(wxTextCtrl* port, wxChoice* encryption, std::vector<wxWindow*> ftpOnly);

    // Greys or enables the FTP-only controls for the protocol shown.
    void ShowApplicable();

private:
    void OnChosen(wxCommandEvent& event);
    // FTP's usual port for the encryption shown.
    wxString FtpPort() const;

    wxTextCtrl* m_port = nullptr;
    wxChoice* m_encryption = nullptr;
    std::vector<wxWindow*> m_ftpOnly;
};
