#include "ftp/CInternetError.h"

#include "app/CStringTable.h"
#include "ftp/CFtpConnection.h"

namespace skerrow {

std::string CInternetError::Description(int code)
{
    switch (code) {
    case kErrorFileNotFound: return Tr("E.2", "The system cannot find the file specified.");
    case kErrorAccessDenied: return Tr("E.5", "Access is denied.");
    case kErrorReadFault: return Tr("E.30", "The file could not be read.");
    case kErrorInvalidName: return Tr("E.123", "The file name or directory name is not valid.");
    case kErrorNotRegularFile: return Tr("E.222", "This is not a regular file (a pipe, socket or device): it is not sent.");
    case kErrorTimeout: return Tr("E.12002", "The operation timed out");
    case kErrorExtended: return Tr("E.12003", "An extended error was returned from the server.");
    case kErrorInternal: return Tr("E.12004", "An internal error occurred.");
    case kErrorNameNotResolved: return Tr("E.12007", "The server name could not be resolved");
    case 12013: return Tr("E.12013", "The user name was not accepted.");
    case 12014: return Tr("E.12014", "The password was not accepted.");
    case kErrorOperationCancelled: return Tr("E.12017", "The operation was cancelled.");
    case kErrorIncorrectHandleState:
        return Tr("E.12019", "The operation cannot be carried out because there is no connection.");
    case kErrorCannotConnect: return Tr("E.12029", "A connection with the server could not be established");
    case kErrorConnectionAborted: return Tr("E.12030", "The connection with the server was terminated abnormally");
    case 12031: return Tr("E.12031", "The connection with the server was reset");
    case kErrorInvalidCa: return Tr("E.12045", "The server's certificate is not trusted");
    case kErrorSecureChannel: return Tr("E.12157", "A secure (TLS) connection could not be set up");
    case kErrorListingTooLong:
        return Tr("E.12159", "The server's listing of this directory holds more than 2,000,000 entries: it is not read");
    case kErrorTlsWithdrawn:
        return Tr("E.12160", "The server has offered encryption (TLS) before and refuses it now: someone between "
                             "you and the server may be listening. The password was not sent.");
    case kErrorPlainNotAllowed:
        return Tr("E.12161", "The server does not offer encryption (TLS), and the connection was not allowed "
                             "without it. The password was not sent.");
    case kErrorHostKeyRefused:
        return Tr("E.12162", "The server's host key is not trusted: it is neither in known_hosts nor trusted here. "
                             "The password was not sent.");
    case kErrorTlsNotOffered:
        return Tr("E.12158", "The server does not offer TLS, and the settings require an encrypted connection");
    default: return std::string();
    }
}

void CInternetError::GetErrorText(int code, std::string& text) const
{
    text = FormatText("error code: %d\nMessage: %s\n", code, Description(code).c_str());
    if (code == kErrorInvalidCa && m_connection)
        text += CertificateText(m_connection->RefusedCertificate());
    if (code == kErrorHostKeyRefused && m_connection) {
        const CSshHostKey key = m_connection->RefusedHostKey();
        if (!key.Empty())
            text += key.type + " " + key.fingerprint + "\n";
    }
    if (code != kErrorExtended || !m_connection)
        return;
    text += m_connection->LastResponse();
}

std::string CInternetError::CertificateText(const CCertificateInfo& info)
{
    if (info.fingerprint.empty())
        return std::string();
    std::string text;
    if (info.Changed())
        text += Tr("E.CertChanged", "This is not the certificate trusted before for this server.") + "\n";
    text += FormatText(Tr("E.CertFingerprint", "SHA-256 fingerprint: %s").c_str(), info.fingerprint.c_str()) + "\n";
    return text;
}

bool CInternetError::ShowError(int code, IUserPrompt& prompt, PromptIcon icon) const
{
    std::string text;
    GetErrorText(code, text);
    prompt.ShowMessage(text, icon);
    return true;
}

} // namespace skerrow
