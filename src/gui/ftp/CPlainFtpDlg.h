#pragma once
// Asks whether to log in to a server that offers no encryption: names the host and port and says
// that the password and the files would travel unencrypted. "Connect without encryption this
// time", "Always for this server" (remembered) or Cancel (the default).

#include <wx/dialog.h>

#include <functional>
#include <string>

#include "ftp/CPlainFtpPolicy.h"

class CPlainFtpDlg : public wxDialog {
public:
    enum ControlId { ID_THIS_TIME = 1211, ID_ALWAYS = 1212, ID_MESSAGE = 1213 };

    CPlainFtpDlg(wxWindow* parent, const std::string& host, int port);

    // Shows the dialog (UI thread) and returns the answer; closing it is Refuse.
    skerrow::PlainConsent Ask();

    // For a worker that opens a connection: asks on the UI thread through the UI-call helper and
    // waits for the answer; Refuse when the window closes meanwhile. parent is called on the UI
    // thread.
    static skerrow::PlainConsent AskFromAnyThread(const std::function<wxWindow*()>& parent, const std::string& host,
                                                  int port);

private:
    void OnAnswer(wxCommandEvent& event);
};
