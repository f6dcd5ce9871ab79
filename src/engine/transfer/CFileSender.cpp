#include "transfer/CTempNameUpload.h"

#include "app/CStringTable.h"
#include "ftp/CFtpConnection.h"
#include "ftp/CInternetError.h"

namespace skerrow {

namespace {

constexpr size_t kLongestServerName = 255;

} // namespace

bool CTempNameUpload::Applies(int mode, uint64_t size, const std::string& name)
{
    if (PartName(name).size() > kLongestServerName)
        return false;
    switch (mode) {
    case kAllFiles: return true;
    case kNoFiles: return false;
    default: return size >= kLargeFileBytes;
    }
}

std::string CTempNameUpload::PartName(const std::string& name)
{
    return "." + name + kSuffix;
}

bool CTempNameUpload::Put(const std::string& localPath, const std::string& name, int transferType)
{
    m_errorText.clear();
    const std::string part = PartName(name);
    if (!m_connection.PutFile(localPath, part, transferType)) {
        TakeError();
        DeleteQuietly(part);
        return false;
    }
    return RenameOver(part, name);
}

bool CTempNameUpload::RenameOver(const std::string& part, const std::string& name)
{
    if (m_connection.Rename(part, name) == CFtpConnection::RenameResult::Done)
        return true;
    TakeError();
    // Refused by the server (not a lost connection): some servers never rename over an existing
    // file. Delete it, then rename; if there was no file to delete, the refusal had another reason.
    if (m_connection.LastError() != kErrorExtended || m_connection.IsAborted() || !m_connection.DeleteFile(name)) {
        DeleteQuietly(part);
        return false;
    }
    m_connection.LogNote(FormatText(
        Tr("T.RenameOverDeleted", "The server refused to rename %s over %s: deleting %s, then renaming.").c_str(),
        part.c_str(), name.c_str(), name.c_str()));
    if (m_connection.Rename(part, name) == CFtpConnection::RenameResult::Done)
        return true;
    // The old file is gone and the temporary one is whole: it stays for the next upload to rename.
    TakeError();
    return false;
}

void CTempNameUpload::TakeError()
{
    CInternetError(&m_connection).GetErrorText(m_connection.LastError(), m_errorText);
}

void CTempNameUpload::DeleteQuietly(const std::string& part)
{
    if (!m_connection.IsAborted())
        m_connection.DeleteFile(part);
}

} // namespace skerrow
