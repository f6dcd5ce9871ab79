#pragma once
// Carries work from any thread to the UI thread, which owns every window.
//
// RunOnUi queues the call and returns. RunOnUiAndWait runs it on the UI thread and returns when it
// has run (at once when the caller is the UI thread itself); a worker must not call it while the UI
// thread waits for that worker.

#include <functional>

class CUiCall {
public:
    virtual ~CUiCall() = default;

    static void RunOnUi(std::function<void()> call);
    static void RunOnUiAndWait(const std::function<void()>& call);
};
