#include "transfer/CTransientFailure.h"

#include <algorithm>

#include "ftp/CFtpConnection.h"

namespace skerrow {

bool CTransientFailure::IsTransient(int code, const std::string& reply)
{
    switch (code) {
    case kErrorTimeout:
    case kErrorCannotConnect:
    case kErrorConnectionAborted: return true;
    case kErrorExtended: break;
    default: return false;
    }
    // The reply that came with the refusal; a reply in several lines has its code first.
    static const char* const kPassing[] = {"421", "425", "426", "450", "451"};
    return reply.size() >= 3 && std::any_of(std::begin(kPassing), std::end(kPassing), [&reply](const char* passing) {
               return reply.compare(0, 3, passing) == 0;
           });
}

std::chrono::milliseconds CTransientFailure::Pause(int triesMade)
{
    return std::chrono::milliseconds(500) * std::max(1, triesMade);
}

std::chrono::milliseconds CTransientFailure::LoginPause(int refusals)
{
    std::chrono::milliseconds pause(1000);
    for (int i = 1; i < refusals && pause < std::chrono::minutes(1); ++i)
        pause *= 3;
    return std::min<std::chrono::milliseconds>(pause, std::chrono::minutes(1));
}

} // namespace skerrow
