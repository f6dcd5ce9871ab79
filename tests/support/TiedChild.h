#pragma once
// Child processes that cannot outlive the test process: whatever ends it (a sanitizer's halt, a
// crash, ctest's time-out, SIGKILL), the kernel kills them with it.

#include <functional>
#include <sys/types.h>

namespace skerrow::test {

// Forks a child that the kernel kills (SIGKILL) when this process ends, and runs inChild in it.
// inChild must end in exec or _exit and call only what is safe in a child of a process with
// threads (open, dup2, close, exec). Returns the child's pid, or -1.
pid_t ForkTiedChild(const std::function<void()>& inChild);

} // namespace skerrow::test
