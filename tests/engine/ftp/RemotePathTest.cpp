// Server places below a root: what joins, what is refused, and what a delete row may name.

#include <gtest/gtest.h>

#include "ftp/CRemotePath.h"

namespace skerrow {
namespace {

TEST(RemotePath, OnlyNamesBelowTheRootJoin)
{
    const CRemotePath root = CRemotePath::Root("/site/./www/");
    EXPECT_EQ(root.Full(), "/site/www");
    const struct {
        const char* relative;
        const char* full; // nullptr: refused
    } cases[] = {
        {"a/b.htm", "/site/www/a/b.htm"}, {"b.htm", "/site/www/b.htm"}, {"../x", nullptr}, {"a/../../x", nullptr},
        {"/etc/passwd", nullptr},         {"a//b", nullptr},            {"a/./b", nullptr}, {"", nullptr},
        {"a\\b", nullptr},                {"ctl\x01.htm", nullptr},     {"del\x7f", nullptr}, {"a/", nullptr},
    };
    for (const auto& c : cases) {
        const std::optional<CRemotePath> joined = root.Join(c.relative);
        EXPECT_EQ(joined.has_value(), c.full != nullptr) << c.relative;
        if (joined && c.full) {
            EXPECT_EQ(joined->Full(), c.full);
            EXPECT_EQ(joined->Relative(), c.relative);
            EXPECT_EQ(joined->Parent().Name(), std::string(c.relative).find('/') == std::string::npos ? "www" : "a");
        }
    }
    // A delete row names an absolute path: only one strictly below the root is taken.
    for (const char* outside : {"/site/www", "/site/www/", "/site/wwwx/a", "/site/www/../a", "/other/a"})
        EXPECT_FALSE(root.Within(outside).has_value()) << outside;
    EXPECT_EQ(root.Within("/site/www/a/")->Full(), "/site/www/a");
    EXPECT_EQ(CRemotePath::Root("/").Within("/a.htm")->Relative(), "a.htm");
}

} // namespace
} // namespace skerrow
