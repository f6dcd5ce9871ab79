#include "app/CThreadPriority.h"

#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace skerrow {
namespace {

// Enough for the scheduler to prefer the window's thread by a wide margin, not so much that the
// work starves behind other programs.
constexpr int kNiceSteps = 5;

} // namespace

void CThreadPriority::BelowTheWindow()
{
    // On Linux the nice value belongs to the thread (its id), not to the whole process.
    const auto thread = static_cast<id_t>(::syscall(SYS_gettid));
    const int now = ::getpriority(PRIO_PROCESS, thread);
    ::setpriority(PRIO_PROCESS, thread, now + kNiceSteps);
}

} // namespace skerrow
