// The runs through the menus of the real window against real FTP servers: Find Files & Transfer,
// a refused file sent again by Transfer/Delete, nothing to send, Tree Delete refused and then
// confirmed, Stop during a long upload, and the automatic run from the command line.

#include <ctime>

#include "app/CMainFrame.h"
#include "app/CSkerrowApp.h"
#include "app/CStringTable.h"
#include "app/CommandIds.h"
#include "app/StringIds.h"
#include "gui/transfer/CRunWindowTest.h"
#include "settings/CConnectDlg.h"
#include "settings/CDateTime.h"
#include "settings/CTreeDeleteDlg.h"
#include "transfer/CSkerrowView.h"
#include "transfer/CTransferListCtrl.h"
#include "list/RowWord.h"

using namespace skerrow;
using skerrow::test::FtpServerKind;

namespace {

wxString Utf8(const std::string& text)
{
    return wxString::FromUTF8(text);
}

std::string LastRunMinutesAgo(int minutes)
{
    return FormatLastRun(CDateTime::FromUtc(std::time(nullptr) - minutes * 60));
}

class RunCommandsTest : public CRunWindowTest {};

} // namespace

TEST_F(RunCommandsTest, FindFilesAndTransferSendsTheSiteWithTheRunCommandsGreyed)
{
    MakeSite();
    if (!StartServer(FtpServerKind::Pyftpdlib))
        return;
    StartWindow();
    EXPECT_TRUE(RunCommandsEnabled());

    // The worker's end reaches the window only through the UI thread's events: right after the
    // command, before any event is pumped, the run commands show the run as under way.
    const std::string beforeFind = FormatLastRun(CDateTime::Now());
    CommandOnly(ID_FIND_FILES_TRANSFER);
    const std::string afterFind = FormatLastRun(CDateTime::Now());
    ASSERT_TRUE(View()->Run().IsRunActive());
    EXPECT_FALSE(RunCommandsEnabled());

    ASSERT_TRUE(AwaitWorkerEnd());
    EXPECT_TRUE(RunCommandsEnabled());
    EXPECT_TRUE(SameFiles(ServedSite(), LocalSite()));
    EXPECT_EQ(ServedSite().size(), 3u);
    EXPECT_FALSE(std::filesystem::exists(m_served.Path() / "site/_drafts"));
    EXPECT_EQ(View()->GetRunState(), 0);
    EXPECT_EQ(PaneText(CMainFrame::kMessagePane), LoadString(IDS_FINISHED));
    // The new last-upload date is the minute the find started.
    const std::string lastRun = ReadSetting("Data", "LastRun");
    EXPECT_GE(lastRun, beforeFind);
    EXPECT_LE(lastRun, afterFind);
    for (const char* name : {"index.html", "/img/logo.gif", "/about/team/people.htm"}) {
        const long row = RowNamed(name);
        ASSERT_GE(row, 0) << name;
        EXPECT_EQ(RowImage(row), 1) << name;
    }
}

TEST_F(RunCommandsTest, ARefusedFileStaysFailedAndTransferDeleteSendsOnlyIt)
{
    MakeSite();
    if (!StartServer(FtpServerKind::Pyftpdlib, {"--refuse", "logo.gif"}))
        return;
    StartWindow();
    CMessageShown report;
    wxTEST_DIALOG(
        {
            Command(ID_FIND_FILES_TRANSFER);
            ASSERT_TRUE(AwaitWorkerEnd());
        },
        CExpectBox(&report));
    EXPECT_EQ(report.text, "Transmission failure, 1 errors have been found.");
    EXPECT_TRUE(report.style & wxICON_INFORMATION);
    EXPECT_EQ(View()->GetRunState(), 1);

    const long logo = RowNamed("/img/logo.gif");
    ASSERT_GE(logo, 0);
    EXPECT_EQ(RowImage(logo), 2);
    EXPECT_NE(CellText(logo, kColErrors).find("not allowed"), std::string::npos) << CellText(logo, kColErrors);
    const long index = RowNamed("index.html");
    ASSERT_GE(index, 0);
    EXPECT_EQ(RowImage(index), 1);
    EXPECT_EQ(CellText(index, kColErrors), "");
    EXPECT_FALSE(std::filesystem::exists(m_served.Path() / "site/img/logo.gif"));

    // The server takes the file now (a new, slow server on the same tree, on another port). A
    // file already sent is not sent again: its copy on the server is gone and stays gone.
    // Shutdown Connection after the run has ended has nothing to stop: no Stop is left over to
    // cut the new run short.
    Command(ID_SHUTDOWN_CONNECTION);
    EXPECT_FALSE(View()->Run().IsStopping());
    std::filesystem::remove(m_served.Path() / "site/index.html");
    if (!StartServer(FtpServerKind::Misbehaving, {"--slow-stor", "1500"}))
        return;
    WriteSetting("Advanced", "Port", std::to_string(m_server->Port()));
    WriteSetting("Plain FTP Servers", ("127.0.0.1:" + std::to_string(m_server->Port())).c_str(), "1");
    Command(ID_TRANSFER_DELETE);
    ASSERT_TRUE(AwaitWorkerEnd());
    EXPECT_TRUE(ServedSite()["img/logo.gif"] == LocalSite()["img/logo.gif"]);
    EXPECT_FALSE(std::filesystem::exists(m_served.Path() / "site/index.html"));
    EXPECT_EQ(RowImage(logo), 1);
    EXPECT_EQ(CellText(logo, kColErrors), "");
    EXPECT_EQ(View()->GetRunState(), 0);
    EXPECT_TRUE(RunCommandsEnabled());
}

TEST_F(RunCommandsTest, NothingChangedSinceTheLastRunStillRecordsTheRun)
{
    MakeSite();
    if (!StartServer(FtpServerKind::Pyftpdlib))
        return;
    StartWindow();
    WriteSetting("Data", "LastRun", LastRunMinutesAgo(30));
    const std::string beforeFind = FormatLastRun(CDateTime::Now());

    // The find comes once connected (the connection is made off the UI thread); the worker runs
    // over the empty list all the same.
    CMessageShown notice;
    wxTEST_DIALOG(
        {
            Command(ID_FIND_FILES_TRANSFER);
            ASSERT_TRUE(AwaitWorkerEnd());
        },
        CExpectBox(&notice));
    EXPECT_EQ(notice.text, Utf8(LoadString(IDS_NO_FILES_FOUND)));
    EXPECT_TRUE(notice.style & wxICON_INFORMATION);
    EXPECT_EQ(ListCtrl()->GetItemCount(), 0);
    EXPECT_GE(ReadSetting("Data", "LastRun"), beforeFind);
    EXPECT_EQ(View()->GetRunState(), 0);
    EXPECT_TRUE(RunCommandsEnabled());
    EXPECT_TRUE(ServedSite().empty());
}

TEST_F(RunCommandsTest, TreeDeleteAnsweredNoKeepsTheListForTheNextTreeDelete)
{
    m_served.WriteFile("site/old/a.htm", "a");
    m_served.WriteFile("site/old/deep/b.gif", "b");
    m_served.MakeDir("site/old/empty");
    if (!StartServer(FtpServerKind::Pyftpdlib))
        return;
    StartWindow();
    WriteSetting("Configure", "FTPDirTreeDel", "site/old");

    // Not connected yet: the Connect dialog comes between the Tree Delete dialog and the walk.
    CMessageShown question;
    wxTEST_DIALOG(
        {
            Command(ID_TREE_DELETE);
            ASSERT_TRUE(AwaitWorkerEnd());
        },
        CExpectDialog<CTreeDeleteDlg>(wxID_OK), CExpectDialog<CConnectDlg>(wxID_OK), CExpectBox(&question, wxID_NO));
    // The question names what goes: how many files and folders, below which directory.
    EXPECT_EQ(question.text, Utf8(LoadString(IDS_CONFIRM_DELETE)) + "\n\n4 entries below /site/old: 2 files and 2 folders");
    EXPECT_TRUE(question.style & wxYES_NO);
    EXPECT_TRUE(question.style & wxNO_DEFAULT);
    EXPECT_TRUE(question.style & wxICON_QUESTION);
    EXPECT_EQ(View()->GetRunState(), 2);
    EXPECT_EQ(PaneText(CMainFrame::kMessagePane), "Tree Deletion Finished");
    EXPECT_TRUE(RunCommandsEnabled());
    PumpPending();
    ASSERT_EQ(ListCtrl()->GetItemCount(), 4); // a.htm, deep/b.gif, deep/, empty/
    for (long row = 0; row < 4; ++row) {
        EXPECT_EQ(RowImage(row), 3) << CellText(row, kColName);
        EXPECT_EQ(CellText(row, kColErrors), "");
    }
    EXPECT_TRUE(std::filesystem::exists(m_served.Path() / "site/old/deep/b.gif"));

    // Transfer/Delete marks the list for the next Tree Delete and starts nothing.
    Command(ID_TRANSFER_DELETE);
    EXPECT_EQ(View()->GetRunState(), 3);
    EXPECT_FALSE(View()->Run().IsRunActive());
    EXPECT_TRUE(RunCommandsEnabled());

    // The next Tree Delete asks at once about the rows it has: a file added since is not listed.
    m_served.WriteFile("site/old/late.txt", "late");
    std::vector<std::string> asked;
    wxTEST_DIALOG(
        {
            Command(ID_TREE_DELETE);
            ASSERT_TRUE(AwaitWorkerEnd());
        },
        CExpectDialog<CTreeDeleteDlg>(wxID_OK), CExpectDialogDoing<wxMessageDialog>([this, &asked](wxMessageDialog& box) {
            EXPECT_TRUE(box.GetMessage().StartsWith(Utf8(LoadString(IDS_CONFIRM_DELETE))));
            EXPECT_EQ(PaneText(CMainFrame::kMessagePane), "4 entries below /site/old: 2 files and 2 folders");
            for (const CTransferRow& row : View()->List().Snapshot())
                asked.push_back(row.name);
            return wxID_YES;
        }));
    EXPECT_EQ(asked.size(), 4u);
    for (const std::string& name : asked)
        EXPECT_EQ(name.find("late"), std::string::npos);
    EXPECT_EQ(View()->List().CountInState(kRowDone), 4u);
    EXPECT_EQ(View()->GetRunState(), 0);
    EXPECT_FALSE(std::filesystem::exists(m_served.Path() / "site/old/deep"));
    EXPECT_FALSE(std::filesystem::exists(m_served.Path() / "site/old/a.htm"));
    EXPECT_TRUE(std::filesystem::exists(m_served.Path() / "site/old/late.txt"));
}

TEST_F(RunCommandsTest, StopEndsALargeUploadAndTheStopTimerGivesTheCommandsBack)
{
    if (!SiteWithASlowBigUpload())
        return;
    StartWindow();
    WriteSetting("Advanced", "Connections", "1"); // one file in flight: the one Stop ends
    Command(ID_FIND_FILES_TRANSFER);
    // Until the big file is under way: the server has its first bytes.
    ASSERT_TRUE(PumpUntil([this] { return ServedSize(kBigPart) > 0; }, std::chrono::seconds(20)));
    EXPECT_FALSE(RunCommandsEnabled());

    CommandOnly(ID_STOP);
    EXPECT_EQ(PaneText(CMainFrame::kMessagePane), LoadString(IDS_CLOSING_CONNECTION));
    EXPECT_TRUE(View()->Run().IsStopping());
    EXPECT_FALSE(View()->Run().IsConnected());

    // A second Stop before the timer has fired does nothing: pane 0 keeps its text.
    View()->SetStatusText("second stop");
    CommandOnly(ID_STOP);
    EXPECT_EQ(PaneText(CMainFrame::kMessagePane), "second stop");

    // The stop timer (1 s) gives the commands back.
    CSkerrowView* view = View();
    EXPECT_TRUE(PumpUntil([this, view] { return RunCommandsEnabled() && !view->Run().IsStopping(); },
                          std::chrono::seconds(3)));
    ASSERT_TRUE(AwaitWorkerEnd(std::chrono::seconds(10)));
    // No "Transmission failure" box (any box fails the test): a file cut short by Stop is no failure.
    EXPECT_EQ(PaneText(CMainFrame::kMessagePane), LoadString(IDS_TRANSFER_STOPPED));
    EXPECT_TRUE(RunCommandsEnabled());
    EXPECT_NE(ReadSetting("Data", "LastRun"), "<absent>");
    EXPECT_FALSE(View()->Run().IsRunActive());
    // The file Stop cut short is Pending again, with no error.
    const long big = RowNamed("big.bin");
    ASSERT_GE(big, 0);
    EXPECT_EQ(RowImage(big), 0);
    EXPECT_EQ(CellText(big, kColErrors), "");
    EXPECT_LT(ServedSize("big.bin"), 50u * 1024 * 1024);
}

TEST_F(RunCommandsTest, TheSwitchStartsTheRunWhenTheWindowOpens)
{
    MakeSite();
    if (!StartServer(FtpServerKind::Pyftpdlib))
        return;
    for (const char* arguments : {"--verbose /a", "/A"}) {
        SCOPED_TRACE(arguments);
        std::filesystem::remove_all(m_served.Path() / "site");
        m_served.MakeDir("site");
        SkerrowApp().SetArguments(arguments);
        StartWindow(); // a settings file without a last run: every file is found
        ASSERT_TRUE(View()->Run().IsRunActive());
        ASSERT_TRUE(AwaitWorkerEnd());
        EXPECT_TRUE(SameFiles(ServedSite(), LocalSite()));
        EXPECT_EQ(View()->GetRunState(), 0);
        SkerrowApp().DestroyMainWindow();
    }
}

TEST_F(RunCommandsTest, WhileARunGoesNothingReplacesItsListOrStartsASecondRun)
{
    if (!SiteWithASlowBigUpload(200000))
        return;
    StartWindow();
    Command(ID_FIND_FILES_TRANSFER);
    ASSERT_TRUE(PumpUntil([this] { return ServedSize(kBigPart) > 0; }, std::chrono::seconds(20)));
    const std::string refused = "A run is in progress: stop it or wait until it ends.";

    // A new menu bar in the middle of the run keeps the run commands greyed.
    Command(ID_LANGUAGE_FRENCH);
    EXPECT_FALSE(RunCommandsEnabled());
    Command(ID_LANGUAGE_ENGLISH);
    EXPECT_FALSE(RunCommandsEnabled());
    // The commands themselves refuse, greyed or not: no second worker on the connection.
    const int rows = ListCtrl()->GetItemCount();
    for (int command : {ID_FIND_FILES_TRANSFER, ID_FILE_NEW, ID_TRANSFER_DELETE, ID_FIND_FILES, ID_TREE_DELETE}) {
        CommandOnly(command);
        EXPECT_EQ(PaneText(CMainFrame::kMessagePane), refused) << command;
    }
    // File > Open asks for no file, the Delete key and Re-set leave the rows as they are.
    Command(ID_FILE_OPEN); // a file dialog shown here would fail the test as unexpected
    ListCtrl()->SelectRows(0, 0, true);
    PressDeleteKey();
    CommandOnly(ID_RESET);
    EXPECT_EQ(ListCtrl()->GetItemCount(), rows);
    EXPECT_EQ(PaneText(CMainFrame::kMessagePane), refused);

    // After a Stop (no failure box: the file it cut short is no failure) the unsent rows are still
    // there: closing the window asks before they go.
    CommandOnly(ID_STOP);
    ASSERT_TRUE(AwaitWorkerEnd(std::chrono::seconds(10)));
    EXPECT_TRUE(RunCommandsEnabled());
    CMessageShown question;
    wxTEST_DIALOG(EXPECT_FALSE(Frame()->Close()), CExpectBox(&question, wxID_NO));
    EXPECT_EQ(question.text, Utf8(LoadString(IDS_QUIT_CONFIRM)));
    ASSERT_NE(View(), nullptr);
}
