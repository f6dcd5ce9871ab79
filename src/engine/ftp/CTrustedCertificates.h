#pragma once
// The certificates the user chose to trust always: one SHA-256 fingerprint per host and port in
// the settings file (section "Certificates", key "host:port"), and the wiring of a connection's
// encryption and certificate check to them.

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
    // Prepares the connection for a server setting: the encryption, the fingerprint remembered
    // for the host and the port actually used, and the remembering check.
    void Apply(CFtpConnection& connection, const std::string& server, int port, FtpEncryption encryption,
               CertificateCheck ask) const;

    // A fingerprint as the certificate check writes it (upper case, pairs joined by ":") from the
    // way a user may write one: colons, blanks and letter case optional, an "sha256 Fingerprint="
    // prefix allowed. "" when it is not 32 bytes of hexadecimal.
    static std::string Normalize(const std::string& fingerprint);
    // The stored Advanced/Encryption value; an unknown value means explicit TLS if available.
    static FtpEncryption EncryptionFromSetting(int value);

private:
    static std::string Key(const std::string& host, int port);
    std::string m_iniPath;
};

} // namespace skerrow
