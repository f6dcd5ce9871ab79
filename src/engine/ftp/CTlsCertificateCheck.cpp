#include "ftp/CTlsCertificateCheck.h"

#include <arpa/inet.h>
#include <ctime>
#include <openssl/evp.h>
#include <openssl/ssl.h>
#include <openssl/x509v3.h>

namespace skerrow {
namespace {

// Where an OpenSSL context keeps its check.
int ContextIndex()
{
    static const int index = SSL_CTX_get_ex_new_index(0, nullptr, nullptr, nullptr, nullptr);
    return index;
}

std::string NameText(const X509_NAME* name)
{
    BIO* bio = BIO_new(BIO_s_mem());
    if (!bio)
        return std::string();
    X509_NAME_print_ex(bio, name, 0, XN_FLAG_ONELINE & ~ASN1_STRFLGS_ESC_MSB);
    char* data = nullptr;
    const long size = BIO_get_mem_data(bio, &data);
    std::string text(data ? data : "", size > 0 ? static_cast<size_t>(size) : 0);
    BIO_free(bio);
    return text;
}

std::string TimeText(const ASN1_TIME* time)
{
    std::tm tm{};
    if (!time || ASN1_TIME_to_tm(time, &tm) != 1)
        return std::string();
    char text[32];
    std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S UTC", &tm);
    return text;
}

std::string Fingerprint(X509* certificate)
{
    unsigned char digest[EVP_MAX_MD_SIZE];
    unsigned int size = 0;
    if (X509_digest(certificate, EVP_sha256(), digest, &size) != 1)
        return std::string();
    static const char kHex[] = "0123456789ABCDEF";
    std::string text;
    for (unsigned int i = 0; i < size; ++i) {
        if (i)
            text += ':';
        text += kHex[digest[i] >> 4];
        text += kHex[digest[i] & 15];
    }
    return text;
}

bool IsIpAddress(const std::string& host)
{
    unsigned char buffer[sizeof(in6_addr)];
    return inet_pton(AF_INET, host.c_str(), buffer) == 1 || inet_pton(AF_INET6, host.c_str(), buffer) == 1;
}

// OpenSSL's verification callback, called for every certificate of the chain.
int Verify(int preverified, X509_STORE_CTX* store)
{
    if (preverified)
        return 1;
    auto* ssl = static_cast<SSL*>(X509_STORE_CTX_get_ex_data(store, SSL_get_ex_data_X509_STORE_CTX_idx()));
    auto* check = ssl ? static_cast<CTlsCertificateCheck*>(SSL_CTX_get_ex_data(SSL_get_SSL_CTX(ssl), ContextIndex()))
                      : nullptr;
    X509* leaf = X509_STORE_CTX_get0_cert(store);
    if (!check || !leaf)
        return 0;
    const std::string fingerprint = Fingerprint(leaf);
    if (check->IsAccepted(fingerprint)) {
        X509_STORE_CTX_set_error(store, X509_V_OK);
        return 1;
    }
    CCertificateInfo info;
    info.subject = NameText(X509_get_subject_name(leaf));
    info.issuer = NameText(X509_get_issuer_name(leaf));
    info.validFrom = TimeText(X509_get0_notBefore(leaf));
    info.validUntil = TimeText(X509_get0_notAfter(leaf));
    info.fingerprint = fingerprint;
    info.problem = X509_verify_cert_error_string(X509_STORE_CTX_get_error(store));
    check->Refuse(std::move(info));
    return 0;
}

} // namespace

CTlsCertificateCheck::~CTlsCertificateCheck()
{
    X509_STORE_free(m_store);
}

void CTlsCertificateCheck::Reset(const std::string& host, int port, const std::string& remembered)
{
    X509_STORE_free(m_store);
    m_store = nullptr;
    m_storeRead = false;
    m_host = host;
    m_port = port;
    m_remembered = remembered;
    m_accepted.clear();
    m_hasRefused = false;
    m_refused = CCertificateInfo();
}

void CTlsCertificateCheck::Accept(const std::string& fingerprint)
{
    m_accepted.insert(fingerprint);
}

bool CTlsCertificateCheck::IsAccepted(const std::string& fingerprint) const
{
    return !fingerprint.empty() && (fingerprint == m_remembered || m_accepted.count(fingerprint) != 0);
}

void CTlsCertificateCheck::Refuse(CCertificateInfo info)
{
    if (m_hasRefused)
        return;
    info.host = m_host;
    info.port = m_port;
    info.remembered = m_remembered;
    m_refused = std::move(info);
    m_hasRefused = true;
}

bool CTlsCertificateCheck::InstallOnContext(void* sslContext)
{
    auto* context = static_cast<SSL_CTX*>(sslContext);
    SSL_CTX_set_ex_data(context, ContextIndex(), this);
    // The host name is checked as part of the chain, so that a name mismatch comes to Verify like
    // any other refusal (and a certificate the user trusts by its fingerprint passes it).
    // The system's trust store (OpenSSL's default locations, or SSL_CERT_FILE and SSL_CERT_DIR), read
    // once per connection, at its first handshake: reading the whole bundle for every data
    // connection would cost more than the upload, and a connection without TLS never reads it.
    if (!m_storeRead) {
        m_storeRead = true;
        m_store = X509_STORE_new();
        if (m_store && X509_STORE_set_default_paths(m_store) != 1) {
            X509_STORE_free(m_store);
            m_store = nullptr;
        }
    }
    if (!m_store)
        return false;
    SSL_CTX_set1_cert_store(context, m_store);
    X509_VERIFY_PARAM* param = SSL_CTX_get0_param(context);
    std::string host = m_host;
    if (host.size() > 2 && host.front() == '[' && host.back() == ']')
        host = host.substr(1, host.size() - 2);
    const int named = IsIpAddress(host) ? X509_VERIFY_PARAM_set1_ip_asc(param, host.c_str())
                                        : X509_VERIFY_PARAM_set1_host(param, host.c_str(), host.size());
    if (named != 1)
        return false;
    SSL_CTX_set_verify(context, SSL_VERIFY_PEER, &Verify);
    return true;
}

} // namespace skerrow
