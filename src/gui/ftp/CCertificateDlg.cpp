#include "ftp/CCertificateDlg.h"

#include "app/CStringTable.h"

using namespace skerrow;

CCertificateDlg::CCertificateDlg(wxWindow* parent, const CCertificateInfo& info)
    : CTrustQuestionDlg(parent, Tr("CERT.Caption", "Server certificate"))
{
    const std::string server = FormatText("%s:%d", info.host.c_str(), info.port);
    std::string intro;
    if (info.Changed()) {
        intro = FormatText(Tr("CERT.Changed", "WARNING: the certificate of %s is not the one you trusted before. "
                                              "Someone may be intercepting the connection. Trust it only if you "
                                              "know that the server's certificate was replaced.")
                               .c_str(),
                           server.c_str());
    } else {
        intro = FormatText(Tr("CERT.Untrusted", "The certificate of %s is not trusted by this system (%s). "
                                                "Trust it only if you know it belongs to your server.")
                               .c_str(),
                           server.c_str(), info.problem.c_str());
    }
    std::vector<Field> fields{{Tr("CERT.Subject", "Subject:"), info.subject},
                              {Tr("CERT.Issuer", "Issuer:"), info.issuer},
                              {Tr("CERT.ValidFrom", "Valid from:"), info.validFrom},
                              {Tr("CERT.ValidUntil", "Valid until:"), info.validUntil},
                              {Tr("CERT.Fingerprint", "SHA-256 fingerprint:"), info.fingerprint, ID_FINGERPRINT}};
    if (info.Changed())
        fields.push_back({Tr("CERT.Remembered", "Trusted before:"), info.remembered});
    Build(intro, info.Changed(), fields);
}

CertificateTrust CCertificateDlg::AskFromAnyThread(const std::function<wxWindow*()>& parent,
                                                   const CCertificateInfo& info)
{
    return AskOnUiThread<CCertificateDlg>(parent, info);
}
