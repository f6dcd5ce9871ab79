#pragma once
// The text of a failed FTP call: its code, our description of the code and, for an error the
// server replied with (12003), the server's last reply.

#include <string>

#include "app/IUserPrompt.h"
#include "ftp/CCertificateInfo.h"

namespace skerrow {

class CFtpConnection;

class CInternetError {
public:
    // The connection supplies the server's last reply; it may be null (no reply is added then).
    explicit CInternetError(const CFtpConnection* connection = nullptr) : m_connection(connection) {}
    virtual ~CInternetError() = default;

    // "error code: %d\nMessage: %s\n", then for 12003 the server's reply as it came, and for an
    // untrusted certificate (12045) its fingerprint.
    void GetErrorText(int code, std::string& text) const;
    // Shows the text in a message box with the given icon; always true.
    virtual bool ShowError(int code, IUserPrompt& prompt, PromptIcon icon) const;

    // The lines that name a refused certificate: a warning when it replaced a trusted one, and its
    // fingerprint; "" when there is none.
    static std::string CertificateText(const CCertificateInfo& info);
    // Our description of a code, translated; "" for a code we have no description for.
    static std::string Description(int code);

private:
    const CFtpConnection* m_connection;
};

} // namespace skerrow
