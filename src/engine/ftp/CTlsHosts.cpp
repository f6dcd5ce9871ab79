#include "ftp/CTlsHosts.h"

#include "ftp/CTrustedCertificates.h"
#include "settings/CIniFile.h"

namespace skerrow {
namespace {

constexpr const char* kTlsSection = "TLS Servers";
constexpr const char* kPlainSection = "Plain FTP Servers";

} // namespace

bool CTlsHosts::Has(const char* section, const std::string& host, int port) const
{
    return CIniFile::GetInt(m_iniPath, section, CTrustedCertificates::Key(host, port), 0) == 1;
}

bool CTlsHosts::OfferedTls(const std::string& host, int port) const
{
    return Has(kTlsSection, host, port);
}

void CTlsHosts::RememberOfferedTls(const std::string& host, int port) const
{
    if (!OfferedTls(host, port))
        CIniFile::WriteString(m_iniPath, kTlsSection, CTrustedCertificates::Key(host, port), "1");
}

bool CTlsHosts::PlainAllowed(const std::string& host, int port) const
{
    return Has(kPlainSection, host, port);
}

bool CTlsHosts::AllowPlain(const std::string& host, int port) const
{
    return CIniFile::WriteString(m_iniPath, kPlainSection, CTrustedCertificates::Key(host, port), "1");
}

} // namespace skerrow
