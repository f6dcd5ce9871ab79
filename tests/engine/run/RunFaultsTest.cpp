// What users do while a run is going (a second command, Stop while a box is open, edits of the list,
// a server that stops answering, Stop during a tree walk, odd settings), against real servers: the
// run either sends a file byte for byte or keeps it listed, and never touches another run.

#include <gtest/gtest.h>

#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <fstream>
#include <set>
#include <sstream>
#include <thread>

#include "app/CStringTable.h"
#include "app/StringIds.h"
#include "ftp/CFtpConnection.h"
#include "run/CRun.h"
#include "transfer/CDeletePlan.h"
#include "transfer/CFTPTransfer.h"
#include "transfer/CStopSignal.h"
#include "transfer/CTransferContext.h"
#include "run/CTransferWorker.h"
#include "list/RowWord.h"
#include "log/CCommandLog.h"
#include "log/CLogFile.h"
#include "settings/CSettingsFile.h"
#include "support/CRunControlFixture.h"

namespace skerrow {
namespace {

using test::FtpServerKind;
using namespace std::chrono_literals;

class RunFaultsTest : public test::RunControlTest {
protected:
    // Files that take a while on a slow server: the run is still going when the test acts.
    void AddSlowFiles(int count, size_t size)
    {
        for (int i = 0; i < count; ++i)
            m_local.WriteFile("slow/f" + std::to_string(i) + ".bin", std::string(size, char('a' + i)));
    }
    bool PumpUntilServed(const std::string& relative)
    {
        const auto path = m_served.Path() / "site" / relative;
        return m_host.PumpUntil([&path] { return std::filesystem::exists(path); }, 20s);
    }
    static constexpr const char* kRunInProgress = "A run is in progress: stop it or wait until it ends.";
};

TEST_F(RunFaultsTest, ASecondRunCommandDuringARunDoesNothingButSaySo)
{
    AddSlowFiles(4, 20000);
    StartServer(FtpServerKind::Misbehaving, {"--slow-stor", "60000"});
    Controller().OnFindFilesTransfer();
    ASSERT_TRUE(PumpUntilServed("slow/f0.bin"));
    const size_t rows = m_list.Count();
    const std::vector<std::function<void()>> commands = {
        [this] { Controller().OnFindFilesTransfer(); }, [this] { Controller().OnTransferDelete(); },
        [this] { Controller().OnTreeDelete(); },        [this] { Controller().OnFindFiles(); },
        [this] { Controller().OnConnect(); },
    };
    for (size_t i = 0; i < commands.size(); ++i) {
        m_sink.SetStatusText("");
        commands[i]();
        EXPECT_EQ(m_sink.GetStatusText(), kRunInProgress) << "command " << i;
        EXPECT_TRUE(Controller().RefuseDuringRun());
    }
    EXPECT_EQ(m_host.connectDialogs.load(), 0);
    EXPECT_EQ(m_list.Count(), rows); // no find emptied the list under the pass
    ASSERT_TRUE(m_host.PumpUntilIdle());
    EXPECT_EQ(m_host.Running(), (std::vector<bool>{true, false}));
    for (const CTransferRow& row : m_list.Snapshot()) {
        EXPECT_EQ(RowStateOf(row.word), kRowDone) << row.name;
        EXPECT_TRUE(ServedMatches(row.name)) << row.name;
    }
    EXPECT_FALSE(Controller().RefuseDuringRun());
}

TEST_F(RunFaultsTest, AWorkerWaitingForTheUserIsLeftAloneByTheStopTimer)
{
    // The transfer: the failure report is open when Stop comes and stays open past the timer.
    StartServer(FtpServerKind::Pyftpdlib, {"--refuse", "logo.gif"});
    m_sink.Hold();
    Controller().OnFindFilesTransfer();
    ASSERT_TRUE(m_host.PumpUntil([this] { return m_sink.Waiting() == 1; }, 20s));
    Controller().StopActivity();
    m_host.PumpUntil([] { return false; }, 2500ms); // the 1 s stop timer has long fired
    EXPECT_TRUE(Controller().IsRunActive());
    EXPECT_EQ(Controller().RunState(), 1);
    m_sink.Answer(true);
    ASSERT_TRUE(m_host.PumpUntilIdle());
    EXPECT_EQ(Controller().RunState(), 1); // the Failed row is still there: closing asks
    EXPECT_EQ(m_list.CountInState(kRowFailed), 1u);
    EXPECT_TRUE(Controller().HasUnfinishedRows());
    EXPECT_EQ(m_sink.GetStatusText(), "Transfer Stopped");

    // The tree delete: the question is open past the timer; No leaves the list refused (state 2).
    m_served.WriteFile("site/old/a.htm", "a");
    WriteSetting("Configure", "FTPDirTreeDel", "site/old");
    m_sink.Hold();
    Controller().OnTreeDelete();
    ASSERT_TRUE(m_host.PumpUntil([this] { return m_sink.Waiting() == 1; }, 20s));
    Controller().StopActivity();
    m_host.PumpUntil([] { return false; }, 1500ms);
    EXPECT_TRUE(Controller().IsRunActive());
    m_sink.Answer(false);
    ASSERT_TRUE(m_host.PumpUntilIdle());
    EXPECT_EQ(Controller().RunState(), 2);
    EXPECT_TRUE(std::filesystem::exists(m_served.Path() / "site/old/a.htm"));
}

TEST_F(RunFaultsTest, AReleasedWorkerChangesNothingTheWindowShares)
{
    AddSlowFiles(4, 30000);
    StartServer(FtpServerKind::Misbehaving, {"--slow-stor", "60000"});
    WriteSetting("Advanced", "Connections", "1"); // one connection: the file in flight is known
    for (int i = 0; i < 4; ++i)
        m_list.Insert(m_list.Count(), kKindPcFile, "/slow/f" + std::to_string(i) + ".bin", "30");
    auto connection = std::make_shared<CFtpConnection>();
    connection->SetEncryption(FtpEncryption::Plain);
    ASSERT_TRUE(connection->Open("127.0.0.1", m_server->Port(), "u", "p", true));
    CRunSettings settings;
    settings.Load();
    std::atomic<int> runState{7};
    auto run = std::make_shared<CRun>(1);
    run->SetConnection(connection);
    CTransferWorker worker(CWorkerContext{m_list, m_sink, m_sink, runState, run, connection, settings, std::nullopt, 30, 60, {}});
    std::thread thread([&worker] { worker.Run(); });
    ASSERT_TRUE(PumpUntilServed("slow/f1.bin")); // the second file is on its way
    run->Fence().Release();
    const std::vector<CTransferRow> atRelease = m_list.Snapshot();
    const int stateAtRelease = runState.load();
    m_sink.SetStatusText("the next run's text");
    thread.join();

    const std::vector<CTransferRow> after = m_list.Snapshot();
    ASSERT_EQ(after.size(), atRelease.size());
    for (size_t i = 0; i < after.size(); ++i) {
        EXPECT_EQ(after[i].word, atRelease[i].word) << after[i].name;
        EXPECT_EQ(after[i].error, atRelease[i].error) << after[i].name;
    }
    EXPECT_EQ(RowStateOf(after[0].word), kRowDone);
    EXPECT_FALSE(std::filesystem::exists(m_served.Path() / "site/slow/f3.bin")); // it stopped sending too
    EXPECT_EQ(runState.load(), stateAtRelease);
    EXPECT_EQ(LastRun(), "absent");
    EXPECT_EQ(m_sink.GetStatusText(), "the next run's text");
    EXPECT_TRUE(m_sink.Messages().empty());
}

TEST_F(RunFaultsTest, APassMarksExactlyTheRowItSentWhateverTheListDidMeanwhile)
{
    AddSlowFiles(6, 20000);
    StartServer(FtpServerKind::Misbehaving, {"--slow-stor", "80000"});
    Controller().OnFindFilesTransfer();
    ASSERT_TRUE(PumpUntilServed("slow/f0.bin"));
    // Under the pass (as the Delete key and File > Open once could): rows go, rows come.
    m_list.Delete({0, 1});
    m_list.Insert(0, kKindPcFile, "/slow/never.bin", "1");
    m_list.Insert(m_list.Count(), kKindPcFile, "/slow/late.bin", "1");
    ASSERT_TRUE(m_host.PumpUntilIdle());
    for (const CTransferRow& row : m_list.Snapshot()) {
        if (row.name == "/slow/never.bin" || row.name == "/slow/late.bin") {
            EXPECT_EQ(RowStateOf(row.word), kRowPending) << row.name;
        } else if (RowStateOf(row.word) == kRowDone) {
            EXPECT_TRUE(ServedMatches(row.name)) << row.name;
        } else {
            ADD_FAILURE() << row.name << " was listed when the pass began and is not Done";
        }
    }
}

// A listening socket that never says a word: a server that accepts and then stops answering.
class CSilentServer {
public:
    CSilentServer()
    {
        m_fd = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t length = sizeof address;
        if (::bind(m_fd, reinterpret_cast<sockaddr*>(&address), length) == 0 && ::listen(m_fd, 4) == 0 &&
            ::getsockname(m_fd, reinterpret_cast<sockaddr*>(&address), &length) == 0)
            m_port = ntohs(address.sin_port);
    }
    ~CSilentServer() { ::close(m_fd); }
    CSilentServer(const CSilentServer&) = delete;
    CSilentServer& operator=(const CSilentServer&) = delete;
    int Port() const { return m_port; }

private:
    int m_fd = -1;
    int m_port = 0;
};

TEST_F(RunFaultsTest, ConnectingAndStoppingNeverWaitOnTheServer)
{
    // Connecting happens off this thread: the command returns while the server has said nothing.
    StartServer(FtpServerKind::Pyftpdlib);
    CSilentServer silent;
    ASSERT_GT(silent.Port(), 0);
    WriteSetting("Advanced", "Port", std::to_string(silent.Port()));
    Controller().SetConnectionTimeouts(30, 30);
    Controller().OnFindFilesTransfer();
    EXPECT_TRUE(Controller().IsRunActive());
    EXPECT_EQ(m_sink.GetStatusText(), LoadString(IDS_CONNECTING));
    Controller().StopActivity();
    ASSERT_TRUE(m_host.PumpUntilIdle(2s)); // StopTimeout (1 s) + 1 s
    EXPECT_TRUE(m_sink.Messages().empty()); // a stopped connect is no failure
    EXPECT_EQ(m_sink.GetStatusText(), "Transfer Stopped");
    EXPECT_EQ(m_list.Count(), 0u);

    // A server that stops answering in the middle of a file: Stop ends the run all the same.
    WriteSettings();
    m_local.MakeFileOfSize("big.bin", 64u * 1024 * 1024);
    Controller().OnFindFilesTransfer();
    ASSERT_TRUE(PumpUntilServed(".big.bin.skerrow-part")); // a large file goes under a temporary name
    m_server->Suspend();
    Controller().StopActivity();
    ASSERT_TRUE(m_host.PumpUntilIdle(2s));
    m_sink.Answer(true);
    const auto closing = std::chrono::steady_clock::now();
    m_controller.reset(); // the window closes: every thread is joined
    EXPECT_LT(std::chrono::steady_clock::now() - closing, 2s);
}

// The window closes while the run's further connections are still logging in, one of them held
// before its login by a scheduler that left it behind: whatever the window's queue still holds of
// the run, no thread of it outlives the run control (the sanitizers see one that reaches it later).
TEST_F(RunFaultsTest, ClosingWhileFurtherConnectionsLogInLeavesNoThreadBehind)
{
    const std::string commands = (m_settingsDir.Path() / "commands.log").string();
    StartServer(FtpServerKind::Misbehaving, {"--hold-login", "9", "--log", commands});
    WriteSetting("Advanced", "Connections", "4");
    WriteSetting("Advanced", "Encryption", "3");
    Controller().SetCommandLog(std::make_shared<CCommandLog>());
    m_host.holdFurtherConnections = true;
    Controller().OnFindFilesTransfer();
    ASSERT_TRUE(m_host.PumpUntil(
        [&commands] {
            std::ifstream log(commands);
            std::string line;
            return std::getline(log, line) && line.find("USER") != std::string::npos;
        },
        10s));
    CloseController();
    m_host.Pump(); // the run's calls still queued do nothing now
}

TEST_F(RunFaultsTest, ANameWithABackslashFailsInsteadOfLandingElsewhere)
{
    m_local.WriteFile("a\\b.txt", "backslash\n");
    m_local.WriteFile("a/b.txt", "slash\n");
    StartServer(FtpServerKind::Pyftpdlib);
    Controller().OnFindFilesTransfer();
    ASSERT_TRUE(m_host.PumpUntilIdle());
    for (const CTransferRow& row : m_list.Snapshot()) {
        if (row.name == "a\\b.txt") {
            EXPECT_EQ(RowStateOf(row.word), kRowFailed);
            EXPECT_NE(row.error.find('\\'), std::string::npos) << row.error;
        } else {
            EXPECT_EQ(RowStateOf(row.word), kRowDone) << row.name;
        }
    }
    EXPECT_EQ(m_served.ReadFile("site/a/b.txt"), "slash\n");
    EXPECT_EQ(NextFindNames().count("a\\b.txt"), 1u); // still listed next time
}

TEST_F(RunFaultsTest, StopDuringATreeDeleteDeletesNothingWhateverTheAnswerAndItsTime)
{
    for (int i = 0; i < 40; ++i)
        m_served.WriteFile("site/old/d" + std::to_string(i % 5) + "/f" + std::to_string(i) + ".txt", "x");
    StartServer(FtpServerKind::Pyftpdlib);
    WriteSetting("Configure", "FTPDirTreeDel", "site/old");
    Controller().OnConnect();
    ASSERT_TRUE(m_host.PumpUntilIdle());
    ASSERT_TRUE(Controller().IsConnected());

    // Stop while the walk runs: the question is never asked.
    Controller().OnTreeDelete();
    Controller().StopActivity();
    ASSERT_TRUE(m_host.PumpUntilIdle());
    EXPECT_TRUE(m_sink.Messages().empty());
    EXPECT_EQ(m_list.CountInState(kRowFailed), 0u);
    EXPECT_EQ(m_sink.GetStatusText(), "Tree Delete stopped: nothing has been deleted.");

    // Stop while the question is open, answered Yes long after the stop time-out.
    m_sink.Hold();
    Controller().OnTreeDelete();
    ASSERT_TRUE(m_host.PumpUntil([this] { return m_sink.Waiting() == 1; }, 20s));
    Controller().StopActivity();
    m_host.PumpUntil([] { return false; }, 1500ms);
    m_sink.Answer(true);
    ASSERT_TRUE(m_host.PumpUntilIdle());
    EXPECT_EQ(m_list.Count(), 45u);
    EXPECT_EQ(m_list.CountInState(kRowFailed), 0u);
    EXPECT_EQ(m_list.CountInState(kRowDone), 0u);
    EXPECT_TRUE(std::filesystem::exists(m_served.Path() / "site/old/d0/f0.txt"));
    EXPECT_EQ(Controller().RunState(), 2); // listed, not deleted: Transfer/Delete can still mark it
}

TEST_F(RunFaultsTest, OddLimitsInTheSettingsFileStillSendAndStillStop)
{
    // An empty, zero or negative limit counts as one: the pass still sends.
    for (const char* limit : {"", "0", "-5"}) {
        SCOPED_TRACE(std::string("MaxErrors=") + limit + ", StopTimeout=" + limit);
        std::filesystem::remove_all(m_served.Path() / "site");
        m_served.MakeDir("site");
        if (!m_server)
            StartServer(FtpServerKind::Pyftpdlib);
        WriteSetting("Advanced", "MaxErrors", limit);
        WriteSetting("Advanced", "StopTimeout", limit);
        WriteSetting("Data", "LastRun", "1000\\01\\01 01:01");
        Controller().OnFindFilesTransfer();
        ASSERT_TRUE(m_host.PumpUntilIdle());
        EXPECT_EQ(m_list.CountInState(kRowDone), 3u);
        EXPECT_TRUE(ServedMatches("index.html"));
    }
    // A Stop's timer is never shorter than a second.
    m_local.MakeFileOfSize("big.bin", 64u * 1024 * 1024);
    WriteSetting("Data", "LastRun", "1000\\01\\01 01:01");
    Controller().OnFindFilesTransfer();
    Controller().StopActivity();
    EXPECT_GE(m_host.TimerMs(), 1000);
    ASSERT_TRUE(m_host.PumpUntilIdle());
}

TEST_F(RunFaultsTest, TheErrorLimitLeavesTheUntriedFilesToTheNextFind)
{
    StartServer(FtpServerKind::Pyftpdlib, {"--refuse", "index.html", "--refuse", "logo.gif"});
    WriteSetting("Advanced", "MaxErrors", "1");
    Controller().OnFindFilesTransfer();
    ASSERT_TRUE(m_host.PumpUntilIdle());
    EXPECT_EQ(m_sink.GetStatusText(), LoadString(IDS_TOO_MANY_ERRORS));
    const std::set<std::string> next = NextFindNames();
    for (const CTransferRow& row : m_list.Snapshot()) {
        if (RowStateOf(row.word) != kRowDone) {
            EXPECT_EQ(next.count(row.name), 1u) << row.name << " would be forgotten";
        }
    }
    EXPECT_LT(m_list.CountInState(kRowDone), m_list.Count());
}

} // namespace
} // namespace skerrow

namespace skerrow {
namespace {

// Four connections at once: a site of many directories is made once per directory and arrives
// whole; a server that takes fewer connections than asked for is used with those it takes (one
// that takes a single session refuses every further login, and no row fails for them).
// The further connections log in while the first one does (on plain FTP, once the server has
// greeted the first, so that a session limit never refuses the first; with TLS if available, once
// the first is in), and the pass uses those: no connection logs in twice.
TEST_F(RunFaultsTest, SeveralConnectionsMakeEachDirectoryOnceAndMakeDoWithWhatTheServerAllows)
{
    for (int i = 0; i < 48; ++i)
        m_local.WriteFile("d" + std::to_string(i % 12) + "/s" + std::to_string(i % 3) + "/f" + std::to_string(i) + ".bin",
                          std::string(static_cast<size_t>(1000 + i * 37), char('a' + i % 26)));
    const auto log = std::make_shared<CCommandLog>();
    Controller().SetCommandLog(log);
    const std::string commands = (m_settingsDir.Path() / "commands.log").string();
    for (const auto& [maxCons, encryption] : {std::pair{0, "3"}, {2, "0"}, {2, "3"}, {1, "3"}}) {
        SCOPED_TRACE("server takes " + std::to_string(maxCons) + " connections (0: any number), encryption " +
                     encryption);
        std::filesystem::remove_all(m_served.Path() / "site");
        std::filesystem::remove(commands);
        m_served.MakeDir("site");
        // On plain FTP the server answers no PASS before every session the run will have has sent USER.
        const size_t sessions = maxCons == 0 ? 4u : static_cast<size_t>(maxCons);
        const bool plain = std::string(encryption) == "3";
        StartServer(FtpServerKind::Misbehaving, {"--max-sessions", std::to_string(maxCons), "--log", commands,
                                                 "--hold-login", std::to_string(plain ? sessions : 0)});
        ASSERT_TRUE(SendEverything(4, encryption));
        EXPECT_EQ(m_sink.GetStatusText(), LoadString(IDS_FINISHED));
        EXPECT_EQ(m_list.CountInState(kRowDone), m_list.Count());
        for (const CTransferRow& row : m_list.Snapshot())
            EXPECT_TRUE(ServedMatches(row.name)) << row.name;
        EXPECT_TRUE(m_sink.Messages().empty()) << m_sink.Messages()[0];
        // The log says once that the server took fewer.
        int told = 0;
        for (const CLogLine& line : log->Drain(100000))
            told += line.text.find("refused a further connection (421") != std::string::npos ? 1 : 0;
        EXPECT_EQ(told, maxCons == 0 ? 0 : 1);
        // Session 1 is the first connection: never refused, and on plain FTP the others' logins
        // begin before its own has ended (its PWD).
        std::ifstream server(commands);
        std::set<std::string> logins;
        bool firstIn = false;
        for (std::string line; std::getline(server, line);) {
            std::istringstream words(line);
            std::string session, verb;
            words >> session >> verb;
            EXPECT_NE(line, "1 refused");
            if (verb == "USER") {
                EXPECT_TRUE(logins.insert(session).second) << "session " << session << " logged in twice";
                EXPECT_TRUE(session == "1" || !firstIn || !plain) << line;
            }
            firstIn = firstIn || line == "1 PWD";
        }
        EXPECT_EQ(logins.size(), sessions);
    }
}

} // namespace
} // namespace skerrow

namespace skerrow {
namespace {

// Tree Delete on four connections against a server that takes two sessions (it refuses the other
// logins, which costs no row anything) and answers a little late, so that both sessions delete: in
// the server's own order of events, over all sessions, no RMD arrives before every entry inside its
// directory is gone.
// A wrong password reaches the server once per run, whatever the number of connections (a server
// that bans an address after a few failed logins counts one): the further connections are greeted
// and say who they are beside the first, and wait for its login before their password goes.
TEST_F(RunFaultsTest, AWrongPasswordIsSentOncePerRun)
{
    const std::string commands = (m_settingsDir.Path() / "commands.log").string();
    for (const int connections : {2, 8}) {
        SCOPED_TRACE(std::to_string(connections) + " connections");
        std::filesystem::remove(commands);
        StartServer(FtpServerKind::Misbehaving, {"--password", "not-the-one", "--log", commands, "--hold-login",
                                                 std::to_string(connections)});
        ASSERT_TRUE(SendEverything(connections, "3"));
        ASSERT_FALSE(m_sink.Messages().empty());
        EXPECT_NE(m_sink.Messages().back().find("Check the user name and the password"), std::string::npos);
        std::ifstream server(commands);
        int users = 0, passwords = 0;
        for (std::string line; std::getline(server, line);) {
            std::istringstream words(line);
            std::string session, verb;
            words >> session >> verb;
            users += verb == "USER" ? 1 : 0;
            passwords += verb == "PASS" ? 1 : 0;
        }
        EXPECT_EQ(passwords, 1);
        EXPECT_EQ(users, connections); // the further logins still began beside the first
    }
}

TEST_F(RunFaultsTest, TreeDeleteOnSeveralConnectionsRemovesADirectoryOnlyOnceItIsEmpty)
{
    for (int i = 0; i < 90; ++i)
        m_served.WriteFile("site/old/d" + std::to_string(i % 5) + "/s" + std::to_string(i % 3) + "/f" +
                               std::to_string(i) + ".txt", "x");
    m_served.MakeDir("site/old/empty/inner");
    const std::string log = (m_settingsDir.Path() / "commands.log").string();
    StartServer(FtpServerKind::Misbehaving, {"--max-sessions", "2", "--delay", "5", "--log", log});
    const auto commandLog = std::make_shared<CCommandLog>();
    Controller().SetCommandLog(commandLog);
    WriteSetting("Configure", "FTPDirTreeDel", "site/old");
    WriteSetting("Advanced", "Connections", "4");
    Controller().OnTreeDelete();
    ASSERT_TRUE(m_host.PumpUntilIdle());
    EXPECT_EQ(m_list.Count(), 90u + 5u * 3u + 5u + 2u);
    EXPECT_EQ(m_list.CountInState(kRowDone), m_list.Count());
    EXPECT_TRUE(std::filesystem::is_empty(m_served.Path() / "site/old"));
    std::ifstream commands(log);
    std::set<std::string> gone;
    for (std::string line; std::getline(commands, line);) {
        std::istringstream words(line);
        std::string session, verb, path;
        words >> session >> verb;
        const bool done = verb == "done";
        if (done)
            words >> verb;
        words >> path;
        if (done && (verb == "DELE" || verb == "RMD"))
            gone.insert(path);
        if (done || verb != "RMD")
            continue;
        for (const CTransferRow& row : m_list.Snapshot()) {
            const std::string entry = row.name.back() == '/' ? row.name.substr(0, row.name.size() - 1) : row.name;
            if (entry.rfind(path + "/", 0) == 0) {
                EXPECT_EQ(gone.count(entry), 1u) << "RMD " << path << " came before " << entry << " was gone";
            }
        }
    }
    EXPECT_EQ(gone.size(), m_list.Count());
    // The walk met the limit; the deletion then asked for no more than the server took.
    int refusals = 0;
    for (const CLogLine& line : commandLog->Drain(1000000))
        refusals += line.text.find("refused a further connection") != std::string::npos ? 1 : 0;
    EXPECT_EQ(refusals, 1);
}

// The last-upload date is the moment the list was taken, exactly, however long the pass takes.
TEST_F(RunFaultsTest, TheLastUploadDateIsWhenTheListWasTakenToTheMinute)
{
    StartServer(FtpServerKind::Pyftpdlib);
    m_list.Insert(0, kKindPcFile, "index.html", "1");
    auto connection = std::make_shared<CFtpConnection>();
    connection->SetEncryption(FtpEncryption::Plain);
    ASSERT_TRUE(connection->Open("127.0.0.1", m_server->Port(), m_server->User(), m_server->Password(), true));
    CRunSettings settings;
    settings.Load();
    settings.connections = 1;
    std::atomic<int> runState{1};
    auto run = std::make_shared<CRun>(1);
    run->SetConnection(connection);
    const CDateTime taken{2001, 2, 3, 4, 5, 0};
    CTransferWorker(CWorkerContext{m_list, m_sink, m_sink, runState, run, connection, settings, taken, 30, 60, {}}).Run();
    EXPECT_EQ(LastRun(), "2001\\02\\03 04:05");
    EXPECT_EQ(runState.load(), 0);
}

// The delete pass: a Stop between two rows leaves the rest untouched; failures end the pass at
// exactly the limit.
TEST_F(RunFaultsTest, TheDeletePassStopsBetweenRowsAndAtExactlyTheErrorLimit)
{
    for (int i = 0; i < 5; ++i)
        m_served.WriteFile("site/old/f" + std::to_string(i) + ".txt", "x");
    StartServer(FtpServerKind::Pyftpdlib);
    auto connection = std::make_shared<CFtpConnection>();
    connection->SetEncryption(FtpEncryption::Plain);
    ASSERT_TRUE(connection->Open("127.0.0.1", m_server->Port(), m_server->User(), m_server->Password(), true));
    struct CStopAtSecond : test::CFtpRecordingSink {
        CStopSignal* stop = nullptr;
        CFtpConnection* abort = nullptr; // also cut the second row's DELE short
        void SetStatusText(const std::string& text) override
        {
            CFtpRecordingSink::SetStatusText(text);
            if (text.find("f1.txt") == std::string::npos)
                return;
            stop->Set(); // the second row is being deleted now
            if (abort)
                abort->Abort();
        }
    } sink;
    CProgressMeter progress(sink);
    // The Stop comes as the second row begins; when it also cuts that row's DELE short, the row is
    // Pending again with no error (a Stop is no failure) and its file stays.
    for (const bool cut : {false, true}) {
        m_list.DeleteAll();
        for (int i = 0; i < 5; ++i)
            m_served.WriteFile("site/old/f" + std::to_string(i) + ".txt", "x");
        CStopSignal stop;
        sink.stop = &stop;
        sink.abort = cut ? connection.get() : nullptr;
        for (int i = 0; i < 5; ++i)
            m_list.Insert(m_list.Count(), kKindFtpEntry << 4, "/site/old/f" + std::to_string(i) + ".txt", "1");
        CTransferContext context{m_list, *connection, sink, sink, stop, progress, m_local.Str(), "", 32000, {}};
        ASSERT_TRUE(connection->SetCurrentDirectory("/"));
        CFTPTransfer(context).DeleteRows(CDeletePlan::TreeDelete("/site"));
        std::vector<int32_t> states;
        for (const CTransferRow& row : m_list.Snapshot()) {
            states.push_back(RowStateOf(row.word));
            EXPECT_EQ(row.error, "") << row.name;
        }
        const int32_t second = cut ? kRowPending : kRowDone;
        EXPECT_EQ(states, (std::vector<int32_t>{kRowDone, second, kRowPending, kRowPending, kRowPending})) << cut;
        EXPECT_TRUE(std::filesystem::exists(m_served.Path() / "site/old/f2.txt"));
        EXPECT_EQ(std::filesystem::exists(m_served.Path() / "site/old/f1.txt"), cut);
        if (cut) { // an aborted connection stays aborted
            connection = std::make_shared<CFtpConnection>();
            connection->SetEncryption(FtpEncryption::Plain);
            ASSERT_TRUE(connection->Open("127.0.0.1", m_server->Port(), m_server->User(), m_server->Password(), true));
        }
    }

    // Directories the server will not remove (they are not empty) fail; with a limit of 2 the pass
    // ends after the second.
    m_list.DeleteAll();
    for (int i = 0; i < 5; ++i) {
        m_served.WriteFile("site/full/g" + std::to_string(i) + "/kept.txt", "k");
        m_list.Insert(m_list.Count(), kKindFtpEntry << 4, "/site/full/g" + std::to_string(i) + "/", "1");
    }
    CStopSignal never;
    CTransferContext limited{m_list, *connection, m_sink, m_sink, never, progress, m_local.Str(), "", 2, {}};
    CFTPTransfer pass(limited);
    pass.DeleteRows(CDeletePlan::TreeDelete("/site"));
    EXPECT_EQ(pass.ErrorCount(), 2);
    EXPECT_EQ(m_list.CountInState(kRowFailed), 2u);
    EXPECT_EQ(m_list.CountInState(kRowPending), 3u);
    EXPECT_EQ(m_sink.GetStatusText(), LoadString(IDS_TOO_MANY_ERRORS));
}

// A fault inside a further connection's thread ends neither the program nor the run in silence: the
// run fails with the fault's text, and the file that connection held is not marked Done.
TEST_F(RunFaultsTest, AFaultInAConnectionsThreadFailsTheRunWithItsText)
{
    StartServer(FtpServerKind::Pyftpdlib);
    WriteSetting("Advanced", "Connections", "2");
    Controller().OnConnect();
    ASSERT_TRUE(m_host.PumpUntilIdle());
    m_host.faultyConnections.store(true);
    Controller().OnFindFilesTransfer();
    ASSERT_TRUE(m_host.PumpUntilIdle());
    const std::vector<std::string> messages = m_sink.Messages();
    ASSERT_FALSE(messages.empty());
    EXPECT_NE(messages.back().find("a fault made by the test"), std::string::npos) << messages.back();
    for (const CTransferRow& row : m_list.Snapshot())
        EXPECT_TRUE(RowStateOf(row.word) != kRowDone || ServedMatches(row.name)) << row.name;
}

} // namespace
} // namespace skerrow
