// The overall progress of a pass: its totals, its rate and time left on a clock of the test's own,
// its words, and the figures a real upload pass leaves.

#include <gtest/gtest.h>

#include <filesystem>
#include <random>

#include "list/RowWord.h"
#include "transfer/CDeletePlan.h"
#include "transfer/CFTPTransfer.h"
#include "transfer/CRunProgress.h"
#include "run/CRunProgressText.h"
#include "support/CFtpTestBench.h"
#include "support/CTempDir.h"

namespace skerrow {
namespace {

using std::chrono::milliseconds;
using test::CFtpTestBench;
using test::CTempDir;
using test::FtpServerKind;
using Kind = CRunProgressSnapshot::Kind;

TEST(RunProgress, CountsTheRowsToDoAndMeasuresTheRate)
{
    using Outcome = CRunProgress::Outcome;
    CTempDir local;
    local.WriteFile("a.bin", std::string(1000, 'a'));
    local.WriteFile("sub/b.bin", std::string(3000, 'b'));
    local.WriteFile("done.bin", std::string(5000, 'd'));
    CTransferList list;
    for (const char* name : {"a.bin", "/sub/b.bin", "done.bin", "missing.bin"})
        list.Insert(list.Count(), kKindPcFile, name, "1");
    list.Insert(list.Count(), kKindLeftover << 4, "/old.htm", "1"); // listed beside them, not sent
    const std::vector<RowId> rows = list.Ids();
    list.SetRowState(rows[2], kRowDone, std::string());

    CRunProgress progress;
    const uint64_t cost = CRunProgress::kDefaultFileCost;
    const auto t0 = CRunProgress::Clock::time_point() + std::chrono::hours(1);
    EXPECT_EQ(progress.Snapshot(t0).kind, Kind::None);
    progress.BeginPass(Kind::Upload, list, rows, local.Str(), kKindPcFile);
    CRunProgressSnapshot s = progress.Snapshot(t0);
    EXPECT_EQ(s.kind, Kind::Upload);
    EXPECT_EQ(s.rowsTotal, 3u); // neither the Done row nor the leftover; the missing file counts 0 bytes
    EXPECT_EQ(s.bytesTotal, 4000u);
    EXPECT_EQ(s.percent, 0);
    EXPECT_EQ(s.secondsLeft, -1);

    progress.FileBytes(500);
    s = progress.Snapshot(t0 + milliseconds(300)); // too soon to measure a rate
    EXPECT_EQ(s.bytesDone, 500u);
    EXPECT_EQ(s.rate, 0);
    progress.RowEnded(rows[0], Outcome::Sent);
    progress.RowEnded(rows[0], Outcome::Sent);   // a row ends once
    progress.RowEnded(rows[2], Outcome::Sent);   // Done before the pass: not counted
    progress.RowEnded(rows[4], Outcome::Failed); // not of the pass
    progress.FileBytes(1000);
    s = progress.Snapshot(t0 + milliseconds(1000));
    EXPECT_EQ(s.rowsSent, 1u);
    EXPECT_EQ(s.bytesDone, 2000u);
    // Each file weighs its bytes and its own cost.
    EXPECT_EQ(s.percent, static_cast<int>((2000 + cost) * 100 / (4000 + 3 * cost)));
    EXPECT_DOUBLE_EQ(s.rate, 2000.0);
    EXPECT_GT(s.secondsLeft, 0);

    // All bytes sent but one file to go: never 100 %. A failed file counts apart.
    progress.RowEnded(rows[1], Outcome::Failed);
    s = progress.Snapshot(t0 + milliseconds(9000));
    s = progress.Snapshot(t0 + milliseconds(15000));
    EXPECT_EQ(s.bytesDone, 4000u);
    EXPECT_EQ(s.rowsFailed, 1u);
    const int oneToGo = static_cast<int>((4000 + 2 * cost) * 100 / (4000 + 3 * cost));
    EXPECT_EQ(s.percent, oneToGo); // the empty file's own cost is still to come
    EXPECT_DOUBLE_EQ(s.rate, 0.0); // the rate follows the last few seconds, not the whole pass
    EXPECT_EQ(CRunProgressText::Describe(s), "1 sent, 1 failed, 1 to go, 3.9 KB of 3.9 KB");
    progress.RowEnded(rows[3], Outcome::Left); // cut short by Stop: still to go
    EXPECT_EQ(progress.Snapshot(t0 + milliseconds(15500)).percent, oneToGo);
    progress.RowEnded(rows[3], Outcome::Sent);
    s = progress.Snapshot(t0 + milliseconds(16000));
    EXPECT_EQ(s.rowsDone, 3u);
    EXPECT_EQ(s.percent, 100);

    // A delete counts rows of its own kind: no bytes.
    progress.BeginPass(Kind::Delete, list, rows, std::string(), kKindPcFile);
    progress.RowEnded(rows[0], Outcome::Sent);
    s = progress.Snapshot(t0 + milliseconds(17000));
    EXPECT_EQ(s.kind, Kind::Delete);
    EXPECT_EQ(s.bytesTotal, 0u);
    EXPECT_EQ(s.rowsTotal, 3u);
    EXPECT_EQ(s.percent, 33);
}

// The cost of a file is measured from the pass: files taking 0.2 s plus their bytes at 1 MB/s cost
// 200,000 bytes each, whatever their sizes; files of one size leave the default.
TEST(RunProgress, TheCostOfAFileIsMeasuredFromThePass)
{
    using Outcome = CRunProgress::Outcome;
    std::mt19937 random(7);
    for (const bool oneSize : {false, true}) {
        CTempDir local;
        CTransferList list;
        for (int i = 0; i < 12; ++i) {
            const size_t size = oneSize ? 5000 : 1000 + random() % 400000;
            local.WriteFile("f" + std::to_string(i), std::string(size, 'x'));
            list.Insert(list.Count(), kKindPcFile, "f" + std::to_string(i), "1");
        }
        CRunProgress progress;
        progress.BeginPass(Kind::Upload, list, list.Ids(), local.Str(), kKindPcFile);
        auto now = CRunProgress::Clock::time_point() + std::chrono::hours(1);
        for (RowId row : list.Ids()) {
            CTransferRow data;
            ASSERT_TRUE(list.GetRowById(row, data));
            const auto bytes = std::filesystem::file_size(local.Path() / data.name);
            progress.RowStarted(row, now);
            now += std::chrono::microseconds(200000 + bytes); // 1 byte a microsecond
            progress.RowEnded(row, Outcome::Sent, now);
        }
        if (oneSize)
            EXPECT_EQ(progress.FileCost(), CRunProgress::kDefaultFileCost);
        else
            EXPECT_NEAR(static_cast<double>(progress.FileCost()), 200000.0, 2000.0);
    }
}

TEST(RunProgress, Words)
{
    struct Case {
        CRunProgressSnapshot snapshot;
        const char* text;
        const char* title;
    };
    const Case cases[] = {
        {{}, "", ""},
        {{Kind::Upload, 12, 12, 0, 50, 1258291, 5242880, 307200, 13, 24},
         "12 sent, 38 to go, 0:13 left, 1.2 MB of 5.0 MB, 300.0 KB/s", "[24 %] "},
        {{Kind::Upload, 0, 0, 0, 5000, 0, 4096000, 0, -1, 0}, "0 sent, 5,000 to go, 0 bytes of 3.9 MB", "[0 %] "},
        {{Kind::Upload, 2, 1, 1, 3, 0, 0, 1.5, 1, 66}, "1 sent, 1 failed, 1 to go, 0:01 left", "[66 %] "},
        {{Kind::Delete, 3, 3, 0, 9, 0, 0, 1, 6, 33}, "3 deleted, 6 to go, 0:06 left", "[33 %] "},
        {{Kind::Upload, 1, 1, 0, 2, 1023, 3221225472, 100, 3723, 0},
         "1 sent, 1 to go, 1:02:03 left, 1,023 bytes of 3.0 GB, 100 bytes/s", "[0 %] "},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(CRunProgressText::Describe(c.snapshot), c.text);
        EXPECT_EQ(CRunProgressText::TitlePrefix(c.snapshot), c.title);
    }
}

// The figures a real pass leaves: every row counted once, failed ones too, all bytes sent.
TEST(RunProgress, AnUploadPassEndsAtEveryRowAndByte)
{
    CFtpTestBench bench(FtpServerKind::Pyftpdlib);
    ASSERT_TRUE(bench.Ready()) << bench.Skip();
    ASSERT_TRUE(bench.Open());
    bench.Local().WriteFile("one.bin", std::string(70000, '1'));
    bench.Local().WriteFile("d/two.bin", std::string(300000, '2'));
    bench.AddRow("one.bin");
    bench.AddRow("/d/two.bin");
    bench.AddRow("gone.bin");
    CRunProgress progress;
    CTransferContext& context = bench.Context("site");
    context.overall = &progress;
    ASSERT_TRUE(bench.Connection().SetCurrentDirectory("/"));
    CFTPTransfer(context).UploadRows();
    EXPECT_EQ(bench.States(), (std::vector<int32_t>{kRowDone, kRowDone, kRowFailed}));
    const CRunProgressSnapshot s = progress.Snapshot(CRunProgress::Clock::now());
    EXPECT_EQ(s.rowsSent, 2u);
    EXPECT_EQ(s.rowsFailed, 1u);
    EXPECT_EQ(s.rowsTotal, 3u);
    EXPECT_EQ(s.bytesDone, 370000u);
    EXPECT_EQ(s.bytesTotal, 370000u);
    EXPECT_EQ(s.percent, 100);
}

// A delete pass counts entries: each row once, the directory after its files.
TEST(RunProgress, ADeletePassCountsItsEntries)
{
    CFtpTestBench bench(FtpServerKind::Pyftpdlib);
    ASSERT_TRUE(bench.Ready()) << bench.Skip();
    bench.Served().WriteFile("old/a.htm", "a");
    bench.Served().WriteFile("old/b.htm", "b");
    ASSERT_TRUE(bench.Open());
    for (const char* name : {"/old/a.htm", "/old/b.htm", "/old/"})
        bench.List().Insert(bench.List().Count(), kKindFtpEntry << 4, name, "1");
    CRunProgress progress;
    CTransferContext& context = bench.Context("");
    context.overall = &progress;
    ASSERT_TRUE(bench.Connection().SetCurrentDirectory("/"));
    CFTPTransfer(context).DeleteRows(CDeletePlan::TreeDelete("/"));
    EXPECT_EQ(bench.States(), (std::vector<int32_t>{kRowDone, kRowDone, kRowDone}));
    const CRunProgressSnapshot s = progress.Snapshot(CRunProgress::Clock::now());
    EXPECT_EQ(s.kind, Kind::Delete);
    EXPECT_EQ(s.rowsDone, 3u);
    EXPECT_EQ(s.rowsTotal, 3u);
    EXPECT_EQ(s.percent, 100);
    EXPECT_EQ(CRunProgressText::Describe(s), "3 deleted, 0 to go");
}

} // namespace
} // namespace skerrow
