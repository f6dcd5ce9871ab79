#pragma once
// How a row's error reads in the list's Errors column: the server's own reply first, where the text
// holds one ("553 Could not create file."), then our code and description; the row keeps the text
// as it was, and its details show it whole.

#include <string>

namespace skerrow {

class CErrorText {
public:
    virtual ~CErrorText() = default;

    // "error code: 12003 Message: An extended error ... 553 Could not create file." becomes
    // "553 Could not create file. - error code: 12003 Message: An extended error ..."; a text
    // without a reply stays as it is.
    static std::string ReplyFirst(const std::string& text);
    // Where the server's reply begins in text (a three-digit code 1xx to 5xx standing alone after
    // "Message:"), or std::string::npos.
    static size_t ReplyStart(const std::string& text);
};

} // namespace skerrow
