#pragma once
// Walks a directory tree on the FTP server, depth first, and reports every file and every
// sub-directory with its full server path; each directory is reported after everything inside it,
// the starting directory never. A level's listing is read completely before any of its entries is
// acted on, so only one listing is ever open on the connection.

#include <functional>
#include <string>
#include <vector>

#include "ftp/CFindRecord.h"

namespace skerrow {

class CFtpConnection;
class IUserPrompt;

class CFTPDirWalk {
public:
    virtual ~CFTPDirWalk() = default;

    // Lists the tree below startDirectory (below the current directory when it is null). False when
    // the connection is null, its current directory cannot be read (the error is shown through the
    // prompt, when one is set) or the starting directory cannot be entered. The current directory
    // is restored at the end.
    bool Walk(CFtpConnection* connection, const char* startDirectory, const std::string& pattern);

    // Asked once per listed entry; once it says stop, the level listing at that moment acts on none
    // of its entries and no other level is listed.
    void SetStopCheck(std::function<bool()> stopped) { m_stopped = std::move(stopped); }
    void SetPrompt(IUserPrompt* prompt) { m_prompt = prompt; }
    int Depth() const { return m_depth; }

protected:
    // record.name holds the full server path.
    virtual void OnFileFound(const CFindRecord& record, CFtpConnection& connection);
    // A sub-directory scanned completely; record.name is its full path ending in "/".
    virtual void OnDirectoryDone(const CFindRecord& record, CFtpConnection& connection);
    // Whether to list a sub-directory (record.name: its full path, without a trailing "/"); one
    // left out is not reported either.
    virtual bool ShouldEnter(const CFindRecord& /*record*/) { return true; }

private:
    void ScanDirectory(const std::string& pattern);
    bool ListLevel(const std::string& prefix, const std::string& pattern, std::vector<CFindRecord>& entries);

    CFtpConnection* m_connection = nullptr;
    int m_depth = 0;
    std::function<bool()> m_stopped;
    IUserPrompt* m_prompt = nullptr;
};

} // namespace skerrow
