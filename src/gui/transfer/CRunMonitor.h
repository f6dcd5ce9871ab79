#pragma once
// Shows a run's overall progress and the command log on a timer of the UI thread, a few times a
// second, and keeps the row being sent in view: the workers never wake the window for any of it,
// however many files pass.

#include <memory>

#include <wx/timer.h>

class CMainFrame;
class CLogPane;
class CTransferListCtrl;

namespace skerrow {
class CRunController;
class CCommandLog;
}

class CRunMonitor : public wxEvtHandler {
public:
    CRunMonitor(CMainFrame& frame, skerrow::CRunController& run, std::shared_ptr<skerrow::CCommandLog> log);
    ~CRunMonitor() override;

    void SetLogPane(CLogPane* pane) { m_pane = pane; }
    void SetListCtrl(CTransferListCtrl* list) { m_list = list; }
    // What the timer does; also called at once when a run ends.
    void Update();

    static constexpr int kIntervalMs = 100;
    // Lines moved into the pane per tick at most: laying out a line costs the window a fraction of a
    // millisecond, and a tick must stay well below what the user would notice. A run that logs
    // faster has its older lines skipped in the pane.
    static constexpr size_t kLinesPerTick = 150;

private:
    void OnTimer(wxTimerEvent& event);

    CMainFrame& m_frame;
    skerrow::CRunController& m_run;
    std::shared_ptr<skerrow::CCommandLog> m_log;
    CLogPane* m_pane = nullptr;
    CTransferListCtrl* m_list = nullptr;
    wxTimer m_timer;
};
