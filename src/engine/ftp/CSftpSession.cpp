#include "ftp/CSftpSession.h"

#include <cstdlib>

#include "app/CStringTable.h"

namespace skerrow {

void CSftpSession::SetKey(const std::string& keyFile, const std::string& passphrase)
{
    m_keyFile = keyFile;
    m_passphrase = passphrase;
}

CSshHostKey CSftpSession::RefusedHostKey() const
{
    return m_hostKeys ? m_hostKeys->Seen() : CSshHostKey();
}

bool CSftpSession::Setup(CURL* curl, const std::string& user, const std::string& password)
{
    m_offered.clear();
    ResetError();
    long methods = CURLSSH_AUTH_PASSWORD | CURLSSH_AUTH_KEYBOARD;
    // The agent only when one runs: libssh2 would otherwise spend the attempt on a missing socket.
    const char* agent = std::getenv("SSH_AUTH_SOCK");
    if (agent && *agent)
        methods |= CURLSSH_AUTH_AGENT;
    bool taken = curl_easy_setopt(curl, CURLOPT_ERRORBUFFER, m_error) == CURLE_OK &&
                 curl_easy_setopt(curl, CURLOPT_USERNAME, user.c_str()) == CURLE_OK &&
                 curl_easy_setopt(curl, CURLOPT_PASSWORD, password.c_str()) == CURLE_OK;
    if (!m_keyFile.empty()) {
        methods |= CURLSSH_AUTH_PUBLICKEY;
        // An empty public key file: libssh2 derives the public key from the private one.
        taken = taken && curl_easy_setopt(curl, CURLOPT_SSH_PRIVATE_KEYFILE, m_keyFile.c_str()) == CURLE_OK &&
                curl_easy_setopt(curl, CURLOPT_SSH_PUBLIC_KEYFILE, "") == CURLE_OK &&
                curl_easy_setopt(curl, CURLOPT_KEYPASSWD, m_passphrase.c_str()) == CURLE_OK;
    }
    taken = taken && curl_easy_setopt(curl, CURLOPT_SSH_AUTH_TYPES, methods) == CURLE_OK;
    // Never a key curl finds on its own: only the check decides, and without one nothing passes.
    if (!m_hostKeys)
        m_hostKeys = std::make_shared<CSshHostKeyCheck>(std::string(), std::string(), 0);
    m_hostKeys->Install(curl);
    return taken;
}

bool CSftpSession::OnInfo(const std::string& line)
{
    static const std::string kMethods = "SSH authentication methods available: ";
    if (line.rfind(kMethods, 0) == 0) {
        m_offered = line.substr(kMethods.size());
        while (!m_offered.empty() && (m_offered.back() == '\n' || m_offered.back() == '\r'))
            m_offered.pop_back();
    }
    return line.rfind("Authentication complete", 0) == 0;
}

std::string CSftpSession::LoginRefusedText() const
{
    std::string tried = Tr("SFTP.Password", "password");
    if (!m_keyFile.empty())
        tried += ", " + FormatText(Tr("SFTP.KeyFile", "the key %s").c_str(), m_keyFile.c_str());
    const char* agent = std::getenv("SSH_AUTH_SOCK");
    if (agent && *agent)
        tried += ", " + Tr("SFTP.Agent", "the SSH agent");
    return FormatText(Tr("SFTP.LoginRefused", "The server refused the login (tried: %s; the server offers: %s).")
                          .c_str(),
                      tried.c_str(), m_offered.empty() ? "?" : m_offered.c_str());
}

std::string CSftpSession::QuotedPath(const std::string& path)
{
    std::string quoted = "\"";
    for (const char c : path) {
        if (c == '"' || c == '\\')
            quoted += '\\';
        quoted += c;
    }
    return quoted + "\"";
}

std::string CSftpSession::Url(const std::string& base, const std::string& path, bool dir)
{
    std::string url = base;
    size_t pos = 1;
    while (pos < path.size()) {
        size_t next = path.find('/', pos);
        if (next == std::string::npos)
            next = path.size();
        const std::string segment = path.substr(pos, next - pos);
        char* escaped = curl_easy_escape(nullptr, segment.c_str(), static_cast<int>(segment.size()));
        url += "/";
        url += escaped ? escaped : "";
        curl_free(escaped);
        pos = next + 1;
    }
    return dir || url == base ? url + "/" : url;
}

} // namespace skerrow
