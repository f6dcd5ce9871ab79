#include "app/CSkerrowApp.h"

#include <wx/docview.h>
#include <wx/filename.h>
#include <wx/msgdlg.h>
#include <wx/stdpaths.h>
#include <wx/thread.h>

#include "app/CAboutDlg.h"
#include "app/CMainFrame.h"
#include "app/CommandIds.h"
#include "app/CStringTable.h"
#include "app/StringIds.h"
#include "settings/CSettingsAlert.h"
#include "settings/CSettingsFile.h"
#include "transfer/CSkerrowDoc.h"
#include "transfer/CSkerrowView.h"

using namespace skerrow;

namespace {
const wxString kSettingsOption = "--settings=";
}

CSkerrowApp& SkerrowApp()
{
    return *static_cast<CSkerrowApp*>(wxApp::GetInstance());
}

CSkerrowApp::CSkerrowApp()
{
    Bind(wxEVT_MENU, &CSkerrowApp::OnAppAbout, this, WxCommandId(ID_APP_ABOUT));
}

CSkerrowApp::~CSkerrowApp() = default;

bool CSkerrowApp::OnInit()
{
    const wxString title = wxString::FromUTF8(LoadString(IDS_APP_TITLE));
    SetAppDisplayName(title);
    const wxString exePath = wxStandardPaths::Get().GetExecutablePath();
    CSettingsFile::SetExecutablePath(exePath.utf8_string());
    ReadCommandLine();
    if (!m_singleInstance.IsOnlyInstance(title, wxFileName(exePath).GetFullName())) {
        m_endAtOnce = true; // the running copy has been raised; end quietly with status 0
        return true;
    }
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
        if (!arguments.empty())
            arguments += ' ';
        arguments += argument;
    }
    m_arguments = arguments;
}

bool CSkerrowApp::CreateMainWindow()
{
    const wxString title = wxString::FromUTF8(LoadString(IDS_APP_TITLE));
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
