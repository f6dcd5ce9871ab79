#pragma once
// Whether an SFTP connection may go on with the host key its server shows, the way OpenSSH users
// expect: a key that the user's own known_hosts holds for the host and port is accepted without a
// question, and so is the key the user chose to trust always here (remembered per host and port in
// the settings file, section "HostKeys") or trusted for this run; any other key is put to the
// user, who is told when it differs from the one known before. Without anyone to ask (the headless
// command, the automatic run) such a key is refused. known_hosts is only read, never written.

#include <functional>
#include <string>

#include "ftp/CCertificateInfo.h"
#include "ftp/CSshHostKey.h"

namespace skerrow {

enum class KnownHostsMatch { Match, Mismatch, Missing };

struct CHostKeyQuestion {
    std::string host;
    int port = 22;
    CSshHostKey key;
    bool changed = false; // known_hosts or the settings hold another key for this host and port
    std::string before;   // that other key's fingerprint, when changed
};

class CSshHostKeyCheck {
public:
    using Ask = std::function<CertificateTrust(const CHostKeyQuestion&)>;

    CSshHostKeyCheck(std::string iniPath, std::string host, int port);
    virtual ~CSshHostKeyCheck() = default;

    // None: a key that is not known is refused.
    void SetAsk(Ask ask) { m_ask = std::move(ask); }
    // A fingerprint accepted without a question ("SHA256:..."; the headless command's --trust, the
    // key the run's first connection was allowed).
    void SetTrusted(std::string fingerprint) { m_trusted = std::move(fingerprint); }
    // The user's known_hosts by default (~/.ssh/known_hosts).
    void SetKnownHostsFile(std::string path) { m_knownHosts = std::move(path); }

    // The decision on key, given what known_hosts says of it (and, on a mismatch, the key it holds).
    bool Decide(const CSshHostKey& key, KnownHostsMatch match, const CSshHostKey& known = {});
    // Puts the check on a libcurl handle (CURL*) that is to open an sftp:// connection; the check
    // must outlive the handle's transfers.
    void Install(void* curl);
    // The last key decided on (empty before): the refusal's text names its fingerprint.
    const CSshHostKey& Seen() const { return m_seen; }

    std::string Remembered() const;
    bool Remember(const std::string& fingerprint) const;

private:
    std::string m_iniPath;
    std::string m_host;
    int m_port;
    std::string m_knownHosts;
    std::string m_trusted;
    Ask m_ask;
    CSshHostKey m_seen;
};

} // namespace skerrow
