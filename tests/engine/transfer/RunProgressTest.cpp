// The overall progress of a pass: its totals, its rate and time left on a clock of the test's own,
// its words, and the figures a real upload pass leaves.

#include <gtest/gtest.h>

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
    CTempDir local;
    local.WriteFile("a.bin", std::string(1000, 'a'));
    local.WriteFile("sub/b.bin", std::string(3000, 'b'));
    local.WriteFile("done.bin", std::string(5000, 'd'));
    CTransferList list;
    for (const char* name : {"a.bin", "/sub/b.bin", "done.bin", "missing.bin"})
        list.Insert(list.Count(), kKindPcFile, name, "1");
    const std::vector<RowId> rows = list.Ids();
    list.SetRowState(rows[2], kRowDone, std::string());

    CRunProgress progress;
    const auto t0 = CRunProgress::Clock::time_point() + std::chrono::hours(1);
    EXPECT_EQ(progress.Snapshot(t0).kind, Kind::None);
    progress.BeginPass(Kind::Upload, list, rows, local.Str());
    CRunProgressSnapshot s = progress.Snapshot(t0);
    EXPECT_EQ(s.kind, Kind::Upload);
    EXPECT_EQ(s.rowsTotal, 3u); // the Done row is not counted; the missing file counts 0 bytes
    EXPECT_EQ(s.bytesTotal, 4000u);
    EXPECT_EQ(s.percent, 0);
    EXPECT_EQ(s.secondsLeft, -1);

    progress.FileBytes(500);
    s = progress.Snapshot(t0 + milliseconds(300)); // too soon to measure a rate
    EXPECT_EQ(s.bytesDone, 500u);
    EXPECT_EQ(s.rate, 0);
    progress.RowEnded(rows[0]);
    progress.RowEnded(rows[0]); // a row ends once
    progress.RowEnded(rows[2]); // Done before the pass: not counted
    progress.FileBytes(1000);
    s = progress.Snapshot(t0 + milliseconds(1000));
    EXPECT_EQ(s.rowsDone, 1u);
    EXPECT_EQ(s.bytesDone, 2000u);
    EXPECT_EQ(s.percent, 50);
    EXPECT_DOUBLE_EQ(s.rate, 2000.0);
    EXPECT_EQ(s.secondsLeft, 1);

    // The rate follows the last few seconds, not the whole pass.
    progress.RowEnded(rows[1]);
    s = progress.Snapshot(t0 + milliseconds(9000));
    s = progress.Snapshot(t0 + milliseconds(15000));
    EXPECT_EQ(s.bytesDone, 4000u);
    EXPECT_DOUBLE_EQ(s.rate, 0.0);
    EXPECT_EQ(s.secondsLeft, -1);
    progress.RowEnded(rows[3]);
    s = progress.Snapshot(t0 + milliseconds(16000));
    EXPECT_EQ(s.rowsDone, 3u);
    EXPECT_EQ(s.percent, 100);

    // A delete counts rows: no bytes.
    progress.BeginPass(Kind::Delete, list, rows, std::string());
    progress.RowEnded(rows[0]);
    s = progress.Snapshot(t0 + milliseconds(17000));
    EXPECT_EQ(s.kind, Kind::Delete);
    EXPECT_EQ(s.bytesTotal, 0u);
    EXPECT_EQ(s.rowsTotal, 3u);
    EXPECT_EQ(s.percent, 33);
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
        {{Kind::Upload, 12, 50, 1258291, 5242880, 307200, 13, 24}, "12 of 50 files, 1.2 MB of 5.0 MB, 300.0 KB/s, 0:13 left",
         "[24 %] "},
        {{Kind::Upload, 0, 5000, 0, 4096000, 0, -1, 0}, "0 of 5000 files, 0 bytes of 3.9 MB", "[0 %] "},
        {{Kind::Upload, 2, 3, 0, 0, 1.5, 1, 66}, "2 of 3 files, 0:01 left", "[66 %] "},
        {{Kind::Delete, 3, 9, 0, 0, 1, 6, 33}, "3 of 9 entries deleted, 0:06 left", "[33 %] "},
        {{Kind::Upload, 1, 2, 1023, 3221225472, 100, 3723, 0}, "1 of 2 files, 1023 bytes of 3.0 GB, 100 bytes/s, 1:02:03 left",
         "[0 %] "},
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
    EXPECT_EQ(s.rowsDone, 3u);
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
    EXPECT_EQ(CRunProgressText::Describe(s), "3 of 3 entries deleted");
}

} // namespace
} // namespace skerrow
