#pragma once
// The percentage of the current file sent, shown in the status bar's percentage pane.
// Fed from the worker while a file is sent; a value is written only when it changes.

#include <cstdint>
#include <mutex>

namespace skerrow {

class IStatusSink;

class CProgressMeter {
public:
    explicit CProgressMeter(IStatusSink& sink) : m_sink(sink) {}
    virtual ~CProgressMeter() = default;

    // Size of the file about to be sent, from its "Size KB" text: atoi(text) * 1024 bytes.
    void SetProgressSize(const char* sizeText);
    void SetProgressBytes(uint64_t bytes);
    // Bytes of the current file sent so far: 0% at the start, 100% at the end, never above.
    void ShowProgress(uint64_t sentBytes);
    // Empties the pane, forgets the size.
    void ResetProgress();
    int LastPercent() const;

private:
    IStatusSink& m_sink;
    mutable std::mutex m_mutex;
    uint64_t m_progressSize = 0;
    int m_lastPercent = -1;
};

} // namespace skerrow
