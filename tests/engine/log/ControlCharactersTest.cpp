// Control characters made printable, for the terminal and the log file alike.

#include <gtest/gtest.h>

#include "log/CControlCharacters.h"
#include "log/CLogFile.h"
#include "support/CTempDir.h"

namespace skerrow {
namespace {

TEST(ControlCharacters, AreEscapedAndUtf8IsKept)
{
    const char* const kUtf8 = "caf\xc3\xa9 \xe2\x82\xac \xf0\x9f\x93\x81 back\\slash";
    const struct {
        std::string text;
        const char* shown;
    } cases[] = {
        {"plain name.htm", "plain name.htm"},
        {"\x1b[2J\x1b]0;title\x07", "\\x1b[2J\\x1b]0;title\\x07"},
        {std::string("a\0b\tc\r\nd\x7f", 9), "a\\x00b\\x09c\\x0d\\x0ad\\x7f"},
        {kUtf8, kUtf8},
        {"\xc2\x9b" "31m \xc2\xa0", "\\u009b31m \xc2\xa0"},  // C1 CSI escaped, no-break space kept
        {"caf\xe9 \xc3 \xe2\x82", "caf\\xe9 \\xc3 \\xe2\\x82"}, // no UTF-8: byte by byte
        {"\x9b" "31m", "\\x9b31m"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(CControlCharacters::Escape(c.text), c.shown) << c.shown;
}

TEST(ControlCharacters, ReachTheLogFileEscaped)
{
    test::CTempDir state;
    {
        CLogFile file((state.Path() / "skerrow.log").string());
        file.Write("< 250 \"/\x1b[31mred\" is the current directory.");
    }
    EXPECT_EQ(state.ReadFile("skerrow.log"), "< 250 \"/\\x1b[31mred\" is the current directory.\n");
}

} // namespace
} // namespace skerrow
