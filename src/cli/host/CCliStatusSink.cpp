#include "host/CCliStatusSink.h"

#include "output/CCliTerminal.h"
#include "settings/CDisplayText.h"

namespace skerrow::cli {

void CCliStatusSink::SetStatusText(const std::string& text)
{
    {
        std::lock_guard lock(m_mutex);
        if (text == m_text)
            return;
        m_text = text;
    }
    if (!text.empty())
        m_terminal.Detail(CDisplayText::OneLine(text));
}

std::string CCliStatusSink::GetStatusText()
{
    std::lock_guard lock(m_mutex);
    return m_text;
}

void CCliStatusSink::SetPercentText(const std::string& text)
{
    std::lock_guard lock(m_mutex);
    m_percent = text;
}

std::string CCliStatusSink::PercentText()
{
    std::lock_guard lock(m_mutex);
    return m_percent;
}

} // namespace skerrow::cli
