#pragma once
// Asks whether to trust an SSH server's host key that neither the user's known_hosts nor the
// settings hold: shows its type and its fingerprint as OpenSSH prints them, and, in bold as a
// warning, when another key was known before for that server. Trust once, Trust always or Cancel
// (the default).

#include <functional>

#include "ftp/CSshHostKeyCheck.h"
#include "ftp/CTrustQuestionDlg.h"

class CHostKeyDlg : public CTrustQuestionDlg {
public:
    enum { ID_KEY_TYPE = 1205 };

    CHostKeyDlg(wxWindow* parent, const skerrow::CHostKeyQuestion& question);

    // For a worker that opens a connection: asks on the UI thread through the UI-call helper and
    // waits for the answer; Reject when the window closes meanwhile. parent is called on the UI
    // thread.
    static skerrow::CertificateTrust AskFromAnyThread(const std::function<wxWindow*()>& parent,
                                                      const skerrow::CHostKeyQuestion& question);
};
