#include "support/CRunTestHost.h"

#include <thread>

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

void CRunTestHost::StartStopTimer(int milliseconds)
{
    m_timerMs = milliseconds;
    m_timerDue = std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
}

void CRunTestHost::KillStopTimer()
{
    m_timerMs = -1;
    m_timerDue.reset();
}

void CRunTestHost::PostToUi(std::function<void()> call)
{
    std::lock_guard lock(m_mutex);
    m_posted.push_back(std::move(call));
}

void CRunTestHost::Pump()
{
    for (;;) {
        std::function<void()> call;
        {
            std::lock_guard lock(m_mutex);
            if (m_posted.empty())
                break;
            call = std::move(m_posted.front());
            m_posted.pop_front();
        }
        call();
    }
    if (m_timerDue && std::chrono::steady_clock::now() >= *m_timerDue) {
        m_timerDue.reset();
        m_timerMs = -1;
        if (m_controller)
            m_controller->OnStopTimer();
    }
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

} // namespace skerrow::test
