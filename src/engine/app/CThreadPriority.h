#pragma once
// Worker threads run a little below the window's thread: on a machine with few cores, an upload
// whose connections keep every core busy (a fast local server, thousands of small files) would
// otherwise hold the window back for a tenth of a second at a time. The work loses nothing when
// the window is idle.

namespace skerrow {

class CThreadPriority {
public:
    // Lowers the calling thread's priority (its nice value) by a few steps; a failure is harmless
    // and ignored.
    static void BelowTheWindow();
};

} // namespace skerrow
