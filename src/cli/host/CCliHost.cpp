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
    return CertificateTrust::Reject;
}

} // namespace skerrow::cli
