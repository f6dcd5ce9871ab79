#include "support/CRunTestHost.h"

#include <stdexcept>

#include <thread>

#include "ftp/CFtpConnection.h"
#include "run/CRunController.h"

namespace skerrow::test {

void CRunTestHost::SetRunning(bool running)
{
    std::lock_guard lock(m_mutex);
    m_running.push_back(running);
}

bool CRunTestHost::ShowConnectDialog(bool deleting)
{
    ++connectDialogs;
    lastConnectDeleting = deleting;
    return connectAnswer;
}

CertificateTrust CRunTestHost::AskCertificateTrust(const CCertificateInfo&)
{
    ++certificateQuestions;
    return certificateAnswer.load();
}

CertificateTrust CRunTestHost::AskHostKeyTrust(const CHostKeyQuestion&)
{
    ++hostKeyQuestions;
    return hostKeyAnswer.load();
}

PlainConsent CRunTestHost::AskPlainConsent(const std::string&, int)
{
    ++plainQuestions;
    return plainAnswer.load();
}

void CRunTestHost::StartStopTimer(int milliseconds)
{
    m_timerMs = milliseconds;
    m_calls.StartTimer(milliseconds);
}

void CRunTestHost::KillStopTimer()
{
    m_timerMs = -1;
    m_calls.KillTimer();
}

void CRunTestHost::PostToUi(std::function<void()> call)
{
    m_calls.Post(std::move(call));
}

void CRunTestHost::Pump()
{
    m_calls.Pump(std::chrono::milliseconds(0), [this] {
        m_timerMs = -1;
        if (m_controller)
            m_controller->OnStopTimer();
    });
}

bool CRunTestHost::PumpUntil(const std::function<bool()>& done, std::chrono::milliseconds timeout)
{
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    for (;;) {
        Pump();
        if (done())
            return true;
        if (std::chrono::steady_clock::now() >= deadline)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
}

bool CRunTestHost::PumpUntilIdle(std::chrono::milliseconds timeout)
{
    return PumpUntil([this] { return m_controller && !m_controller->IsRunActive(); }, timeout);
}

std::vector<bool> CRunTestHost::Running() const
{
    std::lock_guard lock(m_mutex);
    return m_running;
}

void CRunTestHost::PrepareConnection(CFtpConnection& connection)
{
    if (faultyConnections.load())
        throw std::runtime_error("a fault made by the test");
    if (holdFurtherConnections.load() && std::this_thread::get_id() != testThread) {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        while (!connection.IsAborted() && std::chrono::steady_clock::now() < deadline)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        // and then left waiting a little longer, as a busy machine does
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
    }
}

} // namespace skerrow::test
