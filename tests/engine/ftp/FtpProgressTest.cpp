// The percentage follows what the server has taken, and uploads at the root name the file once.

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <mutex>

#include "ftp/CFtpConnection.h"
#include "transfer/CFTPTransfer.h"
#include "support/CFtpTestBench.h"

namespace skerrow {
namespace {

using test::CFtpTestBench;
using test::CTempDir;
using test::FtpServerKind;

constexpr uint64_t kMaxAhead = 256 * 1024;

// Each report of bytes sent is compared with what the server has written to its file at that
// moment: with a server that reads slowly, the kernel's buffers hold far more than 256 KiB.
TEST(FtpProgress, ReportedBytesStayWithinReachOfWhatTheServerHas)
{
    CFtpTestBench bench(FtpServerKind::Misbehaving, [](CTempDir&) {
        return std::vector<std::string>{"--slow-stor", "400000"};
    });
    ASSERT_TRUE(bench.Ready()) << bench.Skip();
    ASSERT_TRUE(bench.Open(10));
    const size_t size = 1200 * 1000;
    bench.Local().WriteFile("slow.bin", std::string(size, 's'));
    const std::filesystem::path stored = bench.Served().Path() / "slow.bin";

    std::mutex mutex;
    uint64_t worstAhead = 0, worstBehind = 0, lastReport = 0;
    int reports = 0;
    bench.Connection().SetStatusCallback([&](int status, uint64_t sent) {
        if (status != kStatusRequestSent)
            return;
        std::error_code ec;
        const uint64_t has = std::filesystem::exists(stored, ec) ? std::filesystem::file_size(stored, ec) : 0;
        std::lock_guard lock(mutex);
        ++reports;
        lastReport = sent;
        worstAhead = std::max(worstAhead, sent > has ? sent - has : 0);
        worstBehind = std::max(worstBehind, has > sent ? has - sent : 0);
    });
    ASSERT_TRUE(bench.Connection().SetCurrentDirectory("/"));
    ASSERT_TRUE(bench.Connection().PutFile((bench.Local().Path() / "slow.bin").string(), "slow.bin", kTransferBinary));
    bench.Connection().SetStatusCallback(nullptr);
    RecordProperty("worstAheadBytes", std::to_string(worstAhead));
    RecordProperty("worstBehindBytes", std::to_string(worstBehind));
    EXPECT_EQ(std::filesystem::file_size(stored), size);
    EXPECT_GT(reports, 3);
    EXPECT_LE(worstAhead, kMaxAhead);
    EXPECT_LE(worstBehind, kMaxAhead);
    EXPECT_GT(lastReport, size - kMaxAhead);
}

// Status texts and remote directories: "/" throughout, never two in a row, whatever the starting
// directory looks like.
TEST(FtpProgress, RemotePathsUseSingleSlashes)
{
    struct Case {
        const char* base;
        const char* startDir;
        const char* path;
        const char* remotePath;
        const char* directory;
        const char* name;
    };
    const Case cases[] = {
        {"/", "", "big.bin", "/big.bin", "/", "big.bin"},
        {"/", "/", "big.bin", "/big.bin", "/", "big.bin"},
        {"/", "site", "docs/big.bin", "site/docs/big.bin", "/site/docs", "big.bin"},
        {"/", "site\\docs", "img/a.gif", "site/docs/img/a.gif", "/site/docs/img", "a.gif"},
        {"/", "/site/", "a.htm", "/site/a.htm", "/site", "a.htm"},
        {"/", "", "img/a.gif", "/img/a.gif", "/img", "a.gif"},
        {"/home", "site", "a.htm", "site/a.htm", "/home/site", "a.htm"},
    };
    for (const Case& c : cases) {
        const auto target = CFTPTransfer::SplitRemotePath(c.base, c.startDir, c.path);
        EXPECT_EQ(target.remotePath, c.remotePath) << c.startDir << " " << c.path;
        EXPECT_EQ(target.directory, c.directory) << c.startDir << " " << c.path;
        EXPECT_EQ(target.name, c.name) << c.startDir << " " << c.path;
    }
}

TEST(FtpProgress, AnUploadAtTheRootIsStoredUnderItsPlainName)
{
    CFtpTestBench bench(FtpServerKind::Pyftpdlib);
    ASSERT_TRUE(bench.Ready()) << bench.Skip();
    std::vector<std::string> commands;
    bench.Connection().SetLogCallback([&commands](const std::string& line) {
        if (line.compare(0, 7, "> STOR ") == 0)
            commands.push_back(line);
    });
    ASSERT_TRUE(bench.Open());
    bench.Local().WriteFile("root.htm", "r");
    bench.Local().WriteFile("sub/deep.htm", "d");
    bench.AddRow("root.htm");
    bench.AddRow("/sub/deep.htm");
    ASSERT_TRUE(bench.Connection().SetCurrentDirectory("/"));
    CFTPTransfer transfer(bench.Context("/"));
    transfer.UploadRows();
    EXPECT_EQ(bench.Served().ReadFile("root.htm"), "r");
    EXPECT_EQ(commands, (std::vector<std::string>{"> STOR /root.htm", "> STOR /sub/deep.htm"}));
}

} // namespace
} // namespace skerrow
