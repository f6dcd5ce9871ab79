// The FTP walk of a tree deletion against pyftpdlib and vsftpd, and against a server whose
// listing names entries that must never become rows.

#include <gtest/gtest.h>

#include "discovery/CTreeDelDirWalk.h"
#include "support/CFtpTestBench.h"
#include "list/RowWord.h"
#include "support/RowNames.h"

namespace skerrow {
namespace {

using test::CFtpServerProcess;
using test::CFtpTestBench;
using test::CTempDir;
using test::FtpServerKind;

class FtpDirWalkTest : public ::testing::TestWithParam<FtpServerKind> {
protected:
    void SetUp() override
    {
        m_bench = std::make_unique<CFtpTestBench>(GetParam(), [](CTempDir& served) {
            served.WriteFile("t/a/b/f.txt", std::string(3000, 'x'));
            served.WriteFile("t/.htaccess", "deny");
            served.MakeDir("t/empty");
            served.WriteFile("u/locked/secret.txt", "s");
            served.WriteFile("other.txt", "o");
            return CFtpServerProcess::NoEnterArgs(GetParam(), served.Str(), "u/locked");
        });
        if (!m_bench->Ready())
            GTEST_SKIP() << m_bench->Skip();
        ASSERT_TRUE(m_bench->Open());
    }

    bool Walk(CTreeDelDirWalk& walk, const char* start)
    {
        walk.Setup(&m_bench->List());
        walk.SetStopCheck([this] { return m_bench->Stop().IsSet(); });
        return walk.Walk(&m_bench->Connection(), start, "*");
    }

    std::unique_ptr<CFtpTestBench> m_bench;
};

TEST_P(FtpDirWalkTest, ListsEveryEntryBelowTheStartEachDirectoryAfterItsContents)
{
    ASSERT_TRUE(m_bench->Connection().SetCurrentDirectory("/"));
    CTreeDelDirWalk walk;
    ASSERT_TRUE(Walk(walk, "/t"));
    std::vector<std::string> names = test::RowNames(m_bench->List());
    auto at = [&names](const std::string& name) {
        return std::find(names.begin(), names.end(), name) - names.begin();
    };
    // The start directory never gets a row.
    ASSERT_EQ(names.size(), 5u);
    EXPECT_LT(at("/t/a/b/f.txt"), at("/t/a/b/"));
    EXPECT_EQ(at("/t/a/b/f.txt") + 1, at("/t/a/b/"));
    EXPECT_EQ(at("/t/a/b/") + 1, at("/t/a/"));
    EXPECT_LT(at("/t/.htaccess"), 5);
    EXPECT_LT(at("/t/empty/"), 5);
    EXPECT_EQ(walk.Depth(), 0);

    CTransferRow row;
    ASSERT_TRUE(m_bench->List().GetRow(static_cast<size_t>(at("/t/a/b/f.txt")), row));
    EXPECT_EQ(row.word, 0x30);
    EXPECT_EQ(row.size, "3");
    ASSERT_TRUE(m_bench->List().GetRow(static_cast<size_t>(at("/t/a/")), row));
    EXPECT_EQ(row.size, "1");

    std::string current;
    ASSERT_TRUE(m_bench->Connection().GetCurrentDirectory(current));
    EXPECT_EQ(current, "/");
}

TEST_P(FtpDirWalkTest, MissingStartLockedDirectoryAndStopLeaveNoRows)
{
    CTreeDelDirWalk walk;
    EXPECT_FALSE(Walk(walk, "/no/such"));
    EXPECT_EQ(m_bench->List().Count(), 0u);
    // A listed directory that cannot be entered fails the walk; it is not left out quietly.
    EXPECT_FALSE(Walk(walk, "/u"));
    EXPECT_NE(walk.Failure().find("/u/locked could not be entered"), std::string::npos) << walk.Failure();
    EXPECT_FALSE(Walk(walk, ""));
    EXPECT_EQ(m_bench->List().Count(), 0u);
    EXPECT_FALSE(walk.Walk(nullptr, "/t", "*"));

    // A Stop seen by the start level's listing: nothing below it is acted on.
    m_bench->Stop().Set();
    CTreeDelDirWalk stopped;
    ASSERT_TRUE(Walk(stopped, "/t"));
    EXPECT_EQ(m_bench->List().Count(), 0u);
    EXPECT_TRUE(m_bench->Stop().IsSet()); // the run's stop stays set for everything after
}

INSTANTIATE_TEST_SUITE_P(Servers, FtpDirWalkTest, ::testing::Values(FtpServerKind::Pyftpdlib, FtpServerKind::Vsftpd),
                         test::CFtpServerProcess::ParamName<::testing::TestParamInfo<FtpServerKind>>);

TEST(FtpDirWalkListing, NamesWithSlashesAndDotEntriesNeverBecomeRows)
{
    CFtpTestBench bench(FtpServerKind::Misbehaving, [](CTempDir& served) {
        served.WriteFile("t/ok.txt", "ok");
        return std::vector<std::string>{"--bad-list"};
    });
    ASSERT_TRUE(bench.Ready()) << bench.Skip();
    ASSERT_TRUE(bench.Open());
    CTreeDelDirWalk walk;
    walk.Setup(&bench.List());
    ASSERT_TRUE(walk.Walk(&bench.Connection(), "/t", "*"));
    EXPECT_EQ(test::RowNames(bench.List()), (std::vector<std::string>{"/t/ok.txt"}));
}

} // namespace
} // namespace skerrow
