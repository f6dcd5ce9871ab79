#include "transfer/CUiCall.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>

#include <wx/app.h>
#include <wx/thread.h>

namespace {

std::atomic<bool> g_closing{false};

// One call handed to the UI thread. The caller's stack stays alive until done or abandoned, both
// decided under the mutex, so the UI thread never runs a call whose caller has left.
struct CPendingCall {
    std::mutex mutex;
    std::condition_variable finished;
    bool done = false;
    bool abandoned = false;
};

} // namespace

void CUiCall::RunOnUi(std::function<void()> call)
{
    if (wxTheApp)
        wxTheApp->CallAfter(std::move(call));
}

bool CUiCall::RunOnUiAndWait(const std::function<void()>& call)
{
    if (wxIsMainThread()) {
        call();
        return true;
    }
    if (!wxTheApp || g_closing.load())
        return false;
    auto pending = std::make_shared<CPendingCall>();
    wxTheApp->CallAfter([pending, &call] {
        std::lock_guard lock(pending->mutex);
        if (pending->abandoned)
            return;
        call();
        pending->done = true;
        pending->finished.notify_all();
    });
    std::unique_lock lock(pending->mutex);
    while (!pending->done) {
        if (g_closing.load()) {
            pending->abandoned = true;
            return false;
        }
        pending->finished.wait_for(lock, std::chrono::milliseconds(50));
    }
    return true;
}

void CUiCall::SetClosing(bool closing)
{
    g_closing.store(closing);
}

bool CUiCall::IsClosing()
{
    return g_closing.load();
}
