#include "discovery/CFTPDirWalk.h"

#include "app/CStringTable.h"
#include "ftp/CFtpConnection.h"
#include "ftp/CInternetError.h"

namespace skerrow {
namespace {

std::string NotEntered(const std::string& directory)
{
    return FormatText(Tr("T.WalkNotEntered", "The server directory %s could not be entered.").c_str(),
                      directory.c_str());
}

} // namespace

bool CFTPDirWalk::Walk(CFtpConnection* connection, const char* startDirectory, const std::string& pattern)
{
    m_failure.clear();
    m_entered.clear();
    m_depth = 0;
    m_connection = connection;
    if (!connection) {
        m_failure = CInternetError::Description(kErrorIncorrectHandleState);
        return false;
    }
    // An empty starting directory names no directory: walking the current one instead could
    // list (and so delete) a whole site.
    if (startDirectory && !*startDirectory) {
        m_failure = Tr("T.WalkNoStart", "No server directory is named: nothing is listed.");
        return false;
    }
    std::string remembered;
    if (!connection->GetCurrentDirectory(remembered))
        return Fail(NotEntered(startDirectory ? startDirectory : ""));
    if (startDirectory && !connection->SetCurrentDirectory(startDirectory))
        return Fail(NotEntered(startDirectory));
    std::string identity;
    if (Identify(identity)) {
        m_entered.insert(identity);
        ScanDirectory(pattern);
    }
    connection->SetCurrentDirectory(remembered);
    return m_failure.empty();
}

bool CFTPDirWalk::ListLevel(const std::string& prefix, const std::string& pattern, std::vector<CFindRecord>& entries)
{
    std::vector<CFindRecord> listed;
    // A listing that fails is no empty directory: the walk fails with it.
    if (!m_connection->ListForWalk(pattern, listed)) {
        const std::string directory = prefix.size() > 1 ? prefix.substr(0, prefix.size() - 1) : prefix;
        return Fail(FormatText(Tr("T.WalkNotListed", "The server directory %s could not be listed.").c_str(),
                               directory.c_str()));
    }
    for (CFindRecord& record : listed) { // names only entries of the listed directory
        if (IsStopped())
            return false;
        record.name = prefix + record.name;
        entries.push_back(std::move(record));
    }
    return true;
}

bool CFTPDirWalk::ScanDirectory(const std::string& pattern)
{
    std::string prefix;
    m_connection->GetCurrentDirectory(prefix);
    ++m_depth;
    if (prefix.size() >= 2 && prefix.back() != '/')
        prefix += '/';
    std::vector<CFindRecord> entries;
    bool going = ListLevel(prefix, pattern, entries);
    // A stopped or failed walk reports no more entries, at any level.
    for (size_t i = 0; going && i < entries.size(); ++i)
        going = !IsStopped() && VisitEntry(entries[i], pattern);
    --m_depth;
    if (m_depth != 0 && going) {
        CFindRecord self;
        self.attributes = kFileAttributeDirectory;
        self.name = prefix;
        OnDirectoryDone(self, *m_connection);
    }
    return going;
}

bool CFTPDirWalk::VisitEntry(const CFindRecord& entry, const std::string& pattern)
{
    // A link is an entry of its own, whatever it points to: deleting it removes the link alone.
    if (entry.link || !entry.IsDirectory()) {
        OnFileFound(entry, *m_connection);
        return true;
    }
    if (!ShouldEnter(entry))
        return true;
    switch (EnterDirectory(entry)) {
    case Entered::Yes: return ScanDirectory(pattern);
    case Entered::Before:
        // Another name for a directory already entered: skipped, not reported. What it is cannot
        // be told (a link no listing showed as one, a mount, an alias of the server's), and a
        // delete sent to it could reach the directory it stands for; left alone, it only keeps its
        // parent from being removed, which the user sees.
        OnAlreadyEntered(entry);
        return true;
    case Entered::Failed: break;
    }
    return false;
}

CFTPDirWalk::Entered CFTPDirWalk::EnterDirectory(const CFindRecord& entry)
{
    // The unique fact tells before entering; without it the server's own path for the directory
    // tells after.
    std::string identity = entry.unique.empty() ? std::string() : "unique:" + entry.unique;
    if (!identity.empty() && m_entered.count(identity) != 0)
        return Entered::Before;
    if (m_depth > kMaxDepth) { // m_depth is the level of the entry
        m_failure = FormatText(Tr("T.WalkTooDeep", "The server directory %s lies more than %d levels below the "
                                                   "start of the walk: the walk stops there.")
                                   .c_str(),
                               entry.name.c_str(), kMaxDepth);
        return Entered::Failed;
    }
    if (!m_connection->SetCurrentDirectory(entry.name)) {
        Fail(NotEntered(entry.name));
        return Entered::Failed;
    }
    if (identity.empty() && !Identify(identity))
        return Entered::Failed;
    return m_entered.insert(identity).second ? Entered::Yes : Entered::Before;
}

bool CFTPDirWalk::Identify(std::string& identity)
{
    if (m_connection->CurrentDirectoryIdentity(identity))
        return true;
    std::string current;
    m_connection->GetCurrentDirectory(current);
    return Fail(NotEntered(current));
}

bool CFTPDirWalk::Fail(const std::string& heading)
{
    if (IsStopped())
        return false; // a call cut short by the stop: the walk was stopped, it did not fail
    const int code = m_connection->LastError();
    std::string text;
    CInternetError(m_connection).GetErrorText(code, text);
    // 12003 comes with the server's reply; a listing cut short (426, 451) comes with another code.
    const std::string reply = m_connection->LastResponse();
    if (code != kErrorExtended && !reply.empty() && (reply[0] == '4' || reply[0] == '5'))
        text += reply;
    m_failure = heading + "\n" + text;
    return false;
}

void CFTPDirWalk::OnFileFound(const CFindRecord&, CFtpConnection&) {}

void CFTPDirWalk::OnDirectoryDone(const CFindRecord&, CFtpConnection&) {}

} // namespace skerrow
