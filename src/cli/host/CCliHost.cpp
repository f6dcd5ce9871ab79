#include "host/CCliHost.h"

#include "ftp/CTrustedCertificates.h"

#include "ftp/CFtpConnection.h"
#include "output/CCliTerminal.h"
#include "run/CRunController.h"
#include "settings/CViewSettings.h"

namespace skerrow::cli {

bool CCliHost::ShowConnectDialog(bool /*deleting*/)
{
    // OK with the stored settings as they are, which must name a site.
    CViewSettings settings;
    settings.Load();
    m_missingSite = settings.ftpServer.empty();
    return !m_missingSite;
}

void CCliHost::StartStopTimer(int milliseconds)
{
    m_calls.StartTimer(milliseconds);
}

void CCliHost::KillStopTimer()
{
    m_calls.KillTimer();
}

void CCliHost::PostToUi(std::function<void()> call)
{
    m_calls.Post(std::move(call));
}

void CCliHost::AdjustSettings(CViewSettings& settings)
{
    if (m_password)
        settings.password = *m_password;
    if (m_allFiles)
        settings.uploadAllFiles = true;
    settings.maxLeftoverDeletes = m_maxLeftoverDeletes;
    settings.treeDeleteDirGiven = m_treeDeleteDir;
}

void CCliHost::PrepareConnection(CFtpConnection& connection)
{
    if (m_terminal.Verbose())
        connection.SetLogCallback([&terminal = m_terminal](const std::string& line) { terminal.Detail(line); });
}

void CCliHost::Pump(std::chrono::milliseconds wait)
{
    m_calls.Pump(wait, [this] {
        if (m_controller)
            m_controller->OnStopTimer();
    });
}

} // namespace skerrow::cli

namespace skerrow::cli {

CertificateTrust CCliHost::AskCertificateTrust(const CCertificateInfo& info)
{
    if (!m_trust.empty() && CTrustedCertificates::Normalize(m_trust) == info.fingerprint)
        return CertificateTrust::Always;
    m_terminal.Error("error: " + RefusalText(info, !m_trust.empty()));
    return CertificateTrust::Reject;
}

CertificateTrust CCliHost::AskHostKeyTrust(const CHostKeyQuestion& question)
{
    if (!m_trust.empty() && m_trust == question.key.fingerprint)
        return CertificateTrust::Always;
    m_terminal.Error("error: " + RefusalText(question, !m_trust.empty()));
    return CertificateTrust::Reject;
}

PlainConsent CCliHost::AskPlainConsent(const std::string& host, int port)
{
    if (m_requireTls) {
        m_terminal.Error("error: " + host + ":" + std::to_string(port) +
                         " does not offer encryption (TLS), and --require-tls refuses such a server; the "
                         "password was not sent");
        return PlainConsent::Refuse;
    }
    m_terminal.Error("warning: " + CFtpConnection::PlainFallbackText(host, port) +
                     " (--require-tls refuses such a server)");
    return PlainConsent::Once;
}

std::string CCliHost::RefusalText(const CCertificateInfo& info, bool trustGiven)
{
    // The problem is the verification's own words: "certificate has expired", "hostname mismatch",
    // "self-signed certificate", "unable to get local issuer certificate".
    std::string text = "the certificate of " + info.host + ":" + std::to_string(info.port) + " is refused: " +
                       (info.problem.empty() ? "the system does not trust it" : info.problem);
    if (info.Changed())
        text += "; it is not the certificate trusted before for this server (" + info.remembered + ")";
    if (trustGiven)
        text += "; --trust names another";
    text += ". Issued to " + info.subject + " by " + info.issuer + ", valid from " + info.validFrom + " until " +
            info.validUntil + ". SHA-256 fingerprint: " + info.fingerprint +
            "; once it is checked with the server's owner, --trust with it accepts the certificate";
    return text;
}

std::string CCliHost::RefusalText(const CHostKeyQuestion& question, bool trustGiven)
{
    std::string text = "the host key of " + question.host + ":" + std::to_string(question.port) + " is refused: ";
    text += question.changed ? "it is not the key known before for this server (" + question.before +
                                   "): someone may be listening between you and the server"
                             : "neither known_hosts nor the settings hold it";
    if (trustGiven)
        text += "; --trust names another";
    return text + ". Key: " + question.key.type + " " + question.key.fingerprint +
           "; once it is checked with the server's owner, --trust with it accepts the key";
}

} // namespace skerrow::cli
