// The directories an upload pass shares between its connections: each is handled by one connection
// at a time and made once, a failure passes it on to the next connection that needs it, and a pass
// on several connections over a real server sends no MKD twice and no CWD into what it has just made.

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <map>
#include <mutex>
#include <random>
#include <stdexcept>
#include <thread>

#include "list/RowWord.h"
#include "transfer/CDirectoryClaim.h"
#include "transfer/CDirectoryClaims.h"
#include "transfer/CUploadLanes.h"
#include "support/CFtpTestBench.h"

namespace skerrow {
namespace {

using Claim = CDirectoryClaims::Claim;
using Outcome = CDirectoryClaims::Outcome;

TEST(DirectoryClaimsTest, AClaimIsHeldByOneAndAFailurePassesItOn)
{
    CDirectoryClaims claims;
    EXPECT_EQ(claims.TryAcquire("/"), Claim::Known);
    EXPECT_EQ(claims.Acquire("/a"), Claim::Mine);
    EXPECT_EQ(claims.TryAcquire("/a"), Claim::Busy);
    claims.Settle("/a", Outcome::Failed);
    EXPECT_FALSE(claims.IsKnown("/a"));
    EXPECT_EQ(claims.TryAcquire("/a"), Claim::Mine);
    claims.Settle("/a", Outcome::Found);
    EXPECT_EQ(claims.Acquire("/a"), Claim::Known);
    EXPECT_FALSE(claims.WasMade("/a"));
    EXPECT_EQ(claims.Acquire("/a/b"), Claim::Mine);
    claims.Settle("/a/b", Outcome::Made);
    EXPECT_TRUE(claims.IsKnown("/a/b") && claims.WasMade("/a/b"));
    EXPECT_EQ(CDirectoryClaims::Parent("/a/b"), "/a");
    EXPECT_EQ(CDirectoryClaims::Parent("/a"), "/");
    EXPECT_EQ(CDirectoryClaims::Parent("/"), "/");
}

// A holder that throws still lets the others on; a connection waiting for a directory another one
// holds leaves once the run is over.
TEST(DirectoryClaimsTest, AThrowingHolderLetsTheOthersOnAndAStoppedWaiterLeaves)
{
    CDirectoryClaims claims;
    try {
        ASSERT_EQ(claims.Acquire("/a"), Claim::Mine);
        CDirectoryClaim claim(claims, "/a");
        throw std::runtime_error("made by the test");
    } catch (const std::runtime_error&) {
    }
    ASSERT_EQ(claims.TryAcquire("/a"), Claim::Mine);
    std::atomic<bool> stopped{false};
    Claim waited = Claim::Known;
    std::thread waiter([&] { waited = claims.Acquire("/a", [&] { return stopped.load(); }); });
    stopped = true;
    waiter.join();
    EXPECT_EQ(waited, Claim::Stopped);
}

// Connections walking the same tree in random orders, failing now and then: never two on one
// directory, each made exactly once, and a waiter always gets on.
TEST(DirectoryClaimsTest, RacingConnectionsMakeEachDirectoryOnce)
{
    std::vector<std::string> dirs;
    for (int a = 0; a < 4; ++a) {
        dirs.push_back("/s" + std::to_string(a));
        for (int b = 0; b < 4; ++b)
            dirs.push_back("/s" + std::to_string(a) + "/t" + std::to_string(b));
    }
    CDirectoryClaims claims;
    std::map<std::string, std::atomic<int>> holders, made;
    for (const std::string& dir : dirs) {
        holders[dir] = 0;
        made[dir] = 0;
    }
    std::atomic<bool> overlap{false};
    std::vector<std::thread> threads;
    for (unsigned seed = 1; seed <= 6; ++seed) {
        threads.emplace_back([&, seed] {
            std::mt19937 random(seed);
            std::vector<std::string> order = dirs;
            std::shuffle(order.begin(), order.end(), random);
            for (const std::string& dir : order) {
                for (const std::string& level : {CDirectoryClaims::Parent(dir), dir}) {
                    Claim claim = Claim::Busy;
                    while (claim != Claim::Known) {
                        claim = random() % 2 ? claims.Acquire(level) : claims.TryAcquire(level);
                        if (claim != Claim::Mine)
                            continue;
                        if (level != "/" && holders[level]++ != 0)
                            overlap = true;
                        std::this_thread::yield();
                        const bool fails = random() % 3 == 0;
                        if (!fails)
                            ++made[level];
                        --holders[level];
                        claims.Settle(level, fails ? Outcome::Failed : Outcome::Made);
                    }
                }
            }
        });
    }
    for (std::thread& thread : threads)
        thread.join();
    EXPECT_FALSE(overlap.load());
    for (const std::string& dir : dirs) {
        EXPECT_EQ(made[dir].load(), 1) << dir;
        EXPECT_TRUE(claims.WasMade(dir)) << dir;
    }
}

// One and four connections over a fresh tree beside an existing one, against each kind of server.
class DirectoryLanesTest : public ::testing::TestWithParam<test::FtpServerKind> {};

TEST_P(DirectoryLanesTest, EachDirectoryIsMadeOnceAndWhatThePassMadeIsNeverChecked)
{
    for (const int connections : {1, 4}) {
        SCOPED_TRACE(std::to_string(connections) + " connections");
        test::CFtpTestBench bench(GetParam(), [](test::CTempDir& served) {
            served.WriteFile("site/old/keep.txt", "keep");
            return std::vector<std::string>();
        });
        if (!bench.Ready())
            GTEST_SKIP() << bench.Skip();
        std::mutex mutex;
        std::vector<std::string> log; // CWD and MKD of every connection, in the order sent
        auto record = [&mutex, &log](CFtpConnection& connection) {
            connection.SetLogCallback([&mutex, &log](const std::string& line) {
                std::lock_guard lock(mutex);
                if (line.rfind("> CWD ", 0) == 0 || line.rfind("> MKD ", 0) == 0)
                    log.push_back(line.substr(2));
            });
        };
        for (int i = 0; i < 60; ++i) {
            const std::string dir = i % 5 == 0 ? "old" : "n" + std::to_string(i % 4) + "/m" + std::to_string(i % 3);
            const std::string name = dir + "/f" + std::to_string(i) + ".bin";
            bench.Local().WriteFile(name, std::string(static_cast<size_t>(100 + i), char('a' + i % 26)));
            bench.AddRow("/" + name);
        }
        record(bench.Connection());
        ASSERT_TRUE(bench.Open());
        CUploadLanes::Setup setup;
        setup.connections = connections;
        setup.open = [&bench, &record](CFtpConnection& more) {
            record(more);
            more.SetTimeouts(5, 5);
            return more.Open("127.0.0.1", bench.Server().Port(), bench.Server().User(), bench.Server().Password(),
                             true);
        };
        CUploadLanes(bench.Context("site"), setup).Run();
        bench.Connection().Close();
        EXPECT_EQ(bench.List().CountInState(kRowDone), bench.List().Count());
        EXPECT_EQ(bench.Served().ReadFile("site/n3/m2/f59.bin"), std::string(159, char('a' + 59 % 26)));
        auto at = [&log](const std::string& command) {
            return static_cast<size_t>(std::find(log.begin(), log.end(), command) - log.begin());
        };
        EXPECT_EQ(at("MKD /site/old"), log.size());
        size_t made = 0;
        for (const std::string& command : log) {
            if (command.rfind("MKD ", 0) != 0)
                continue;
            ++made;
            const std::string dir = command.substr(4);
            EXPECT_EQ(std::count(log.begin(), log.end(), command), 1) << dir;
            // Once made, a directory is never entered: the uploads name it in full.
            EXPECT_TRUE(std::find(log.begin() + static_cast<long>(at(command)), log.end(), "CWD " + dir) == log.end())
                << dir;
            // Nothing can be inside a directory the pass has just made (one connection: in order).
            const size_t probe = at("CWD " + dir);
            if (connections == 1 && dir.find('/', 6) != std::string::npos && probe < log.size()) {
                EXPECT_LT(probe, at("MKD " + CDirectoryClaims::Parent(dir))) << dir;
            }
        }
        EXPECT_EQ(made, 4u + 12u);
    }
}

INSTANTIATE_TEST_SUITE_P(Servers, DirectoryLanesTest,
                         ::testing::Values(test::FtpServerKind::Pyftpdlib, test::FtpServerKind::Vsftpd),
                         test::CFtpServerProcess::ParamName<::testing::TestParamInfo<test::FtpServerKind>>);

} // namespace
} // namespace skerrow
