#pragma once
// Message boxes and questions as one run's worker asks them: the run knows that its thread is
// waiting for the user meanwhile (the stop timer leaves such a thread alone), and a worker set aside
// by the stop timer asks nothing more (a question is then answered No).

#include "app/IUserPrompt.h"

namespace skerrow {

class CRun;

class CRunPrompt : public IUserPrompt {
public:
    CRunPrompt(IUserPrompt& window, CRun& run) : m_window(window), m_run(run) {}

    void ShowMessage(const std::string& text, PromptIcon icon, const std::string& caption = {}) override;
    bool AskYesNo(const std::string& text, PromptIcon icon) override;

private:
    IUserPrompt& m_window;
    CRun& m_run;
};

} // namespace skerrow
