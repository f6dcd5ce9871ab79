#pragma once
// Letter case folded as servers that ignore case fold it: Unicode simple case folding of UTF-8
// names (one code point for one, so "Über" and "über" fold alike, "Straße" and "STRASSE" do not).
// Bytes that are no valid UTF-8 are kept as they are. Beyond the standard, the Turkish dotted
// capital I and dotless small i fold to "i", as some servers fold them: names that fold alike are
// taken for one, so a fold that joins too much only ever keeps a server file.

#include <string>
#include <string_view>

namespace skerrow {

class CCaseFold {
public:
    static std::string Fold(std::string_view name);
    static char32_t FoldCodePoint(char32_t code);

private:
    // The code point that starts at text[at], and its length in bytes; length 0 when no valid UTF-8
    // sequence starts there.
    static char32_t Decode(std::string_view text, size_t at, size_t& length);
    static void Encode(char32_t code, std::string& out);
};

} // namespace skerrow
