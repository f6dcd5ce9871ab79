#pragma once
// The UI thread's loop where there is no window (the headless command, the run tests): the calls
// the run's threads post wait here until the thread that plays the UI thread pumps them, and the
// stop timer fires from the same loop.

#include <chrono>
#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <optional>

namespace skerrow {

class CUiCallQueue {
public:
    // Any thread.
    void Post(std::function<void()> call);
    // The pumping thread only.
    void StartTimer(int milliseconds);
    void KillTimer();
    // Waits at most wait for a posted call or the timer, carries out every posted call, then
    // calls onTimer once if the timer's time has come (the timer is then off).
    void Pump(std::chrono::milliseconds wait, const std::function<void()>& onTimer);

private:
    std::mutex m_mutex;
    std::condition_variable m_posted;
    std::deque<std::function<void()>> m_calls;
    std::optional<std::chrono::steady_clock::time_point> m_timerDue;
};

} // namespace skerrow
