#include "discovery/CFTPDirWalk.h"

#include "ftp/CFtpConnection.h"
#include "ftp/CInternetError.h"

namespace skerrow {

bool CFTPDirWalk::Walk(CFtpConnection* connection, const char* startDirectory, const std::string& pattern)
{
    if (!connection)
        return false;
    m_connection = connection;
    std::string remembered;
    if (!connection->GetCurrentDirectory(remembered)) {
        if (m_prompt)
            CInternetError(connection).ShowError(connection->LastError(), *m_prompt, PromptIcon::Error);
        return false;
    }
    // An empty starting directory names no directory: walking the current one instead could
    // list (and so delete) a whole site.
    if (startDirectory && (!*startDirectory || !connection->SetCurrentDirectory(startDirectory)))
        return false;
    m_depth = 0;
    ScanDirectory(pattern);
    connection->SetCurrentDirectory(remembered);
    return true;
}

bool CFTPDirWalk::ListLevel(const std::string& prefix, const std::string& pattern, std::vector<CFindRecord>& entries)
{
    std::vector<CFindRecord> listed;
    m_connection->List(pattern, listed); // names only entries of the listed directory
    for (CFindRecord& record : listed) {
        if (m_stopped && m_stopped())
            return false;
        record.name = prefix + record.name;
        entries.push_back(std::move(record));
    }
    return true;
}

void CFTPDirWalk::ScanDirectory(const std::string& pattern)
{
    std::string prefix;
    m_connection->GetCurrentDirectory(prefix);
    ++m_depth;
    if (prefix.size() >= 2 && prefix.back() != '/')
        prefix += '/';
    std::vector<CFindRecord> entries;
    bool stopped = !ListLevel(prefix, pattern, entries);
    if (!stopped) {
        for (const CFindRecord& entry : entries) {
            if (m_stopped && m_stopped()) {
                stopped = true; // a stopped walk reports no more entries, at any level
                break;
            }
            if (!entry.IsDirectory())
                OnFileFound(entry, *m_connection);
            else if (ShouldEnter(entry) && m_connection->SetCurrentDirectory(entry.name))
                ScanDirectory(pattern);
        }
    }
    --m_depth;
    if (m_depth != 0 && !stopped) {
        CFindRecord self;
        self.attributes = kFileAttributeDirectory;
        self.name = prefix;
        OnDirectoryDone(self, *m_connection);
    }
}

void CFTPDirWalk::OnFileFound(const CFindRecord&, CFtpConnection&) {}

void CFTPDirWalk::OnDirectoryDone(const CFindRecord&, CFtpConnection&) {}

} // namespace skerrow
