#pragma once
// What a connection under "explicit TLS if available" does when the server refuses AUTH TLS: the
// login would send the password in clear, so it goes on only with the user's consent, and never
// for a server known to speak TLS (a refused AUTH from such a server is someone in between).

#include <functional>
#include <string>

namespace skerrow {

enum class PlainConsent { Refuse, Once, Always };

struct CPlainFtpPolicy {
    // The server offered TLS before, or a certificate of its is remembered: a refusal fails the
    // connection without asking.
    bool tlsExpected = false;
    // Asked on the thread that opens the connection, with the host and the port used; none: refused.
    std::function<PlainConsent(const std::string& host, int port)> consent;
    // Told each time the server accepts AUTH TLS.
    std::function<void(const std::string& host, int port)> offered;
};

} // namespace skerrow
