// Exclusion rules: their matching, their place in the local walk, and their storage.

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <sys/stat.h>
#include <vector>

#include "discovery/CExclusionMatcher.h"
#include "discovery/CLocalCounterpart.h"
#include "discovery/CUploadDirWalk.h"
#include "settings/CExclusionList.h"
#include "settings/CIniFile.h"
#include "support/CTempDir.h"
#include "support/SiteWalk.h"
#include "list/CTransferList.h"

using namespace skerrow;
using skerrow::test::WalkSite;
namespace fs = std::filesystem;

TEST(ExclusionMatcher, RulesLikeGitignore)
{
    const struct {
        std::vector<std::string> rules;
        const char* path;
        bool isDirectory;
        bool excluded;
    } cases[] = {
        {{"*.swp"}, "a.swp", false, true},
        {{"*.swp"}, "deep/er/a.swp", false, true},
        {{"*.swp"}, "a.swp.txt", false, false},
        {{"*~"}, "notes.txt~", false, true},
        {{".git/"}, ".git", true, true},
        {{".git/"}, ".git", false, false}, // a file of that name stays
        {{".git/"}, "sub/.git", true, true},
        {{".git/"}, "sub/.git/config", false, true}, // inside an excluded directory
        {{"/drafts/"}, "drafts", true, true},
        {{"/drafts/"}, "blog/drafts", true, false},
        {{"drafts/"}, "blog/drafts", true, true},
        {{"**/node_modules/"}, "node_modules", true, true},
        {{"**/node_modules/"}, "app/js/node_modules", true, true},
        {{"*.me", "!keep.me"}, "keep.me", false, false},
        {{"*.me", "!keep.me"}, "drop.me", false, true},
        {{"!keep.me", "*.me"}, "keep.me", false, true}, // the later rule wins
        {{"build/", "!build/keep.txt"}, "build/keep.txt", false, true}, // no way back into it
        {{"doc/*.txt"}, "doc/a.txt", false, true},
        {{"doc/*.txt"}, "doc/sub/a.txt", false, false},
        {{"doc/**/*.txt"}, "doc/sub/deep/a.txt", false, true},
        {{"doc/**/*.txt"}, "doc/a.txt", false, true},
        {{"logs/**"}, "logs/x/y.log", false, true},
        {{"a/**/b"}, "a/x/y/b", false, true},
        {{"a**b"}, "a/x/b", false, false},
        {{"img?.png"}, "img1.png", false, true},
        {{"img?.png"}, "img10.png", false, false},
        {{"[Tt]humbs.db"}, "thumbs.db", false, true},
        {{"x[!0-9].txt"}, "x5.txt", false, false},
        {{"x[!0-9].txt"}, "xa.txt", false, true},
        {{"a[b"}, "a[b", false, true}, // an open class is a plain "["
        {{"Thumbs.db"}, "thumbs.db", false, false}, // case counts
        {{"\\#hash"}, "#hash", false, true},
        {{"\\!bang"}, "!bang", false, true},
        {{"# comment"}, "# comment", false, false},
        {{"trailing   "}, "trailing", false, true},
        {{"space\\ "}, "space ", false, true},
        {{"crlf.txt\r"}, "crlf.txt", false, true},
        {{"", "   ", "/"}, "anything", false, false},
        {{"/top.txt"}, "top.txt", false, true},
        {{"/top.txt"}, "sub/top.txt", false, false},
    };
    for (const auto& c : cases) {
        CExclusionMatcher matcher;
        matcher.AddRules(c.rules);
        EXPECT_EQ(matcher.ExcludesPath(c.path, c.isDirectory), c.excluded)
            << "rules " << ::testing::PrintToString(c.rules) << ", path " << c.path;
    }
}

TEST(ExclusionMatcher, WalkLeavesOutExcludedFilesAndDirectories)
{
    test::CTempDir dir;
    const fs::path site = dir.Path() / "site";
    for (const char* name : {"index.html", ".git/config", ".git/objects/ab/cd", "sub/.svn/entries", ".hg/store",
                             ".DS_Store", "img/Thumbs.db", "page.html~", ".page.html.swp", "drafts/a.html",
                             "blog/drafts/b.html", "app/node_modules/x.js", "keep.me", "drop.me", "_x/note.txt"})
        dir.WriteFile("site/" + std::string(name), "x");
    dir.WriteFile("site/.skerrowignore", "# the site's own rules\n/drafts/\n**/node_modules/\n*.me\n!keep.me\n");

    // The defaults, then the site's rules.
    EXPECT_EQ(WalkSite(site), (std::vector<std::string>{"/blog/drafts/b.html", "index.html", "keep.me"}));

    // No rules from the settings: only the site's rules apply; the rule file itself is never listed.
    const std::vector<std::string> none;
    const std::vector<std::string> all = WalkSite(site, &none);
    EXPECT_TRUE(std::find(all.begin(), all.end(), "/.git/config") != all.end());
    EXPECT_TRUE(std::find(all.begin(), all.end(), ".skerrowignore") == all.end());
    EXPECT_TRUE(std::find(all.begin(), all.end(), "/drafts/a.html") == all.end());
    EXPECT_EQ(all.size(), 11u); // 15 files less _x/note.txt and the three the site excludes

    // A rule file that cannot be read (here a pipe, which is not waited for) lists nothing at all:
    // the files it would have kept back must not be sent.
    fs::remove(site / ".skerrowignore");
    ASSERT_EQ(::mkfifo((site / ".skerrowignore").c_str(), 0600), 0);
    CTransferList list;
    CUploadDirWalk walk;
    walk.Setup(&list, site.string(), true);
    EXPECT_FALSE(walk.Walk(site.string(), "*.*"));
    EXPECT_TRUE(walk.RuleFileUnreadable());
    EXPECT_EQ(walk.RuleFilePath(), (site / ".skerrowignore").string());
    EXPECT_EQ(list.Count(), 0u);
    // No folder at all: nothing read, nothing listed.
    CUploadDirWalk noFolder;
    noFolder.Setup(&list, "", true);
    EXPECT_FALSE(noFolder.Walk("", "*.*"));
    EXPECT_FALSE(noFolder.RuleFileUnreadable());
    // Without it, the settings' rules alone.
    fs::remove(site / ".skerrowignore");
    const std::vector<std::string> settingsOnly{"*.html"};
    EXPECT_EQ(WalkSite(site, &settingsOnly).size(), 11u);
}

// A rule ending in "/" leaves out directories only: a file of that name is sent, and on the server
// it is a leftover like any other, where a directory of that name is kept.
TEST(ExclusionMatcher, DirectoryOnlyRulesLeaveFilesOfThatNameAlone)
{
    test::CTempDir dir;
    const fs::path site = dir.Path() / "site";
    for (const char* name : {"cache", "sub/cache/a.txt", "sub/logs", "logs/b.txt", "build", "x.tmp", "y.tmp/c.txt"})
        dir.WriteFile("site/" + std::string(name), "x");
    dir.WriteFile("site/.skerrowignore", "cache/\nlogs/\n/build/\n*.tmp/\n");
    const std::vector<std::string> none;
    EXPECT_EQ(WalkSite(site, &none), (std::vector<std::string>{"/sub/logs", "build", "cache", "x.tmp"}));

    // The same rules for the server's entries, against a folder that holds none of them.
    fs::remove_all(site);
    dir.WriteFile("site/.skerrowignore", "cache/\nlogs/\n/build/\n*.tmp/\n");
    CLocalCounterpart counterpart;
    ASSERT_TRUE(counterpart.Setup(site.string(), none));
    const struct {
        const char* path;
        bool kept; // a file of that path
        bool keptAsDirectory; // a directory of that path
    } cases[] = {{"cache", false, true}, {"sub/cache", false, true}, {"sub/logs", false, true},
                 {"build", false, true}, {"deep/build", false, false}, {"x.tmp", false, true}};
    for (const auto& c : cases) {
        EXPECT_EQ(counterpart.KeepsFile(c.path), c.kept) << c.path;
        EXPECT_EQ(counterpart.KeepsDirectory(c.path), c.keptAsDirectory) << c.path;
        EXPECT_EQ(counterpart.ExcludesDirectory(c.path), c.keptAsDirectory) << c.path;
    }
}

TEST(ExclusionList, StoredAsCountAndNumberedPatterns)
{
    test::CTempDir dir;
    const std::string ini = (dir.Path() / "skerrow.ini").string();
    const auto load = [&ini]() {
        CExclusionList list;
        list.LoadFrom(ini);
        return list.Patterns();
    };
    EXPECT_EQ(load(), CExclusionList::Defaults()); // no file
    EXPECT_EQ(CExclusionList::Defaults().size(), 7u);

    const struct {
        const char* section;
        std::vector<std::string> expected;
    } cases[] = {
        {"[Exclusions]\nCount=0\nPattern1=*.swp\n", {}},
        {"[Exclusions]\nCount=2\nPattern1=*.bak\npattern2 = /drafts/ \nPattern3=not.read\n", {"*.bak", "/drafts/"}},
        {"[exclusions]\nCOUNT=3\nPattern1=a\nPattern3=c\n", {"a", "c"}},
        {"[Exclusions]\nCount=\nPattern1=a\n", CExclusionList::Defaults()},
        {"[Exclusions]\nCount=two\n", CExclusionList::Defaults()},
        {"[Exclusions]\nCount=-1\n", CExclusionList::Defaults()},
        {"[Exclusions]\nCount=4000000000\nPattern1=a\n", {"a"}},
        {"[Other]\nCount=0\n", CExclusionList::Defaults()},
    };
    for (const auto& c : cases) {
        dir.WriteFile("skerrow.ini", c.section);
        EXPECT_EQ(load(), c.expected) << c.section;
    }

    // Written back as it is read; blank rules are dropped, the other sections stay.
    dir.WriteFile("skerrow.ini", "[Data]\nLastRun=x\n[Exclusions]\nCount=1\nPattern1=old\n");
    ASSERT_TRUE(CExclusionList::Store(ini, {".git/", "  ", "!keep.me", "[abc]"}));
    EXPECT_EQ(load(), (std::vector<std::string>{".git/", "!keep.me", "[abc]"}));
    EXPECT_EQ(CIniFile::GetString(ini, "Data", "LastRun", ""), "x");
    ASSERT_TRUE(CExclusionList::Store(ini, {}));
    EXPECT_TRUE(load().empty());
    // A rule with a line break is refused as a whole, and the section keeps what it held.
    ASSERT_TRUE(CExclusionList::Store(ini, {"a"}));
    EXPECT_FALSE(CExclusionList::Store(ini, {"b", "c\nd"}));
    EXPECT_EQ(load(), std::vector<std::string>{"a"});
}
