#pragma once
// Asks whether to trust a server certificate that the system's trust store refused: shows its
// subject, issuer, validity and SHA-256 fingerprint, with a warning when it replaced a certificate
// trusted before. Trust once, Trust always or Cancel (the default).

#include <functional>

#include "ftp/CCertificateInfo.h"
#include "ftp/CTrustQuestionDlg.h"

class CCertificateDlg : public CTrustQuestionDlg {
public:
    CCertificateDlg(wxWindow* parent, const skerrow::CCertificateInfo& info);

    // For a worker that opens a connection: asks on the UI thread through the UI-call helper and
    // waits for the answer; Reject when the window closes meanwhile. parent is called on the UI
    // thread.
    static skerrow::CertificateTrust AskFromAnyThread(const std::function<wxWindow*()>& parent,
                                                      const skerrow::CCertificateInfo& info);
};
