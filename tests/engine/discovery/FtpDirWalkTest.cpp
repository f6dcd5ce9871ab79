// The FTP walk of a tree deletion against pyftpdlib and vsftpd, and against a server whose
// listing names entries that must never become rows.

#include <gtest/gtest.h>

#include <filesystem>
#include <random>

#include "discovery/CLeftoverDirWalk.h"
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

// A random tree, links to its directories among the entries, listed on one connection and on four:
// the same rows in the same order, for a tree deletion and for server leftovers alike.
TEST_P(FtpDirWalkTest, SeveralConnectionsListTheSameRowsAsOne)
{
    namespace fs = std::filesystem;
    const unsigned seed = std::random_device{}();
    SCOPED_TRACE("seed " + std::to_string(seed));
    std::mt19937 random(seed);
    CTempDir& served = m_bench->Served();
    std::vector<std::string> dirs{"r"};
    served.MakeDir("r");
    for (int i = 0; i < 60; ++i) {
        const std::string parent = dirs[random() % dirs.size()];
        const std::string name = parent + "/n" + std::to_string(i);
        const fs::path target = served.Path() / dirs[random() % dirs.size()];
        const auto kind = random() % 10;
        if (kind == 0) {
            fs::create_directory_symlink(fs::relative(target, served.Path() / parent), served.Path() / name);
        } else if (kind < 4) {
            dirs.push_back(name);
            served.MakeDir(name);
        } else {
            served.WriteFile(name, std::string(random() % 3000, 'x'));
        }
    }
    CTempDir empty; // every server entry is a leftover
    std::vector<std::string> rows[2][2];
    for (const int connections : {1, 4}) {
        for (const bool leftovers : {false, true}) {
            m_bench->List().DeleteAll();
            CTreeDelDirWalk tree;
            CLeftoverDirWalk left;
            tree.Setup(&m_bench->List());
            left.Setup(&m_bench->List(), "/r", empty.Str(), {});
            CFTPDirWalk& walk = leftovers ? static_cast<CFTPDirWalk&>(left) : tree;
            walk.SetConnections(m_bench->Lanes(connections));
            ASSERT_TRUE(leftovers ? left.WalkServer(&m_bench->Connection()) : Walk(tree, "/r")) << walk.Failure();
            rows[connections == 4][leftovers] = test::RowNames(m_bench->List());
        }
    }
    EXPECT_EQ(rows[0][0].size(), 60u);
    EXPECT_EQ(rows[1][0], rows[0][0]);
    EXPECT_EQ(rows[1][1], rows[0][1]);
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
