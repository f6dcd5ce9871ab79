#pragma once
// What the settings file remembers of servers' encryption, one key "host:port" each: the servers
// that have offered TLS (section "TLS Servers"), whose refusal of it later is an attack, and the
// servers that never offered it which the user lets in without encryption for good (section
// "Plain FTP Servers").

#include <string>

namespace skerrow {

class CTlsHosts {
public:
    explicit CTlsHosts(std::string iniPath) : m_iniPath(std::move(iniPath)) {}

    bool OfferedTls(const std::string& host, int port) const;
    // Remembers it unless it is remembered already (the settings file is not written again).
    void RememberOfferedTls(const std::string& host, int port) const;
    bool PlainAllowed(const std::string& host, int port) const;
    bool AllowPlain(const std::string& host, int port) const;

private:
    bool Has(const char* section, const std::string& host, int port) const;
    std::string m_iniPath;
};

} // namespace skerrow
