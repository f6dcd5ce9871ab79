#include "transfer/CAutoResetEvent.h"

namespace skerrow {

void CAutoResetEvent::Set()
{
    {
        std::lock_guard lock(m_mutex);
        m_set = true;
    }
    m_cond.notify_one();
}

void CAutoResetEvent::Reset()
{
    std::lock_guard lock(m_mutex);
    m_set = false;
}

bool CAutoResetEvent::Poll()
{
    std::lock_guard lock(m_mutex);
    const bool wasSet = m_set;
    m_set = false;
    return wasSet;
}

bool CAutoResetEvent::Wait(std::chrono::milliseconds timeout)
{
    std::unique_lock lock(m_mutex);
    if (!m_cond.wait_for(lock, timeout, [this] { return m_set; }))
        return false;
    m_set = false;
    return true;
}

bool CAutoResetEvent::IsSet() const
{
    std::lock_guard lock(m_mutex);
    return m_set;
}

} // namespace skerrow
