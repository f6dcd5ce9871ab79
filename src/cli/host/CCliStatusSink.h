#pragma once
// The status bar of the headless command: pane 0 and the percentage are kept for the progress
// output; with --verbose every new pane 0 text is printed too. Any thread.

#include <mutex>
#include <string>

#include "app/IStatusSink.h"

namespace skerrow::cli {

class CCliTerminal;

class CCliStatusSink : public IStatusSink {
public:
    explicit CCliStatusSink(CCliTerminal& terminal) : m_terminal(terminal) {}

    void SetStatusText(const std::string& text) override;
    std::string GetStatusText() override;
    void SetPercentText(const std::string& text) override;
    std::string PercentText();

private:
    CCliTerminal& m_terminal;
    std::mutex m_mutex;
    std::string m_text;
    std::string m_percent;
};

} // namespace skerrow::cli
