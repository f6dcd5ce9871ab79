#pragma once
// The fence between a worker and everything the window shares with it: the list, the run state, the
// last-upload date, the status bar. The worker makes each such change through Apply; once the run
// controller has released the worker (Release), no change of it gets through any more, so a worker
// that outlived its run can never write into the next one.

#include <functional>
#include <mutex>

namespace skerrow {

class CRunFence {
public:
    virtual ~CRunFence() = default;

    // Runs effect unless the fence is released; false when it was not run. The effect must not wait
    // for the UI thread (Release is called there).
    bool Apply(const std::function<void()>& effect);
    // From now on Apply runs nothing; returns once no effect is running.
    void Release();
    bool IsReleased() const;

private:
    mutable std::mutex m_mutex;
    bool m_released = false;
};

} // namespace skerrow
