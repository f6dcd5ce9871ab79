#pragma once
// Message boxes and questions of the headless command: messages are printed (failures always,
// notices unless --quiet) and counted; a question is answered as the command line says, after a
// hook has shown what it is about. Any thread.

#include <atomic>
#include <functional>
#include <string>

#include "app/IUserPrompt.h"

namespace skerrow::cli {

class CCliTerminal;

class CCliPrompt : public IUserPrompt {
public:
    CCliPrompt(CCliTerminal& terminal, bool answer) : m_terminal(terminal), m_answer(answer) {}

    void ShowMessage(const std::string& text, PromptIcon icon, const std::string& caption = {}) override;
    bool AskYesNo(const std::string& text, PromptIcon icon) override;

    // Called on the asking thread before the answer is given (set before the run starts).
    void SetBeforeQuestion(std::function<void()> hook) { m_beforeQuestion = std::move(hook); }
    // Messages shown with the error or stop icon.
    int ErrorsShown() const { return m_errors.load(); }
    int QuestionsAsked() const { return m_questions.load(); }

private:
    CCliTerminal& m_terminal;
    const bool m_answer;
    std::function<void()> m_beforeQuestion;
    std::atomic<int> m_errors{0};
    std::atomic<int> m_questions{0};
};

} // namespace skerrow::cli
