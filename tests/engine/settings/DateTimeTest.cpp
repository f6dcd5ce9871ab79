#include <gtest/gtest.h>

#include "support/CScopedZone.h"

#include <cstdlib>
#include <ctime>
#include <string>

#include "settings/CDateTime.h"

using namespace skerrow;

namespace {

} // namespace

TEST(DateTime, LastRunIsScannedFieldByField)
{
    const CDateTime preset{1000, 1, 1, 1, 1, 0};
    EXPECT_EQ(ParseLastRun("2005-03-14 09.05", preset), (CDateTime{2005, 3, 14, 9, 5, 0}));
    EXPECT_EQ(ParseLastRun("2005\\03\\07 18:30", preset), (CDateTime{2005, 3, 7, 18, 30, 0}));
    EXPECT_EQ(ParseLastRun("no date here", preset), preset);
    EXPECT_EQ(ParseLastRun("", CDateTime{0, 0, 0, 0, 0, 0}), (CDateTime{0, 0, 0, 0, 0, 0}));
    // Partial: the fields from the first that does not scan keep the preset.
    EXPECT_EQ(ParseLastRun("2005/07", preset), (CDateTime{2005, 7, 1, 1, 1, 0}));
    EXPECT_EQ(ParseLastRun("2005/07/x", preset), (CDateTime{2005, 7, 1, 1, 1, 0}));
    // Widths: four digits, then the fifth is the separator; blanks before a number are skipped.
    EXPECT_EQ(ParseLastRun("200512345678", preset), (CDateTime{2005, 23, 56, 8, 1, 0}));
    EXPECT_EQ(ParseLastRun("2005-  3- 4   9:7", preset), (CDateTime{2005, 3, 4, 9, 7, 0}));

    EXPECT_EQ(FormatLastRun(CDateTime{2005, 3, 14, 9, 5, 42}), "2005\\03\\14 09:05");
    EXPECT_EQ(FormatLastRun(CDateTime{1000, 1, 1, 1, 1, 0}), "1000\\01\\01 01:01");
}

TEST(DateTime, Validity)
{
    EXPECT_TRUE((CDateTime{2024, 2, 29, 23, 59, 59}).IsValid());
    EXPECT_FALSE((CDateTime{2023, 2, 29, 0, 0, 0}).IsValid());
    EXPECT_FALSE((CDateTime{1900, 2, 29, 0, 0, 0}).IsValid());
    EXPECT_TRUE((CDateTime{2000, 2, 29, 0, 0, 0}).IsValid());
    EXPECT_FALSE((CDateTime{2024, 4, 31, 0, 0, 0}).IsValid());
    EXPECT_FALSE((CDateTime{2024, 1, 1, 24, 0, 0}).IsValid());
    EXPECT_FALSE((CDateTime{2024, 1, 1, 0, 60, 0}).IsValid());
    EXPECT_FALSE((CDateTime{2024, 13, 1, 0, 0, 0}).IsValid());
    EXPECT_TRUE((CDateTime{1000, 1, 1, 1, 1, 0}).IsValid());
}

TEST(DateTime, ToUtcUsesTheOffsetInForceAtThatDate)
{
    test::CScopedZone paris("Europe/Paris");
    EXPECT_EQ((CDateTime{2024, 7, 10, 12, 0, 0}).ToUtc(), test::UtcSeconds(2024, 7, 10, 10, 0));
    EXPECT_EQ((CDateTime{2024, 1, 10, 12, 0, 0}).ToUtc(), test::UtcSeconds(2024, 1, 10, 11, 0));
    // 02:30 happens twice on 27 October 2024: the earlier one, still in summer time.
    EXPECT_EQ((CDateTime{2024, 10, 27, 2, 30, 0}).ToUtc(), test::UtcSeconds(2024, 10, 27, 0, 30));
    EXPECT_EQ((CDateTime{2024, 10, 27, 3, 0, 0}).ToUtc(), test::UtcSeconds(2024, 10, 27, 2, 0));
    // 02:30 never happens on 31 March 2024: read with the winter offset.
    EXPECT_EQ((CDateTime{2024, 3, 31, 2, 30, 0}).ToUtc(), test::UtcSeconds(2024, 3, 31, 1, 30));
    EXPECT_EQ((CDateTime{2024, 3, 31, 3, 0, 0}).ToUtc(), test::UtcSeconds(2024, 3, 31, 1, 0));

    const CDateTime summer = CDateTime::FromUtc(test::UtcSeconds(2024, 7, 10, 10, 30, 15));
    EXPECT_EQ(summer, (CDateTime{2024, 7, 10, 12, 30, 15}));
    EXPECT_EQ(summer.ToUtc(), test::UtcSeconds(2024, 7, 10, 10, 30, 15));
    // The default last run lies before any file.
    EXPECT_LT((CDateTime{1000, 1, 1, 1, 1, 0}).ToUtc(), test::UtcSeconds(1970, 1, 1, 0, 0));
}
