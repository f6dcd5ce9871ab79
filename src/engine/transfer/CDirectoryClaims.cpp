#include "transfer/CDirectoryClaims.h"

#include <chrono>

namespace skerrow {
namespace {

// A waiter looks at the run's stop signal this often.
constexpr std::chrono::milliseconds kStopPoll{50};

} // namespace

bool CDirectoryClaims::IsKnown(const std::string& dir) const
{
    std::lock_guard lock(m_mutex);
    return dir == "/" || m_known.count(dir) != 0;
}

bool CDirectoryClaims::WasMade(const std::string& dir) const
{
    std::lock_guard lock(m_mutex);
    return m_made.count(dir) != 0;
}

CDirectoryClaims::Claim CDirectoryClaims::Acquire(const std::string& dir, const std::function<bool()>& stopped)
{
    std::unique_lock lock(m_mutex);
    Claim claim = TryLocked(dir);
    while (claim == Claim::Busy) {
        // The holder's commands end on their own (time-outs) or at once when the run stops; a
        // holder stuck past that is not waited for once the run is over.
        if (stopped && stopped())
            return Claim::Stopped;
        m_settled.wait_for(lock, kStopPoll);
        claim = TryLocked(dir);
    }
    return claim;
}

CDirectoryClaims::Claim CDirectoryClaims::TryAcquire(const std::string& dir)
{
    std::lock_guard lock(m_mutex);
    return TryLocked(dir);
}

CDirectoryClaims::Claim CDirectoryClaims::TryLocked(const std::string& dir)
{
    if (dir == "/" || m_known.count(dir) != 0)
        return Claim::Known;
    return m_claimed.insert(dir).second ? Claim::Mine : Claim::Busy;
}

void CDirectoryClaims::Settle(const std::string& dir, Outcome outcome)
{
    {
        std::lock_guard lock(m_mutex);
        m_claimed.erase(dir);
        if (outcome != Outcome::Failed)
            m_known.insert(dir);
        if (outcome == Outcome::Made)
            m_made.insert(dir);
    }
    m_settled.notify_all();
}

std::string CDirectoryClaims::Parent(const std::string& dir)
{
    const size_t slash = dir.rfind('/');
    return slash == std::string::npos || slash == 0 ? "/" : dir.substr(0, slash);
}

} // namespace skerrow
