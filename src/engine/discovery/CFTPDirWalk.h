#pragma once
// Walks a directory tree on the FTP server, depth first, and reports every file and every
// sub-directory with its full server path; each directory is reported after everything inside it,
// the starting directory never. A level's listing is read completely before any of its entries is
// acted on, so only one listing is ever open on a connection.
//
// With further connections (SetConnections) the directories are entered and listed on all of them
// at once; the entries are reported only once the listing is over, on the calling thread and in the
// order a walk on one connection reports them, so the rows are the same whatever the number of
// connections (but for two names of one directory: which of them is walked then depends on which
// connection comes to it first; the other is skipped, as below).
//
// The walk never leaves the tree it was started on: an entry that any listing shows as a link is
// reported as an entry (deleting it removes the link alone) and never entered, a directory is
// entered at most once (by the server's unique fact, else the path the server reports), and no
// deeper than kMaxDepth levels below the start. A listing that fails, or a listed directory that
// cannot be entered, fails the whole walk: what it reported must then not be acted on, and a walk
// on several connections reports nothing then. So does a listing that looks forged (a name with a
// line end in it can add a line that shows a link as a directory: see CFtpListParser), and a
// sub-directory that the server, once it is entered, reports under another path than its parent's
// listing promised.

#include <functional>
#include <string>
#include <vector>

#include "discovery/CWalkFrontier.h"
#include "ftp/CConnectionLanes.h"
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

    // Asked once per listed entry (on any of the walk's connections); once it says stop, the level
    // listing at that moment acts on none of its entries and no other level is listed.
    void SetStopCheck(std::function<bool()> stopped) { m_stopped = std::move(stopped); }
    // The connections the next walks list on: the one given to Walk and, when setup asks for more,
    // further ones logged in with its open function (a connection the server refuses is not used).
    void SetConnections(CConnectionLanes::Setup setup) { m_lanes = std::move(setup); }
    // The level being reported (0 outside a report).
    int Depth() const { return m_depth; }

protected:
    // record.name holds the full server path.
    virtual void OnFileFound(const CFindRecord& record, CFtpConnection& connection);
    // A sub-directory scanned completely; record.name is its full path ending in "/".
    virtual void OnDirectoryDone(const CFindRecord& record, CFtpConnection& connection);
    // Whether to list a sub-directory (record.name: its full path, without a trailing "/"); one
    // left out is not reported either. Asked as the listings come in, one call at a time, from any
    // of the walk's connections' threads, before any entry is reported.
    virtual bool ShouldEnter(const CFindRecord& /*record*/) { return true; }
    // A sub-directory that is the same as one already entered (another name for it): neither
    // listed nor reported.
    virtual void OnAlreadyEntered(const CFindRecord& /*record*/) {}

private:
    using Task = CWalkFrontier::Task;

    bool IsStopped() const { return m_stopped && m_stopped(); }
    // Lists the tree on the walk's connections: first (in the current directory) enters the start,
    // and every connection then enters and lists what is left.
    void ListTree(CWalkFrontier& frontier, CFtpConnection& first, const char* startDirectory,
                  const std::string& pattern);
    // One connection's share: whatever sub-directory is left to enter, until the walk ends (the
    // walk's own connection enters the start first).
    void ListOn(CWalkFrontier& frontier, CFtpConnection& connection, const std::string& pattern);
    // Enters the task's directory and lists it; false when that ended the walk.
    bool Visit(CWalkFrontier& frontier, const Task& task, CFtpConnection& connection, const std::string& pattern);
    bool ListLevel(CWalkFrontier& frontier, CFtpConnection& connection, const std::string& prefix,
                   const std::string& pattern, std::vector<CFindRecord>& entries);
    // The walk failed (or, cut short by the stop, was stopped); always false.
    bool Fail(CWalkFrontier& frontier, CFtpConnection& connection, const std::string& heading);
    // The server's own path of the current directory and (when asked) its identity: false (the
    // walk failed) when the server does not say.
    bool Identify(CWalkFrontier& frontier, CFtpConnection& connection, std::string& reported, std::string* identity);
    // Reports the entries of a listed level, then (below the start) the level itself; false at the
    // first directory that was never listed (a stopped walk: nothing after it is reported).
    bool Report(const CWalkFrontier& frontier, int level, CFtpConnection& connection);

    int m_depth = 0;
    std::function<bool()> m_stopped;
    CConnectionLanes::Setup m_lanes;
    std::string m_failure;
};

} // namespace skerrow
