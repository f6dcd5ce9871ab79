#include "run/CProtocolSetup.h"

#include <memory>

#include "ftp/CFtpConnection.h"
#include "ftp/CTrustedCertificates.h"
#include "settings/CSettingsFile.h"
#include "settings/CViewSettings.h"

namespace skerrow {

void CProtocolSetup::Apply(CFtpConnection& connection, const CViewSettings& settings, const std::string& trusted,
                           CSshHostKeyCheck::Ask ask, std::function<void(const std::string&)> accepted)
{
    const FtpProtocol protocol = settings.protocol == 1 ? FtpProtocol::Sftp : FtpProtocol::Ftp;
    connection.SetProtocol(protocol);
    if (protocol != FtpProtocol::Sftp)
        return;
    connection.SetSshKey(settings.keyFile, settings.keyPassphrase);
    const int port = CFtpConnection::EffectivePort(settings.port, FtpEncryption::Plain, protocol);
    auto check = std::make_shared<CSshHostKeyCheck>(CSettingsFile().GetPath(".ini"),
                                                    CFtpConnection::HostName(settings.ftpServer), port);
    check->SetTrusted(trusted);
    if (ask) {
        check->SetAsk([ask = std::move(ask), accepted = std::move(accepted)](const CHostKeyQuestion& question) {
            const CertificateTrust trust = ask(question);
            if (trust != CertificateTrust::Reject && accepted)
                accepted(question.key.fingerprint);
            return trust;
        });
    }
    connection.SetHostKeyCheck(std::move(check));
}

} // namespace skerrow
