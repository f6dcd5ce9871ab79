#include "host/CCliPrompt.h"

#include "output/CCliTerminal.h"
#include "settings/CDisplayText.h"

namespace skerrow::cli {

void CCliPrompt::ShowMessage(const std::string& text, PromptIcon icon, const std::string& /*caption*/)
{
    const std::string line = CDisplayText::OneLine(text);
    if (icon == PromptIcon::Error || icon == PromptIcon::Stop) {
        ++m_errors;
        m_terminal.Error("error: " + line);
    } else {
        m_terminal.Info(line);
    }
}

bool CCliPrompt::AskYesNo(const std::string& text, PromptIcon /*icon*/)
{
    ++m_questions;
    if (m_beforeQuestion)
        m_beforeQuestion();
    m_terminal.Detail(CDisplayText::OneLine(text) + (m_answer ? " yes" : " no"));
    return m_answer;
}

} // namespace skerrow::cli
