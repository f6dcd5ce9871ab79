#include "transfer/CUiCall.h"

#include <future>

#include <wx/app.h>
#include <wx/thread.h>

void CUiCall::RunOnUi(std::function<void()> call)
{
    if (wxTheApp)
        wxTheApp->CallAfter(std::move(call));
}

void CUiCall::RunOnUiAndWait(const std::function<void()>& call)
{
    if (wxIsMainThread()) {
        call();
        return;
    }
    if (!wxTheApp)
        return;
    std::promise<void> done;
    std::future<void> finished = done.get_future();
    wxTheApp->CallAfter([&call, &done] {
        call();
        done.set_value();
    });
    finished.wait();
}
