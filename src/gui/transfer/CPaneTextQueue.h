#pragma once
// Status-bar texts written from a worker, on their way to the UI thread: only the newest text of
// each pane is kept, and the UI thread is woken once per batch, not once per text. A pass of
// thousands of small files writes a few texts per file; the window shows the latest of them.

#include <map>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

class CPaneTextQueue {
public:
    virtual ~CPaneTextQueue() = default;

    // Any thread. True when the caller must wake the UI thread to Take (no wake-up is pending).
    bool Put(int pane, std::string text);
    // UI thread: every pane's newest text, in pane order; the next Put wakes again.
    std::vector<std::pair<int, std::string>> Take();
    // UI thread: the pane was written directly; an older text still on its way is dropped.
    void Forget(int pane);

private:
    std::mutex m_mutex;
    std::map<int, std::string> m_texts;
    bool m_wakePending = false;
};
