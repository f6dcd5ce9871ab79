#include "ftp/CHostKeyDlg.h"

#include "app/CStringTable.h"

using namespace skerrow;

CHostKeyDlg::CHostKeyDlg(wxWindow* parent, const CHostKeyQuestion& question)
    : CTrustQuestionDlg(parent, Tr("HOSTKEY.Caption", "Server host key"))
{
    const std::string server = FormatText("%s:%d", question.host.c_str(), question.port);
    const std::string intro =
        question.changed
            ? FormatText(Tr("HOSTKEY.Changed", "WARNING: the host key of %s is not the one known before. Someone "
                                               "may be intercepting the connection. Trust it only if you know that "
                                               "the server's key was replaced.")
                             .c_str(),
                         server.c_str())
            : FormatText(Tr("HOSTKEY.Unknown", "The host key of %s is not known here yet. Trust it only if its "
                                               "fingerprint is the one your host gives for this server.")
                             .c_str(),
                         server.c_str());
    std::vector<Field> fields{{Tr("HOSTKEY.Type", "Key type:"), question.key.type, ID_KEY_TYPE},
                              {Tr("HOSTKEY.Fingerprint", "Fingerprint:"), question.key.fingerprint, ID_FINGERPRINT}};
    if (question.changed)
        fields.push_back({Tr("HOSTKEY.Before", "Known before:"), question.before});
    Build(intro, question.changed, fields);
}

CertificateTrust CHostKeyDlg::AskFromAnyThread(const std::function<wxWindow*()>& parent,
                                               const CHostKeyQuestion& question)
{
    return AskOnUiThread<CHostKeyDlg>(parent, question);
}
