#pragma once
// Walks a directory tree on the FTP server, depth first, and reports every file and every
// sub-directory with its full server path; each directory is reported after everything inside it,
// the starting directory never. A level's listing is read completely before any of its entries is
// acted on, so only one listing is ever open on the connection.
//
// The walk never leaves the tree it was started on: an entry that any listing shows as a link is
// reported as an entry (deleting it removes the link alone) and never entered, a directory is
// entered at most once (by the server's unique fact, else the path the server reports), and no
// deeper than kMaxDepth levels below the start. A listing that fails, or a listed directory that
// cannot be entered, fails the whole walk: what it reported must then not be acted on.

#include <functional>
#include <set>
#include <string>
#include <vector>

#include "ftp/CFindRecord.h"

namespace skerrow {

class CFtpConnection;

class CFTPDirWalk {
public:
    // The deepest level below the start that is walked; a directory below it fails the walk.
    static constexpr int kMaxDepth = 64;

    virtual ~CFTPDirWalk() = default;

    // Lists the tree below startDirectory (below the current directory when it is null). False when
    // the walk failed (Failure says why): the connection is null or closed, the starting directory
    // cannot be entered, a listing failed, a listed directory could not be entered or lies too
    // deep. A stopped walk is not a failed one. The current directory is restored at the end.
    bool Walk(CFtpConnection* connection, const char* startDirectory, const std::string& pattern);
    // Why the last Walk failed, for the user: the server directory and the server's reply; "" when
    // it did not fail.
    const std::string& Failure() const { return m_failure; }

    // Asked once per listed entry; once it says stop, the level listing at that moment acts on none
    // of its entries and no other level is listed.
    void SetStopCheck(std::function<bool()> stopped) { m_stopped = std::move(stopped); }
    int Depth() const { return m_depth; }

protected:
    // record.name holds the full server path.
    virtual void OnFileFound(const CFindRecord& record, CFtpConnection& connection);
    // A sub-directory scanned completely; record.name is its full path ending in "/".
    virtual void OnDirectoryDone(const CFindRecord& record, CFtpConnection& connection);
    // Whether to list a sub-directory (record.name: its full path, without a trailing "/"); one
    // left out is not reported either.
    virtual bool ShouldEnter(const CFindRecord& /*record*/) { return true; }
    // A sub-directory that is the same as one already entered (another name for it): neither
    // listed nor reported.
    virtual void OnAlreadyEntered(const CFindRecord& /*record*/) {}

private:
    enum class Entered { Yes, Before, Failed };

    bool IsStopped() const { return m_stopped && m_stopped(); }
    // False when the walk failed or was stopped.
    bool ScanDirectory(const std::string& pattern);
    bool ListLevel(const std::string& prefix, const std::string& pattern, std::vector<CFindRecord>& entries);
    bool VisitEntry(const CFindRecord& entry, const std::string& pattern);
    Entered EnterDirectory(const CFindRecord& entry);
    // The current directory's identity: false (the walk failed) when the server does not say.
    bool Identify(std::string& identity);
    // Records why the walk failed: heading, then the connection's error and the server's reply.
    bool Fail(const std::string& heading);

    CFtpConnection* m_connection = nullptr;
    int m_depth = 0;
    std::function<bool()> m_stopped;
    std::set<std::string> m_entered; // identities of the directories entered in this walk
    std::string m_failure;
};

} // namespace skerrow
