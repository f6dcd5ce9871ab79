#pragma once
// Text from a server (names, replies) or a file made printable before it reaches a terminal or the
// log file: a control character would otherwise act on the terminal (an ESC starts a sequence that
// can move the cursor, retitle the window or rewrite what was printed before).

#include <string>
#include <string_view>

namespace skerrow {

class CControlCharacters {
public:
    // Every C0 control byte (tab and line ends too) and DEL become "\x1b" and the like, a C1 control
    // written in UTF-8 becomes "\u009b", and a byte that is no part of a UTF-8 character "\xe9".
    // Other UTF-8 characters and a backslash stay as they are.
    static std::string Escape(std::string_view text);

private:
    // Bytes of the well-formed UTF-8 character that text[at] begins (a lead byte of 0xC2 to
    // 0xF4 with its continuation bytes); 0 when it begins none.
    static size_t CharacterLength(std::string_view text, size_t at);
    static void AppendHex(std::string& out, const char* prefix, unsigned value);
};

} // namespace skerrow
