#include "transfer/CProgressMeter.h"

#include <cstdlib>

#include "app/CStringTable.h"
#include "app/IStatusSink.h"

namespace skerrow {

void CProgressMeter::SetProgressSize(const char* sizeText)
{
    const long kb = std::atol(sizeText ? sizeText : "");
    SetProgressBytes(kb > 0 ? static_cast<uint64_t>(kb) * 1024u : 0u);
}

void CProgressMeter::SetProgressBytes(uint64_t bytes)
{
    std::lock_guard lock(m_mutex);
    m_progressSize = bytes;
}

void CProgressMeter::ShowProgress(uint64_t sentBytes)
{
    int percent = 0;
    {
        std::lock_guard lock(m_mutex);
        if (m_progressSize != 0)
            percent = static_cast<int>(static_cast<double>(sentBytes) / static_cast<double>(m_progressSize) * 100.0);
        if (percent > 100)
            percent = 100;
        if (percent == m_lastPercent)
            return;
        m_lastPercent = percent;
    }
    m_sink.SetPercentText(FormatText("%d%%", percent));
}

void CProgressMeter::ResetProgress()
{
    {
        std::lock_guard lock(m_mutex);
        m_lastPercent = -1;
        m_progressSize = 0;
    }
    m_sink.SetPercentText(std::string());
}

int CProgressMeter::LastPercent() const
{
    std::lock_guard lock(m_mutex);
    return m_lastPercent;
}

} // namespace skerrow
