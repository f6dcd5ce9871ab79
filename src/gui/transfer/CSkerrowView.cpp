#include "transfer/CSkerrowView.h"

#include <algorithm>
#include <cctype>

#include <wx/msgdlg.h>
#include <wx/splitter.h>
#include <wx/statusbr.h>
#include <wx/utils.h>

#include "app/CLanguage.h"
#include "app/CMainFrame.h"
#include "app/CSkerrowApp.h"
#include "app/CStringTable.h"
#include "app/CommandIds.h"
#include "app/StringIds.h"
#include "settings/CConnectDlg.h"
#include "settings/CHelpLauncher.h"
#include "settings/CPCDirDlg.h"
#include "settings/CTreeDeleteDlg.h"
#include "settings/CSettingsFile.h"
#include "log/CCommandLog.h"
#include "list/RowWord.h"
#include "log/CLogFile.h"
#include "transfer/CLogPane.h"
#include "transfer/CRunMonitor.h"
#include "transfer/CTransferListCtrl.h"
#include "ftp/CCertificateDlg.h"
#include "ftp/CHostKeyDlg.h"
#include "ftp/CPlainFtpDlg.h"
#include "transfer/CUiCall.h"

using namespace skerrow;

wxIMPLEMENT_DYNAMIC_CLASS(CSkerrowView, wxView);

namespace {

// Whether the log pane is shown, remembered in the settings file.
constexpr const char* kViewSection = "View";
constexpr const char* kShowLogKey = "Log";
// The pane's height when it opens.
constexpr int kLogPaneHeight = 160;

const int kLanguageCommands[] = {ID_LANGUAGE_DEFAULT, ID_LANGUAGE_ENGLISH, ID_LANGUAGE_FRENCH, ID_LANGUAGE_GERMAN};

int LanguageValueOf(int commandId)
{
    for (int value = 0; value < 4; ++value) {
        if (kLanguageCommands[value] == commandId)
            return value;
    }
    return 0;
}

long IconStyle(PromptIcon icon)
{
    switch (icon) {
    case PromptIcon::Error:
    case PromptIcon::Stop: return wxICON_ERROR;
    case PromptIcon::Question: return wxICON_QUESTION;
    case PromptIcon::Information: break;
    }
    return wxICON_INFORMATION;
}

wxString Text(const std::string& utf8)
{
    return wxString::FromUTF8(utf8);
}

} // namespace

CSkerrowView::CSkerrowView()
    : m_log(std::make_shared<CCommandLog>(std::make_unique<CLogFile>())),
      m_progress(*this),
      m_run(std::make_unique<CRunController>(m_list, m_settings, *this, *this, m_progress, *this)),
      m_self(std::make_shared<CSkerrowView*>(this))
{
    m_run->SetCommandLog(m_log);
    m_stopTimer.Bind(wxEVT_TIMER, &CSkerrowView::OnStopTimer, this);
}

CSkerrowView::~CSkerrowView()
{
    ShutdownRun();
    m_self.reset();
    m_monitor.reset();
    if (m_splitter)
        m_splitter->Destroy();
    else if (m_listCtrl)
        m_listCtrl->Destroy();
}

CMainFrame* CSkerrowView::GetMainFrame() const
{
    return SkerrowApp().GetMainFrame();
}

bool CSkerrowView::OnCreate(wxDocument* doc, long flags)
{
    if (!wxView::OnCreate(doc, flags))
        return false;
    CMainFrame* frame = GetMainFrame();
    if (!frame)
        return false;
    SetFrame(frame);
    LoadSettings();
    ApplyLanguage();
    CreateWindows(frame);
    frame->SendSizeEvent();
    ResetProgress();
    ApplyLanguage();
    BindCommands();
    Activate(true);
    return true;
}

void CSkerrowView::CreateWindows(CMainFrame* frame)
{
    // The list fills the window; the log pane, when shown, is docked below it.
    m_splitter = new wxSplitterWindow(frame, wxID_ANY, wxDefaultPosition, wxDefaultSize,
                                      wxSP_LIVE_UPDATE | wxSP_3DSASH | wxSP_NO_XP_THEME);
    m_splitter->SetSashGravity(1.0);
    m_splitter->SetMinimumPaneSize(40);
    m_listCtrl = new CTransferListCtrl(m_splitter, m_list);
    m_listCtrl->Bind(wxEVT_KEY_DOWN, &CSkerrowView::OnListKeyDown, this);
    m_logPane = new CLogPane(m_splitter);
    m_logPane->Hide();
    m_splitter->Initialize(m_listCtrl);
    m_monitor = std::make_unique<CRunMonitor>(*frame, *m_run, m_log);
    m_monitor->SetLogPane(m_logPane);
    m_monitor->SetListCtrl(m_listCtrl);
    CSettingsFile settings;
    if (settings.ReadInt(kViewSection, kShowLogKey, 0) != 0)
        ShowLog(true);
}

bool CSkerrowView::IsLogShown() const
{
    return m_splitter && m_splitter->IsSplit();
}

void CSkerrowView::ShowLog(bool show)
{
    if (!m_splitter || !m_logPane || show == IsLogShown())
        return;
    if (show) {
        const int height = m_splitter->GetClientSize().GetHeight();
        m_splitter->SplitHorizontally(m_listCtrl, m_logPane, height > 2 * kLogPaneHeight ? -kLogPaneHeight : 0);
        m_logPane->ShowPosition(m_logPane->GetLastPosition());
    } else {
        m_splitter->Unsplit(m_logPane);
    }
}

void CSkerrowView::OnToggleLog(wxCommandEvent&)
{
    ShowLog(!IsLogShown());
    CSettingsFile settings;
    settings.WriteInt(kViewSection, kShowLogKey, IsLogShown() ? 1 : 0);
}

void CSkerrowView::OnUpdateLogItem(wxUpdateUIEvent& event)
{
    event.Check(IsLogShown());
}

bool CSkerrowView::OnClose(bool)
{
    // The document has put its quit question before it closes its views; the base class would
    // close the document again here and so ask a second time.
    ShutdownRun();
    Activate(false);
    return true;
}

void CSkerrowView::ShutdownRun()
{
    // A worker waiting for a message box gives up rather than wait for this thread, which is
    // about to wait for the worker.
    m_stopTimer.Stop();
    CUiCall::SetClosing(true);
    m_run->Shutdown();
    CUiCall::SetClosing(false);
}

void CSkerrowView::BindCommands()
{
    Bind(wxEVT_MENU, &CSkerrowView::OnFindFilesTransfer, this, WxCommandId(ID_FIND_FILES_TRANSFER));
    Bind(wxEVT_MENU, &CSkerrowView::OnFindFilesTransfer, this, WxCommandId(ID_FILE_NEW));
    Bind(wxEVT_MENU, &CSkerrowView::OnFindFiles, this, WxCommandId(ID_FIND_FILES));
    Bind(wxEVT_MENU, &CSkerrowView::OnFindLeftovers, this, WxCommandId(ID_FIND_LEFTOVERS));
    Bind(wxEVT_MENU, &CSkerrowView::OnTransferDelete, this, WxCommandId(ID_TRANSFER_DELETE));
    Bind(wxEVT_MENU, &CSkerrowView::OnTreeDelete, this, WxCommandId(ID_TREE_DELETE));
    Bind(wxEVT_MENU, &CSkerrowView::OnStop, this, WxCommandId(ID_STOP));
    Bind(wxEVT_MENU, &CSkerrowView::OnStop, this, WxCommandId(ID_STOP_ALT));
    Bind(wxEVT_MENU, &CSkerrowView::OnReset, this, WxCommandId(ID_RESET));
    Bind(wxEVT_MENU, &CSkerrowView::OnConnect, this, WxCommandId(ID_CONNECT));
    Bind(wxEVT_MENU, &CSkerrowView::OnShutdownConnection, this, WxCommandId(ID_SHUTDOWN_CONNECTION));
    Bind(wxEVT_MENU, &CSkerrowView::OnProperties, this, WxCommandId(ID_PROPERTIES));
    for (int id : {ID_HELP_INDEX, ID_HELP_FINDER, ID_CONTEXT_HELP, ID_HELP, ID_DEFAULT_HELP})
        Bind(wxEVT_MENU, &CSkerrowView::OnHelp, this, WxCommandId(id));
    Bind(wxEVT_MENU, &CSkerrowView::OnToggleLog, this, WxCommandId(ID_VIEW_LOG));
    Bind(wxEVT_MENU, [this](wxCommandEvent&) { SelectFailedRow(true); }, WxCommandId(ID_NEXT_FAILED));
    Bind(wxEVT_MENU, [this](wxCommandEvent&) { SelectFailedRow(false); }, WxCommandId(ID_PREVIOUS_FAILED));
    Bind(wxEVT_UPDATE_UI, &CSkerrowView::OnUpdateLogItem, this, WxCommandId(ID_VIEW_LOG));
    for (int id : kLanguageCommands) {
        Bind(wxEVT_MENU, &CSkerrowView::OnLanguage, this, WxCommandId(id));
        Bind(wxEVT_UPDATE_UI, &CSkerrowView::OnUpdateLanguage, this, WxCommandId(id));
    }
}

void CSkerrowView::LoadSettings()
{
    m_settings.Load();
}

void CSkerrowView::ApplyLanguage()
{
    CLanguage::Apply(m_settings.language);
    CMainFrame* frame = GetMainFrame();
    if (frame)
        frame->RebuildMenuBar();
    if (m_listCtrl) {
        m_listCtrl->RelabelColumns();
        SetStatusText(LoadString(IDS_READY));
    }
}

void CSkerrowView::FindFiles()
{
    m_run->FindFiles();
}

void CSkerrowView::CheckAutomaticRun()
{
    m_run->CheckAutomaticRun(SkerrowApp().GetArguments().utf8_string());
}

void CSkerrowView::DeleteSelectedRows()
{
    if (!m_listCtrl)
        return;
    const std::vector<size_t> rows = m_listCtrl->SelectedRows();
    if (!rows.empty() && !m_run->RefuseDuringRun())
        m_list.Delete(rows);
}

void CSkerrowView::OnListKeyDown(wxKeyEvent& event)
{
    if (event.GetKeyCode() == WXK_DELETE) {
        DeleteSelectedRows();
    } else if (event.GetKeyCode() == WXK_F1) {
        wxCommandEvent help(wxEVT_MENU, WxCommandId(ID_HELP_INDEX));
        OnHelp(help);
    }
    event.Skip();
}

// --- Status bar and message boxes -------------------------------------------------------------

void CSkerrowView::SetPaneText(int pane, const std::string& text)
{
    if (wxIsMainThread()) {
        m_paneTexts.Forget(pane);
        ShowPaneText(pane, text);
        return;
    }
    if (!m_paneTexts.Put(pane, text))
        return; // the wake-up already on its way shows this text too
    CUiCall::RunOnUi([weak = std::weak_ptr<CSkerrowView*>(m_self)] {
        if (auto self = weak.lock()) {
            for (const auto& [taken, latest] : (*self)->m_paneTexts.Take())
                (*self)->ShowPaneText(taken, latest);
        }
    });
}

void CSkerrowView::ShowPaneText(int pane, const std::string& text)
{
    CMainFrame* frame = GetMainFrame();
    if (frame && frame->GetStatusBar())
        frame->GetStatusBar()->SetStatusText(Text(text), pane);
}

void CSkerrowView::SetStatusText(const std::string& text)
{
    SetPaneText(CMainFrame::kMessagePane, text);
}

void CSkerrowView::SetPercentText(const std::string& text)
{
    SetPaneText(CMainFrame::kPercentPane, text);
}

std::string CSkerrowView::GetStatusText()
{
    std::string text;
    CUiCall::RunOnUiAndWait([this, &text] {
        CMainFrame* frame = GetMainFrame();
        if (frame && frame->GetStatusBar())
            text = frame->GetStatusBar()->GetStatusText(CMainFrame::kMessagePane).utf8_string();
    });
    return text;
}

void CSkerrowView::ShowMessage(const std::string& text, PromptIcon icon, const std::string& caption)
{
    CUiCall::RunOnUiAndWait([this, &text, icon, &caption] {
        const wxString title = caption.empty() ? Text(LoadString(IDS_APP_TITLE)) : Text(caption);
        wxMessageBox(Text(text), title, wxOK | IconStyle(icon), GetMainFrame());
    });
}

skerrow::CertificateTrust CSkerrowView::AskCertificateTrust(const skerrow::CCertificateInfo& info)
{
    return CCertificateDlg::AskFromAnyThread([this] { return static_cast<wxWindow*>(GetMainFrame()); }, info);
}

skerrow::CertificateTrust CSkerrowView::AskHostKeyTrust(const skerrow::CHostKeyQuestion& question)
{
    return CHostKeyDlg::AskFromAnyThread([this] { return static_cast<wxWindow*>(GetMainFrame()); }, question);
}

skerrow::PlainConsent CSkerrowView::AskPlainConsent(const std::string& host, int port)
{
    return CPlainFtpDlg::AskFromAnyThread([this] { return static_cast<wxWindow*>(GetMainFrame()); }, host, port);
}

void CSkerrowView::ShowUnencrypted(bool unencrypted)
{
    if (CMainFrame* frame = GetMainFrame())
        frame->ShowUnencrypted(unencrypted);
}

bool CSkerrowView::AskYesNo(const std::string& text, PromptIcon icon)
{
    bool yes = false;
    CUiCall::RunOnUiAndWait([this, &text, icon, &yes] {
        wxMessageDialog dialog(GetMainFrame(), Text(text), Text(LoadString(IDS_APP_TITLE)),
                               wxYES_NO | wxNO_DEFAULT | IconStyle(icon));
        yes = dialog.ShowModal() == wxID_YES;
    });
    return yes;
}

// --- Commands -----------------------------------------------------------------------------------

void CSkerrowView::OnFindFilesTransfer(wxCommandEvent&)
{
    m_run->OnFindFilesTransfer();
}

void CSkerrowView::OnFindFiles(wxCommandEvent&)
{
    m_run->OnFindFiles();
}

void CSkerrowView::OnFindLeftovers(wxCommandEvent&)
{
    m_run->OnFindLeftovers();
}

void CSkerrowView::OnTransferDelete(wxCommandEvent&)
{
    m_run->OnTransferDelete();
}

void CSkerrowView::OnTreeDelete(wxCommandEvent&)
{
    m_run->OnTreeDelete();
}

void CSkerrowView::OnStop(wxCommandEvent&)
{
    StopActivity();
}

void CSkerrowView::StopActivity()
{
    m_run->StopActivity();
}

void CSkerrowView::OnConnect(wxCommandEvent&)
{
    m_run->OnConnect();
}

void CSkerrowView::OnShutdownConnection(wxCommandEvent&)
{
    m_run->OnShutdownConnection();
}

void CSkerrowView::OnProperties(wxCommandEvent&)
{
    CConnectDlg dialog(GetMainFrame());
    dialog.ShowModal();
    LoadSettings();
    ApplyLanguage();
}

void CSkerrowView::OnHelp(wxCommandEvent&)
{
    ShowHelpTopic(GetMainFrame(), "index.html");
}

void CSkerrowView::OnReset(wxCommandEvent&)
{
    if (m_run->RefuseDuringRun())
        return;
    wxBusyCursor wait;
    m_list.ResetAll();
}

void CSkerrowView::OnLanguage(wxCommandEvent& event)
{
    CSettingsFile settings;
    settings.WriteUInt(ini::kAdvanced, ini::kLanguage, static_cast<unsigned>(LanguageValueOf(CommandIdOf(event.GetId()))));
    LoadSettings();
    ApplyLanguage();
}

void CSkerrowView::OnUpdateLanguage(wxUpdateUIEvent& event)
{
    event.Check(m_settings.language == LanguageValueOf(CommandIdOf(event.GetId())));
}

// --- The run's window ----------------------------------------------------------------------------

void CSkerrowView::SetRunning(bool running)
{
    SkerrowApp().SetRunning(running);
    if (!m_listCtrl)
        return;
    if (running) {
        m_listCtrl->StartFollowing();
        return;
    }
    // After a run with failures the first failed row is selected and in view.
    m_listCtrl->Flush();
    if (m_list.CountInState(skerrow::kRowFailed) > 0) {
        m_listCtrl->SelectFailed(true, true);
    }
}

void CSkerrowView::SelectFailedRow(bool forward)
{
    if (m_listCtrl && !m_listCtrl->SelectFailed(forward))
        SetStatusText(skerrow::Tr("T.NoFailedRow", "No row has failed."));
}

bool CSkerrowView::ShowConnectDialog(bool deleting)
{
    CConnectDlg dialog(GetMainFrame());
    dialog.SetDeletingMode(deleting);
    return dialog.ShowModal() == wxID_OK;
}

bool CSkerrowView::ShowPcDirDialog()
{
    CPCDirDlg dialog(GetMainFrame());
    return dialog.ShowModal() == wxID_OK;
}

bool CSkerrowView::ShowTreeDeleteDialog()
{
    CTreeDeleteDlg dialog(GetMainFrame());
    return dialog.ShowModal() == wxID_OK;
}

void CSkerrowView::OnFilesFound()
{
    if (m_listCtrl)
        m_listCtrl->FitNameColumn();
}

void CSkerrowView::BeginWaitCursor()
{
    wxBeginBusyCursor();
}

void CSkerrowView::EndWaitCursor()
{
    wxEndBusyCursor();
}

void CSkerrowView::StartStopTimer(int milliseconds)
{
    m_stopTimer.StartOnce(milliseconds);
}

void CSkerrowView::KillStopTimer()
{
    m_stopTimer.Stop();
}

void CSkerrowView::PostToUi(std::function<void()> call)
{
    CUiCall::RunOnUi(std::move(call));
}

void CSkerrowView::OnStopTimer(wxTimerEvent&)
{
    m_run->OnStopTimer();
}
