#pragma once
// The single view: the transfer list in a report-style list, and everything a run needs (the
// settings cache, the run state, the progress meter, the stop event).
//
// It is the engine's window onto the status bar (IStatusSink) and its message boxes (IUserPrompt);
// both may be called from a worker thread and are carried out on the UI thread.

#include <atomic>
#include <memory>
#include <string>

#include <wx/docview.h>
#include <wx/weakref.h>

#include "settings/CViewSettings.h"
#include "transfer/CAutoResetEvent.h"
#include "transfer/CProgressMeter.h"
#include "transfer/CTransferList.h"
#include "transfer/IStatusSink.h"
#include "transfer/IUserPrompt.h"

class CMainFrame;
class CTransferListCtrl;

class CSkerrowView : public wxView, public skerrow::IStatusSink, public skerrow::IUserPrompt {
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
    void ApplyLanguage();
    // Fills the list from the PC directory, on the UI thread.
    void FindFiles();
    // Runs Find Files & Transfer when the command line asks for it ("/a" anywhere, any case).
    void CheckAutomaticRun();

    // The percentage pane, fed by the transfer.
    skerrow::CProgressMeter& Progress() { return m_progress; }
    void ResetProgress() { m_progress.ResetProgress(); }

    skerrow::CTransferList& List() { return m_list; }
    CTransferListCtrl* ListCtrl() const { return m_listCtrl.get(); }
    const skerrow::CViewSettings& Settings() const { return m_settings; }
    skerrow::CAutoResetEvent& StopEvent() { return m_stopEvent; }
    // The list was replaced by an opened saved list: it was not found by this run.
    void ListReplaced() {}
    int GetRunState() const { return m_runState.load(); }
    void SetRunState(int state) { m_runState.store(state); }
    CMainFrame* GetMainFrame() const;

    // Removes the selected rows from the list (no file is touched).
    void DeleteSelectedRows();

    // IStatusSink: pane 0 and the percentage pane.
    void SetStatusText(const std::string& text) override;
    std::string GetStatusText() override;
    void SetPercentText(const std::string& text) override;

    // IUserPrompt: message boxes over the main window.
    void ShowMessage(const std::string& text, skerrow::PromptIcon icon, const std::string& caption = {}) override;
    bool AskYesNo(const std::string& text, skerrow::PromptIcon icon) override;

    // Command handlers.
    void OnFindFilesTransfer(wxCommandEvent& event);
    void OnFindFiles(wxCommandEvent& event);
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

    // The Stop protocol (run control fills it in).
    void StopActivity();

private:
    void BindCommands();
    void OnListKeyDown(wxKeyEvent& event);
    void SetPaneText(int pane, const std::string& text);

    skerrow::CTransferList m_list;
    wxWeakRef<CTransferListCtrl> m_listCtrl;
    skerrow::CViewSettings m_settings;
    std::atomic<int> m_runState{0};
    skerrow::CProgressMeter m_progress;
    skerrow::CAutoResetEvent m_stopEvent;
    // Held weakly by calls queued for the UI thread, which do nothing once the view is gone.
    std::shared_ptr<CSkerrowView*> m_self;

    wxDECLARE_DYNAMIC_CLASS(CSkerrowView);
};
