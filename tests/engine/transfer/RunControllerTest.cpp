// The run control without a window: real servers, the real workers, the real settings file; the
// window is a recording host that answers dialogs and questions as a user would.

#include <gtest/gtest.h>

#include <atomic>
#include <condition_variable>
#include <filesystem>
#include <mutex>

#include "app/CStringTable.h"
#include "settings/CPasswordCodec.h"
#include "settings/CSettingsFile.h"
#include "settings/CViewSettings.h"
#include "support/CFtpRecordingSink.h"
#include "support/CFtpServerProcess.h"
#include "support/CTempDir.h"
#include "transfer/CProgressMeter.h"
#include "transfer/CRunController.h"
#include "transfer/CTransferList.h"
#include "transfer/IRunHost.h"
#include "transfer/RowWord.h"

using namespace skerrow;
using skerrow::test::CFtpServerProcess;
using skerrow::test::CTempDir;
using skerrow::test::FtpServerKind;

namespace {

class CRecordingHost : public IRunHost {
public:
    void SetRunning(bool running) override
    {
        std::lock_guard lock(m_mutex);
        m_running.push_back(running);
    }
    bool ShowConnectDialog(bool deleting) override
    {
        ++connectDialogs;
        lastConnectDeleting = deleting;
        return connectAnswer;
    }
    bool ShowPcDirDialog() override { return true; }
    bool ShowTreeDeleteDialog() override { return true; }
    void ApplyLanguage() override {}
    void StartStopTimer(int milliseconds) override { timerMs = milliseconds; }
    void KillStopTimer() override { timerMs = -1; }

    std::vector<bool> Running() const
    {
        std::lock_guard lock(m_mutex);
        return m_running;
    }

    std::atomic<int> connectDialogs{0};
    bool lastConnectDeleting = false;
    bool connectAnswer = true;
    int timerMs = -1;

private:
    mutable std::mutex m_mutex;
    std::vector<bool> m_running;
};

// Answers questions as the test says.
class CAnsweringSink : public test::CFtpRecordingSink {
public:
    bool AskYesNo(const std::string& text, PromptIcon icon) override
    {
        ShowMessage(text, icon);
        return m_answer.load();
    }
    void SetAnswer(bool answer) { m_answer.store(answer); }

private:
    std::atomic<bool> m_answer{true};
};

// A local site, a served directory, a settings file naming both, and the run control over them.
class RunControlTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        CSettingsFile::SetOverridePath((m_settingsDir.Path() / "skerrow.ini").string());
        m_local.WriteFile("index.html", "<html>home</html>\n");
        m_local.WriteFile("img/logo.gif", std::string(3000, 'g'));
        m_local.WriteFile("about/team/people.htm", "people\n");
        m_local.WriteFile("_drafts/secret.html", "not for the server\n");
        // Written an hour ago, so a find a minute from now lists none of them.
        const auto hourAgo = std::filesystem::file_time_type::clock::now() - std::chrono::hours(1);
        for (const auto& entry : std::filesystem::recursive_directory_iterator(m_local.Path()))
            std::filesystem::last_write_time(entry.path(), hourAgo);
        m_served.MakeDir("site");
    }
    void TearDown() override
    {
        m_controller.reset();
        CSettingsFile::SetOverridePath("");
    }

    void StartServer(FtpServerKind kind, const std::vector<std::string>& args = {})
    {
        m_server = std::make_unique<CFtpServerProcess>(kind, m_served.Str(), args);
        if (!m_server->Started())
            GTEST_SKIP() << m_server->Error();
        WriteSettings();
    }

    void WriteSettings()
    {
        CSettingsFile file;
        file.GetPath(".ini");
        std::string password = m_server->Password();
        CPasswordCodec().Encode(password);
        file.WriteString("Configure", "FTPURL", "127.0.0.1");
        file.WriteUInt("Advanced", "Port", static_cast<unsigned>(m_server->Port()));
        file.WriteString("Configure", "User", m_server->User());
        file.WriteString("Configure", "PWD", password);
        file.WriteString("Configure", "PCDir", m_local.Str());
        file.WriteString("Configure", "FTPStartDir", "site");
        file.WriteUInt("Advanced", "PASV", 1);
        file.WriteUInt("Advanced", "StopTimeout", 1);
    }

    CRunController& Controller()
    {
        if (!m_controller) {
            m_controller = std::make_unique<CRunController>(m_list, m_settings, m_sink, m_sink, m_progress, m_host);
            m_controller->SetConnectionTimeouts(5, 5);
        }
        return *m_controller;
    }

    std::string LastRun()
    {
        CSettingsFile file;
        file.GetPath(".ini");
        return file.ReadString("Data", "LastRun", "absent");
    }

    CTempDir m_settingsDir, m_local, m_served;
    std::unique_ptr<CFtpServerProcess> m_server;
    CTransferList m_list;
    CViewSettings m_settings;
    CAnsweringSink m_sink;
    CProgressMeter m_progress{m_sink};
    CRecordingHost m_host;
    std::unique_ptr<CRunController> m_controller;
};

} // namespace

TEST_F(RunControlTest, FindFilesAndTransferUploadsTheSiteAndRecordsWhenTheListWasTaken)
{
    StartServer(FtpServerKind::Pyftpdlib);
    const std::string before = FormatLastRun(CDateTime::Now());
    Controller().OnFindFilesTransfer();
    EXPECT_EQ(m_host.connectDialogs.load(), 0); // the site is configured: no dialog
    Controller().WaitForWorker();

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
    Controller().WaitForWorker();
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
    Controller().WaitForWorker();
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
    Controller().WaitForWorker();
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
    CSettingsFile file;
    file.GetPath(".ini");
    file.WriteString("Configure", "FTPDirTreeDel", "site/old");

    m_sink.SetAnswer(false);
    Controller().OnTreeDelete();
    Controller().WaitForWorker();
    EXPECT_EQ(Controller().RunState(), 2);
    EXPECT_EQ(m_sink.GetStatusText(), "Tree Deletion Finished");
    ASSERT_EQ(m_list.Count(), 4u); // a.htm, deep/b.gif, deep/, empty/: the start never
    for (const CTransferRow& row : m_list.Snapshot())
        EXPECT_EQ(row.word, 0x30) << row.name;

    Controller().OnTransferDelete();
    EXPECT_EQ(Controller().RunState(), 3);
    EXPECT_FALSE(Controller().HasWorker());

    // A file that appears now is not listed: the next Tree Delete deletes what was listed.
    m_served.WriteFile("site/old/late.txt", "late");
    m_sink.SetAnswer(true);
    Controller().OnTreeDelete();
    Controller().WaitForWorker();
    EXPECT_EQ(m_list.Count(), 4u);
    EXPECT_EQ(m_list.CountInState(kRowDone), 4u);
    EXPECT_EQ(Controller().RunState(), 0);
    EXPECT_TRUE(std::filesystem::exists(m_served.Path() / "site/old/late.txt"));
    EXPECT_FALSE(std::filesystem::exists(m_served.Path() / "site/old/deep"));
    EXPECT_TRUE(std::filesystem::exists(m_served.Path() / "site"));
}

TEST_F(RunControlTest, StopAbortsALongUploadAndTheStopTimerEnablesTheCommands)
{
    StartServer(FtpServerKind::Misbehaving, {"--slow-stor", "20000"});
    m_local.MakeFileOfSize("big.bin", 50u * 1024 * 1024);
    Controller().OnFindFilesTransfer();
    ASSERT_TRUE(Controller().HasWorker());
    // Wait until the upload is under way.
    for (int i = 0; i < 500 && m_sink.Percents().empty(); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    Controller().StopActivity();
    EXPECT_EQ(m_sink.GetStatusText(), "Closing FTP Connection");
    EXPECT_EQ(m_host.timerMs, 1000);
    EXPECT_FALSE(Controller().IsConnected());
    Controller().StopActivity(); // a second Stop before the timer does nothing
    EXPECT_EQ(m_host.timerMs, 1000);

    Controller().OnStopTimer();
    EXPECT_EQ(m_sink.GetStatusText(), "Transfer Stopped");
    EXPECT_EQ(m_host.timerMs, -1);
    EXPECT_FALSE(m_host.Running().empty());
    EXPECT_FALSE(m_host.Running().back());
    EXPECT_FALSE(Controller().IsStopping());
    m_controller.reset(); // waits for every thread it started: none was killed
    EXPECT_NE(m_list.CountInState(kRowDone), m_list.Count());
}

TEST_F(RunControlTest, WithoutASiteTheConnectDialogComesFirstAndCancelEndsTheRun)
{
    m_host.connectAnswer = false;
    Controller().CheckAutomaticRun("skerrow /A");
    EXPECT_EQ(m_host.connectDialogs.load(), 1);
    EXPECT_EQ(Controller().RunState(), 0);
    EXPECT_FALSE(Controller().HasWorker());
    Controller().CheckAutomaticRun("skerrow --settings=x");
    EXPECT_EQ(m_host.connectDialogs.load(), 1);
}
