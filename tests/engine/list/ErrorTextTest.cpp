// The Errors column puts the server's reply first; texts without one stay as they are.

#include <gtest/gtest.h>

#include "list/CErrorText.h"

namespace skerrow {
namespace {

TEST(ErrorText, TheServersReplyComesFirst)
{
    const struct {
        const char* text;
        const char* shown;
    } cases[] = {
        {"error code: 12003 Message: An extended error was returned from the server. 553 Could not create file. ",
         "553 Could not create file. - error code: 12003 Message: An extended error was returned from the server."},
        {"error code: 12003\nMessage: An extended error was returned from the server.\n550-No such file\n550 End\n",
         "550-No such file\n550 End - error code: 12003\nMessage: An extended error was returned from the server."},
        {"error code: 12029 Message: A connection with the server could not be established ",
         "error code: 12029 Message: A connection with the server could not be established "},
        {"error code: 12159 Message: more than 2,000,000 entries", "error code: 12159 Message: more than 2,000,000 entries"},
        {"553 Could not create file.", "553 Could not create file."}, // no "Message:": kept
        {"", ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(CErrorText::ReplyFirst(c.text), c.shown) << c.text;
}

} // namespace
} // namespace skerrow
