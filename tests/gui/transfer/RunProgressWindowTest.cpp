// What the window shows of a run: the overall progress in its pane and before the title, and the
// command log below the list (View > Log, remembered), with the password masked and refusals in
// red. With SKERROW_PROGRESS_SCREENSHOT set, also a picture of a run in progress for the docs.

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <sys/stat.h>

#include <wx/evtloop.h>
#include <wx/menu.h>
#include <wx/utils.h>

#include "app/CMainFrame.h"
#include "app/CommandIds.h"
#include "app/CSkerrowApp.h"
#include "app/StringIds.h"
#include "gui/transfer/CRunWindowTest.h"
#include "support/CScopedEnv.h"
#include "log/CCommandLog.h"
#include "transfer/CLogPane.h"
#include "transfer/CSkerrowView.h"

using namespace skerrow;
using skerrow::test::FtpServerKind;

namespace {

class RunProgressWindowTest : public CRunWindowTest {
protected:
    // The log file goes to a state directory of the test's own.
    void SetUp() override
    {
        CRunWindowTest::SetUp();
        m_env.Set("XDG_STATE_HOME", m_state.Str());
    }
    std::filesystem::path LogFile() const { return m_state.Path() / "skerrow" / "skerrow.log"; }

    wxString Title() const { return Frame()->GetTitle(); }
    wxString LogText() const { return View()->LogPane()->GetValue(); }
    bool LogItemChecked() const
    {
        wxMenuItem* item = Frame()->GetMenuBar()->FindItem(WxCommandId(ID_VIEW_LOG));
        return item && item->IsChecked();
    }

    skerrow::test::CTempDir m_state;
    skerrow::test::CScopedEnv m_env; // put back when the test object goes, after TearDown
};

TEST_F(RunProgressWindowTest, ARunShowsItsProgressAndItsCommandsInTheLog)
{
    MakeSite();
    m_site.MakeFileOfSize("big.bin", 3u * 1024 * 1024);
    BackDateSite();
    if (!StartServer(FtpServerKind::Misbehaving, {"--slow-stor", "1000000", "--echo-pass"}))
        return;
    StartWindow();
    // Once connected, to a server without TLS, the title says so after the program's name.
    const wxString bareTitle = Title() + " - not encrypted";
    EXPECT_FALSE(View()->IsLogShown()); // hidden until asked for
    Command(ID_VIEW_LOG);
    EXPECT_TRUE(View()->IsLogShown());
    Frame()->UpdateWindowUI(wxUPDATE_UI_RECURSE);
    EXPECT_TRUE(LogItemChecked());
    EXPECT_EQ(ReadSetting("View", "Log"), "1");

    Command(ID_FIND_FILES_TRANSFER);
    // While the big file is under way: the figures in their pane and before the title.
    ASSERT_TRUE(PumpUntil([this] { return ServedSize("big.bin") > 0 && Title().StartsWith("["); },
                          std::chrono::seconds(20)));
    EXPECT_TRUE(Title().EndsWith("%] " + bareTitle)) << Title();
    EXPECT_NE(PaneText(CMainFrame::kOverallPane).find(" to go, "), std::string::npos)
        << PaneText(CMainFrame::kOverallPane);
    ASSERT_TRUE(AwaitWorkerEnd(std::chrono::seconds(30)));
    EXPECT_TRUE(PumpUntil([&] { return Title() == bareTitle; }, std::chrono::seconds(2)));
    EXPECT_EQ(PaneText(CMainFrame::kOverallPane), "");
    EXPECT_EQ(ServedSize("big.bin"), 3u * 1024 * 1024);

    // Every command and reply, with its time; the password never.
    EXPECT_TRUE(PumpUntil([this] { return LogText().Contains("226"); }, std::chrono::seconds(2)));
    const std::string log = LogText().utf8_string();
    EXPECT_NE(log.find("> PASS ****"), std::string::npos);
    EXPECT_NE(log.find("< 230 Logged in with password ****."), std::string::npos);
    EXPECT_NE(log.find("> STOR /site/.big.bin.skerrow-part"), std::string::npos); // then renamed
    EXPECT_NE(log.find("> RNTO /site/big.bin"), std::string::npos);
    EXPECT_EQ(log.find(m_server->Password()), std::string::npos);
    EXPECT_EQ(log.find("//"), std::string::npos);
    EXPECT_EQ(log.substr(2, 1), ":"); // "12:34:56  > USER ..."
    // The same lines in the log file, which only the user can read.
    EXPECT_EQ(test::ModeOf(LogFile()), 0600u);
    std::ifstream in(LogFile());
    const std::string file((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_NE(file.find(" > PASS ****\n"), std::string::npos);
    EXPECT_NE(file.find(" > STOR /site/.big.bin.skerrow-part\n"), std::string::npos);
    EXPECT_EQ(file.find(m_server->Password()), std::string::npos);

    // Hidden again, and remembered: a new window opens as the last one was left.
    Command(ID_VIEW_LOG);
    EXPECT_FALSE(View()->IsLogShown());
    EXPECT_EQ(ReadSetting("View", "Log"), "0");
    WriteSetting("View", "Log", "1");
    SkerrowApp().DestroyMainWindow();
    PumpPending();
    ASSERT_TRUE(SkerrowApp().CreateMainWindow());
    PumpPending();
    EXPECT_TRUE(View()->IsLogShown());
}

TEST_F(RunProgressWindowTest, LogPaneMarksRefusalsAndKeepsTheNewestLines)
{
    Start("");
    CLogPane pane(Frame(), 4);
    pane.Append({{"10:00:00", "> STOR /a.htm", false}, {"10:00:01", "< 553 Not allowed.", true}});
    const long refusal = pane.GetValue().Find("553");
    ASSERT_GT(refusal, 0);
    wxTextAttr style;
    ASSERT_TRUE(pane.GetStyle(refusal, style));
    EXPECT_EQ(style.GetTextColour(), *wxRED);
    ASSERT_TRUE(pane.GetStyle(2, style));
    EXPECT_NE(style.GetTextColour(), *wxRED);

    // Lines skipped to keep up with a run are said in a line of their own.
    pane.Append({{"10:00:02", "> NOOP 1", false}, {"10:00:03", "< 226 a\nb\x1b[2J", false}}, 1234);
    EXPECT_EQ(pane.LineCount(), 4);
    EXPECT_EQ(pane.GetValue(), "10:00:01  < 553 Not allowed.\n10:00:02  ... 1,234 lines not shown here, to keep up "
                               "with the run (the log file holds every line)\n10:00:02  > NOOP 1\n"
                               "10:00:03  < 226 a\\x0ab\\x1b[2J\n");
}

// Not a check: a picture of a run in progress with the log open, for the docs.
TEST_F(RunProgressWindowTest, RunInProgressScreenshot)
{
    const char* out = std::getenv("SKERROW_PROGRESS_SCREENSHOT");
    if (!out || !*out)
        GTEST_SKIP() << "SKERROW_PROGRESS_SCREENSHOT is not set";
    const char* language = std::getenv("SKERROW_SCREENSHOT_LANGUAGE");
    MakeSite();
    for (int i = 0; i < 12; ++i)
        m_site.MakeFileOfSize("img/photo" + std::to_string(i) + ".jpg", 400u * 1024);
    BackDateSite();
    if (!StartServer(FtpServerKind::Misbehaving, {"--slow-stor", "1500000"}))
        return;
    StartWindow(language ? std::atoi(language) : 1);
    Frame()->SetSize(0, 0, 900, 560);
    Command(ID_VIEW_LOG);
    Command(ID_FIND_FILES_TRANSFER);
    ASSERT_TRUE(PumpUntil([this] { return ServedSize("img/photo3.jpg") > 100000; }, std::chrono::seconds(30)));
    // A few ticks of the progress timer, and time for GTK to paint.
    wxGUIEventLoop loop;
    wxEventLoopActivator active(&loop);
    for (int i = 0; i < 25; ++i)
        loop.DispatchTimeout(30);
    Frame()->Raise();
    Frame()->Update();
    const wxRect rect = Frame()->GetScreenRect();
    const wxString command = wxString::Format("import -window root -crop %dx%d+%d+%d +repage %s", rect.width,
                                              rect.height, rect.x, rect.y, wxString::FromUTF8(out));
    EXPECT_EQ(wxExecute(command, wxEXEC_SYNC), 0);
    EXPECT_TRUE(AwaitWorkerEnd(std::chrono::seconds(30)));
}

} // namespace
