#pragma once
// Status pane and message boxes for the FTP tests: remembers every text, answers questions with a
// fixed answer.

#include <mutex>
#include <string>
#include <vector>

#include "app/IStatusSink.h"
#include "app/IUserPrompt.h"

namespace skerrow::test {

class CFtpRecordingSink : public IStatusSink, public IUserPrompt {
public:
    void SetStatusText(const std::string& text) override;
    std::string GetStatusText() override;
    void SetPercentText(const std::string& text) override;
    void ShowMessage(const std::string& text, PromptIcon icon, const std::string& caption = {}) override;
    bool AskYesNo(const std::string& text, PromptIcon icon) override;

    std::vector<std::string> Percents() const;
    std::vector<std::string> Messages() const;
    std::vector<PromptIcon> Icons() const;

private:
    mutable std::mutex m_mutex;
    std::string m_status;
    std::vector<std::string> m_percents;
    std::vector<std::string> m_messages;
    std::vector<PromptIcon> m_icons;
};

} // namespace skerrow::test
