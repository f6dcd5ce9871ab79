#include "ftp/CPasswordGate.h"

#include <chrono>

namespace skerrow {

void CPasswordGate::Settle(State state)
{
    {
        std::lock_guard lock(m_mutex);
        if (m_state == State::Waiting)
            m_state = state;
    }
    m_settled.notify_all();
}

bool CPasswordGate::Wait(const std::function<bool()>& abandoned)
{
    std::unique_lock lock(m_mutex);
    while (m_state == State::Waiting) {
        if (abandoned && abandoned())
            return false;
        // An abort is a flag, not a notification: it is looked at this often.
        m_settled.wait_for(lock, std::chrono::milliseconds(20));
    }
    return m_state == State::Open;
}

} // namespace skerrow
