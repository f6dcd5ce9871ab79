#include <gtest/gtest.h>

#include "settings/CTreeDeletePath.h"

using skerrow::NormaliseTreeDeletePath;

TEST(TreeDeletePath, LeadingSlashDroppedOnlyWhenMoreFollows)
{
    EXPECT_EQ(NormaliseTreeDeletePath("/pub/site/"), "pub/site/");
    EXPECT_EQ(NormaliseTreeDeletePath("/"), "/");
    // The first of two slashes goes, the doubled one collapses into what is left.
    EXPECT_EQ(NormaliseTreeDeletePath("//pub"), "/pub");
}

TEST(TreeDeletePath, BlanksBackslashesAndRunsOfSlashes)
{
    // The blank goes first, so the backslash that follows becomes a leading "/" that stays.
    EXPECT_EQ(NormaliseTreeDeletePath(" \\pub\\\\site"), "/pub/site");
    EXPECT_EQ(NormaliseTreeDeletePath("pub///a"), "pub/a");
    EXPECT_EQ(NormaliseTreeDeletePath("\t pub/a "), "pub/a ");
}

TEST(TreeDeletePath, NothingLeftMeansTheRoot)
{
    EXPECT_EQ(NormaliseTreeDeletePath(""), "/");
    EXPECT_EQ(NormaliseTreeDeletePath("   "), "/");
    EXPECT_EQ(NormaliseTreeDeletePath("\\\\"), "/");
}
