#pragma once
// The question whether to trust what a server shows to prove who it is (a certificate, a host key):
// an icon and the reason it is asked, in bold as a warning when it replaced what was trusted
// before; read-only fields the user can select and copy from; Trust once, Trust always or Cancel,
// which is the default.

#include <wx/dialog.h>

#include <functional>
#include <string>
#include <vector>

#include "ftp/CCertificateInfo.h"
#include "transfer/CUiCall.h"

class CTrustQuestionDlg : public wxDialog {
public:
    enum ControlId { ID_TRUST_ONCE = 1201, ID_TRUST_ALWAYS = 1202, ID_FINGERPRINT = 1203, ID_WARNING = 1204 };

    struct Field {
        std::string label;
        std::string value;
        int id = wxID_ANY;
    };

    // Shows the dialog (UI thread) and returns the answer; closing it is Reject.
    skerrow::CertificateTrust Ask();

protected:
    CTrustQuestionDlg(wxWindow* parent, const std::string& caption);
    // Lays the dialog out; changed: what was trusted before was replaced (a warning).
    void Build(const std::string& intro, bool changed, const std::vector<Field>& fields);

    // For a worker that opens a connection: asks with a Dialog made of what on the UI thread, through
    // the UI-call helper, and waits for the answer; Reject when the window closes meanwhile. parent
    // is called on the UI thread.
    template <typename Dialog, typename What>
    static skerrow::CertificateTrust AskOnUiThread(const std::function<wxWindow*()>& parent, const What& what)
    {
        return CUiCall::AskOnUi<skerrow::CertificateTrust>(
            [&parent, &what] { return Dialog(parent ? parent() : nullptr, what).Ask(); },
            skerrow::CertificateTrust::Reject);
    }

private:
    void OnTrust(wxCommandEvent& event);
};
