#include "support/CFtpRecordingSink.h"

namespace skerrow::test {

void CFtpRecordingSink::SetStatusText(const std::string& text)
{
    std::lock_guard lock(m_mutex);
    m_status = text;
}

std::string CFtpRecordingSink::GetStatusText()
{
    std::lock_guard lock(m_mutex);
    return m_status;
}

void CFtpRecordingSink::SetPercentText(const std::string& text)
{
    std::lock_guard lock(m_mutex);
    m_percents.push_back(text);
}

void CFtpRecordingSink::ShowMessage(const std::string& text, PromptIcon icon, const std::string&)
{
    std::lock_guard lock(m_mutex);
    m_messages.push_back(text);
    m_icons.push_back(icon);
}

bool CFtpRecordingSink::AskYesNo(const std::string& text, PromptIcon icon)
{
    ShowMessage(text, icon);
    return true;
}

std::vector<std::string> CFtpRecordingSink::Percents() const
{
    std::lock_guard lock(m_mutex);
    return m_percents;
}

std::vector<std::string> CFtpRecordingSink::Messages() const
{
    std::lock_guard lock(m_mutex);
    return m_messages;
}

std::vector<PromptIcon> CFtpRecordingSink::Icons() const
{
    std::lock_guard lock(m_mutex);
    return m_icons;
}

} // namespace skerrow::test
