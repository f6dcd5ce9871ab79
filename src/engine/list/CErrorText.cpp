#include "list/CErrorText.h"

#include <cctype>

namespace skerrow {
namespace {

bool IsDigit(char c)
{
    return std::isdigit(static_cast<unsigned char>(c)) != 0;
}

bool IsSpace(char c)
{
    return std::isspace(static_cast<unsigned char>(c)) != 0;
}

std::string Trimmed(const std::string& text)
{
    size_t begin = 0;
    size_t end = text.size();
    while (begin < end && IsSpace(text[begin]))
        ++begin;
    while (end > begin && IsSpace(text[end - 1]))
        --end;
    return text.substr(begin, end - begin);
}

} // namespace

size_t CErrorText::ReplyStart(const std::string& text)
{
    const size_t message = text.find("Message:");
    if (message == std::string::npos)
        return std::string::npos;
    for (size_t at = message + 8; at + 3 < text.size(); ++at) {
        if (!IsSpace(text[at - 1]) || text[at] < '1' || text[at] > '5' || !IsDigit(text[at + 1]) ||
            !IsDigit(text[at + 2]))
            continue;
        if (text[at + 3] == ' ' || text[at + 3] == '-')
            return at;
    }
    return std::string::npos;
}

std::string CErrorText::ReplyFirst(const std::string& text)
{
    const size_t reply = ReplyStart(text);
    if (reply == std::string::npos)
        return text;
    return Trimmed(text.substr(reply)) + " - " + Trimmed(text.substr(0, reply));
}

} // namespace skerrow
