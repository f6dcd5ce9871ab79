#pragma once
// The application object: start-up, the single-instance rule, the document template and the
// main window, SetRunning and the About box.

#include <memory>

#include <wx/app.h>
#include <wx/string.h>
#include <wx/timer.h>

#include "app/CSingleInstance.h"

class CQuitSignals;
class wxDialog;

class wxDocManager;
class CMainFrame;
class CSkerrowView;

class CSkerrowApp : public wxApp {
public:
    CSkerrowApp();
    ~CSkerrowApp() override;

    bool OnInit() override;
    int OnRun() override;
    int OnExit() override;

    // File New at start-up: the document template makes the document, the main frame and the
    // list view. False when the window could not be made.
    bool CreateMainWindow();
    // Closes the document and destroys the main window at once, without the quit question (tests
    // start and end the window in-process).
    void DestroyMainWindow();

    // Greys (true) or restores (false) the commands that start a run. Callable from any thread:
    // a worker's call is carried out on the UI thread.
    void SetRunning(bool running);
    void OnAppAbout(wxCommandEvent& event);

    // SIGTERM, SIGINT, SIGHUP and the end of the desktop session end the program as closing the
    // window and answering Yes does: a run is stopped through Stop, then the window closes.
    void ListenForQuitSignals();
    void EndAsAsked();

    CMainFrame* GetMainFrame() const { return m_frame; }
    // The main frame is going: nothing may reach it through the application any more.
    void ForgetFrame(const CMainFrame* frame)
    {
        if (m_frame == frame)
            m_frame = nullptr;
    }
    CSkerrowView* GetView() const;
    // The arguments after the program name, joined by blanks (the automatic-run switch looks here).
    const wxString& GetArguments() const { return m_arguments; }
    void SetArguments(const wxString& arguments) { m_arguments = arguments; }

private:
    void ReadCommandLine();
    void ApplyRunning(bool running);
    // Once the main window is up: tells the user about a settings file that cannot be read.
    void ReportUnreadableSettings();
    void OnEndSession(wxCloseEvent& event);

    CSingleInstance m_singleInstance;
    wxDocManager* m_docManager = nullptr;
    CMainFrame* m_frame = nullptr;
    wxString m_arguments;
    bool m_endAtOnce = false;
    bool m_showPaths = false;
    std::unique_ptr<CQuitSignals> m_quitSignals;
    bool m_ending = false;
    std::unique_ptr<wxTimer> m_endRetry;
    wxDialog* m_endedDialog = nullptr; // compared only, never used: it may be gone
};

// The running application object.
CSkerrowApp& SkerrowApp();
