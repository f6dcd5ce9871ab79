#include "ftp/CTrustedCertificates.h"

#include <cctype>

#include "ftp/CTlsHosts.h"
#include "settings/CIniFile.h"

namespace skerrow {
namespace {

constexpr const char* kSection = "Certificates";

} // namespace

std::string CTrustedCertificates::Key(const std::string& host, int port)
{
    // An IPv6 address loses its brackets: a key that began with "[" would read as a section.
    std::string bare = host;
    if (bare.size() > 2 && bare.front() == '[' && bare.back() == ']')
        bare = bare.substr(1, bare.size() - 2);
    std::string key;
    for (char c : bare)
        key += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return key + ":" + std::to_string(port);
}

std::string CTrustedCertificates::Remembered(const std::string& host, int port) const
{
    return Normalize(CIniFile::GetString(m_iniPath, kSection, Key(host, port), ""));
}

bool CTrustedCertificates::Remember(const std::string& host, int port, const std::string& fingerprint) const
{
    const std::string normal = Normalize(fingerprint);
    return !normal.empty() && CIniFile::WriteString(m_iniPath, kSection, Key(host, port), normal);
}

void CTrustedCertificates::Apply(CFtpConnection& connection, const std::string& server, int port,
                                 FtpEncryption encryption, CertificateCheck ask, PlainCheck askPlain) const
{
    connection.SetEncryption(encryption);
    const std::string host = CFtpConnection::HostName(server);
    const int used = CFtpConnection::EffectivePort(port, encryption);
    const std::string remembered = Remembered(host, used);
    connection.SetCertificateCheck(remembered, RememberingCheck(std::move(ask)));
    const CTlsHosts hosts(m_iniPath);
    CPlainFtpPolicy policy;
    policy.tlsExpected = !remembered.empty() || hosts.OfferedTls(host, used);
    policy.consent = [hosts, askPlain = std::move(askPlain)](const std::string& name, int at) {
        if (hosts.PlainAllowed(name, at))
            return PlainConsent::Once;
        const PlainConsent consent = askPlain ? askPlain(name, at) : PlainConsent::Refuse;
        if (consent == PlainConsent::Always)
            hosts.AllowPlain(name, at);
        return consent;
    };
    policy.offered = [hosts](const std::string& name, int at) { hosts.RememberOfferedTls(name, at); };
    connection.SetPlainFtpPolicy(std::move(policy));
}

CertificateCheck CTrustedCertificates::RememberingCheck(CertificateCheck ask) const
{
    return [store = *this, ask = std::move(ask)](const CCertificateInfo& info) {
        const CertificateTrust trust = ask ? ask(info) : CertificateTrust::Reject;
        if (trust == CertificateTrust::Always)
            store.Remember(info.host, info.port, info.fingerprint);
        return trust;
    };
}

std::string CTrustedCertificates::Normalize(const std::string& fingerprint)
{
    std::string text = fingerprint;
    const size_t equals = text.find('=');
    if (equals != std::string::npos)
        text.erase(0, equals + 1);
    std::string hex;
    for (char c : text) {
        if (c == ':' || c == ' ' || c == '\t' || c == '\r' || c == '\n')
            continue;
        if (!std::isxdigit(static_cast<unsigned char>(c)))
            return std::string();
        hex += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    }
    if (hex.size() != 64)
        return std::string();
    std::string normal;
    for (size_t i = 0; i < hex.size(); i += 2) {
        if (i)
            normal += ':';
        normal += hex.substr(i, 2);
    }
    return normal;
}

FtpEncryption CTrustedCertificates::EncryptionFromSetting(int value)
{
    switch (value) {
    case 1: return FtpEncryption::RequireExplicit;
    case 2: return FtpEncryption::Implicit;
    case 3: return FtpEncryption::Plain;
    default: return FtpEncryption::ExplicitIfAvailable;
    }
}

} // namespace skerrow
