// Not a check: takes a picture of the main window after a find over a sample site, for the docs.
// Runs only when SKERROW_MAIN_SCREENSHOT names the PNG to write (scripts/screenshots.sh); the
// language comes from SKERROW_SCREENSHOT_LANGUAGE (1 English, 2 French, 3 German) and the PC
// directory from SKERROW_SCREENSHOT_PCDIR.

#include <cstdlib>

#include <wx/evtloop.h>
#include <wx/utils.h>

#include "app/CAboutDlg.h"
#include "app/CMainFrame.h"
#include "app/StringIds.h"
#include "gui/CScreenshot.h"
#include "gui/app/CMainWindowTest.h"
#include "settings/CPCDirDlg.h"
#include "transfer/CSkerrowView.h"
#include "transfer/CTransferListCtrl.h"
#include "list/RowWord.h"

using namespace skerrow;

namespace {

std::string Env(const char* name, const char* fallback)
{
    const char* value = std::getenv(name);
    return value && *value ? value : fallback;
}

// Lets GTK lay out and paint the window: a picture needs the pixels, not just the state.
void LetItPaint()
{
    wxGUIEventLoop loop;
    wxEventLoopActivator active(&loop);
    for (int i = 0; i < 40; ++i)
        loop.DispatchTimeout(30);
}

} // namespace

TEST_F(CMainWindowTest, MainWindowScreenshot)
{
    const std::string out = Env("SKERROW_MAIN_SCREENSHOT", "");
    if (out.empty())
        GTEST_SKIP() << "SKERROW_MAIN_SCREENSHOT is not set";
    const std::string language = Env("SKERROW_SCREENSHOT_LANGUAGE", "1");
    const std::string pcDir = Env("SKERROW_SCREENSHOT_PCDIR", ".");
    Start("[Configure]\nPCDir=" + pcDir + "\nUploadAllFiles=1\n[Advanced]\nLanguage=" + language + "\n");
    Frame()->SetSize(0, 0, 820, 420);
    wxTEST_DIALOG(Command(ID_FIND_FILES), CExpectDialog<CPCDirDlg>(wxID_OK));
    // Show each kind of row: one sent, one refused by the server.
    CTransferList& rows = View()->List();
    if (rows.Count() >= 3) {
        rows.SetWord(0, kRowDone);
        rows.SetWord(2, kRowFailed);
        rows.SetText(2, kColErrors, "550 Permission denied");
    }
    PumpPending();
    // Two rows selected, as the Delete key would take them.
    if (rows.Count() >= 5)
        ListCtrl()->SelectRows(3, 4, true);
    PumpUntil([this] { return Frame()->IsShownOnScreen(); });
    Frame()->Raise();
    LetItPaint();
    Frame()->Update();
    LetItPaint();
    EXPECT_TRUE(GrabScreen(Frame()->GetScreenRect(), out));
}

// The About box beside it, when SKERROW_ABOUT_SCREENSHOT names the PNG.
TEST_F(CMainWindowTest, AboutBoxScreenshot)
{
    const std::string out = Env("SKERROW_ABOUT_SCREENSHOT", "");
    if (out.empty())
        GTEST_SKIP() << "SKERROW_ABOUT_SCREENSHOT is not set";
    Start("[Advanced]\nLanguage=" + Env("SKERROW_SCREENSHOT_LANGUAGE", "1") + "\n");
    CAboutDlg about(Frame());
    about.Move(0, 0);
    about.Show();
    PumpUntil([&about] { return about.IsShownOnScreen(); });
    about.Raise();
    LetItPaint();
    about.Update();
    LetItPaint();
    EXPECT_TRUE(GrabScreen(about.GetScreenRect(), out));
}
