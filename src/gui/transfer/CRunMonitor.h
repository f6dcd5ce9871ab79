#pragma once
// Shows a run's overall progress and the command log on a timer of the UI thread, a few times a
// second: the workers never wake the window for either, however many files pass.

#include <memory>

#include <wx/timer.h>

class CMainFrame;
class CLogPane;

namespace skerrow {
class CRunController;
class CCommandLog;
}

class CRunMonitor : public wxEvtHandler {
public:
    CRunMonitor(CMainFrame& frame, skerrow::CRunController& run, std::shared_ptr<skerrow::CCommandLog> log);
    ~CRunMonitor() override;

    void SetLogPane(CLogPane* pane) { m_pane = pane; }
    // What the timer does; also called at once when a run ends.
    void Update();

    static constexpr int kIntervalMs = 250;
    // Lines moved into the pane per tick at most.
    static constexpr size_t kLinesPerTick = 600;

private:
    void OnTimer(wxTimerEvent& event);

    CMainFrame& m_frame;
    skerrow::CRunController& m_run;
    std::shared_ptr<skerrow::CCommandLog> m_log;
    CLogPane* m_pane = nullptr;
    wxTimer m_timer;
};
