#include <gtest/gtest.h>

#include <filesystem>

#include "support/CTempDir.h"
#include "list/CSavedListFile.h"
#include "list/CSavedListParser.h"

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
    std::vector<CPackedRow> rows;
    ASSERT_TRUE(file.Read(path, runState, rows));
    EXPECT_EQ(runState, 1);
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0].Name(), "/img/a.gif");
    EXPECT_EQ(rows[0].Size(), "5");
    EXPECT_EQ(rows[0].Error(), "");
    EXPECT_EQ(rows[1].word, 0x32);
    EXPECT_EQ(rows[1].Error(), "error code: 12003");

    ASSERT_TRUE(file.Write(path, 0, {}));
    EXPECT_EQ(dir.ReadFile("list.txt"), "0\r\n");
}

// The Errors text keeps its lines and tabs through a save; a list written before they were escaped
// reads as it did (a backslash before any other character stays).
TEST(SavedListFile, ErrorTextKeepsItsLayoutThroughASave)
{
    const std::string error = "error code: 12003\r\n550 C:\\web\\new\tfile\nsecond line\\";
    const std::string text = CSavedListFile::Format(0, {{0x2, "/a.html", "1", error}});
    EXPECT_EQ(text, "0\r\n2\t/a.html\t1\terror code: 12003\\r\\n550 C:\\\\web\\\\new\\tfile\\nsecond "
                    "line\\\\\r\n");
    int runState = -1;
    EXPECT_EQ(ParseRows(text, runState).at(0).error, error);
    EXPECT_EQ(ParseRows("0\n2\ta\t1\tC:\\web\\x \\", runState).at(0).error, "C:\\web\\x \\");
}

// A list saved before the line breaks of an Errors text were escaped holds them as they were: the
// lines after such a row are the rest of its text, never rows of their own, and survive a save.
TEST(SavedListFile, RawLineBreaksOfAnEarlierVersionContinueTheErrorText)
{
    const struct {
        const char* text;
        std::vector<std::string> errors; // of every row, the first being "1\t/a\t1\te"
    } cases[] = {
        {"second line\r\n", {"e\nsecond line"}},
        {"550 Can't open\r\n550 C:\\web\r\n", {"e\n550 Can't open\n550 C:\\web"}},
        {"\r\n\t\r\nafter blank lines\n2\t/b\t1\t\r\n", {"e\n\n\nafter blank lines", ""}},
        {"at\tline 5\r\n\r\n\r\n", {"e\nat\tline 5"}},
        {"-5x\n+6\r\n7\t/c\t1\tf\r\n8\n", {"e\n-5x\n+6", "f\n8"}},
    };
    for (const auto& c : cases) {
        int runState = -1;
        const std::string text = std::string("0\r\n1\t/a\t1\te\r\n") + c.text;
        const std::vector<CTransferRow> rows = ParseRows(text, runState);
        std::vector<std::string> errors;
        for (const CTransferRow& row : rows) {
            EXPECT_FALSE(row.name.empty()) << c.text;
            errors.push_back(row.error);
        }
        EXPECT_EQ(errors, c.errors) << c.text;
        const std::vector<CTransferRow> again = ParseRows(CSavedListFile::Format(runState, rows), runState);
        ASSERT_EQ(again.size(), rows.size()) << c.text;
        for (size_t i = 0; i < rows.size(); ++i)
            EXPECT_EQ(again[i].error, rows[i].error) << c.text;
    }
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
    std::vector<CPackedRow> rows;
    EXPECT_FALSE(file.Read((dir.Path() / "absent.txt").string(), runState, rows));
    EXPECT_FALSE(file.error().empty());
    EXPECT_FALSE(file.Read(dir.MakeDir("a directory").string(), runState, rows));
    EXPECT_FALSE(file.error().empty());
    EXPECT_EQ(runState, 3);
    EXPECT_FALSE(file.Write((dir.Path() / "no/such/dir/x.txt").string(), 0, {}));
    EXPECT_FALSE(file.error().empty());
}

TEST(SavedListFile, StreamedReadMatchesTheWholeTextWhereverPiecesEnd)
{
    // Lines of every shape, more than one read piece long, so lines and CR LF pairs straddle the
    // pieces of the file read and of the parser's feed.
    std::string text = "3\r\n";
    for (int i = 0; text.size() < (size_t(3) << 20); ++i) {
        switch (i % 5) {
        case 0: text += std::to_string(i) + "\t/dir" + std::to_string(i % 97) + "/page" + std::to_string(i) + ".html\t7\t\r\n"; break;
        case 1: text += "50\t/t/old/\t1\terror code: 12003\r\n"; break;
        case 2: text += "\t\t\r\n"; break;
        case 3: text += "1\t\t" + std::string(size_t(i % 3000), 'x') + "\n"; break;
        default: text += "-5x\n"; break;
        }
    }
    text += "17\tlast line\twithout\tend";
    int wholeState = -1;
    std::vector<CTransferRow> whole;
    CSavedListFile::Parse(text, wholeState, whole);
    ASSERT_EQ(wholeState, 3);
    ASSERT_GT(whole.size(), 5000u);
    EXPECT_EQ(whole.back().error, "end");

    auto same = [&whole](const std::vector<CPackedRow>& rows) {
        ASSERT_EQ(rows.size(), whole.size());
        for (size_t i = 0; i < rows.size(); ++i) {
            const CTransferRow row = rows[i].Unpacked();
            ASSERT_TRUE(row.word == whole[i].word && row.name == whole[i].name && row.size == whole[i].size &&
                        row.error == whole[i].error) << "row " << i;
        }
    };
    test::CTempDir dir;
    CSavedListFile file;
    int runState = -1;
    std::vector<CPackedRow> rows;
    ASSERT_TRUE(file.Read(dir.WriteFile("big.txt", text).string(), runState, rows));
    EXPECT_EQ(runState, 3);
    same(rows);

    // Fed in pieces of odd sizes, the parser finds the same rows.
    for (size_t piece : {size_t(1), size_t(2), size_t(7), size_t(4093)}) {
        std::vector<CPackedRow> fed;
        CSavedListParser parser(fed);
        const std::string_view all = piece == 1 ? std::string_view(text).substr(0, 20000) : std::string_view(text);
        for (size_t at = 0; at < all.size(); at += piece)
            parser.Feed(all.substr(at, piece));
        parser.Finish();
        EXPECT_EQ(parser.RunState(), 3);
        if (piece == 1) {
            std::vector<CTransferRow> head;
            int state = 0;
            CSavedListFile::Parse(all, state, head);
            EXPECT_EQ(fed.size(), head.size());
        } else {
            same(fed);
        }
    }
}

TEST(SavedListFile, RefusesWhatIsNoSavedListAndKeepsWhatItHad)
{
    test::CTempDir dir;
    struct Case {
        const char* what;
        std::string contents; // written as is, unless sparse
        uintmax_t sparseSize;  // a file of this many zero bytes that takes no disk space
        CSavedListFile::Refusal refusal;
    };
    const std::string text = "1\r\n0\t/a.html\t1\t\r\n";
    const Case cases[] = {
        {"random bytes", std::string("\x89PNG\r\n\x1a\n\0\0\0\rIHDR", 16), 0, CSavedListFile::Refusal::NotText},
        {"a NUL after a megabyte of good lines", [&] {
             std::string s;
             while (s.size() < (size_t(1) << 20) + 100)
                 s += text;
             return s + std::string(1, '\0') + text;
         }(), 0, CSavedListFile::Refusal::NotText},
        {"over 1 GiB", "", CSavedListFile::kMaxBytes + 1, CSavedListFile::Refusal::TooLarge},
        {"a text file", text, 0, CSavedListFile::Refusal::None},
        {"an empty file", "", 0, CSavedListFile::Refusal::None},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const std::filesystem::path path = dir.WriteFile("case.txt", c.contents);
        if (c.sparseSize)
            std::filesystem::resize_file(path, c.sparseSize);
        CSavedListFile file;
        int runState = 9;
        std::vector<CPackedRow> rows(2);
        const bool read = file.Read(path.string(), runState, rows);
        EXPECT_EQ(file.refusal(), c.refusal);
        EXPECT_EQ(read, c.refusal == CSavedListFile::Refusal::None);
        if (!read) {
            EXPECT_EQ(runState, 9);
            EXPECT_EQ(rows.size(), 2u);
        } else {
            EXPECT_EQ(runState, c.contents.empty() ? 0 : 1);
            EXPECT_EQ(rows.size(), c.contents.empty() ? 0u : 1u);
        }
    }
}
