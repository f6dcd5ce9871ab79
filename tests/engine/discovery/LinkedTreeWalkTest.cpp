// The local walk on trees with symbolic links and special files: bounded on any link graph, each
// real directory entered once, links into the site left to the real path, only regular files listed.

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

#include "support/CTempDir.h"
#include "support/SiteWalk.h"

using namespace skerrow;
using skerrow::test::WalkSite;
namespace fs = std::filesystem;

namespace {

void Link(const fs::path& target, const fs::path& link)
{
    fs::create_symlink(target, link);
}

} // namespace

TEST(LinkedTreeWalk, CrossLinkedDirectoriesGiveOneRowPerRealFile)
{
    test::CTempDir dir;
    const fs::path site = dir.Path() / "site";
    constexpr int kDirectories = 7;
    for (int i = 0; i < kDirectories; ++i)
        dir.WriteFile("site/d" + std::to_string(i) + "/f.txt", "f");
    for (int i = 0; i < kDirectories; ++i) {
        for (int k = 0; k < kDirectories; ++k) {
            if (k != i) // relative and absolute links alike
                Link(k % 2 ? fs::path("../d" + std::to_string(k)) : site / ("d" + std::to_string(k)),
                     site / ("d" + std::to_string(i)) / ("to" + std::to_string(k)));
        }
    }
    std::vector<std::string> expected;
    for (int i = 0; i < kDirectories; ++i)
        expected.push_back("/d" + std::to_string(i) + "/f.txt");
    EXPECT_EQ(WalkSite(site), expected);
}

TEST(LinkedTreeWalk, LinksInsideTheSiteAreLeftToTheRealPath)
{
    test::CTempDir dir;
    const fs::path site = dir.Path() / "site";
    dir.WriteFile("site/a/x.html", "x");
    dir.WriteFile("site/a/b/y.html", "y");
    Link("a", site / "alias");                 // a directory of the site under a second name
    Link(site / "a/b", site / "deep");         // the same, absolute
    Link(site, site / "a/root");               // the site itself, from inside
    Link("a/x.html", site / "latest.html");    // a file link is a path of its own
    EXPECT_EQ(WalkSite(site), (std::vector<std::string>{"/a/b/y.html", "/a/x.html", "latest.html"}));
}

TEST(LinkedTreeWalk, OutsideDirectoriesAreEnteredOnceAndLoopsEnd)
{
    test::CTempDir dir;
    const fs::path site = dir.Path() / "site";
    dir.WriteFile("site/index.html", "i");
    dir.WriteFile("shared/common.css", "c");
    dir.WriteFile("shared/sub/deep.css", "d");
    dir.WriteFile("other/o.txt", "o");
    Link(dir.Path() / "shared", site / "css");
    Link(dir.Path() / "shared", site / "css2");          // the same outside directory again
    Link("..", dir.Path() / "shared/sub/up");            // a loop outside the site
    Link(dir.Path() / "other", dir.Path() / "shared/other");
    Link(dir.Path() / "shared", dir.Path() / "other/back"); // other <-> shared
    Link(site, dir.Path() / "other/site");                  // back into the site from outside

    const std::vector<std::string> names = WalkSite(site);
    // shared is listed under exactly one of its two names, other once below it.
    const std::string via = std::find(names.begin(), names.end(), "/css/common.css") != names.end() ? "/css" : "/css2";
    EXPECT_EQ(names, (std::vector<std::string>{via + "/common.css", via + "/other/o.txt", via + "/sub/deep.css",
                                               "index.html"}));
}

TEST(LinkedTreeWalk, OnlyRegularFilesAreListed)
{
    test::CTempDir dir;
    const fs::path site = dir.Path() / "site";
    dir.WriteFile("site/page.html", "p");
    dir.WriteFile("site/real.txt", "r");
    ASSERT_EQ(::mkfifo((site / "pipe").c_str(), 0600), 0);
    ASSERT_FALSE(dir.MakeSocket("site/sock").empty());
    Link("/dev/zero", site / "x.txt");
    Link("pipe", site / "pipe.html");
    Link("real.txt", site / "copy.txt");
    fs::create_directory(dir.Path() / "devices");
    Link("/dev/null", dir.Path() / "devices/null.txt");
    Link(dir.Path() / "devices", site / "dev");
    EXPECT_EQ(WalkSite(site), (std::vector<std::string>{"copy.txt", "page.html", "real.txt"}));
}
