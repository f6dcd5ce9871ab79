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
    m_timerDue = std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
}

void CCliHost::KillStopTimer()
{
    m_timerDue.reset();
}

void CCliHost::PostToUi(std::function<void()> call)
{
    {
        std::lock_guard lock(m_mutex);
        m_calls.push_back(std::move(call));
    }
    m_posted.notify_one();
}

void CCliHost::AdjustSettings(CViewSettings& settings)
{
    if (m_password)
        settings.password = *m_password;
    if (m_allFiles)
        settings.uploadAllFiles = true;
}

void CCliHost::PrepareConnection(CFtpConnection& connection)
{
    if (m_terminal.Verbose())
        connection.SetLogCallback([&terminal = m_terminal](const std::string& line) { terminal.Detail(line); });
}

void CCliHost::Pump(std::chrono::milliseconds wait)
{
    auto deadline = std::chrono::steady_clock::now() + wait;
    if (m_timerDue && *m_timerDue < deadline)
        deadline = *m_timerDue;
    {
        std::unique_lock lock(m_mutex);
        m_posted.wait_until(lock, deadline, [this] { return !m_calls.empty(); });
    }
    for (;;) {
        std::function<void()> call;
        {
            std::lock_guard lock(m_mutex);
            if (m_calls.empty())
                break;
            call = std::move(m_calls.front());
            m_calls.pop_front();
        }
        call();
    }
    if (m_timerDue && std::chrono::steady_clock::now() >= *m_timerDue) {
        m_timerDue.reset();
        if (m_controller)
            m_controller->OnStopTimer();
    }
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
