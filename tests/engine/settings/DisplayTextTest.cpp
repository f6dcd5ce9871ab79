#include <gtest/gtest.h>

#include "settings/CDisplayText.h"

using namespace skerrow;

TEST(DisplayText, StoredBytesShowAsValidUtf8)
{
    const struct {
        std::string stored;
        std::string shown;
        bool utf8;
    } cases[] = {
        {"", "", true},
        {"/srv/www", "/srv/www", true},
        {"caf\xC3\xA9 \xE2\x82\xAC \xF0\x9F\x98\x80", "caf\xC3\xA9 \xE2\x82\xAC \xF0\x9F\x98\x80", true},
        {"caf\xE9", "caf\xC3\xA9", false},                         // Latin-1
        {"j\xFCrgen/\xC3\xA9", "j\xC3\xBCrgen/\xC3\xA9", false},   // Latin-1 beside UTF-8
        {"a\x80z", "a\xEF\xBF\xBDz", false},                       // C1 range
        {"\xC0\xAF", "\xC3\x80\xC2\xAF", false},                   // overlong "/"
        {"\xED\xA0\x80", "\xC3\xAD\xC2\xA0\xEF\xBF\xBD", false},   // surrogate
        {"\xF4\x90\x80\x80", "\xC3\xB4\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD", false}, // beyond U+10FFFF
        {"ab\xE2\x82", "ab\xC3\xA2\xEF\xBF\xBD", false},           // cut short at the end
    };
    for (const auto& test : cases) {
        EXPECT_EQ(CDisplayText::IsUtf8(test.stored), test.utf8) << test.stored;
        EXPECT_EQ(CDisplayText::FromStored(test.stored), test.shown) << test.stored;
        EXPECT_TRUE(CDisplayText::IsUtf8(CDisplayText::FromStored(test.stored))) << test.stored;
    }
}
