// The search for server leftovers against real servers: a renamed file, a removed directory, kept
// files (exclusion rules, the "_" rule, a directory still holding one) and nothing outside the start
// directory, whatever the listing names.

#include <gtest/gtest.h>

#include <algorithm>
#include <map>

#include "discovery/CLeftoverDirWalk.h"
#include "list/RowWord.h"
#include "support/CFtpTestBench.h"
#include "support/RowNames.h"

namespace skerrow {
namespace {

using test::CFtpTestBench;
using test::CTempDir;
using test::FtpServerKind;

TEST(LeftoverWalk, RelativePathsNeverLeaveTheStartDirectory)
{
    const struct {
        const char* start;
        const char* full;
        const char* relative;
    } cases[] = {
        {"/site", "/site/a.htm", "a.htm"},   {"/site", "/site/d/", "d"},         {"/site", "/site/d/e/f", "d/e/f"},
        {"/", "/a.htm", "a.htm"},            {"/site", "/site2/a.htm", ""},      {"/site", "/site", ""},
        {"/site", "/site/", ""},             {"/site", "/other/a.htm", ""},      {"/site", "/site/../x", ""},
        {"/site", "/site/a//b", ""},         {"/site", "/site/./a", ""},         {"/site", "site/a", ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(CLeftoverDirWalk::RelativePath(c.start, c.full), c.relative) << c.start << " " << c.full;
}

class LeftoverWalkTest : public ::testing::TestWithParam<FtpServerKind> {
protected:
    std::vector<std::string> Walk(CFtpTestBench& bench, const std::string& start, bool expectWalked = true)
    {
        CTransferList list;
        CLeftoverDirWalk walk;
        walk.Setup(&list, start, m_local.Str(), {".git/", ".htaccess"});
        EXPECT_EQ(walk.WalkServer(&bench.Connection()), expectWalked);
        std::vector<std::string> names;
        for (const CTransferRow& row : list.Snapshot()) {
            EXPECT_EQ(RowKindOf(row.word), kKindLeftover) << row.name;
            EXPECT_EQ(RowStateOf(row.word), kRowPending) << row.name;
            names.push_back(row.name);
        }
        EXPECT_EQ(walk.Files() + walk.Directories(), names.size());
        return names;
    }
    static size_t IndexOf(const std::vector<std::string>& names, const std::string& name)
    {
        return static_cast<size_t>(std::find(names.begin(), names.end(), name) - names.begin());
    }

    CTempDir m_local;
};

TEST_P(LeftoverWalkTest, ListsWhatTheFolderNoLongerHasAndNothingElse)
{
    CFtpTestBench bench(GetParam(), [](CTempDir& served) {
        served.WriteFile("site/index.html", "i");
        served.WriteFile("site/old.html", "renamed locally");
        served.WriteFile("site/img/logo.gif", "g");
        served.WriteFile("site/img/unused.gif", "u");
        served.WriteFile("site/gone/a.htm", "a");
        served.WriteFile("site/gone/sub/b.htm", "b");
        served.WriteFile("site/.htaccess", "deny");
        served.WriteFile("site/keep/.htaccess", "deny");
        served.WriteFile("site/keep/x.html", "x");
        served.WriteFile("site/_drafts/d.html", "d");
        served.WriteFile("site/.git/config", "c");
        served.WriteFile("site/.skerrowignore", "r");
        served.WriteFile("site2/a.htm", "next door");
        served.WriteFile("outside.html", "o");
        return std::vector<std::string>{};
    });
    if (!bench.Ready())
        GTEST_SKIP() << bench.Skip();
    ASSERT_TRUE(bench.Open());
    m_local.WriteFile("index.html", "i");
    m_local.WriteFile("new.html", "renamed locally");
    m_local.WriteFile("img/logo.gif", "g");

    std::vector<std::string> names = Walk(bench, "site");
    // Each directory after everything in it.
    EXPECT_LT(IndexOf(names, "/site/gone/sub/b.htm"), IndexOf(names, "/site/gone/sub/"));
    EXPECT_LT(IndexOf(names, "/site/gone/sub/"), IndexOf(names, "/site/gone/"));
    EXPECT_LT(IndexOf(names, "/site/gone/a.htm"), IndexOf(names, "/site/gone/"));
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{"/site/gone/", "/site/gone/a.htm", "/site/gone/sub/",
                                               "/site/gone/sub/b.htm", "/site/img/unused.gif", "/site/keep/x.html",
                                               "/site/old.html"}));

    // The same tree below "/" as the start: the start directory's neighbours are leftovers then,
    // but what the rules keep is still kept.
    m_local.WriteFile("site/index.html", "i");
    names = Walk(bench, "/");
    EXPECT_NE(IndexOf(names, "/outside.html"), names.size());
    EXPECT_NE(IndexOf(names, "/site2/"), names.size());
    EXPECT_EQ(IndexOf(names, "/site/"), names.size());
    EXPECT_EQ(IndexOf(names, "/site/.htaccess"), names.size());
    EXPECT_EQ(IndexOf(names, "/site/.git/config"), names.size());
}

TEST_P(LeftoverWalkTest, AnUnreadableRuleFileOrNoFolderListsNothing)
{
    CFtpTestBench bench(GetParam(), [](CTempDir& served) {
        served.WriteFile("site/old.html", "o");
        return std::vector<std::string>{};
    });
    if (!bench.Ready())
        GTEST_SKIP() << bench.Skip();
    ASSERT_TRUE(bench.Open());
    m_local.MakeDir(".skerrowignore"); // there, but no file to read
    EXPECT_TRUE(Walk(bench, "site", false).empty());
    std::filesystem::remove(m_local.Path() / ".skerrowignore");
    EXPECT_EQ(Walk(bench, "site"), std::vector<std::string>{"/site/old.html"});
    std::filesystem::remove_all(m_local.Path());
    EXPECT_TRUE(Walk(bench, "site", false).empty());
}

INSTANTIATE_TEST_SUITE_P(Servers, LeftoverWalkTest, ::testing::Values(FtpServerKind::Pyftpdlib, FtpServerKind::Vsftpd),
                         test::CFtpServerProcess::ParamName<::testing::TestParamInfo<FtpServerKind>>);

TEST(LeftoverWalk, NamesALyingListingGivesAreNeverListed)
{
    CFtpTestBench bench(FtpServerKind::Misbehaving, [](CTempDir& served) {
        served.WriteFile("site/d/old.htm", "o");
        served.WriteFile("x", "outside");
        return std::vector<std::string>{"--bad-list"};
    });
    if (!bench.Ready())
        GTEST_SKIP() << bench.Skip();
    ASSERT_TRUE(bench.Open());
    CTempDir local;
    CTransferList list;
    CLeftoverDirWalk walk;
    walk.Setup(&list, "/site", local.Str(), {});
    ASSERT_TRUE(walk.WalkServer(&bench.Connection()));
    EXPECT_EQ(test::RowNames(list), (std::vector<std::string>{"/site/d/old.htm", "/site/d/"}));
}

// However many server entries a local directory is asked about, it is read once; one that cannot be
// read keeps all the server has in it; a stop that comes while the folder is read lists nothing more.
TEST(LeftoverWalk, EachLocalDirectoryIsReadOnceAndOnlyWhatWasReadIsLeftOver)
{
    CFtpTestBench bench(FtpServerKind::Pyftpdlib, [](CTempDir& served) {
        for (int i = 0; i < 40; ++i) {
            for (const char* directory : {"site/", "site/a/", "site/b/"})
                served.WriteFile(directory + ("p" + std::to_string(i)) + ".html", "x");
        }
        return std::vector<std::string>{};
    });
    if (!bench.Ready())
        GTEST_SKIP() << bench.Skip();
    ASSERT_TRUE(bench.Open());
    CTempDir local;
    std::vector<std::string> expected;
    for (int i = 0; i < 40; ++i) {
        const std::string name = "p" + std::to_string(i) + ".html";
        if (i % 2 == 0) {
            local.WriteFile(name, "x");
            local.WriteFile("A/P" + std::to_string(i) + ".HTML", "x");
            local.WriteFile("b/" + name, "x");
        } else {
            expected.insert(expected.end(), {"/site/" + name, "/site/a/" + name});
        }
    }
    const std::string root = local.Str();
    std::map<std::string, int> reads;
    bool stop = false;
    bool stopWhileReading = false;
    const auto walkOnce = [&] {
        CTransferList list;
        CLeftoverDirWalk walk;
        walk.Setup(&list, "/site", root, {});
        walk.SetStopCheck([&stop] { return stop; });
        walk.SetDirectoryReader([&](const std::string& directory, std::vector<std::string>& names,
                                    const std::function<bool()>& stopped) {
            ++reads[directory];
            const CLocalNameIndex::Read read = directory == root + "/b"
                                                   ? CLocalNameIndex::Read::Unreadable
                                                   : CLocalNameIndex::ReadDirectory(directory, names, stopped);
            stop = stopWhileReading; // just after the reading, as a look-up goes on
            return read;
        });
        walk.WalkServer(&bench.Connection());
        return test::Sorted(test::RowNames(list));
    };
    EXPECT_EQ(walkOnce(), test::Sorted(expected));
    EXPECT_EQ(reads, (std::map<std::string, int>{{root, 1}, {root + "/A", 1}, {root + "/b", 1}}));
    stopWhileReading = true;
    EXPECT_EQ(walkOnce(), std::vector<std::string>{});
}

} // namespace
} // namespace skerrow
