#include <wx/html/helpctrl.h>
#include <wx/html/helpfrm.h>
#include <wx/html/helpwnd.h>
#include <wx/html/htmlwin.h>
#include <wx/splitter.h>

#include "settings/CHelpLauncher.h"
#include "SettingsDialogTest.h"

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
    wxTEST_DIALOG(ShowHelpTopic(nullptr, "index.html"), expected);
    EXPECT_EQ(CHelpLauncher::Controller(), nullptr);

    // A file that is not a help book.
    m_dir.WriteFile("broken.htb", "not a zip");
    const wxString broken = wxString::FromUTF8(m_dir.Str() + "/broken.htb");
    CHelpLauncher::SetBookPath(broken);
    CExpectMessage unreadable("The help file could not be read.\n" + broken, wxICON_ERROR);
    wxTEST_DIALOG(ShowHelpTopic(nullptr, "index.html"), unreadable);
}

} // namespace
} // namespace skerrow::test
