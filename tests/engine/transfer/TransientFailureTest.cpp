// Which failed uploads are worth another try: a cut, a time-out, a server busy for now; never a
// refusal that would come again, nor a local fault.

#include <gtest/gtest.h>

#include "ftp/CFtpConnection.h"
#include "transfer/CTransientFailure.h"

namespace skerrow {
namespace {

TEST(TransientFailureTest, OnlyCutsTimeOutsAndPassingRefusalsAreTriedAgain)
{
    struct Case {
        int code;
        const char* reply;
        bool transient;
    };
    const Case cases[] = {
        {kErrorTimeout, "", true},
        {kErrorCannotConnect, "", true},
        {kErrorConnectionAborted, "", true},
        {kErrorExtended, "421 Too many connections", true},
        {kErrorExtended, "425 Can't open data connection", true},
        {kErrorExtended, "426 Connection closed; transfer aborted", true},
        {kErrorExtended, "450 File busy", true},
        {kErrorExtended, "451-Local error\r\n451 in processing", true},
        {kErrorExtended, "530 Not logged in", false},
        {kErrorExtended, "550 Permission denied", false},
        {kErrorExtended, "552 Quota exceeded", false},
        {kErrorExtended, "553 File name not allowed", false},
        {kErrorExtended, "45", false},
        {kErrorExtended, "", false},
        {kErrorExtended, " 421 indented", false},
        {kErrorAccessDenied, "421 Too many connections", false},
        {kErrorReadFault, "", false},
        {kErrorFileNotFound, "", false},
        {kErrorInvalidName, "", false},
        {kErrorNotRegularFile, "", false},
        {kErrorInvalidCa, "", false},
        {kErrorHostKeyRefused, "", false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(CTransientFailure::IsTransient(c.code, c.reply), c.transient) << c.code << " " << c.reply;
}

} // namespace
} // namespace skerrow
