#pragma once
// The status bar as one run's worker sees it: every text goes through the run's fence, so a worker
// set aside by the stop timer writes nothing more.

#include "app/IStatusSink.h"

namespace skerrow {

class CRunFence;

class CRunStatusSink : public IStatusSink {
public:
    CRunStatusSink(IStatusSink& window, CRunFence& fence) : m_window(window), m_fence(fence) {}

    void SetStatusText(const std::string& text) override;
    std::string GetStatusText() override;
    void SetPercentText(const std::string& text) override;

private:
    IStatusSink& m_window;
    CRunFence& m_fence;
};

} // namespace skerrow
