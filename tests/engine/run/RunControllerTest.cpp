// The run control without a window: real servers, the real workers, the real settings file; the
// window is a recording host that answers dialogs and questions as a user would.

#include <gtest/gtest.h>

#include "app/CStringTable.h"
#include "list/RowWord.h"
#include "log/CCommandLog.h"
#include "log/CLogFile.h"
#include "settings/CSettingsFile.h"
#include "support/CRunControlFixture.h"

using namespace skerrow;
using skerrow::test::CFtpServerProcess;
using skerrow::test::FtpServerKind;
using skerrow::test::RunControlTest;

TEST_F(RunControlTest, FindFilesAndTransferUploadsTheSiteAndRecordsWhenTheListWasTaken)
{
    StartServer(FtpServerKind::Pyftpdlib);
    const std::string before = FormatLastRun(CDateTime::Now());
    Controller().OnFindFilesTransfer();
    EXPECT_EQ(m_host.connectDialogs.load(), 0); // the site is configured: no dialog
    ASSERT_TRUE(m_host.PumpUntilIdle());

    EXPECT_EQ(m_served.ReadFile("site/index.html"), "<html>home</html>\n");
    EXPECT_EQ(m_served.ReadFile("site/img/logo.gif"), std::string(3000, 'g'));
    EXPECT_EQ(m_served.ReadFile("site/about/team/people.htm"), "people\n");
    EXPECT_FALSE(std::filesystem::exists(m_served.Path() / "site/_drafts"));
    EXPECT_EQ(Controller().RunState(), 0);
    EXPECT_EQ(m_host.Running(), (std::vector<bool>{true, false}));
    // The last-upload date is the start of the find, to the minute.
    const std::string lastRun = LastRun();
    EXPECT_GE(lastRun, before);
    EXPECT_LE(lastRun, FormatLastRun(CDateTime::Now()));
    EXPECT_TRUE(m_sink.Messages().empty());

    // Nothing changed since: the find says so, the worker still runs over the empty list.
    Controller().OnFindFilesTransfer();
    ASSERT_TRUE(m_host.PumpUntilIdle());
    ASSERT_EQ(m_sink.Messages().size(), 1u);
    EXPECT_EQ(m_sink.Messages()[0], LoadString(61205));
    EXPECT_EQ(m_list.Count(), 0u);
    EXPECT_EQ(Controller().RunState(), 0);
    EXPECT_EQ(m_host.Running().size(), 4u);
}

TEST_F(RunControlTest, AFailedRowIsCountedKeptAndSentAgainByTransferDelete)
{
    StartServer(FtpServerKind::Pyftpdlib, {"--refuse", "logo.gif"});
    Controller().OnFindFilesTransfer();
    ASSERT_TRUE(m_host.PumpUntilIdle());
    ASSERT_EQ(m_sink.Messages().size(), 1u);
    EXPECT_EQ(m_sink.Messages()[0], "Transmission failure, 1 errors have been found.");
    EXPECT_EQ(Controller().RunState(), 1);
    ASSERT_EQ(m_list.CountInState(kRowFailed), 1u);
    std::string failedName;
    for (const CTransferRow& row : m_list.Snapshot()) {
        if (RowStateOf(row.word) == kRowFailed) {
            failedName = row.name;
            EXPECT_NE(row.error.find("error code: 12003"), std::string::npos) << row.error;
        }
    }
    EXPECT_EQ(failedName, "/img/logo.gif");

    // The server now takes the file (a new server on the same tree); only that row goes again.
    Controller().OnShutdownConnection();
    std::filesystem::remove(m_served.Path() / "site/index.html");
    m_server = std::make_unique<CFtpServerProcess>(FtpServerKind::Pyftpdlib, m_served.Str());
    ASSERT_TRUE(m_server->Started());
    WriteSettings();
    Controller().OnTransferDelete();
    ASSERT_TRUE(m_host.PumpUntilIdle());
    EXPECT_EQ(m_served.ReadFile("site/img/logo.gif"), std::string(3000, 'g'));
    EXPECT_FALSE(std::filesystem::exists(m_served.Path() / "site/index.html")); // Done rows are not sent again
    EXPECT_EQ(Controller().RunState(), 0);
    EXPECT_EQ(m_list.CountInState(kRowDone), m_list.Count());
}

TEST_F(RunControlTest, TreeDeleteRefusedKeepsTheListForALaterDeletionWithoutAWalk)
{
    m_served.WriteFile("site/old/a.htm", "a");
    m_served.WriteFile("site/old/deep/b.gif", "b");
    m_served.MakeDir("site/old/empty");
    StartServer(FtpServerKind::Pyftpdlib);
    WriteSetting("Configure", "FTPDirTreeDel", "site/old");

    m_sink.SetAnswer(false);
    Controller().OnTreeDelete();
    ASSERT_TRUE(m_host.PumpUntilIdle());
    EXPECT_EQ(Controller().RunState(), 2);
    EXPECT_EQ(m_sink.GetStatusText(), "Tree Deletion Finished");
    ASSERT_EQ(m_list.Count(), 4u); // a.htm, deep/b.gif, deep/, empty/: the start never
    for (const CTransferRow& row : m_list.Snapshot())
        EXPECT_EQ(row.word, 0x30) << row.name;

    Controller().OnTransferDelete();
    EXPECT_EQ(Controller().RunState(), 3);
    EXPECT_FALSE(Controller().IsRunActive());

    // A file that appears now is not listed: the next Tree Delete deletes what was listed.
    m_served.WriteFile("site/old/late.txt", "late");
    m_sink.SetAnswer(true);
    Controller().OnTreeDelete();
    ASSERT_TRUE(m_host.PumpUntilIdle());
    EXPECT_EQ(m_list.Count(), 4u);
    EXPECT_EQ(m_list.CountInState(kRowDone), 4u);
    EXPECT_EQ(Controller().RunState(), 0);
    EXPECT_TRUE(std::filesystem::exists(m_served.Path() / "site/old/late.txt"));
    EXPECT_FALSE(std::filesystem::exists(m_served.Path() / "site/old/deep"));
    EXPECT_TRUE(std::filesystem::exists(m_served.Path() / "site"));
}

TEST_F(RunControlTest, StopEndsTheUploadAtOnceLeavesTheRestPendingAndTheNextFindListsThem)
{
    StartServer(FtpServerKind::Misbehaving, {"--slow-stor", "20000"});
    WriteSetting("Advanced", "Connections", "1"); // one file in flight: the stopped one
    m_local.MakeFileOfSize("big.bin", 50u * 1024 * 1024);
    Controller().OnFindFilesTransfer();
    ASSERT_TRUE(Controller().IsRunActive());
    // Wait until the upload of big.bin is under way (a large file goes under a temporary name).
    const auto served = m_served.Path() / "site/.big.bin.skerrow-part";
    ASSERT_TRUE(m_host.PumpUntil(
        [&served] {
            std::error_code ec;
            return std::filesystem::file_size(served, ec) > 0 && !ec;
        },
        std::chrono::seconds(20)));
    Controller().StopActivity();
    EXPECT_EQ(m_sink.GetStatusText(), "Closing FTP Connection");
    EXPECT_EQ(m_host.TimerMs(), 1000);
    EXPECT_FALSE(Controller().IsConnected());
    Controller().StopActivity(); // a second Stop before the end does nothing
    EXPECT_EQ(m_host.TimerMs(), 1000);

    // The aborted call returns at once: the Stop completes without waiting for the timer.
    ASSERT_TRUE(m_host.PumpUntilIdle(std::chrono::milliseconds(900)));
    EXPECT_EQ(m_sink.GetStatusText(), "Transfer Stopped");
    EXPECT_EQ(m_host.TimerMs(), -1);
    EXPECT_FALSE(m_host.Running().back());
    EXPECT_FALSE(Controller().IsStopping());
    EXPECT_EQ(Controller().RunState(), 1); // rows are left: closing the window asks

    // The stopped file is Pending again with no error (no failure was counted), and the rows after
    // it were never tried: Pending too, and not on the server.
    size_t pending = 0;
    EXPECT_EQ(m_sink.Messages().size(), 0u); // no "Transmission failure" box
    for (const CTransferRow& row : m_list.Snapshot()) {
        if (row.name == "big.bin") {
            EXPECT_EQ(RowStateOf(row.word), kRowPending);
            EXPECT_EQ(row.error, "");
        } else if (RowStateOf(row.word) == kRowPending) {
            ++pending;
            const std::string relative = row.name[0] == '/' ? row.name.substr(1) : row.name;
            EXPECT_FALSE(std::filesystem::exists(m_served.Path() / "site" / relative)) << row.name;
        }
    }
    EXPECT_EQ(pending + m_list.CountInState(kRowDone) + 1, m_list.Count());
    // Every row not sent is found again by the next find.
    Controller().OnFindFiles();
    EXPECT_EQ(m_list.CountInState(kRowPending), m_list.Count());
    EXPECT_GE(m_list.Count(), pending + 1);
}

TEST_F(RunControlTest, WithoutASiteTheConnectDialogComesFirstAndCancelEndsTheRun)
{
    m_host.connectAnswer = false;
    Controller().CheckAutomaticRun("skerrow /A");
    EXPECT_EQ(m_host.connectDialogs.load(), 1);
    EXPECT_EQ(Controller().RunState(), 0);
    EXPECT_FALSE(Controller().IsRunActive());
    Controller().CheckAutomaticRun("skerrow --settings=x");
    EXPECT_EQ(m_host.connectDialogs.load(), 1);
}

// What stops a run before or at its connection says what to do: a missing PC folder is named before
// any connection (not "no files have been found"), a server that cannot be reached is named with its
// port, and a refused login points at the user name and password. The log shows each attempt.
TEST_F(RunControlTest, WhatStopsARunAtItsStartNamesTheCause)
{
    StartServer(FtpServerKind::Pyftpdlib);
    auto log = std::make_shared<CCommandLog>();
    Controller().SetCommandLog(log);
    const std::string port = std::to_string(m_server->Port());
    const struct {
        const char* section;
        const char* key;
        std::string value;
        std::vector<std::string> said;
        bool connects;
    } cases[] = {
        {"Configure", "PCDir", m_local.Str() + "/gone", {"The PC folder \"" + m_local.Str() + "/gone\" does not exist"}, false},
        {"Advanced", "Port", "1", {"Connecting to 127.0.0.1:1 failed.", "could not be established"}, true},
        {"Configure", "User", "nobody", {"Connecting to 127.0.0.1:" + port + " failed.", "530 ",
                                         "Check the user name and the password"}, true},
    };
    for (const auto& c : cases) {
        WriteSettings();
        WriteSetting(c.section, c.key, c.value);
        Controller().OnFindFilesTransfer();
        ASSERT_TRUE(m_host.PumpUntilIdle());
        ASSERT_FALSE(m_sink.Messages().empty()) << c.key;
        for (const std::string& text : c.said)
            EXPECT_NE(m_sink.Messages().back().find(text), std::string::npos) << m_sink.Messages().back();
        bool attempted = false;
        for (const CLogLine& line : log->Drain(1000))
            attempted = attempted || line.text.find("* Connecting to 127.0.0.1:") != std::string::npos;
        EXPECT_EQ(attempted, c.connects) << c.key;
        EXPECT_EQ(m_list.Count(), 0u) << c.key;
    }
}

// The connection kept after a run serves the next one only while the settings still name what it
// was opened with: a port changed in between (as in the Advanced dialog) takes the next run to the
// server on that port, with no restart and no Shutdown Connection.
TEST_F(RunControlTest, APortChangedBetweenTwoRunsTakesTheSecondToTheNewServer)
{
    StartServer(FtpServerKind::Pyftpdlib);
    WriteSetting("Configure", "UploadAllFiles", "1");
    WriteSetting("Advanced", "Connections", "1"); // every file over the kept connection, were it reused
    Controller().OnFindFilesTransfer();
    ASSERT_TRUE(m_host.PumpUntilIdle());
    ASSERT_TRUE(Controller().IsConnected());
    ASSERT_TRUE(Served("site/index.html"));
    std::filesystem::remove_all(m_served.Path() / "site");
    m_served.MakeDir("site");

    test::CTempDir otherRoot;
    otherRoot.MakeDir("site");
    CFtpServerProcess other(FtpServerKind::Pyftpdlib, otherRoot.Str());
    ASSERT_TRUE(other.Started()) << other.Error();
    WriteSetting("Advanced", "Port", std::to_string(other.Port()));
    Controller().OnFindFilesTransfer();
    ASSERT_TRUE(m_host.PumpUntilIdle());

    EXPECT_EQ(otherRoot.ReadFile("site/index.html"), "<html>home</html>\n");
    EXPECT_EQ(otherRoot.ReadFile("site/about/team/people.htm"), "people\n");
    EXPECT_FALSE(Served("site/index.html"));
    EXPECT_EQ(m_list.CountInState(kRowDone), m_list.Count());
}
