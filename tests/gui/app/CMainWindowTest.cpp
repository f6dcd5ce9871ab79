#include "gui/app/CMainWindowTest.h"

#include <wx/app.h>
#include <wx/evtloop.h>
#include <wx/statusbr.h>
#include <wx/stdpaths.h>

#include "app/CMainFrame.h"
#include "app/CSkerrowApp.h"
#include "app/CStringTable.h"
#include "app/CommandIds.h"
#include "settings/CSettingsFile.h"
#include "transfer/CSkerrowView.h"
#include "transfer/CTransferListCtrl.h"

using skerrow::CSettingsFile;

void PumpPending()
{
    wxTheApp->ProcessPendingEvents();
    wxTheApp->ProcessIdle();
    wxTheApp->ProcessPendingEvents();
}

void PumpUntil(const std::function<bool()>& condition)
{
    PumpUntil(condition, std::chrono::seconds(15));
}

bool PumpUntil(const std::function<bool()>& condition, std::chrono::milliseconds limit)
{
    const auto deadline = std::chrono::steady_clock::now() + limit;
    wxGUIEventLoop loop;
    wxEventLoopActivator active(&loop);
    while (!condition()) {
        if (std::chrono::steady_clock::now() >= deadline) {
            ADD_FAILURE() << "the awaited condition did not hold within " << limit.count() << " ms";
            return false;
        }
        loop.DispatchTimeout(100);
        wxTheApp->ProcessPendingEvents();
    }
    return true;
}

void CMainWindowTest::SetUp()
{
    CSettingsFile::SetExecutablePath(wxStandardPaths::Get().GetExecutablePath().utf8_string());
}

void CMainWindowTest::TearDown()
{
    SkerrowApp().DestroyMainWindow();
    PumpPending();
    SkerrowApp().SetArguments(wxString());
    CSettingsFile::SetOverridePath(std::string());
    skerrow::CStringTable::Unload();
}

void CMainWindowTest::Start(const std::string& iniText)
{
    m_dir.WriteFile("skerrow.ini", iniText);
    CSettingsFile::SetOverridePath(IniPath());
    ASSERT_TRUE(SkerrowApp().CreateMainWindow());
    PumpPending();
}

void CMainWindowTest::Command(int commandId)
{
    wxCommandEvent event(wxEVT_MENU, WxCommandId(commandId));
    event.SetEventObject(Frame());
    Frame()->ProcessWindowEvent(event);
    PumpPending();
}

void CMainWindowTest::PressDeleteKey()
{
    wxKeyEvent key(wxEVT_KEY_DOWN);
    key.m_keyCode = WXK_DELETE;
    key.SetEventObject(ListCtrl());
    ListCtrl()->GetEventHandler()->ProcessEvent(key);
}

CMainFrame* CMainWindowTest::Frame() const
{
    return SkerrowApp().GetMainFrame();
}

CSkerrowView* CMainWindowTest::View() const
{
    return SkerrowApp().GetView();
}

CTransferListCtrl* CMainWindowTest::ListCtrl() const
{
    return View() ? View()->ListCtrl() : nullptr;
}

std::string CMainWindowTest::PaneText(int pane) const
{
    return Frame()->GetStatusBar()->GetStatusText(pane).utf8_string();
}
