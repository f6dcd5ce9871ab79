#pragma once
// What a connection needs to speak SFTP (SSH's file transfer) through libcurl, beside what it
// shares with FTP: the SSH login (password, private key file and its passphrase, the user's SSH
// agent when one runs), the host-key check, and the way SFTP operations are written for curl's
// quote list and its URLs.
//
// SFTP has no commands and replies to read: each operation is logged as a line of its own
// ("> mkdir /site/img", then "< done" or the server's refusal), and a refusal's text is curl's
// account of the SFTP status ("mkdir command failed: Permission denied").

#include <curl/curl.h>

#include <memory>
#include <string>

#include "ftp/CSshHostKeyCheck.h"

namespace skerrow {

class CSftpSession {
public:
    // For the next login: the private key file ("" for none) and its passphrase.
    void SetKey(const std::string& keyFile, const std::string& passphrase);
    // What decides on the server's host key (none: only keys known_hosts holds are accepted).
    void SetHostKeyCheck(std::shared_ptr<CSshHostKeyCheck> check) { m_hostKeys = std::move(check); }
    CSshHostKey RefusedHostKey() const;

    // Puts the login and the host-key check on a new handle; false when an option does not take.
    bool Setup(CURL* curl, const std::string& user, const std::string& password);
    // Before each call: the error text of the last one is forgotten.
    void ResetError() { m_error[0] = '\0'; }
    // The text curl gave for the last failure ("" for none).
    std::string ErrorText() const { return m_error; }

    // curl's informational lines: they name the authentication methods the server offers, and
    // tell when a (new) SSH connection logged in. True for a line that says a login was done.
    bool OnInfo(const std::string& line);
    // The methods the server offered at the last login ("publickey,password"), "" before.
    const std::string& OfferedMethods() const { return m_offered; }
    // Why a login failed, for the row and the log: the methods tried and those the server offered.
    std::string LoginRefusedText() const;

    // A path as one argument of a quote command: in double quotes, with " and \ escaped.
    static std::string QuotedPath(const std::string& path);
    // The URL of an absolute path on the server (base is "sftp://host:port"); dir adds a "/".
    static std::string Url(const std::string& base, const std::string& path, bool dir);

private:
    std::string m_keyFile;
    std::string m_passphrase;
    std::shared_ptr<CSshHostKeyCheck> m_hostKeys;
    std::string m_offered;
    char m_error[CURL_ERROR_SIZE] = {};
};

} // namespace skerrow
