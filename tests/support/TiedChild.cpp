#include "support/TiedChild.h"

#include <condition_variable>
#include <csignal>
#include <mutex>
#include <sys/prctl.h>
#include <thread>
#include <unistd.h>

namespace skerrow::test {
namespace {

// The kernel sends a child its parent-death signal when the thread that forked it ends, not its
// process: a server forked on a thread of a test would die with that thread. Threads other than the
// main one hand their forks to a thread that lives as long as the process.
struct Forker {
    pid_t process = -1; // the process the thread runs in (a forked copy of it has no such thread)
    std::mutex turn;    // one fork at a time
    std::mutex lock;
    std::condition_variable wake;
    const std::function<void()>* job = nullptr;
    bool done = false;
    pid_t pid = -1;
};

pid_t ForkHere(const std::function<void()>& inChild)
{
    const pid_t parent = ::getpid();
    const pid_t pid = ::fork();
    if (pid == 0) {
        // A parent that ended before the signal was asked for sends none: then the child goes now.
        if (::prctl(PR_SET_PDEATHSIG, SIGKILL) != 0 || ::getppid() != parent)
            ::_exit(127);
        inChild();
        ::_exit(127);
    }
    return pid;
}

void Serve(Forker* forker)
{
    std::unique_lock<std::mutex> hold(forker->lock);
    for (;;) {
        forker->wake.wait(hold, [forker] { return forker->job && !forker->done; });
        forker->pid = ForkHere(*forker->job);
        forker->done = true;
        forker->wake.notify_all();
    }
}

Forker& ProcessForker()
{
    static std::mutex guard;
    static Forker* forker = nullptr; // never freed: its thread runs until the process ends
    std::lock_guard<std::mutex> hold(guard);
    if (!forker || forker->process != ::getpid()) {
        forker = new Forker;
        forker->process = ::getpid();
        std::thread(Serve, forker).detach();
    }
    return *forker;
}

} // namespace

pid_t ForkTiedChild(const std::function<void()>& inChild)
{
    if (::gettid() == ::getpid()) // the main thread lives as long as the process
        return ForkHere(inChild);
    Forker& forker = ProcessForker();
    std::lock_guard<std::mutex> turn(forker.turn);
    std::unique_lock<std::mutex> hold(forker.lock);
    forker.job = &inChild;
    forker.done = false;
    forker.wake.notify_all();
    forker.wake.wait(hold, [&forker] { return forker.done; });
    forker.job = nullptr;
    return forker.pid;
}

} // namespace skerrow::test
