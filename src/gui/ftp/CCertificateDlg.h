#pragma once
// Asks whether to trust a server certificate that the system's trust store refused: shows its
// subject, issuer, validity and SHA-256 fingerprint, with a warning when it replaced a certificate
// trusted before. Trust once, Trust always or Cancel (the default).

#include <wx/dialog.h>

#include <functional>

#include "ftp/CCertificateInfo.h"

class CCertificateDlg : public wxDialog {
public:
    enum ControlId { ID_TRUST_ONCE = 1201, ID_TRUST_ALWAYS = 1202, ID_FINGERPRINT = 1203, ID_WARNING = 1204 };

    CCertificateDlg(wxWindow* parent, const skerrow::CCertificateInfo& info);

    // Shows the dialog (UI thread) and returns the answer; closing it is Reject.
    skerrow::CertificateTrust Ask();

    // For a worker that opens a connection: asks on the UI thread through the UI-call helper and
    // waits for the answer; Reject when the window closes meanwhile. parent is called on the UI
    // thread.
    static skerrow::CertificateTrust AskFromAnyThread(const std::function<wxWindow*()>& parent,
                                                      const skerrow::CCertificateInfo& info);

private:
    void CreateControls(const skerrow::CCertificateInfo& info);
    wxSizer* CreateDetails(const skerrow::CCertificateInfo& info);
    wxSizer* CreateButtons();
    void OnTrust(wxCommandEvent& event);
};
