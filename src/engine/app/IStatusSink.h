#pragma once
// Where the engine writes the status bar's texts: pane 0 and the percentage pane.
// The window's implementation may be called from any thread and carries the change to the UI thread.

#include <string>

namespace skerrow {

class IStatusSink {
public:
    virtual ~IStatusSink() = default;
    virtual void SetStatusText(const std::string& text) = 0;
    virtual std::string GetStatusText() = 0;
    virtual void SetPercentText(const std::string& text) = 0;
};

} // namespace skerrow
