#pragma once
// The single view: the transfer list in a report-style list, the settings cache, the progress meter
// and the run control (commands, run state, connection, workers, Stop).
//
// It is the engine's window onto the status bar (IStatusSink), its message boxes (IUserPrompt) and
// the dialogs, greying and stop timer a run needs (IRunHost); calls from a worker thread are
// carried out on the UI thread.

#include <atomic>
#include <memory>
#include <string>

#include <wx/docview.h>
#include <wx/timer.h>
#include <wx/weakref.h>

#include "settings/CViewSettings.h"
#include "transfer/CProgressMeter.h"
#include "run/CRunController.h"
#include "list/CTransferList.h"
#include "run/IRunHost.h"
#include "app/IStatusSink.h"
#include "app/IUserPrompt.h"
#include "transfer/CPaneTextQueue.h"

class CMainFrame;
class CTransferListCtrl;
class CLogPane;
class CRunMonitor;
class wxSplitterWindow;

namespace skerrow {
class CCommandLog;
}

class CSkerrowView : public wxView,
                     public skerrow::IStatusSink,
                     public skerrow::IUserPrompt,
                     public skerrow::IRunHost {
public:
    CSkerrowView();
    ~CSkerrowView() override;

    bool OnCreate(wxDocument* doc, long flags) override;
    bool OnClose(bool deleteWindow) override;
    void OnDraw(wxDC*) override {}
    // The caption stays the bare application title whatever the document is called.
    void OnChangeFilename() override {}

    // Refreshes the settings cache from the settings file.
    void LoadSettings();
    // Makes the language setting current: catalog, menu bar, column titles, "Ready" in pane 0.
    void ApplyLanguage() override;
    // Fills the list from the PC directory, on the UI thread.
    void FindFiles();
    // Runs Find Files & Transfer when the command line asks for it ("/a" anywhere, any case).
    void CheckAutomaticRun();

    // The percentage pane, fed by the transfer.
    skerrow::CProgressMeter& Progress() { return m_progress; }
    void ResetProgress() { m_progress.ResetProgress(); }

    skerrow::CTransferList& List() { return m_list; }
    CTransferListCtrl* ListCtrl() const { return m_listCtrl.get(); }
    // The command log pane below the list (View > Log), and the log it shows.
    CLogPane* LogPane() const { return m_logPane.get(); }
    bool IsLogShown() const;
    void ShowLog(bool show);
    skerrow::CCommandLog& CommandLog() { return *m_log; }
    CRunMonitor* Monitor() const { return m_monitor.get(); }
    const skerrow::CViewSettings& Settings() const { return m_settings; }
    skerrow::CRunController& Run() { return *m_run; }
    // The list was replaced by an opened saved list: it was not found by this run.
    void ListReplaced() { m_run->ForgetListTime(); }
    int GetRunState() const { return m_run->RunState(); }
    void SetRunState(int state) { m_run->SetRunState(state); }
    CMainFrame* GetMainFrame() const;

    // Removes the selected rows from the list (no file is touched); refused while a run is active.
    void DeleteSelectedRows();

    // IStatusSink: pane 0 and the percentage pane.
    void SetStatusText(const std::string& text) override;
    std::string GetStatusText() override;
    void SetPercentText(const std::string& text) override;

    // IUserPrompt: message boxes over the main window.
    void ShowMessage(const std::string& text, skerrow::PromptIcon icon, const std::string& caption = {}) override;
    bool AskYesNo(const std::string& text, skerrow::PromptIcon icon) override;

    // IRunHost: greying, the dialogs of a run, the wait cursor and the stop timer.
    void SetRunning(bool running) override;
    bool ShowConnectDialog(bool deleting) override;
    bool ShowPcDirDialog() override;
    bool ShowTreeDeleteDialog() override;
    void OnFilesFound() override;
    void BeginWaitCursor() override;
    void EndWaitCursor() override;
    void StartStopTimer(int milliseconds) override;
    void KillStopTimer() override;
    void PostToUi(std::function<void()> call) override;
    skerrow::CertificateTrust AskCertificateTrust(const skerrow::CCertificateInfo& info) override;
    skerrow::CertificateTrust AskHostKeyTrust(const skerrow::CHostKeyQuestion& question) override;
    skerrow::PlainConsent AskPlainConsent(const std::string& host, int port) override;
    void ShowUnencrypted(bool unencrypted) override;

    // Next failed row (F8) and the previous one (Shift+F8), wrapping round.
    void SelectFailedRow(bool forward);

    // Command handlers.
    void OnFindFilesTransfer(wxCommandEvent& event);
    void OnFindFiles(wxCommandEvent& event);
    void OnFindLeftovers(wxCommandEvent& event);
    void OnTransferDelete(wxCommandEvent& event);
    void OnTreeDelete(wxCommandEvent& event);
    void OnStop(wxCommandEvent& event);
    void OnConnect(wxCommandEvent& event);
    void OnShutdownConnection(wxCommandEvent& event);
    void OnProperties(wxCommandEvent& event);
    void OnHelp(wxCommandEvent& event);
    void OnReset(wxCommandEvent& event);
    void OnLanguage(wxCommandEvent& event);
    void OnUpdateLanguage(wxUpdateUIEvent& event);
    void OnToggleLog(wxCommandEvent& event);
    void OnUpdateLogItem(wxUpdateUIEvent& event);

    // The Stop protocol.
    void StopActivity();
    // The user (or the session ending) has already said Yes to quitting: closing asks nothing more.
    void ConfirmQuit() { m_quitConfirmed = true; }
    bool QuitConfirmed() const { return m_quitConfirmed; }
    // Stops whatever runs and waits for the worker; the view calls it before it goes.
    void ShutdownRun();

private:
    void BindCommands();
    void OnListKeyDown(wxKeyEvent& event);
    void SetPaneText(int pane, const std::string& text);
    void ShowPaneText(int pane, const std::string& text);
    void OnStopTimer(wxTimerEvent& event);
    void CreateWindows(CMainFrame* frame);

    skerrow::CTransferList m_list;
    wxWeakRef<CTransferListCtrl> m_listCtrl;
    wxWeakRef<wxSplitterWindow> m_splitter;
    wxWeakRef<CLogPane> m_logPane;
    std::shared_ptr<skerrow::CCommandLog> m_log;
    std::unique_ptr<CRunMonitor> m_monitor;
    skerrow::CViewSettings m_settings;
    skerrow::CProgressMeter m_progress;
    std::unique_ptr<skerrow::CRunController> m_run;
    wxTimer m_stopTimer;
    bool m_quitConfirmed = false;
    // Pane texts from the workers, on their way to the UI thread.
    CPaneTextQueue m_paneTexts;
    // Held weakly by calls queued for the UI thread, which do nothing once the view is gone.
    std::shared_ptr<CSkerrowView*> m_self;

    wxDECLARE_DYNAMIC_CLASS(CSkerrowView);
};
