#pragma once
// A server certificate that the system's trust store does not vouch for, as the user is shown it,
// and the user's answer.

#include <functional>
#include <string>

namespace skerrow {

enum class CertificateTrust { Reject, Once, Always };

struct CCertificateInfo {
    std::string host;
    int port = 0;               // the port actually used (21 or 990 when the setting says 0)
    std::string subject;        // one line, "CN = ..., O = ..."
    std::string issuer;
    std::string validFrom;      // "YYYY-MM-DD HH:MM:SS UTC"
    std::string validUntil;
    std::string fingerprint;    // SHA-256, upper-case hex pairs joined by ":"
    std::string problem;        // why the trust store refused it
    std::string remembered;     // the fingerprint trusted before for this host and port, or ""

    // A certificate was trusted here before and this one is another: a warning, never accepted
    // without asking.
    bool Changed() const { return !remembered.empty() && remembered != fingerprint; }
};

// Asked on the thread that opens the connection, at most once per certificate and connection.
using CertificateCheck = std::function<CertificateTrust(const CCertificateInfo& info)>;

} // namespace skerrow
