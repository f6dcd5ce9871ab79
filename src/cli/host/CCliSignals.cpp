#include "host/CCliSignals.h"

#include <atomic>
#include <csignal>

namespace skerrow::cli {
namespace {

std::atomic<bool> g_stopRequested{false};
static_assert(std::atomic<bool>::is_always_lock_free);

void OnStopSignal(int /*signal*/)
{
    g_stopRequested.store(true);
}

} // namespace

void CCliSignals::Install()
{
    struct sigaction action {};
    action.sa_handler = OnStopSignal;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
    std::signal(SIGPIPE, SIG_IGN);
}

bool CCliSignals::StopRequested()
{
    return g_stopRequested.load();
}

} // namespace skerrow::cli
