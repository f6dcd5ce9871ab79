// Pictures of every dialog, a message box, the error details box and the help window, in the
// language SKERROW_SHOT_LANGUAGE names (1 English, 2 French, 3 German), for the documentation and
// for checking that the texts fit. Runs only when SKERROW_DESKTOP_SHOTS names the folder to put
// them in (scripts/desktop-screenshots.sh sets both); needs ImageMagick's import.

#include <cstdlib>

#include <wx/app.h>
#include <wx/html/helpctrl.h>
#include <wx/html/helpfrm.h>
#include <wx/msgdlg.h>
#include <wx/utils.h>

#include "app/CAboutDlg.h"
#include "app/CNumberText.h"
#include "app/CMainFrame.h"
#include "app/CModalDialogTracker.h"
#include "app/CStringTable.h"
#include "app/StringIds.h"
#include "gui/CScreenshot.h"
#include "gui/app/CMainWindowTest.h"
#include "transfer/CLeftoverDeletion.h"
#include "transfer/CSkerrowView.h"
#include "settings/CAdvancedDlg.h"
#include "settings/CConnectDlg.h"
#include "settings/CHelpLauncher.h"
#include "settings/CPCDirDlg.h"
#include "settings/CTreeDeleteDlg.h"
#include "transfer/CRowDetailsDlg.h"
#include "list/RowWord.h"

using namespace skerrow;

namespace {

const char* const kSuffixes[] = {"", "en", "fr", "de"};

class DesktopScreenshotTest : public CMainWindowTest {
protected:
    void SetUp() override
    {
        const char* dir = std::getenv("SKERROW_DESKTOP_SHOTS");
        if (!dir || !*dir)
            GTEST_SKIP() << "SKERROW_DESKTOP_SHOTS is not set";
        m_outDir = dir;
        const char* language = std::getenv("SKERROW_SHOT_LANGUAGE");
        m_language = language ? std::atoi(language) : 1;
        if (m_language < 1 || m_language > 3)
            m_language = 1;
        CMainWindowTest::SetUp();
        Start("[Configure]\nFTPURL=ftp.example.org\nFTPStartDir=/public_html\nUser=webmaster\n"
              "PWD=0063006f00640065\nPCDir=/home/anna/site\nFTPDirTreeDel=/public_html/old\n"
              "[Data]\nLastRun=2005\\03\\14 09:05\n[Advanced]\nPort=21\nLanguage=" +
              std::to_string(m_language) + "\n");
    }

    void Grab(const wxRect& r, const std::string& name) { EXPECT_TRUE(GrabScreen(r, Path(name))); }
    void Capture(wxDialog& dialog, const std::string& name) { CaptureDialog(dialog, Path(name)); }
    // The window with a question of the view's open over it.
    void GrabQuestion(const std::string& question, const std::string& name)
    {
        Frame()->SetSize(wxRect(0, 0, 800, 500));
        LetPaint(*Frame());
        wxTheApp->CallAfter([this, name] {
            if (wxDialog* shown = CModalDialogTracker::Get().Topmost())
                LetPaint(*shown);
            Grab(Frame()->GetScreenRect(), name);
            CModalDialogTracker::Get().EndTopmost();
        });
        View()->AskYesNo(question, PromptIcon::Question);
    }
    std::string Path(const std::string& name) const
    {
        return m_outDir + "/" + name + "-" + kSuffixes[m_language] + ".png";
    }

    std::string m_outDir;
    int m_language = 1;
};

} // namespace

TEST_F(DesktopScreenshotTest, Dialogs)
{
    {
        CConnectDlg dialog(Frame());
        Capture(dialog, "connect-dialog");
    }
    {
        CAdvancedDlg dialog(Frame());
        Capture(dialog, "advanced-dialog");
    }
    {
        CTreeDeleteDlg dialog(Frame());
        Capture(dialog, "tree-delete-dialog");
    }
    {
        CPCDirDlg dialog(Frame());
        Capture(dialog, "pc-dir-dialog");
    }
    {
        CAboutDlg dialog(Frame());
        Capture(dialog, "about");
    }
    {
        CRowDetailsDlg dialog(Frame(), "/img/burgee.svg",
                              "error code: 12003\nMessage: An extended error was returned from the server.\n550 "
                              "Uploads of this file are not allowed.\n");
        Capture(dialog, "error-details");
    }
}

TEST_F(DesktopScreenshotTest, MessageBoxWithItsIcon)
{
    Frame()->SetSize(wxRect(0, 0, 800, 500));
    LetPaint(*Frame());
    wxMessageDialog box(Frame(), wxString::FromUTF8(FormatText(LoadString(IDS_TRANSMISSION_FAILURE).c_str(), 1)),
                        wxString::FromUTF8(LoadString(IDS_APP_TITLE)), static_cast<long>(wxYES_NO | wxNO_DEFAULT | wxICON_ERROR));
    wxTheApp->CallAfter([&] {
        if (wxDialog* shown = CModalDialogTracker::Get().Topmost())
            LetPaint(*shown);
        Grab(Frame()->GetScreenRect(), "message-box");
        CModalDialogTracker::Get().EndTopmost();
    });
    box.ShowModal();
}

// The question Transfer/Delete asks before it deletes server leftovers, as the view asks it.
TEST_F(DesktopScreenshotTest, LeftoversConfirmation)
{
    GrabQuestion(CLeftoverDeletion::QuestionText(12, 3, "/public_html"), "leftovers-confirmation");
}

// The Tree Delete question with what it deletes below it, as the view asks it.
TEST_F(DesktopScreenshotTest, TreeDeleteConfirmation)
{
    const std::string what =
        FormatText(Tr("T.TreeDeleteWhat", "%s entries below %s: %s files and %s folders").c_str(),
                   CNumberText::Grouped(2049).c_str(), "/harbour", CNumberText::Grouped(1900).c_str(), "149");
    GrabQuestion(LoadString(IDS_CONFIRM_DELETE) + "\n\n" + what, "tree-delete-confirmation");
}

// The window after a run with a failure: the failed row selected and in view, its error with the
// server's reply first, the four state icons.
TEST_F(DesktopScreenshotTest, AfterARunWithAFailure)
{
    Frame()->SetSize(wxRect(0, 0, 900, 420));
    CTransferList& list = View()->List();
    for (int i = 0; i < 30; ++i)
        list.Insert(list.Count(), kRowDone, "/pages/p" + std::to_string(i) + ".html", "3");
    list.Insert(list.Count(), kRowFailed, "/img/burgee.svg", "12",
                "error code: 12003\nMessage: An extended error was returned from the server.\n553 Could not create file.\n");
    list.Insert(list.Count(), kRowPending, "/img/chart.png", "40");
    list.Insert(list.Count(), kKindLeftover << 4, "/old/notes.html", "1");
    View()->SetRunning(false); // as a run ends
    LetPaint(*Frame());
    Grab(Frame()->GetScreenRect(), "after-a-failure");
}

TEST_F(DesktopScreenshotTest, Help)
{
    for (const char* topic : {"index.html", "configure/index.html"}) {
        ShowHelpTopic(Frame(), topic);
        wxHtmlHelpFrame* help = CHelpLauncher::Controller()->GetFrame();
        ASSERT_NE(help, nullptr);
        help->SetSize(wxRect(0, 0, 900, 700));
        LetPaint(*help);
        Grab(help->GetScreenRect(), std::string("help-") + (topic[0] == 'i' ? "start" : "settings"));
    }
}
