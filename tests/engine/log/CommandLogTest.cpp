// The command log: masking, error lines, the file on disk (its mode, its rotation, no link
// followed) and a server that echoes the password.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sys/stat.h>

#include "ftp/CFtpConnection.h"
#include "list/CTransferList.h"
#include "list/RowWord.h"
#include "log/CCommandLog.h"
#include "log/CLogFile.h"
#include "transfer/CFTPTransfer.h"
#include "support/CFtpTestBench.h"
#include "support/CScopedEnv.h"
#include "support/CTempDir.h"

namespace skerrow {
namespace {

using test::CFtpTestBench;
using test::CTempDir;
using test::FtpServerKind;

std::vector<std::string> Lines(const std::filesystem::path& path)
{
    std::ifstream in(path);
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

TEST(CommandLog, MasksPassAndMarksRefusals)
{
    struct Case {
        const char* line;
        const char* shown;
        bool error;
    };
    const Case cases[] = {
        {"> PASS s3cret", "> PASS ****", false},
        {"> pass s3cret", "> PASS ****", false},
        {"> PASSIVE", "> PASSIVE", false},
        {"> USER tester", "> USER tester", false},
        {"< 230 Logged in.", "< 230 Logged in.", false},
        {"< 450 Busy.", "< 450 Busy.", true},
        {"< 553 Refused.", "< 553 Refused.", true},
        {"< 5", "< 5", false},
        {"> 550 is not a reply", "> 550 is not a reply", false},
    };
    CCommandLog log;
    for (const Case& c : cases)
        log.Add(c.line);
    EXPECT_EQ(log.Pending(), std::size(cases));
    const std::vector<CLogLine> first = log.Drain(4);
    const std::vector<CLogLine> rest = log.Drain(100);
    ASSERT_EQ(first.size() + rest.size(), std::size(cases));
    EXPECT_EQ(log.Pending(), 0u);
    for (size_t i = 0; i < std::size(cases); ++i) {
        const CLogLine& line = i < first.size() ? first[i] : rest[i - first.size()];
        EXPECT_EQ(line.text, cases[i].shown);
        EXPECT_EQ(line.error, cases[i].error) << cases[i].line;
        EXPECT_EQ(line.time.size(), 8u);
    }

    // A reader that keeps up takes the newest lines and hears how many it skipped.
    for (int i = 0; i < 10; ++i)
        log.Add("> NOOP " + std::to_string(i));
    size_t skipped = 0;
    const std::vector<CLogLine> newest = log.DrainNewest(3, skipped);
    EXPECT_EQ(skipped, 7u);
    ASSERT_EQ(newest.size(), 3u);
    EXPECT_EQ(newest.front().text, "> NOOP 7");
    log.Add("> NOOP 10");
    EXPECT_EQ(log.DrainNewest(3, skipped).size(), 1u);
    EXPECT_EQ(skipped, 0u);
}

// Two connections' lines, interleaved: each carries its number, and a refused CWD (the probe before
// a MKD) is routine while the same reply to another command is a refusal.
TEST(CommandLog, TapsNumberTheirConnectionsAndTakeARefusedCwdAsRoutine)
{
    auto log = std::make_shared<CCommandLog>();
    auto first = CCommandLog::Tap(log, 1);
    auto second = CCommandLog::Tap(log, 2);
    const struct {
        int connection;
        const char* line;
        const char* shown;
        bool error;
    } cases[] = {
        {1, "> CWD /site/new", "[1] > CWD /site/new", false},
        {2, "> STOR /site/a.htm", "[2] > STOR /site/a.htm", false},
        {1, "< 550 Failed to change directory.", "[1] < 550 Failed to change directory.", false},
        {2, "< 553 Could not create file.", "[2] < 553 Could not create file.", true},
        {1, "> MKD /site/new", "[1] > MKD /site/new", false},
        {1, "< 550 Create directory operation failed.", "[1] < 550 Create directory operation failed.", true},
        {2, "> PASS s3cret", "[2] > PASS ****", false},
    };
    for (const auto& c : cases)
        (c.connection == 1 ? first : second)(c.line);
    const std::vector<CLogLine> lines = log->Drain(100);
    ASSERT_EQ(lines.size(), std::size(cases));
    for (size_t i = 0; i < lines.size(); ++i) {
        EXPECT_EQ(lines[i].text, cases[i].shown);
        EXPECT_EQ(lines[i].error, cases[i].error) << cases[i].shown;
    }
}

TEST(CommandLog, FileIsPrivateRotatesAndFollowsNoLink)
{
    CTempDir state;
    const std::filesystem::path path = state.Path() / "skerrow" / "skerrow.log";
    {
        CCommandLog log(std::make_unique<CLogFile>(path.string(), 400));
        for (int i = 0; i < 30; ++i)
            log.Add("> NOOP " + std::to_string(i));
    }
    EXPECT_EQ(test::ModeOf(path), 0600u);
    const std::vector<std::string> current = Lines(path);
    const std::vector<std::string> older = Lines(path.string() + ".1");
    ASSERT_FALSE(current.empty());
    ASSERT_FALSE(older.empty());
    EXPECT_LE(std::filesystem::file_size(path), 400u);
    // The newest lines are in the current file, in order, each with its date and time.
    EXPECT_NE(current.back().find("> NOOP 29"), std::string::npos);
    EXPECT_NE(older.back().find("> NOOP " + std::to_string(29 - current.size())), std::string::npos);
    EXPECT_EQ(current.back().substr(4, 1), "-");

    // A link in its place is not written through.
    const std::filesystem::path target = state.Path() / "elsewhere";
    std::ofstream(target) << "keep\n";
    const std::filesystem::path linked = state.Path() / "linked.log";
    std::filesystem::create_symlink(target, linked);
    CLogFile file(linked.string());
    file.Write("< 220 Hello");
    EXPECT_EQ(Lines(target), std::vector<std::string>{"keep"});
}

TEST(CommandLog, DefaultPathFollowsTheStateDirectory)
{
    test::CScopedEnv env;
    env.Set("XDG_STATE_HOME", "/tmp/state-here");
    EXPECT_EQ(CLogFile::DefaultPath(), "/tmp/state-here/skerrow/skerrow.log");
    env.Set("XDG_STATE_HOME", "relative");
    const std::string home = std::getenv("HOME") ? std::getenv("HOME") : "";
    EXPECT_EQ(CLogFile::DefaultPath(), home.empty() ? "" : home + "/.local/state/skerrow/skerrow.log");
}

// A server that echoes the password in its replies: neither the log nor the row's error shows it.
TEST(CommandLog, EchoedPasswordIsMaskedInTheLogAndTheRowError)
{
    CFtpTestBench bench(FtpServerKind::Misbehaving, [](CTempDir&) { return std::vector<std::string>{"--echo-pass"}; });
    ASSERT_TRUE(bench.Ready()) << bench.Skip();
    const std::string password = bench.Server().Password();
    CCommandLog log;
    bench.Connection().SetLogCallback([&log](const std::string& line) { log.Add(line); });
    ASSERT_TRUE(bench.Open(5));
    bench.Local().WriteFile("echo.bin", "e");
    bench.AddRow("echo.bin");
    ASSERT_TRUE(bench.Connection().SetCurrentDirectory("/"));
    CFTPTransfer transfer(bench.Context(""));
    transfer.UploadRows();
    ASSERT_EQ(bench.States(), std::vector<int32_t>{kRowFailed});
    const std::string error = bench.List().GetText(0, kColErrors);
    EXPECT_NE(error.find("553 Not allowed for password ****."), std::string::npos) << error;
    EXPECT_EQ(error.find(password), std::string::npos);
    bool sawPass = false, sawRefusal = false;
    for (const CLogLine& line : log.Drain(1000)) {
        EXPECT_EQ(line.text.find(password), std::string::npos) << line.text;
        sawPass = sawPass || line.text == "> PASS ****";
        sawRefusal = sawRefusal || (line.error && line.text == "< 553 Not allowed for password ****.");
    }
    EXPECT_TRUE(sawPass);
    EXPECT_TRUE(sawRefusal);
}

} // namespace
} // namespace skerrow
