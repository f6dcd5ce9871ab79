// The main window's command vocabulary: menus, toolbar, prompts and tooltips, SetRunning, the
// status bar panes and the quit check.

#include <set>
#include <thread>
#include <vector>

#include <wx/menu.h>
#include <wx/statusbr.h>
#include <wx/toolbar.h>

#include "app/CMainFrame.h"
#include "app/CSkerrowApp.h"
#include "app/CStringTable.h"
#include "app/CommandIds.h"
#include "app/StringIds.h"
#include "gui/app/CMainWindowTest.h"
#include "transfer/CSkerrowView.h"

using namespace skerrow;

namespace {

struct Item {
    int id; // 0 = separator
    const char* label;
    const char* prompt;
};

struct Menu {
    const char* title;
    std::vector<Item> items;
};

const std::vector<Menu> kMenus = {
    {"&File",
     {{57600, "&New\tCtrl+N", "Start a New Transfer"},
      {57601, "&Open...\tCtrl+O", "Open an existing document"},
      {57603, "&Save\tCtrl+S", "Save the active document"},
      {0, nullptr, nullptr},
      {32799, "&Connect", "Connect to the FTP server"},
      {32800, "Shut&down Connection", "Shutdown the  connection to the FTP  server"},
      {0, nullptr, nullptr},
      {32801, "&Properties", "Configuration"},
      {0, nullptr, nullptr},
      {57665, "E&xit", "Quit the application; prompts to save documents"}}},
    {"&View",
     {{59392, "&Toolbar", "Show or hide the toolbar"},
      {59393, "&Status Bar", "Show or hide the status bar"},
      {32830, "&Log", "Show or hide the log of the commands sent and the server's replies"},
      {0, nullptr, nullptr},
      {32832, "&Next Failed Row\tF8", "Selects the next row that failed"},
      {32833, "&Previous Failed Row\tShift+F8", "Selects the previous row that failed"},
      {0, nullptr, nullptr},
      {32788, "&Re-set", "Re set the transfer state"}}},
    {"&Tools",
     {{0, nullptr, nullptr},
      {32771, "F&ind Files &&Transfer", "Start a New Transfer"},
      {32772, "&Find Files", "Finds all the files to transfer"},
      {32831, "Find Files and Server &Leftovers",
       "Finds the changed files, then the server files that are no longer in the PC folder"},
      {32773, "&Transfer/Delete", "Transfer/Delete the currently selected  "},
      {0, nullptr, nullptr},
      {32792, "Tree &Delete (Find Files)", "Find files for Tree Deleting an FTP Directory  "},
      {0, nullptr, nullptr},
      {32774, "Sto&p", "Stop the File Transfer"}}},
    {"&Language",
     {{32823, "&Default", "Default Lanuage"},
      {32824, "&English", "English"},
      {32825, "&French", "French"},
      {32806, "&German", "German"}}},
    {"&Help", {{57664, "&About Skerrow...", "Display program information, version number and  "}, {32822, "&Help", ""}}},
};

const std::vector<int> kToolbar = {57600, 57601, 57603, 0, 32799, 32800, 0, 32772, 32773, 0,
                                   32788, 0,     32792, 0, 32774, 0,     57664};

const std::set<int> kRunCommands = {57600, 57601, 32773, 32771, 32772, 32831, 32792, 32788};

const char* const kEnglishIni = "[Advanced]\nLanguage=1\n";

// Every menu item and toolbar button that SetRunning may grey: true when it is enabled.
void ExpectGreyed(CMainFrame* frame, const std::set<int>& greyed)
{
    wxMenuBar* bar = frame->GetMenuBar();
    for (size_t m = 0; m < bar->GetMenuCount(); ++m) {
        for (wxMenuItem* item : bar->GetMenu(m)->GetMenuItems()) {
            if (item->IsSeparator())
                continue;
            const int id = CommandIdOf(item->GetId());
            EXPECT_EQ(item->IsEnabled(), !greyed.count(id)) << "menu item " << id;
        }
    }
    wxToolBar* toolBar = frame->GetToolBar();
    for (int id : kToolbar) {
        if (id != 0) {
            EXPECT_EQ(toolBar->GetToolEnabled(WxCommandId(id)), !greyed.count(id)) << "button " << id;
        }
    }
}

} // namespace

TEST_F(CMainWindowTest, MenuBarToolbarAndTextsFollowTheCommandTable)
{
    Start(kEnglishIni);
    EXPECT_EQ(Frame()->GetTitle(), "Skerrow");
    wxMenuBar* bar = Frame()->GetMenuBar();
    ASSERT_EQ(bar->GetMenuCount(), kMenus.size());
    for (size_t m = 0; m < kMenus.size(); ++m) {
        EXPECT_EQ(bar->GetMenuLabel(m), kMenus[m].title);
        const wxMenuItemList& items = bar->GetMenu(m)->GetMenuItems();
        ASSERT_EQ(items.size(), kMenus[m].items.size()) << kMenus[m].title;
        size_t i = 0;
        for (wxMenuItem* item : items) {
            const Item& expected = kMenus[m].items[i++];
            if (expected.id == 0) {
                EXPECT_TRUE(item->IsSeparator()) << kMenus[m].title << " item " << i;
                continue;
            }
            EXPECT_EQ(CommandIdOf(item->GetId()), expected.id);
            EXPECT_EQ(item->GetItemLabel(), wxString::FromUTF8(expected.label));
            EXPECT_EQ(item->GetHelp(), wxString::FromUTF8(expected.prompt)) << expected.id;
            EXPECT_TRUE(item->IsEnabled());
        }
    }

    wxToolBar* toolBar = Frame()->GetToolBar();
    ASSERT_EQ(toolBar->GetToolsCount(), kToolbar.size());
    for (size_t i = 0; i < kToolbar.size(); ++i) {
        const wxToolBarToolBase* tool = toolBar->GetToolByPos(static_cast<int>(i));
        if (kToolbar[i] == 0) {
            EXPECT_TRUE(tool->IsSeparator()) << "position " << i;
        } else {
            EXPECT_EQ(CommandIdOf(tool->GetId()), kToolbar[i]) << "position " << i;
        }
    }
    // A prompt string with two line breaks gives the short tooltip.
    EXPECT_EQ(toolBar->GetToolShortHelp(WxCommandId(ID_TRANSFER_DELETE)), "files");
    EXPECT_EQ(toolBar->GetToolLongHelp(WxCommandId(ID_TRANSFER_DELETE)), "Transfer/Delete the currently selected  ");
    EXPECT_EQ(toolBar->GetToolShortHelp(WxCommandId(ID_TREE_DELETE)), "Path");
    EXPECT_EQ(toolBar->GetToolShortHelp(WxCommandId(ID_FILE_NEW)), "New Transfer");
    EXPECT_EQ(toolBar->GetToolShortHelp(WxCommandId(ID_APP_ABOUT)), "copyright");
}

TEST_F(CMainWindowTest, SetRunningGreysExactlyTheRunCommandsFromAnyThread)
{
    Start(kEnglishIni);
    SkerrowApp().SetRunning(true);
    ExpectGreyed(Frame(), kRunCommands);
    SkerrowApp().SetRunning(false);
    ExpectGreyed(Frame(), {});

    // From a worker the change is carried to the UI thread.
    std::thread worker([] { SkerrowApp().SetRunning(true); });
    worker.join();
    PumpPending();
    ExpectGreyed(Frame(), kRunCommands);

    // Applying the language (here: French) during the run rebuilds the menu bar with the run's
    // greying kept: a second run can never be started from the new bar.
    Command(ID_LANGUAGE_FRENCH);
    PumpPending();
    ExpectGreyed(Frame(), kRunCommands);
    EXPECT_EQ(Frame()->GetMenuBar()->GetMenuLabel(0), "&Fichier");
    SkerrowApp().SetRunning(false);
    Command(ID_LANGUAGE_ENGLISH);
    PumpPending();
    ExpectGreyed(Frame(), {});
}

TEST_F(CMainWindowTest, StatusBarPanesAndPercentage)
{
    Start(kEnglishIni);
    wxStatusBar* statusBar = Frame()->GetStatusBar();
    ASSERT_EQ(statusBar->GetFieldsCount(), 6);
    EXPECT_EQ(PaneText(CMainFrame::kOverallPane), ""); // the overall progress, during a run only
    EXPECT_EQ(PaneText(CMainFrame::kMessagePane), "Ready");
    EXPECT_EQ(PaneText(CMainFrame::kPercentPane), ""); // "PERC" until the view cleared it

    CProgressMeter& progress = View()->Progress();
    progress.SetProgressSize("10");
    progress.ShowProgress(4096u * 3u);
    EXPECT_EQ(PaneText(CMainFrame::kPercentPane), "100%");
    progress.ResetProgress();
    EXPECT_EQ(PaneText(CMainFrame::kPercentPane), "");

    // A hidden status bar still takes the figures.
    Command(ID_VIEW_STATUS_BAR);
    EXPECT_FALSE(statusBar->IsShown());
    progress.SetProgressSize("10");
    progress.ShowProgress(4096u);
    EXPECT_EQ(PaneText(CMainFrame::kPercentPane), "40%");
    Command(ID_VIEW_STATUS_BAR);
    EXPECT_TRUE(statusBar->IsShown());

    // Written from a worker: it lands on the UI thread.
    std::thread worker([this] { View()->SetStatusText("from the worker"); });
    worker.join();
    PumpPending();
    EXPECT_EQ(PaneText(CMainFrame::kMessagePane), "from the worker");
}

TEST_F(CMainWindowTest, QuitDuringRunAsksAndNoKeepsTheWindow)
{
    Start(kEnglishIni);
    View()->SetRunState(1);
    wxString text;
    wxTEST_DIALOG(EXPECT_FALSE(Frame()->Close()), CExpectMessage(wxID_NO, &text));
    EXPECT_EQ(text, wxString::FromUTF8(LoadString(IDS_QUIT_CONFIRM)));
    ASSERT_NE(Frame(), nullptr);
    EXPECT_TRUE(Frame()->IsShown());
    View()->SetRunState(0);
}
