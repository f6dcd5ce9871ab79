#include "app/CSkerrowApp.h"

#include <cstdio>

#include <wx/docview.h>
#include <wx/filename.h>
#include <wx/msgdlg.h>
#include <wx/stdpaths.h>
#include <wx/thread.h>

#include "app/CAboutDlg.h"
#include "app/CMainFrame.h"
#include "app/CModalDialogTracker.h"
#include "app/CProgramFilesReport.h"
#include "app/CQuitSignals.h"
#include "app/CommandIds.h"
#include "app/CStringTable.h"
#include "app/StringIds.h"
#include "settings/CSettingsAlert.h"
#include "app/CLanguage.h"
#include "settings/CSettingsFile.h"
#include "transfer/CSkerrowDoc.h"
#include "transfer/CSkerrowView.h"

using namespace skerrow;

namespace {
const wxString kSettingsOption = "--settings=";
// Prints where the program's files are (CProgramFilesReport) and ends without a window.
const wxString kPathsOption = "--paths";
// How soon ending on a signal looks again whether the dialog it closed has gone.
const int kEndRetryMs = 50;
}

CSkerrowApp& SkerrowApp()
{
    return *static_cast<CSkerrowApp*>(wxApp::GetInstance());
}

CSkerrowApp::CSkerrowApp()
{
    Bind(wxEVT_MENU, &CSkerrowApp::OnAppAbout, this, WxCommandId(ID_APP_ABOUT));
    Bind(wxEVT_END_SESSION, &CSkerrowApp::OnEndSession, this);
}

CSkerrowApp::~CSkerrowApp() = default;

bool CSkerrowApp::OnInit()
{
    const wxString title = wxString::FromUTF8(LoadString(IDS_APP_TITLE));
    SetAppDisplayName(title);
    const wxString exePath = wxStandardPaths::Get().GetExecutablePath();
    CSettingsFile::SetExecutablePath(exePath.utf8_string());
    ReadCommandLine();
    if (m_showPaths) {
        std::fputs(CProgramFilesReport::Text().c_str(), stdout);
        m_endAtOnce = true;
        return true;
    }
    if (!m_singleInstance.IsOnlyInstance(title, wxFileName(exePath).GetFullName())) {
        // The running copy has been raised; end with status 0, quietly unless the user cannot see
        // it from here.
        CLanguage::Apply(CSettingsFile().ReadInt(ini::kAdvanced, ini::kLanguage, CLanguage::kDefault));
        const wxString notice = m_singleInstance.RunningCopyNotice();
        if (!notice.empty())
            std::fprintf(stderr, "%s\n", notice.utf8_str().data());
        m_endAtOnce = true;
        return true;
    }
    // From here on a signal ends the program as closing the window would; it is carried out once
    // the window is up and the event loop runs.
    ListenForQuitSignals();
    return CreateMainWindow();
}

int CSkerrowApp::OnRun()
{
    if (m_endAtOnce)
        return 0;
    return wxApp::OnRun();
}

int CSkerrowApp::OnExit()
{
    m_quitSignals.reset();
    m_endRetry.reset();
    delete m_docManager;
    m_docManager = nullptr;
    return wxApp::OnExit();
}

void CSkerrowApp::ReadCommandLine()
{
    wxString arguments;
    for (int i = 1; i < argc; ++i) {
        const wxString argument = argv[i];
        if (argument.StartsWith(kSettingsOption)) {
            CSettingsFile::SetOverridePath(argument.Mid(kSettingsOption.length()).utf8_string());
            continue;
        }
        if (argument == kPathsOption) {
            m_showPaths = true;
            continue;
        }
        if (!arguments.empty())
            arguments += ' ';
        arguments += argument;
    }
    m_arguments = arguments;
}

bool CSkerrowApp::CreateMainWindow()
{
    const wxString title = wxString::FromUTF8(LoadString(IDS_APP_TITLE));
    m_ending = false;
    m_endedDialog = nullptr;
    m_docManager = new wxDocManager;
    m_docManager->SetMaxDocsOpen(1);
    new wxDocTemplate(m_docManager, "Skerrow", "*.txt", "", "txt", "Skerrow.Document", "Skerr Document",
                      CLASSINFO(CSkerrowDoc), CLASSINFO(CSkerrowView));
    m_frame = new CMainFrame(m_docManager, title);
    SetTopWindow(m_frame);
    if (!m_docManager->CreateDocument(wxEmptyString, wxDOC_NEW)) {
        wxMessageBox(wxString::FromUTF8(LoadString(IDS_FAILED_CREATE_DOCUMENT)), title, wxOK | wxICON_ERROR);
        DestroyMainWindow();
        return false;
    }
    m_frame->Show();
    m_frame->SetTitle(title);
    m_frame->Update();
    ReportUnreadableSettings();
    if (CSkerrowView* view = GetView())
        view->CheckAutomaticRun();
    return true;
}

void CSkerrowApp::DestroyMainWindow()
{
    // Ends without the quit question: whatever run was set up is dropped.
    if (CSkerrowView* view = GetView()) {
        view->ShutdownRun();
        view->SetRunState(0);
        view->List().DeleteAll();
    }
    if (m_docManager)
        m_docManager->Clear(true);
    if (m_frame) {
        SetTopWindow(nullptr);
        m_frame->Destroy();
        m_frame = nullptr;
    }
    DeletePendingObjects();
    delete m_docManager;
    m_docManager = nullptr;
}

void CSkerrowApp::ReportUnreadableSettings()
{
    CSettingsAlert::ShowUnreadable(m_frame);
}

CSkerrowView* CSkerrowApp::GetView() const
{
    if (!m_docManager)
        return nullptr;
    return dynamic_cast<CSkerrowView*>(m_docManager->GetAnyUsableView());
}

void CSkerrowApp::SetRunning(bool running)
{
    if (!wxIsMainThread()) {
        CallAfter([running] { SkerrowApp().ApplyRunning(running); });
        return;
    }
    ApplyRunning(running);
}

void CSkerrowApp::ApplyRunning(bool running)
{
    if (m_frame && !m_frame->IsBeingDeleted())
        m_frame->SetRunning(running);
}

void CSkerrowApp::OnAppAbout(wxCommandEvent&)
{
    CAboutDlg dialog(m_frame);
    dialog.ShowModal();
}

// --- Ending on a signal or with the session -----------------------------------------------------

void CSkerrowApp::ListenForQuitSignals()
{
    if (m_quitSignals)
        return;
    // The reader thread only queues the work: everything else happens on the UI thread.
    m_quitSignals = std::make_unique<CQuitSignals>([this](int) { CallAfter(&CSkerrowApp::EndAsAsked); });
}

void CSkerrowApp::OnEndSession(wxCloseEvent&)
{
    EndAsAsked();
}

void CSkerrowApp::EndAsAsked()
{
    if (m_ending || !m_frame)
        return;
    // A dialog's own loop must end first: the window closes once it has.
    if (wxDialog* dialog = CModalDialogTracker::Get().Topmost()) {
        if (dialog != m_endedDialog) {
            m_endedDialog = dialog;
            CModalDialogTracker::Get().EndTopmost();
        }
        if (!m_endRetry) { // made here: timers need the running application
            m_endRetry = std::make_unique<wxTimer>(this);
            Bind(wxEVT_TIMER, [this](wxTimerEvent&) { EndAsAsked(); }, m_endRetry->GetId());
        }
        m_endRetry->StartOnce(kEndRetryMs);
        return;
    }
    m_ending = true;
    if (CSkerrowView* view = GetView()) {
        view->StopActivity();
        view->ConfirmQuit(); // the quit question counts as answered Yes
    }
    m_frame->Close(true);
}
