#include "run/CRunStatusSink.h"

#include "transfer/CRunFence.h"

namespace skerrow {

void CRunStatusSink::SetStatusText(const std::string& text)
{
    m_fence.Apply([&] { m_window.SetStatusText(text); });
}

std::string CRunStatusSink::GetStatusText()
{
    return m_fence.IsReleased() ? std::string() : m_window.GetStatusText();
}

void CRunStatusSink::SetPercentText(const std::string& text)
{
    m_fence.Apply([&] { m_window.SetPercentText(text); });
}

} // namespace skerrow
