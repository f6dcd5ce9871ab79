#pragma once
// Message boxes and questions the engine needs answered. The window's implementation shows them on
// the UI thread; a worker that calls it waits for the answer.

#include <string>

namespace skerrow {

enum class PromptIcon { Error, Stop, Information, Question };

class IUserPrompt {
public:
    virtual ~IUserPrompt() = default;
    // A message with one OK button. An empty caption means the application title.
    virtual void ShowMessage(const std::string& text, PromptIcon icon, const std::string& caption = {}) = 0;
    // Yes and No, No being the default; true when the answer is Yes.
    virtual bool AskYesNo(const std::string& text, PromptIcon icon) = 0;
};

} // namespace skerrow
