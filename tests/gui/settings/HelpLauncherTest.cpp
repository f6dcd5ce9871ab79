#include <wx/app.h>
#include <wx/html/helpctrl.h>
#include <wx/html/helpfrm.h>
#include <wx/html/helpwnd.h>
#include <wx/html/htmlwin.h>
#include <wx/splitter.h>
#include <wx/uiaction.h>

#include <functional>
#include <memory>

#include "settings/CAdvancedDlg.h"
#include "settings/CConnectDlg.h"
#include "settings/CHelpFrame.h"
#include "settings/CHelpLauncher.h"
#include "settings/CPCDirDlg.h"
#include "settings/CTreeDeleteDlg.h"
#include "SettingsDialogTest.h"
#include "gui/app/CMainWindowTest.h"

namespace skerrow::test {
namespace {

class HelpLauncherTest : public CSettingsDialogTest {
protected:
    void TearDown() override
    {
        CHelpLauncher::SetBookPath("");
        CSettingsDialogTest::TearDown();
    }
};

TEST_F(HelpLauncherTest, OpensTheTopicOfTheBookWithTheContentsCollapsed)
{
    CHelpLauncher::SetBookPath(SKERROW_BIN_DIR "/skerrow.htb");
    EXPECT_NO_DIALOG(ShowHelpTopic(nullptr, "configure/index.html"));
    wxHtmlHelpController* viewer = CHelpLauncher::Controller();
    ASSERT_NE(viewer, nullptr);
    ASSERT_NE(viewer->GetFrame(), nullptr);
    EXPECT_TRUE(viewer->GetFrame()->IsShown());
    wxHtmlHelpWindow* window = viewer->GetHelpWindow();
    ASSERT_NE(window, nullptr);
    EXPECT_TRUE(window->GetHtmlWindow()->GetOpenedPage().EndsWith("configure/index.html"))
        << window->GetHtmlWindow()->GetOpenedPage();
    EXPECT_FALSE(window->GetSplitterWindow()->IsSplit());

    // The same viewer shows the start page next.
    EXPECT_NO_DIALOG(CHelpLauncher().Show(nullptr));
    EXPECT_EQ(CHelpLauncher::Controller(), viewer);
    EXPECT_TRUE(window->GetHtmlWindow()->GetOpenedPage().EndsWith("index.html"));
    EXPECT_FALSE(window->GetHtmlWindow()->GetOpenedPage().Contains("configure"));
}

TEST_F(HelpLauncherTest, TopicTheBookLacksIsReported)
{
    const wxString book = SKERROW_BIN_DIR "/skerrow.htb";
    CHelpLauncher::SetBookPath(book);
    CExpectMessage expected("The help file has no such topic.\n" + book, wxICON_ERROR);
    expected.m_caption = "Help Error";
    wxTEST_DIALOG(ShowHelpTopic(nullptr, "no-such-page.html"), expected);
}

TEST_F(HelpLauncherTest, MissingBookIsReportedWithItsFullPath)
{
    const wxString book = wxString::FromUTF8(m_dir.Str() + "/gone.htb");
    CHelpLauncher::SetBookPath(book);
    CExpectMessage expected("The help file was not found.\n" + book, wxICON_ERROR);
    expected.m_caption = "Help Error";
    // No viewer is made for it (one opened by an earlier test lives on: it is kept for good).
    wxHtmlHelpController* const before = CHelpLauncher::Controller();
    wxTEST_DIALOG(ShowHelpTopic(nullptr, "index.html"), expected);
    EXPECT_EQ(CHelpLauncher::Controller(), before);

    // A file that is not a help book.
    m_dir.WriteFile("broken.htb", "not a zip");
    const wxString broken = wxString::FromUTF8(m_dir.Str() + "/broken.htb");
    CHelpLauncher::SetBookPath(broken);
    CExpectMessage unreadable("The help file could not be read.\n" + broken, wxICON_ERROR);
    wxTEST_DIALOG(ShowHelpTopic(nullptr, "index.html"), unreadable);
}

// F1 in each dialog with a Help button opens the help, pressed through the X server; the help
// opens at a normal size, not over the whole screen.
TEST_F(HelpLauncherTest, F1OnTheKeyboardOpensTheHelpFromEveryDialog)
{
    CHelpLauncher::SetBookPath(SKERROW_BIN_DIR "/skerrow.htb");
    const std::vector<std::function<wxDialog*()>> dialogs = {
        [] { return new CConnectDlg(nullptr); }, [] { return new CAdvancedDlg(nullptr); },
        [] { return new CPCDirDlg(nullptr); }, [] { return new CTreeDeleteDlg(nullptr); }};
    for (size_t i = 0; i < dialogs.size(); ++i) {
        std::unique_ptr<wxDialog> dialog(dialogs[i]());
        bool opened = false;
        wxSize helpSize;
        wxTheApp->CallAfter([&] {
            wxUIActionSimulator user;
            PumpUntil([&] { return dialog->IsActive(); });
            user.Char(WXK_F1);
            auto helpShown = [] { return CHelpLauncher::Controller() && CHelpLauncher::Controller()->GetFrame() &&
                                         CHelpLauncher::Controller()->GetFrame()->IsShown(); };
            opened = PumpUntil(helpShown, std::chrono::seconds(10));
            if (opened) {
                helpSize = CHelpLauncher::Controller()->GetFrame()->GetSize();
                EXPECT_FALSE(CHelpLauncher::Controller()->GetFrame()->IsMaximized());
                CHelpLauncher::Controller()->GetFrame()->Close();
                PumpPending();
            }
            dialog->EndModal(wxID_CANCEL);
        });
        dialog->ShowModal();
        EXPECT_TRUE(opened) << "dialog " << i;
        EXPECT_LE(helpSize.x, wxGetClientDisplayRect().width / 2 + 1) << "dialog " << i;
    }
}

} // namespace
} // namespace skerrow::test

// The book of the interface's language when it is there, else the English one.
TEST(HelpBookTest, BookFollowsTheInterfaceLanguage)
{
    struct Case {
        const char* language;
        const char* book;
    };
    const Case cases[] = {{"en", "skerrow.htb"}, {"", "skerrow.htb"}, {"fr", "skerrow_fr.htb"},
                          {"de", "skerrow_de.htb"}, {"it", "skerrow.htb"}};
    CHelpLauncher::SetBookPath("");
    for (const Case& c : cases) {
        CHelpLauncher::SetLanguage(c.language);
        EXPECT_TRUE(CHelpLauncher::BookPath().EndsWith(wxString("/") + c.book)) << c.language;
    }
    CHelpLauncher::SetLanguage("");
}

namespace skerrow::test {
namespace {

wxHtmlWindow* HelpPage()
{
    wxHtmlHelpController* viewer = CHelpLauncher::Controller();
    return viewer && viewer->GetHelpWindow() ? viewer->GetHelpWindow()->GetHtmlWindow() : nullptr;
}

TEST_F(HelpLauncherTest, KeysScrollThePageAndEscapeOrCtrlWClose)
{
    CHelpLauncher::SetBookPath(SKERROW_BIN_DIR "/skerrow.htb");
    wxHtmlHelpFrame* frame = nullptr;
    for (const bool escape : {true, false}) {
        EXPECT_NO_DIALOG(ShowHelpTopic(nullptr, "index.html"));
        frame = CHelpLauncher::Controller()->GetFrame();
        ASSERT_NE(frame, nullptr);
        frame->SetSize(wxSize(500, 300)); // the page is longer than the window
        PumpUntil([] { return HelpPage() && HelpPage()->GetVirtualSize().y > HelpPage()->GetClientSize().y; });
        auto* help = dynamic_cast<CHelpFrame*>(frame);
        ASSERT_NE(help, nullptr);

        const int top = HelpPage()->GetViewStart().y;
        for (int key : {WXK_PAGEDOWN, WXK_DOWN, WXK_END}) {
            const int before = HelpPage()->GetViewStart().y;
            wxKeyEvent press(wxEVT_CHAR_HOOK);
            press.m_keyCode = key;
            help->GetEventHandler()->ProcessEvent(press);
            EXPECT_GT(HelpPage()->GetViewStart().y, before) << "key " << key;
        }
        wxKeyEvent home(wxEVT_CHAR_HOOK);
        home.m_keyCode = WXK_HOME;
        help->GetEventHandler()->ProcessEvent(home);
        EXPECT_EQ(HelpPage()->GetViewStart().y, top);

        wxKeyEvent close(wxEVT_CHAR_HOOK);
        close.m_keyCode = escape ? static_cast<int>(WXK_ESCAPE) : 'W';
        close.SetControlDown(!escape);
        help->GetEventHandler()->ProcessEvent(close);
        PumpPending();
        EXPECT_EQ(CHelpLauncher::Controller()->GetFrame(), nullptr) << (escape ? "Escape" : "Ctrl+W");
    }
}

TEST_F(HelpLauncherTest, OpenedFromAModalDialogItLeavesTheDialogWorking)
{
    CHelpLauncher::SetBookPath(SKERROW_BIN_DIR "/skerrow.htb");
    wxDialog dialog(nullptr, wxID_ANY, "Connect");
    bool helpReturned = false;
    bool dialogAnswered = false;
    wxTheApp->CallAfter([&] {
        // Runs while the help is open: if opening the help is still under way, it holds the
        // program in a loop of its own until the help closes.
        wxTheApp->CallAfter([&] {
            dialogAnswered = dialog.IsModal();
            if (!helpReturned && CHelpLauncher::Controller() && CHelpLauncher::Controller()->GetFrame())
                CHelpLauncher::Controller()->GetFrame()->Close();
        });
        ShowHelpTopic(&dialog, "configure/index.html");
        helpReturned = true;
        PumpUntil([&] { return dialogAnswered; });
        dialog.EndModal(wxID_CANCEL);
    });
    dialog.ShowModal();
    EXPECT_TRUE(helpReturned);
    EXPECT_TRUE(dialogAnswered);
    ASSERT_NE(CHelpLauncher::Controller(), nullptr);
    ASSERT_NE(CHelpLauncher::Controller()->GetFrame(), nullptr) << "the help closed with the dialog";
    EXPECT_TRUE(CHelpLauncher::Controller()->GetFrame()->IsShown());
    EXPECT_EQ(CHelpLauncher::Controller()->GetFrame()->GetParent(), nullptr) << "the help belongs to the dialog";
}

} // namespace
} // namespace skerrow::test
