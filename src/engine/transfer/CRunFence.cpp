#include "transfer/CRunFence.h"

namespace skerrow {

bool CRunFence::Apply(const std::function<void()>& effect)
{
    std::lock_guard lock(m_mutex);
    if (m_released)
        return false;
    effect();
    return true;
}

void CRunFence::Release()
{
    std::lock_guard lock(m_mutex);
    m_released = true;
}

bool CRunFence::IsReleased() const
{
    std::lock_guard lock(m_mutex);
    return m_released;
}

} // namespace skerrow
