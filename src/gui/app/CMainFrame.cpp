#include "app/CMainFrame.h"

#include <wx/accel.h>
#include <wx/gdicmn.h>
#include <wx/app.h>
#include <wx/menu.h>
#include <wx/statusbr.h>
#include <wx/toolbar.h>
#include <wx/utils.h>

#include "app/CMainMenu.h"
#include "app/CSkerrowApp.h"
#include "app/CStringTable.h"
#include "app/CWindowPlacement.h"
#include "app/CommandIds.h"
#include "app/StringIds.h"

#include "skerrow.xpm"
#include "toolbar_about.xpm"
#include "toolbar_connect.xpm"
#include "toolbar_disconnect.xpm"
#include "toolbar_find.xpm"
#include "toolbar_new.xpm"
#include "toolbar_open.xpm"
#include "toolbar_reset.xpm"
#include "toolbar_save.xpm"
#include "toolbar_stop.xpm"
#include "toolbar_transfer.xpm"
#include "toolbar_treedelete.xpm"

using namespace skerrow;

namespace {

struct ToolButton {
    int id; // 0 = separator
    const char* const* image;
};

const ToolButton kToolButtons[] = {
    {ID_FILE_NEW, toolbar_new_xpm},
    {ID_FILE_OPEN, toolbar_open_xpm},
    {ID_FILE_SAVE, toolbar_save_xpm},
    {0, nullptr},
    {ID_CONNECT, toolbar_connect_xpm},
    {ID_SHUTDOWN_CONNECTION, toolbar_disconnect_xpm},
    {0, nullptr},
    {ID_FIND_FILES, toolbar_find_xpm},
    {ID_TRANSFER_DELETE, toolbar_transfer_xpm},
    {0, nullptr},
    {ID_RESET, toolbar_reset_xpm},
    {0, nullptr},
    {ID_TREE_DELETE, toolbar_treedelete_xpm},
    {0, nullptr},
    {ID_STOP, toolbar_stop_xpm},
    {0, nullptr},
    {ID_APP_ABOUT, toolbar_about_xpm},
};

// The commands that SetRunning greys: the menu (by position) that holds each.
struct RunCommand {
    size_t menu;
    int id;
};
const RunCommand kRunCommands[] = {
    {0, ID_FILE_NEW},          {2, ID_TRANSFER_DELETE}, {2, ID_FIND_FILES_TRANSFER},
    {2, ID_FIND_FILES},        {2, ID_TREE_DELETE},     {1, ID_RESET},
    {2, ID_FIND_LEFTOVERS},    {0, ID_FILE_OPEN}, // an opened list would replace the run's
};

const int kKeyPanes[] = {CMainFrame::kCapsPane, CMainFrame::kNumPane, CMainFrame::kScrollPane};
const wxKeyCode kLockKeys[] = {WXK_CAPITAL, WXK_NUMLOCK, WXK_SCROLL};
const int kKeyIndicators[] = {IDS_INDICATOR_CAPS, IDS_INDICATOR_NUM, IDS_INDICATOR_SCRL};

wxString Text(int id)
{
    return wxString::FromUTF8(LoadString(id));
}

} // namespace

CMainFrame::CMainFrame(wxDocManager* manager, const wxString& title)
    : wxDocParentFrame(manager, nullptr, wxID_ANY, title), m_keyTimer(this)
{
    SetIcon(wxIcon(skerrow_xpm));
    SetMenuBar(CMainMenu::Build());
    CreateToolBarButtons();
    CreateStatusPanes();
    RestorePlacement(); // the inside size is what the bars leave
    // Ctrl+N, Ctrl+O and Ctrl+S come with their menu items; Ctrl+F opens too.
    wxAcceleratorEntry entries[] = {{wxACCEL_CTRL, 'F', WxCommandId(ID_FILE_OPEN)}};
    SetAcceleratorTable(wxAcceleratorTable(1, entries));
    BindCommands();
    UpdateKeyIndicators();
    m_keyTimer.Start(250);
}

CMainFrame::~CMainFrame()
{
    m_keyTimer.Stop();
    SavePlacement();
    SkerrowApp().ForgetFrame(this);
}

void CMainFrame::CreateToolBarButtons()
{
    wxToolBar* toolBar = CreateToolBar(wxTB_HORIZONTAL | wxTB_FLAT, WxCommandId(ID_VIEW_TOOLBAR));
    for (const ToolButton& button : kToolButtons) {
        if (button.id == 0)
            toolBar->AddSeparator();
        else
            toolBar->AddTool(WxCommandId(button.id), wxString(), wxBitmap(button.image));
    }
    RelabelToolBar();
    toolBar->Realize();
}

void CMainFrame::RelabelToolBar()
{
    wxToolBar* toolBar = GetToolBar();
    if (!toolBar)
        return;
    for (const ToolButton& button : kToolButtons) {
        if (button.id == 0)
            continue;
        toolBar->SetToolShortHelp(WxCommandId(button.id), CMainMenu::Tooltip(button.id));
        toolBar->SetToolLongHelp(WxCommandId(button.id), CMainMenu::Prompt(button.id));
    }
}

void CMainFrame::CreateStatusPanes()
{
    wxStatusBar* statusBar = CreateStatusBar(6, wxSTB_DEFAULT_STYLE, WxCommandId(ID_VIEW_STATUS_BAR));
    const int margin = 2 * statusBar->GetCharWidth();
    int* widths = m_paneWidths;
    widths[kMessagePane] = -1;
    widths[kPercentPane] = statusBar->GetTextExtent(Text(IDS_INDICATOR_PERC)).GetWidth() + margin;
    for (size_t i = 0; i < 3; ++i) {
        m_keyTexts[i] = Text(kKeyIndicators[i]);
        widths[kKeyPanes[i]] = statusBar->GetTextExtent(m_keyTexts[i]).GetWidth() + margin;
    }
    // Shown during a run only; between runs as narrow as GTK can draw a pane (a pane of no width has
    // a negative inside, which GTK reports as an invalid rectangle).
    widths[kOverallPane] = IdleOverallWidth();
    statusBar->SetStatusWidths(6, widths);
    statusBar->SetStatusText(Text(IDS_READY), kMessagePane);
    statusBar->SetStatusText(Text(IDS_INDICATOR_PERC), kPercentPane);
}

void CMainFrame::BindCommands()
{
    Bind(wxEVT_MENU, &CMainFrame::OnExit, this, WxCommandId(ID_APP_EXIT));
    Bind(wxEVT_MENU, &CMainFrame::OnToggleToolBar, this, WxCommandId(ID_VIEW_TOOLBAR));
    Bind(wxEVT_MENU, &CMainFrame::OnToggleStatusBar, this, WxCommandId(ID_VIEW_STATUS_BAR));
    Bind(wxEVT_UPDATE_UI, &CMainFrame::OnUpdateToolBarItem, this, WxCommandId(ID_VIEW_TOOLBAR));
    Bind(wxEVT_UPDATE_UI, &CMainFrame::OnUpdateStatusBarItem, this, WxCommandId(ID_VIEW_STATUS_BAR));
    Bind(wxEVT_TIMER, &CMainFrame::OnKeyTimer, this);
}

void CMainFrame::SetRunning(bool running)
{
    m_running = running;
    wxMenuBar* bar = GetMenuBar();
    if (bar && bar->GetMenuCount() > 0) {
        for (const RunCommand& command : kRunCommands) {
            if (command.menu >= bar->GetMenuCount())
                continue;
            wxMenu* menu = bar->GetMenu(command.menu);
            if (menu->FindItem(WxCommandId(command.id)))
                menu->Enable(WxCommandId(command.id), !running);
        }
    }
    if (wxToolBar* toolBar = GetToolBar()) {
        for (const RunCommand& command : kRunCommands) {
            if (toolBar->FindById(WxCommandId(command.id)))
                toolBar->EnableTool(WxCommandId(command.id), !running);
        }
    }
}

void CMainFrame::RebuildMenuBar()
{
    wxMenuBar* old = GetMenuBar();
    SetMenuBar(CMainMenu::Build());
    // The old bar may be the one whose item is being handled right now: delete it when idle.
    if (old)
        wxTheApp->ScheduleForDestruction(old);
    RelabelToolBar();
    // A rebuild in the middle of a run (Properties, a Language command) keeps the run's greying.
    SetRunning(m_running);
}

void CMainFrame::UpdateKeyIndicators()
{
    wxStatusBar* statusBar = GetStatusBar();
    if (!statusBar)
        return;
    for (size_t i = 0; i < 3; ++i) {
        const wxString text = wxGetKeyState(kLockKeys[i]) ? m_keyTexts[i] : wxString();
        if (statusBar->GetStatusText(kKeyPanes[i]) != text)
            statusBar->SetStatusText(text, kKeyPanes[i]);
    }
}

int CMainFrame::IdleOverallWidth() const
{
    const wxStatusBar* statusBar = GetStatusBar();
    return statusBar ? statusBar->GetCharWidth() : 8;
}

void CMainFrame::ShowOverallProgress(const wxString& text, const wxString& titlePrefix)
{
    wxStatusBar* statusBar = GetStatusBar();
    if (statusBar && statusBar->GetFieldsCount() > kOverallPane && statusBar->GetStatusText(kOverallPane) != text) {
        // The pane only grows during a run, so that it does not jitter as the figures change.
        const int needed =
            text.empty() ? IdleOverallWidth() : statusBar->GetTextExtent(text).GetWidth() + 3 * statusBar->GetCharWidth();
        if (needed > m_paneWidths[kOverallPane] || text.empty()) {
            m_paneWidths[kOverallPane] = needed;
            statusBar->SetStatusWidths(6, m_paneWidths);
        }
        statusBar->SetStatusText(text, kOverallPane);
    }
    ComposeTitle(titlePrefix, m_titleSuffix);
}

void CMainFrame::ShowUnencrypted(bool unencrypted)
{
    ComposeTitle(m_titlePrefix,
                 unencrypted ? " - " + wxString::FromUTF8(skerrow::Tr("T.Unencrypted", "not encrypted")) : wxString());
}

void CMainFrame::ComposeTitle(const wxString& prefix, const wxString& suffix)
{
    if (prefix == m_titlePrefix && suffix == m_titleSuffix)
        return;
    if (m_titlePrefix.empty() && m_titleSuffix.empty())
        m_bareTitle = GetTitle();
    m_titlePrefix = prefix;
    m_titleSuffix = suffix;
    SetTitle(prefix + m_bareTitle + suffix);
}

void CMainFrame::OnExit(wxCommandEvent&)
{
    Close();
}

void CMainFrame::OnToggleToolBar(wxCommandEvent&)
{
    if (wxToolBar* toolBar = GetToolBar()) {
        toolBar->Show(!toolBar->IsShown());
        SendSizeEvent();
    }
}

void CMainFrame::OnToggleStatusBar(wxCommandEvent&)
{
    if (wxStatusBar* statusBar = GetStatusBar()) {
        statusBar->Show(!statusBar->IsShown());
        SendSizeEvent();
    }
}

void CMainFrame::OnUpdateToolBarItem(wxUpdateUIEvent& event)
{
    event.Check(GetToolBar() && GetToolBar()->IsShown());
}

void CMainFrame::OnUpdateStatusBarItem(wxUpdateUIEvent& event)
{
    event.Check(GetStatusBar() && GetStatusBar()->IsShown());
}

void CMainFrame::OnKeyTimer(wxTimerEvent&)
{
    UpdateKeyIndicators();
}

// --- Place and size ----------------------------------------------------------------------------

void CMainFrame::RestorePlacement()
{
    SetMinSize(CWindowPlacement::MinimumSize());
    const std::optional<CWindowPlacement> stored = CWindowPlacement::Load();
    if (stored) {
        SetPosition(stored->rect.GetPosition());
        if (stored->insideSize)
            SetClientSize(stored->rect.GetSize());
        else
            SetSize(stored->rect.GetSize());
        m_readPlacement = stored->Format();
    } else {
        // Nothing stored yet: take a good part of the screen, centred.
        const wxRect area = wxGetClientDisplayRect();
        wxSize size(area.GetWidth() * 3 / 4, area.GetHeight() * 2 / 3);
        size.IncTo(CWindowPlacement::MinimumSize());
        SetSize(size);
        Centre();
    }
    m_normalRect = wxRect(GetPosition(), GetClientSize());
    if (stored && stored->maximized)
        Maximize(true);
    Bind(wxEVT_SIZE, &CMainFrame::OnMoveOrSize, this);
    Bind(wxEVT_MOVE, &CMainFrame::OnMoveOrSize, this);
}

void CMainFrame::OnMoveOrSize(wxEvent& event)
{
    event.Skip();
    if (!IsMaximized() && !IsIconized() && !IsFullScreen())
        m_normalRect = wxRect(GetPosition(), GetClientSize());
}

void CMainFrame::SavePlacement()
{
    CWindowPlacement placement;
    placement.rect = m_normalRect;
    placement.maximized = IsMaximized();
    const std::string text = placement.Format();
    if (text != m_readPlacement && placement.Save())
        m_readPlacement = text;
}
