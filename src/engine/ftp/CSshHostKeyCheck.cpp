#include "ftp/CSshHostKeyCheck.h"

#include <curl/curl.h>

#include <cstdlib>

#include "ftp/CTrustedCertificates.h"
#include "settings/CIniFile.h"

namespace skerrow {
namespace {

constexpr const char* kSection = "HostKeys";

std::string UserKnownHosts()
{
    const char* home = std::getenv("HOME");
    return home && *home ? std::string(home) + "/.ssh/known_hosts" : std::string();
}

// libcurl's call with the key the server showed and what known_hosts says of it.
CSshHostKey KeyOf(const curl_khkey* key)
{
    if (!key || !key->key)
        return {};
    // Raw when its length is given, else base64 (as libcurl hands over a known_hosts entry).
    return key->len > 0 ? CSshHostKey::FromBlob(reinterpret_cast<const unsigned char*>(key->key), key->len)
                        : CSshHostKey::FromBase64(key->key);
}

int OnKey(CURL*, const curl_khkey* known, const curl_khkey* found, curl_khmatch match, void* self)
{
    const KnownHostsMatch knownMatch = match == CURLKHMATCH_OK         ? KnownHostsMatch::Match
                                  : match == CURLKHMATCH_MISMATCH ? KnownHostsMatch::Mismatch
                                                                  : KnownHostsMatch::Missing;
    return static_cast<CSshHostKeyCheck*>(self)->Decide(KeyOf(found), knownMatch, KeyOf(known)) ? CURLKHSTAT_FINE
                                                                                             : CURLKHSTAT_REJECT;
}

} // namespace

CSshHostKeyCheck::CSshHostKeyCheck(std::string iniPath, std::string host, int port)
    : m_iniPath(std::move(iniPath)), m_host(std::move(host)), m_port(port), m_knownHosts(UserKnownHosts())
{
}

std::string CSshHostKeyCheck::Remembered() const
{
    return CIniFile::GetString(m_iniPath, kSection, CTrustedCertificates::Key(m_host, m_port), "");
}

bool CSshHostKeyCheck::Remember(const std::string& fingerprint) const
{
    return fingerprint.rfind("SHA256:", 0) == 0 &&
           CIniFile::WriteString(m_iniPath, kSection, CTrustedCertificates::Key(m_host, m_port), fingerprint);
}

bool CSshHostKeyCheck::Decide(const CSshHostKey& key, KnownHostsMatch match, const CSshHostKey& known)
{
    m_seen = key;
    if (key.Empty())
        return false;
    if (match == KnownHostsMatch::Match)
        return true;
    const std::string remembered = Remembered();
    if (key.fingerprint == remembered || key.fingerprint == m_trusted)
        return true;
    if (!m_ask)
        return false;
    const bool mismatch = match == KnownHostsMatch::Mismatch;
    CHostKeyQuestion question{m_host, m_port, key, mismatch || !remembered.empty(),
                              mismatch ? known.fingerprint : remembered};
    switch (m_ask(question)) {
    case CertificateTrust::Always: Remember(key.fingerprint); return true;
    case CertificateTrust::Once: m_trusted = key.fingerprint; return true;
    case CertificateTrust::Reject: break;
    }
    return false;
}

void CSshHostKeyCheck::Install(void* handle)
{
    CURL* curl = static_cast<CURL*>(handle);
    // A path that does not exist reads as an empty list: every key is then "missing".
    curl_easy_setopt(curl, CURLOPT_SSH_KNOWNHOSTS, m_knownHosts.empty() ? "/nonexistent" : m_knownHosts.c_str());
    curl_easy_setopt(curl, CURLOPT_SSH_KEYFUNCTION, &OnKey);
    curl_easy_setopt(curl, CURLOPT_SSH_KEYDATA, this);
}

} // namespace skerrow
