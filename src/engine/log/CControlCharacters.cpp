#include "log/CControlCharacters.h"

namespace skerrow {

std::string CControlCharacters::Escape(std::string_view text)
{
    std::string out;
    out.reserve(text.size());
    for (size_t at = 0; at < text.size();) {
        const auto byte = static_cast<unsigned char>(text[at]);
        if (byte < 0x20 || byte == 0x7F) {
            AppendHex(out, "\\x", byte);
            ++at;
            continue;
        }
        if (byte < 0x80) {
            out += static_cast<char>(byte);
            ++at;
            continue;
        }
        const size_t length = CharacterLength(text, at);
        if (length == 0) {
            AppendHex(out, "\\x", byte);
            ++at;
        } else if (byte == 0xC2 && static_cast<unsigned char>(text[at + 1]) < 0xA0) {
            AppendHex(out, "\\u00", static_cast<unsigned char>(text[at + 1]));
            at += length;
        } else {
            out.append(text.substr(at, length));
            at += length;
        }
    }
    return out;
}

size_t CControlCharacters::CharacterLength(std::string_view text, size_t at)
{
    const auto lead = static_cast<unsigned char>(text[at]);
    const size_t length = lead >= 0xC2 && lead <= 0xDF ? 2 : lead >= 0xE0 && lead <= 0xEF ? 3
                                                         : lead >= 0xF0 && lead <= 0xF4 ? 4
                                                                                        : 0;
    if (length == 0 || at + length > text.size())
        return 0;
    for (size_t i = 1; i < length; ++i) {
        if ((static_cast<unsigned char>(text[at + i]) & 0xC0) != 0x80)
            return 0;
    }
    return length;
}

void CControlCharacters::AppendHex(std::string& out, const char* prefix, unsigned value)
{
    static constexpr char kHex[] = "0123456789abcdef";
    out += prefix;
    out += kHex[(value >> 4) & 15];
    out += kHex[value & 15];
}

} // namespace skerrow
