#include "transfer/CRunMonitor.h"

#include "app/CMainFrame.h"
#include "log/CCommandLog.h"
#include "run/CRunController.h"
#include "run/CRunProgressText.h"
#include "transfer/CLogPane.h"
#include "transfer/CTransferListCtrl.h"

using namespace skerrow;

CRunMonitor::CRunMonitor(CMainFrame& frame, CRunController& run, std::shared_ptr<CCommandLog> log)
    : m_frame(frame), m_run(run), m_log(std::move(log)), m_timer(this)
{
    Bind(wxEVT_TIMER, &CRunMonitor::OnTimer, this);
    m_timer.Start(kIntervalMs);
}

CRunMonitor::~CRunMonitor()
{
    m_timer.Stop();
}

void CRunMonitor::OnTimer(wxTimerEvent&)
{
    Update();
}

void CRunMonitor::Update()
{
    const CRunProgressSnapshot progress = m_run.ProgressSnapshot();
    m_frame.ShowOverallProgress(wxString::FromUTF8(CRunProgressText::Describe(progress)),
                                wxString::FromUTF8(CRunProgressText::TitlePrefix(progress)));
    if (m_list)
        m_list->FollowRow(progress.current);
    if (m_log && m_pane) {
        size_t skipped = 0;
        std::vector<CLogLine> lines = m_log->DrainNewest(kLinesPerTick, skipped);
        m_pane->Append(lines, skipped);
    }
}
