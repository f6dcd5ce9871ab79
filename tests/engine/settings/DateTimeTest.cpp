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
    EXPECT_EQ((CDateTime{2024, 3, 31, 3, 0, 0}).ToUtc(), test::UtcSeconds(2024, 3, 31, 1, 0));

    const CDateTime summer = CDateTime::FromUtc(test::UtcSeconds(2024, 7, 10, 10, 30, 15));
    EXPECT_EQ(summer, (CDateTime{2024, 7, 10, 12, 30, 15}));
    EXPECT_EQ(summer.ToUtc(), test::UtcSeconds(2024, 7, 10, 10, 30, 15));
    // The default last run lies before any file.
    EXPECT_LT((CDateTime{1000, 1, 1, 1, 1, 0}).ToUtc(), test::UtcSeconds(1970, 1, 1, 0, 0));
}

// A time inside the hour the clocks skip in spring stands for two instants an hour apart: it is
// read as the earlier, like the hour that comes twice in autumn, so that a file changed within
// that hour still counts as changed since.
TEST(DateTime, TheSkippedHourIsReadAsTheEarlierInstant)
{
    const struct {
        const char* zone;
        CDateTime local;
        std::time_t utc;
    } cases[] = {
        {"Europe/Paris", {2024, 3, 31, 2, 30, 0}, test::UtcSeconds(2024, 3, 31, 0, 30)},
        {"Europe/Paris", {2024, 3, 31, 2, 0, 0}, test::UtcSeconds(2024, 3, 31, 0, 0)},
        {"Europe/Paris", {2024, 3, 31, 2, 59, 0}, test::UtcSeconds(2024, 3, 31, 0, 59)},
        {"America/New_York", {2024, 3, 10, 2, 30, 0}, test::UtcSeconds(2024, 3, 10, 6, 30)},
        {"Australia/Sydney", {2024, 10, 6, 2, 30, 0}, test::UtcSeconds(2024, 10, 5, 15, 30)},
    };
    for (const auto& test : cases) {
        test::CScopedZone zone(test.zone);
        EXPECT_EQ(test.local.ToUtc(), test.utc) << test.zone << " " << test.local.hour << ":" << test.local.minute;
    }
}
