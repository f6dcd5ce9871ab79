#include <gtest/gtest.h>

#include "support/CTempDir.h"
#include "list/CSavedListFile.h"

using namespace skerrow;

namespace {

std::vector<CTransferRow> ParseRows(std::string_view text, int& runState)
{
    std::vector<CTransferRow> rows;
    CSavedListFile::Parse(text, runState, rows);
    return rows;
}

} // namespace

TEST(SavedListFile, WritesCrLfLinesAndReadsThemBack)
{
    test::CTempDir dir;
    const std::string path = (dir.Path() / "list.txt").string();
    CSavedListFile file;
    ASSERT_TRUE(file.Write(path, 1, {{0, "/img/a.gif", "5", ""}, {0x32, "/t/old/", "1", "error code: 12003"}}));
    EXPECT_EQ(dir.ReadFile("list.txt"), "1\r\n0\t/img/a.gif\t5\t\r\n50\t/t/old/\t1\terror code: 12003\r\n");

    int runState = -1;
    std::vector<CTransferRow> rows;
    ASSERT_TRUE(file.Read(path, runState, rows));
    EXPECT_EQ(runState, 1);
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0].name, "/img/a.gif");
    EXPECT_EQ(rows[0].size, "5");
    EXPECT_EQ(rows[0].error, "");
    EXPECT_EQ(rows[1].word, 0x32);
    EXPECT_EQ(rows[1].error, "error code: 12003");

    ASSERT_TRUE(file.Write(path, 0, {}));
    EXPECT_EQ(dir.ReadFile("list.txt"), "0\r\n");
}

TEST(SavedListFile, ReadsOddLinesTheWayStrtokSplitsThem)
{
    int runState = -1;
    // LF alone ends a line too; an empty field vanishes and the later fields move left.
    auto rows = ParseRows("2\n1\t\t7\terr\nno tab at all\n\t\t\n\n-5x\n", runState);
    EXPECT_EQ(runState, 2);
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows[0].word, 1);
    EXPECT_EQ(rows[0].name, "7");
    EXPECT_EQ(rows[0].size, "err");
    EXPECT_EQ(rows[0].error, "");
    EXPECT_EQ(rows[1].word, 0);
    EXPECT_EQ(rows[1].name, "");
    EXPECT_EQ(rows[2].word, -5);

    EXPECT_TRUE(ParseRows("", runState).empty());
    EXPECT_EQ(runState, 0);
    ParseRows("state\r\n", runState);
    EXPECT_EQ(runState, 0);
    // Extra fields are ignored; no final line end is fine; a NUL ends the line's text.
    static const char kText[] = "1\r\n0\ta\tb\tc\td\r\n0\tx\0y\tz";
    rows = ParseRows(std::string_view(kText, sizeof kText - 1), runState);
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0].error, "c");
    EXPECT_EQ(rows[1].name, "x");
    EXPECT_EQ(rows[1].size, "");
}

TEST(SavedListFile, LeadingIntFollowsAtoiWithoutOverflow)
{
    EXPECT_EQ(LeadingInt("  -12abc"), -12);
    EXPECT_EQ(LeadingInt("+7"), 7);
    EXPECT_EQ(LeadingInt("x1"), 0);
    EXPECT_EQ(LeadingInt("99999999999999999999"), 2147483647);
    EXPECT_EQ(LeadingInt("-99999999999999999999"), -2147483647 - 1);
}

TEST(SavedListFile, UnopenableFileSaysWhy)
{
    test::CTempDir dir;
    CSavedListFile file;
    int runState = 3;
    std::vector<CTransferRow> rows;
    EXPECT_FALSE(file.Read((dir.Path() / "absent.txt").string(), runState, rows));
    EXPECT_FALSE(file.error().empty());
    EXPECT_FALSE(file.Read(dir.MakeDir("a directory").string(), runState, rows));
    EXPECT_FALSE(file.error().empty());
    EXPECT_EQ(runState, 3);
    EXPECT_FALSE(file.Write((dir.Path() / "no/such/dir/x.txt").string(), 0, {}));
    EXPECT_FALSE(file.error().empty());
}
