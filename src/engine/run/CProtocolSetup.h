#pragma once
// Puts the run's protocol on a connection before it opens. Over SFTP: the private key and its
// passphrase from the settings, and a host-key check on the settings file that accepts what the
// user's known_hosts or the settings hold, the key trusted for this run (the one the run's first
// connection was allowed), and asks ask about any other (none: refused).

#include <functional>
#include <string>

#include "ftp/CSshHostKeyCheck.h"

namespace skerrow {

class CFtpConnection;
struct CViewSettings;

class CProtocolSetup {
public:
    // accepted is called with the fingerprint of a key the user allowed through ask.
    static void Apply(CFtpConnection& connection, const CViewSettings& settings, const std::string& trusted,
                      CSshHostKeyCheck::Ask ask = {},
                      std::function<void(const std::string& fingerprint)> accepted = {});
};

} // namespace skerrow
