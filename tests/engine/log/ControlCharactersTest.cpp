// Control characters made printable, for the terminal and the log file alike.

#include <gtest/gtest.h>

#include "log/CControlCharacters.h"
#include "log/CLogFile.h"
#include "support/CTempDir.h"

namespace skerrow {
namespace {

TEST(ControlCharacters, AreEscapedForTheTerminalAndTheLogFile)
{
    const char* const kUtf8 = "caf\xc3\xa9 \xe2\x82\xac \xf0\x9f\x93\x81 back\\slash \xc2\xa0";
    EXPECT_EQ(CControlCharacters::Escape(kUtf8), kUtf8);
    EXPECT_EQ(CControlCharacters::Escape(std::string("\x1b[2J\0\t\r\n\x7f", 9)), "\\x1b[2J\\x00\\x09\\x0d\\x0a\\x7f");
    EXPECT_EQ(CControlCharacters::Escape("\xc2\x9b" "31m"), "\\u009b31m");                  // C1, written in UTF-8
    EXPECT_EQ(CControlCharacters::Escape("caf\xe9 \xc3 \xe2\x82"), "caf\\xe9 \\xc3 \\xe2\\x82"); // no UTF-8
    test::CTempDir state;
    CLogFile((state.Path() / "log").string()).Write("< 250 \"/\x1b[31mred\"");
    EXPECT_EQ(state.ReadFile("log"), "< 250 \"/\\x1b[31mred\"\n");
}

} // namespace
} // namespace skerrow
