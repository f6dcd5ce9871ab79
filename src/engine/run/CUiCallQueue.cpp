#include "run/CUiCallQueue.h"

namespace skerrow {

void CUiCallQueue::Post(std::function<void()> call)
{
    {
        std::lock_guard lock(m_mutex);
        m_calls.push_back(std::move(call));
    }
    m_posted.notify_one();
}

void CUiCallQueue::StartTimer(int milliseconds)
{
    m_timerDue = std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
}

void CUiCallQueue::KillTimer()
{
    m_timerDue.reset();
}

void CUiCallQueue::Pump(std::chrono::milliseconds wait, const std::function<void()>& onTimer)
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
        onTimer();
    }
}

} // namespace skerrow
