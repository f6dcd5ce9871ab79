#pragma once
// The main window: menu bar, toolbar, status bar and the list view as its client.

#include <string>

#include <wx/docview.h>
#include <wx/timer.h>

class CMainFrame : public wxDocParentFrame {
public:
    // Status bar panes.
    enum Pane : int { kMessagePane = 0, kPercentPane = 1, kCapsPane = 2, kNumPane = 3, kScrollPane = 4, kOverallPane = 5 };

    CMainFrame(wxDocManager* manager, const wxString& title);
    ~CMainFrame() override;

    // Greys (true) or restores (false) New, Transfer/Delete, Find Files & Transfer, Find Files,
    // Tree Delete, Re-set and Open in the menus, and draws their toolbar buttons disabled.
    void SetRunning(bool running);

    // A fresh menu bar from the current language, with the run commands greyed as SetRunning last
    // left them; the toolbar's tooltips and prompts follow the language too.
    void RebuildMenuBar();
    bool IsRunning() const { return m_running; }

    // Reads the keyboard's lock keys into the CAP, NUM and SCRL panes.
    void UpdateKeyIndicators();

    // Stores the window's place and size when they changed since they were read.
    void SavePlacement();
    // The run's overall progress in a pane of its own (as wide as it needs, none when text is "")
    // and before the window title ("[42 %] "); empty texts when no run is under way.
    void ShowOverallProgress(const wxString& text, const wxString& titlePrefix);
    // While the kept connection is not encrypted, the title says so after the program's name.
    void ShowUnencrypted(bool unencrypted);

private:
    void CreateToolBarButtons();
    void RelabelToolBar();
    void CreateStatusPanes();
    int IdleOverallWidth() const;
    void BindCommands();
    void OnExit(wxCommandEvent& event);
    void OnToggleToolBar(wxCommandEvent& event);
    void OnToggleStatusBar(wxCommandEvent& event);
    void OnUpdateToolBarItem(wxUpdateUIEvent& event);
    void OnUpdateStatusBarItem(wxUpdateUIEvent& event);
    void OnKeyTimer(wxTimerEvent& event);
    void RestorePlacement();
    void OnMoveOrSize(wxEvent& event);
    // Puts prefix and suffix around the title that was there before either was set.
    void ComposeTitle(const wxString& prefix, const wxString& suffix);

    wxTimer m_keyTimer;
    int m_paneWidths[6] = {};
    wxString m_bareTitle;
    wxString m_titlePrefix;
    wxString m_titleSuffix;
    bool m_running = false;
    // CAP, NUM, SCRL as loaded with the frame: the panes were sized for these texts.
    wxString m_keyTexts[3];
    // The frame when last neither maximised nor minimised, and the placement as read.
    wxRect m_normalRect;
    std::string m_readPlacement;
};
