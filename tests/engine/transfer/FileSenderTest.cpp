// Uploads under a temporary name: which files take that way, a server that will not rename over a
// file, and a Stop or a lost server in the middle of a large file, against real servers.

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "ftp/CFtpConnection.h"
#include "list/RowWord.h"
#include "transfer/CFTPTransfer.h"
#include "transfer/CTempNameUpload.h"
#include "support/CFtpTestBench.h"
#include "support/CRunControlFixture.h"

namespace skerrow {
namespace {

using test::CFtpTestBench;
using test::FtpServerKind;
using namespace std::chrono_literals;

constexpr uint64_t kMiB = CTempNameUpload::kLargeFileBytes;

TEST(TempNameUpload, TheModeAndTheSizeChooseTheWay)
{
    const std::string longName(242, 'n'); // with its dot and suffix: 256 bytes
    struct Case {
        int mode;
        uint64_t size;
        std::string name;
        bool applies;
    } cases[] = {
        {0, 0, "a.htm", false},       {0, kMiB - 1, "a.htm", false}, {0, kMiB, "a.htm", true},
        {1, 0, "a.htm", true},        {2, 50 * kMiB, "a.htm", false},
        {7, kMiB, "a.htm", true},     {-1, 10, "a.htm", false}, // unknown values: the default
        {1, 5, longName, false},      {1, 5, longName.substr(1), true},
    };
    for (const Case& c : cases)
        EXPECT_EQ(CTempNameUpload::Applies(c.mode, c.size, c.name), c.applies)
            << c.mode << " " << c.size << " " << c.name.size();
    EXPECT_EQ(CTempNameUpload::PartName("index.html"), ".index.html.skerrow-part");
}

// One file sent with every file under a temporary name, onto a server that holds what the case says.
struct RenameCase {
    const char* title;
    FtpServerKind kind;
    bool refuseRenameOver;
    bool oldFile;      // site/page.bin exists before
    bool oldDirectory; // site/page.bin is a directory: nothing may replace it
};

class TempNameRenameTest : public ::testing::TestWithParam<RenameCase> {};

TEST_P(TempNameRenameTest, TheFileLandsWholeUnderItsNameOrTheOldOneStays)
{
    const RenameCase& c = GetParam();
    CFtpTestBench bench(c.kind, [&c](test::CTempDir& served) {
        served.MakeDir("site");
        if (c.oldFile)
            served.WriteFile("site/page.bin", "old");
        if (c.oldDirectory)
            served.WriteFile("site/page.bin/inside.txt", "kept");
        return c.refuseRenameOver ? std::vector<std::string>{"--refuse-rename-over"} : std::vector<std::string>{};
    });
    if (!bench.Ready())
        GTEST_SKIP() << bench.Skip();
    ASSERT_TRUE(bench.Open());
    std::vector<std::string> log;
    bench.Connection().SetLogCallback([&log](const std::string& line) { log.push_back(line); });
    bench.Local().WriteFile("page.bin", "the new page");
    bench.AddRow("/page.bin");
    CTransferContext& context = bench.Context("site");
    context.tempNameUpload = CTempNameUpload::kAllFiles;
    ASSERT_TRUE(bench.Connection().SetCurrentDirectory("/"));
    CFTPTransfer transfer(context);
    transfer.UploadRows();

    // Commands of this verb naming this path.
    auto count = [&log](const std::string& verb, const std::string& path = "") {
        return std::count_if(log.begin(), log.end(), [&](const std::string& line) {
            return line.rfind(verb, 0) == 0 && line.find(path) != std::string::npos;
        });
    };
    const std::string part = ".page.bin.skerrow-part";
    const std::filesystem::path site = bench.Served().Path() / "site";
    EXPECT_FALSE(std::filesystem::exists(site / ".page.bin.skerrow-part")) << c.title;
    EXPECT_EQ(count("> STOR", part), 1) << c.title;
    EXPECT_EQ(count("> RNFR", part), c.refuseRenameOver && c.oldFile ? 2 : 1) << c.title;
    const bool deletedFirst = c.refuseRenameOver && c.oldFile;
    EXPECT_EQ(count("* The server refused to rename"), deletedFirst ? 1 : 0) << c.title;
    if (c.oldDirectory) {
        EXPECT_EQ(bench.States(), std::vector<int32_t>{kRowFailed}) << c.title;
        EXPECT_EQ(transfer.ErrorCount(), 1) << c.title;
        EXPECT_EQ(bench.Served().ReadFile("site/page.bin/inside.txt"), "kept") << c.title;
        EXPECT_EQ(count("> DELE", part), 1) << c.title;
    } else {
        EXPECT_EQ(bench.States(), std::vector<int32_t>{kRowDone}) << c.title;
        EXPECT_EQ(bench.Served().ReadFile("site/page.bin"), "the new page") << c.title;
        EXPECT_EQ(count("> DELE"), deletedFirst ? 1 : 0) << c.title;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Servers, TempNameRenameTest,
    ::testing::Values(RenameCase{"Replaces", FtpServerKind::Pyftpdlib, false, true, false},
                      RenameCase{"RefusedOver", FtpServerKind::Misbehaving, true, true, false},
                      RenameCase{"NothingToReplace", FtpServerKind::Misbehaving, true, false, false},
                      RenameCase{"OverADirectory", FtpServerKind::Pyftpdlib, false, false, true},
                      RenameCase{"RefusedOverADirectory", FtpServerKind::Misbehaving, true, false, true}),
    [](const ::testing::TestParamInfo<RenameCase>& p) { return std::string(p.param.title); });

// A large file is interrupted on its way; the old copy on the server must stay whole, and the next
// upload must leave no temporary file behind.
enum class Interruption { Stop, ServerKilled };

class TempNameInterruptionTest : public test::RunControlTest, public ::testing::WithParamInterface<Interruption> {};

TEST_P(TempNameInterruptionTest, TheOldFileStaysWholeAndTheNextUploadLeavesNoPart)
{
    const std::string old = "the old big file, whole";
    m_served.WriteFile("site/big.bin", old);
    m_local.MakeFileOfSize("big.bin", 3 * kMiB); // the default: 1 MiB and more
    StartServer(FtpServerKind::Misbehaving, {"--slow-stor", "300000"});
    Controller().OnFindFilesTransfer();
    const auto part = m_served.Path() / "site/.big.bin.skerrow-part";
    ASSERT_TRUE(m_host.PumpUntil(
        [&part] {
            std::error_code ec;
            return std::filesystem::file_size(part, ec) > 0 && !ec;
        },
        20s));
    if (GetParam() == Interruption::Stop)
        Controller().StopActivity();
    else
        m_server->Kill();
    ASSERT_TRUE(m_host.PumpUntilIdle());
    EXPECT_EQ(m_served.ReadFile("site/big.bin"), old);
    for (const CTransferRow& row : m_list.Snapshot()) {
        if (Relative(row.name) == "big.bin") {
            EXPECT_EQ(RowStateOf(row.word), kRowFailed);
        }
    }

    // The next upload of the file, on a server that is there again.
    Controller().OnShutdownConnection();
    ASSERT_TRUE(m_host.PumpUntilIdle());
    StartServer(FtpServerKind::Misbehaving);
    Controller().OnTransferDelete();
    ASSERT_TRUE(m_host.PumpUntilIdle());
    EXPECT_EQ(m_list.CountInState(kRowDone), m_list.Count());
    EXPECT_TRUE(ServedMatches("big.bin"));
    EXPECT_FALSE(std::filesystem::exists(part));
}

INSTANTIATE_TEST_SUITE_P(Ways, TempNameInterruptionTest, ::testing::Values(Interruption::Stop, Interruption::ServerKilled),
                         [](const ::testing::TestParamInfo<Interruption>& p) {
                             return p.param == Interruption::Stop ? "Stop" : "ServerKilled";
                         });

} // namespace
} // namespace skerrow
