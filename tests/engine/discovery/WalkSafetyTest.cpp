// Both FTP walks (tree deletion, server leftovers) on trees with links out and back up, directories
// inside themselves, refused and cut-off listings: nothing outside the start is reported, no
// directory entered twice, the walk ends, and it fails whenever a listing does.

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <memory>
#include <mutex>
#include <set>

#include "discovery/CLeftoverDirWalk.h"
#include "discovery/CTreeDelDirWalk.h"
#include "support/CFtpTestBench.h"
#include "support/ParamByName.h"
#include "support/RowNames.h"

namespace skerrow {
namespace {

namespace fs = std::filesystem;
using test::CFtpTestBench;
using test::CTempDir;
using test::FtpServerKind;

struct Behaviour {
    const char* name;
    FtpServerKind kind;
    std::vector<std::string> args;
    std::vector<std::string> failureSays; // empty: the walk completes
    bool aliasInSub = false;              // sub/ holds another name for itself
    bool entersToTell = false;            // no unique fact: an alias is told by its path, once entered
};

const Behaviour kBehaviours[] = {
    {"pyftpdlib_links", FtpServerKind::Pyftpdlib, {}, {}},
    {"list_links", FtpServerKind::Misbehaving, {}, {}},
    {"mlsd_links", FtpServerKind::Misbehaving, {"--mlsd"}, {}},
    {"self_dir_unique", FtpServerKind::Misbehaving, {"--mlsd", "--self-dir", "again"}, {}, true},
    {"self_dir_real_pwd", FtpServerKind::Misbehaving, {"--self-dir", "again", "--pwd-resolves"}, {}, true, true},
    {"self_dir_logical_pwd", FtpServerKind::Misbehaving, {"--self-dir", "again"}, {"more than 64 levels"}},
    {"refused_sub", FtpServerKind::Misbehaving, {"--mlsd", "--refuse-list", "www/sub"},
     {"/www/sub could not be listed", "550 Permission denied."}},
    {"busy_sub", FtpServerKind::Misbehaving, {"--refuse-list", "www/sub", "--refuse-list-reply", "450 Busy."},
     {"/www/sub could not be listed", "450 Busy."}},
    {"refused_start", FtpServerKind::Misbehaving, {"--refuse-list", "www"},
     {"/www could not be listed", "550 Permission denied."}},
    {"truncated", FtpServerKind::Misbehaving, {"--mlsd", "--truncate-list"},
     {"/www could not be listed", "426 Connection closed"}},
};

// The real directory a CWD entered: "again" stands for the directory that holds it.
fs::path RealDirectory(const fs::path& served, const std::string& path)
{
    fs::path real = served;
    for (const fs::path& part : fs::path(path).relative_path())
        real /= part == "again" ? fs::path(".") : part;
    return fs::canonical(real);
}

class WalkSafetyTest : public ::testing::TestWithParam<Behaviour> {};

TEST_P(WalkSafetyTest, StaysInsideEntersEachDirectoryOnceAndFailsWithAListing)
{
    const Behaviour& c = GetParam();
    CFtpTestBench bench(c.kind, [&c](CTempDir& served) {
        served.WriteFile("www/a.txt", "a");
        served.WriteFile("www/sub/b.txt", "b");
        served.WriteFile("outside/keep.txt", "k");
        fs::create_directory_symlink(served.Path() / "outside", served.Path() / "www/out");
        fs::create_directory_symlink("..", served.Path() / "www/sub/loop");
        return c.args;
    });
    ASSERT_TRUE(bench.Ready()) << bench.Skip();
    ASSERT_TRUE(bench.Open());
    // Every directory entered (CWD), and those listed there (MLSD or LIST, once per CWD), on every
    // connection of the walk.
    std::mutex mutex;
    std::vector<std::string> entered, listed;
    auto trail = [&mutex, &entered, &listed](CFtpConnection& connection) {
        auto at = std::make_shared<std::pair<std::string, bool>>(); // where it is, listed there yet
        connection.SetLogCallback([&mutex, &entered, &listed, at](const std::string& line) {
            std::lock_guard lock(mutex);
            if (line.rfind("> CWD /www", 0) == 0) {
                entered.push_back(line.substr(6));
                *at = {entered.back(), false};
            } else if ((line == "> MLSD" || line == "> LIST -a") && !at->first.empty() && !at->second) {
                listed.push_back(at->first);
                at->second = true;
            }
        });
    };
    trail(bench.Connection());
    const fs::path www = fs::canonical(bench.Served().Path() / "www");
    CFtpConnection& connection = bench.Connection();
    CTempDir local; // empty: every server entry is a leftover
    // Connections, leftovers: both walks on one connection, and the one that asks ShouldEnter on three.
    const std::pair<int, bool> walks[] = {{1, false}, {1, true}, {3, true}};
    for (const auto& [connections, leftovers] : walks) {
        SCOPED_TRACE((leftovers ? "leftovers on " : "tree deletion on ") + std::to_string(connections));
        entered.clear();
        listed.clear();
        bench.List().DeleteAll();
        CTreeDelDirWalk tree;
        CLeftoverDirWalk left;
        tree.Setup(&bench.List());
        left.Setup(&bench.List(), "/www", local.Str(), {});
        (leftovers ? static_cast<CFTPDirWalk&>(left) : tree).SetConnections(bench.Lanes(connections, trail));
        const bool walked = leftovers ? left.WalkServer(&connection) : tree.Walk(&connection, "/www", "*");
        const std::string& failure = leftovers ? left.Failure() : tree.Failure();
        EXPECT_EQ(walked, c.failureSays.empty()) << failure;
        for (const std::string& part : c.failureSays)
            EXPECT_NE(failure.find(part), std::string::npos) << failure;
        std::vector<std::string> rows = test::RowNames(bench.List());
        for (const std::string& row : rows)
            EXPECT_EQ(row.rfind("/www/", 0), 0u) << row;
        for (const std::string& path : entered)
            EXPECT_EQ(RealDirectory(bench.Served().Path(), path).native().rfind(www.native(), 0), 0u) << path;
        std::set<fs::path> real;
        for (const std::string& path : c.entersToTell ? listed : entered) {
            const bool once = real.insert(RealDirectory(bench.Served().Path(), path)).second;
            EXPECT_TRUE(once || !c.failureSays.empty()) << path << " is gone into a second time";
        }
        EXPECT_LE(entered.size(), static_cast<size_t>(CFTPDirWalk::kMaxDepth + 2) * connections);
        if (!c.failureSays.empty())
            continue;
        // Links are entries of their own; an alias keeps sub/ from being a leftover.
        std::vector<std::string> expected{"/www/a.txt", "/www/out", "/www/sub/", "/www/sub/b.txt", "/www/sub/loop"};
        if (leftovers && c.aliasInSub)
            expected.erase(expected.begin() + 2);
        std::sort(rows.begin(), rows.end());
        EXPECT_EQ(rows, expected);
    }
}

INSTANTIATE_TEST_SUITE_P(Servers, WalkSafetyTest, ::testing::ValuesIn(kBehaviours), test::ParamByName());

} // namespace
} // namespace skerrow
