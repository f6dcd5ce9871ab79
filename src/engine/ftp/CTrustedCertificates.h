#pragma once
// The certificates the user chose to trust always: one SHA-256 fingerprint per host and port in
// the settings file (section "Certificates", key "host:port"), and the wiring of a connection's
// encryption, certificate check and plain-FTP policy to them and to CTlsHosts.

#include <functional>
#include <string>

#include "ftp/CCertificateInfo.h"
#include "ftp/CFtpConnection.h"

namespace skerrow {

class CTrustedCertificates {
public:
    explicit CTrustedCertificates(std::string iniPath) : m_iniPath(std::move(iniPath)) {}
    virtual ~CTrustedCertificates() = default;

    // The remembered fingerprint ("" when none) and remembering one (it replaces the old).
    std::string Remembered(const std::string& host, int port) const;
    bool Remember(const std::string& host, int port, const std::string& fingerprint) const;

    // A check that asks (ask may be empty: refuse) and remembers the fingerprint on Always.
    CertificateCheck RememberingCheck(CertificateCheck ask) const;
    // Who decides whether a server that offers no TLS gets the password in clear (none: refused).
    using PlainCheck = std::function<PlainConsent(const std::string& host, int port)>;
    // Prepares the connection for a server setting: the encryption, the fingerprint remembered
    // for the host and the port actually used, and the remembering check; the plain-FTP policy: a
    // server with a remembered certificate or that offered TLS before is refused without asking,
    // one the user allowed for good passes, any other is put to askPlain (Always is remembered).
    // Each server that accepts AUTH TLS is remembered as offering it.
    void Apply(CFtpConnection& connection, const std::string& server, int port, FtpEncryption encryption,
               CertificateCheck ask, PlainCheck askPlain) const;

    // A fingerprint as the certificate check writes it (upper case, pairs joined by ":") from the
    // way a user may write one: colons, blanks and letter case optional, an "sha256 Fingerprint="
    // prefix allowed. "" when it is not 32 bytes of hexadecimal.
    static std::string Normalize(const std::string& fingerprint);
    // The stored Advanced/Encryption value; an unknown value means explicit TLS if available.
    static FtpEncryption EncryptionFromSetting(int value);

    // The settings key of a server: "host:port", the host in lower case and without brackets.
    static std::string Key(const std::string& host, int port);

private:
    std::string m_iniPath;
};

} // namespace skerrow
