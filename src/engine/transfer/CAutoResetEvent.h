#pragma once
// An event that stays set until one waiter sees it: the first poll or wait that finds it set also
// clears it. This is the stop event of the runs.

#include <chrono>
#include <condition_variable>
#include <mutex>

namespace skerrow {

class CAutoResetEvent {
public:
    virtual ~CAutoResetEvent() = default;
    void Set();
    void Reset();
    // Zero-timeout wait: true when it was set, and then it is clear again.
    bool Poll();
    // Waits up to timeout; true when it was set (and is now clear).
    bool Wait(std::chrono::milliseconds timeout);
    // Looks without clearing.
    bool IsSet() const;

private:
    mutable std::mutex m_mutex;
    std::condition_variable m_cond;
    bool m_set = false;
};

} // namespace skerrow
