#pragma once
// Checks the certificate of every TLS connection curl opens for one FTP connection (control and
// data): the system's trust store and the host name first; a certificate they refuse passes only
// when its SHA-256 fingerprint was accepted (remembered before, or trusted by the user for this
// connection). Otherwise the handshake fails and the certificate is kept, so that the caller can
// ask the user and connect again.

#include <set>
#include <string>

#include "ftp/CCertificateInfo.h"

struct x509_store_st; // OpenSSL's X509_STORE

namespace skerrow {

class CTlsCertificateCheck {
public:
    CTlsCertificateCheck() = default;
    virtual ~CTlsCertificateCheck();
    CTlsCertificateCheck(const CTlsCertificateCheck&) = delete;
    CTlsCertificateCheck& operator=(const CTlsCertificateCheck&) = delete;

    // A new connection: forgets what was accepted and refused, and reads the trust store.
    void Reset(const std::string& host, int port, const std::string& remembered);
    // Lets the certificate with this fingerprint pass for the rest of the connection.
    void Accept(const std::string& fingerprint);

    bool HasRefused() const { return m_hasRefused; }
    const CCertificateInfo& Refused() const { return m_refused; }
    void ClearRefused() { m_hasRefused = false; }

    // Installs the check on an OpenSSL context (SSL_CTX) of curl's; false when it cannot be.
    bool InstallOnContext(void* sslContext);

    // For the verification callback: whether a refused certificate passes all the same, and the
    // refusal of one that does not (the first is kept).
    bool IsAccepted(const std::string& fingerprint) const;
    void Refuse(CCertificateInfo info);

private:

    ::x509_store_st* m_store = nullptr;
    bool m_storeRead = false; // m_store was read (or could not be) for this connection
    std::string m_host;
    int m_port = 0;
    std::string m_remembered;
    std::set<std::string> m_accepted;
    bool m_hasRefused = false;
    CCertificateInfo m_refused;
};

} // namespace skerrow
