#pragma once
// Stored text as it can be shown. The settings file holds bytes; most are UTF-8, but a value
// typed elsewhere or written by another program may hold Latin-1 or other single-byte text.

#include <string>

namespace skerrow {

class CDisplayText {
public:
    virtual ~CDisplayText() = default;

    // True when the bytes are well-formed UTF-8 (no overlong forms, surrogates or code points
    // beyond U+10FFFF).
    static bool IsUtf8(const std::string& bytes);

    // The bytes as valid UTF-8 for showing: every well-formed UTF-8 sequence as it stands, every
    // other byte as the Latin-1 character of that value (U+FFFD for 0x80 to 0x9F, which are
    // control codes in Latin-1).
    static std::string FromStored(const std::string& bytes);

    // The text on one line, for a cell or a terminal line: each run of line breaks becomes one
    // blank, and none is left at the end.
    static std::string OneLine(const std::string& text);
};

} // namespace skerrow
