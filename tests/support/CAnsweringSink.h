#pragma once
// Message boxes and questions of the run tests: recorded, and answered as the test says.

#include <atomic>
#include <condition_variable>
#include <mutex>

#include "support/CFtpRecordingSink.h"

namespace skerrow::test {

// Answers questions as the test says. Held, it keeps every message and question open (the
// worker waits, as it does while the user reads) until Answer.
class CAnsweringSink : public CFtpRecordingSink {
public:
    void ShowMessage(const std::string& text, PromptIcon icon, const std::string& caption = {}) override
    {
        CFtpRecordingSink::ShowMessage(text, icon, caption);
        WaitWhileHeld();
    }
    bool AskYesNo(const std::string& text, PromptIcon icon) override
    {
        ShowMessage(text, icon);
        return m_answer.load();
    }
    void SetAnswer(bool answer) { m_answer.store(answer); }
    void Hold()
    {
        std::lock_guard lock(m_mutex);
        m_held = true;
    }
    // Lets every open and later box go, with this answer to the questions.
    void Answer(bool answer)
    {
        m_answer.store(answer);
        std::lock_guard lock(m_mutex);
        m_held = false;
        m_released.notify_all();
    }
    int Waiting() const { return m_waiting.load(); }

private:
    void WaitWhileHeld()
    {
        std::unique_lock lock(m_mutex);
        ++m_waiting;
        m_released.wait(lock, [this] { return !m_held; });
        --m_waiting;
    }

    std::atomic<bool> m_answer{true};
    std::mutex m_mutex;
    std::condition_variable m_released;
    bool m_held = false;
    std::atomic<int> m_waiting{0};
};

} // namespace skerrow::test
