#pragma once
// Whether a failed upload may go through when tried again: the connection or its data connection
// was cut, a call timed out, or the server said it could not do it now (421, 425, 426, 450, 451).
// A refusal that would come again (530, 550, 552, 553 and the like), a local file that cannot be
// read and a name the pass will not send are final.

#include <chrono>
#include <string>

namespace skerrow {

class CTransientFailure {
public:
    // code: the connection's error code (FtpError); reply: the server's reply to the failed command.
    static bool IsTransient(int code, const std::string& reply);
    // The pause before the next try of a file tried `triesMade` times: it grows with each try.
    static std::chrono::milliseconds Pause(int triesMade);
    // The pause before the next login of a connection whose new login the server refused
    // `refusals` times in a row: long, and growing fast, for a server that bans for a while.
    static std::chrono::milliseconds LoginPause(int refusals);
};

} // namespace skerrow
