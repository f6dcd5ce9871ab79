#include "discovery/CFTPDirWalk.h"

#include "app/CStringTable.h"
#include "ftp/CFtpConnection.h"
#include "ftp/CInternetError.h"
#include "log/CControlCharacters.h"

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
    m_depth = 0;
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
    CWalkFrontier frontier;
    std::string remembered;
    if (!connection->GetCurrentDirectory(remembered)) {
        Fail(frontier, *connection, NotEntered(startDirectory ? startDirectory : ""));
        m_failure = frontier.Failure();
        return false;
    }
    ListTree(frontier, *connection, startDirectory, pattern);
    connection->SetCurrentDirectory(remembered);
    m_failure = frontier.Failure();
    if (frontier.Result() == CWalkFrontier::End::Failed)
        return false;
    // Complete, or stopped: what was listed before the stop is reported up to the first directory
    // that was not, as a walk on one connection would have reported it.
    if (!frontier.Levels().empty())
        Report(frontier, 0, *connection);
    return true;
}

void CFTPDirWalk::ListTree(CWalkFrontier& frontier, CFtpConnection& first, const char* startDirectory,
                           const std::string& pattern)
{
    const Task start{-1, 0, startDirectory ? startDirectory : "", std::string(), std::string(), 0};
    CConnectionLanes lanes(first, m_lanes);
    lanes.Run(
        [&](CFtpConnection& connection) {
            try {
                if (&connection != &first || Visit(frontier, start, connection, pattern))
                    ListOn(frontier, connection, pattern);
            } catch (...) {
                frontier.Fail(std::string()); // the others stop too; the fault itself is thrown on
                throw;
            }
        },
        [&] { return !frontier.Ended() && !IsStopped(); });
}

void CFTPDirWalk::ListOn(CWalkFrontier& frontier, CFtpConnection& connection, const std::string& pattern)
{
    while (const std::optional<Task> task = frontier.Take()) {
        if (IsStopped()) {
            frontier.Stop();
            return;
        }
        if (!Visit(frontier, *task, connection, pattern))
            return;
    }
}

bool CFTPDirWalk::Visit(CWalkFrontier& frontier, const Task& task, CFtpConnection& connection,
                        const std::string& pattern)
{
    // The unique fact tells before entering (the directory is claimed then, so that no other
    // connection enters it too); without it the server's own path for the directory tells after.
    // Another name for a directory already entered is skipped, not reported: what it is cannot be
    // told (a link no listing showed as one, a mount, an alias of the server's), and a delete sent
    // to it could reach the directory it stands for; left alone, it only keeps its parent from
    // being removed, which the user sees.
    std::string identity = task.unique.empty() ? std::string() : "unique:" + task.unique;
    if (!identity.empty() && !frontier.Claim(identity)) {
        frontier.Alias(task);
        return true;
    }
    if (task.depth > kMaxDepth) { // the level of the directory that lists it
        frontier.Fail(FormatText(Tr("T.WalkTooDeep", "The server directory %s lies more than %d levels below the "
                                                     "start of the walk: the walk stops there.")
                                     .c_str(),
                                 task.path.c_str(), kMaxDepth));
        return false;
    }
    if (!task.path.empty() && !connection.SetCurrentDirectory(task.path))
        return Fail(frontier, connection, NotEntered(task.path));
    const bool claimed = !identity.empty();
    std::string reported;
    if (!Identify(frontier, connection, reported, claimed ? nullptr : &identity))
        return false;
    if (!claimed && !frontier.Claim(identity)) {
        frontier.Alias(task);
        return true;
    }
    // Where the parent's listing said: a server that resolves links in its PWD reply (as vsftpd
    // does) shows here a link that the listing passed off as a directory.
    if (task.parent >= 0 && reported != task.expected) {
        frontier.Fail(FormatText(Tr("T.WalkNotPromised", "The server directory %s turned out to be %s once "
                                                         "entered, not what its listing showed: the walk "
                                                         "stops, and nothing is deleted.")
                                     .c_str(),
                                 task.path.c_str(), CControlCharacters::Escape(reported).c_str()));
        return false;
    }
    std::string prefix;
    connection.GetCurrentDirectory(prefix);
    if (prefix.size() >= 2 && prefix.back() != '/')
        prefix += '/';
    const int level = frontier.Enter(task, prefix, reported);
    std::vector<CFindRecord> entries;
    if (!ListLevel(frontier, connection, prefix, pattern, entries))
        return false;
    frontier.Listed(level, std::move(entries), [this](const CFindRecord& record) { return ShouldEnter(record); });
    return true;
}

bool CFTPDirWalk::ListLevel(CWalkFrontier& frontier, CFtpConnection& connection, const std::string& prefix,
                            const std::string& pattern, std::vector<CFindRecord>& entries)
{
    std::vector<CFindRecord> listed;
    // A listing that fails is no empty directory: the walk fails with it.
    if (!connection.ListForWalk(pattern, listed)) {
        const std::string directory = prefix.size() > 1 ? prefix.substr(0, prefix.size() - 1) : prefix;
        return Fail(frontier, connection,
                    FormatText(Tr("T.WalkNotListed", "The server directory %s could not be listed.").c_str(),
                               directory.c_str()));
    }
    for (CFindRecord& record : listed) { // names only entries of the listed directory
        if (IsStopped()) {
            frontier.Stop();
            return false;
        }
        // What a forged line stands for cannot be told: nothing of this walk is acted on.
        if (record.forged) {
            const std::string directory = prefix.size() > 1 ? prefix.substr(0, prefix.size() - 1) : prefix;
            frontier.Fail(FormatText(Tr("T.WalkForged", "The listing of the server directory %s looks forged "
                                                        "around the entry \"%s\" (a name listed twice, a line "
                                                        "break in a name, or a line beside it that names "
                                                        "nothing): the walk stops, and nothing is deleted.")
                                         .c_str(),
                                     directory.c_str(), CControlCharacters::Escape(record.name).c_str()));
            return false;
        }
        record.name = prefix + record.name;
        entries.push_back(std::move(record));
    }
    return true;
}

bool CFTPDirWalk::Report(const CWalkFrontier& frontier, int index, CFtpConnection& connection)
{
    const CWalkFrontier::Level& level = frontier.Levels()[static_cast<size_t>(index)];
    if (!level.listed)
        return false;
    ++m_depth;
    bool going = true;
    for (size_t i = 0; going && i < level.entries.size(); ++i) {
        const int outcome = level.outcomes[i];
        if (outcome == CWalkFrontier::kFile)
            OnFileFound(level.entries[i], connection);
        else if (outcome == CWalkFrontier::kAlias)
            OnAlreadyEntered(level.entries[i]);
        else if (outcome == CWalkFrontier::kWaiting)
            going = false; // never entered: the walk was stopped first
        else if (outcome >= 0)
            going = Report(frontier, outcome, connection);
    }
    --m_depth;
    if (m_depth != 0 && going) {
        CFindRecord self;
        self.attributes = kFileAttributeDirectory;
        self.name = level.prefix;
        OnDirectoryDone(self, connection);
    }
    return going;
}

bool CFTPDirWalk::Identify(CWalkFrontier& frontier, CFtpConnection& connection, std::string& reported,
                           std::string* identity)
{
    if (connection.CurrentDirectoryIdentity(reported, identity))
        return true;
    std::string current;
    connection.GetCurrentDirectory(current);
    return Fail(frontier, connection, NotEntered(current));
}

bool CFTPDirWalk::Fail(CWalkFrontier& frontier, CFtpConnection& connection, const std::string& heading)
{
    if (IsStopped()) {
        frontier.Stop(); // a call cut short by the stop: the walk was stopped, it did not fail
        return false;
    }
    const int code = connection.LastError();
    std::string text;
    CInternetError(&connection).GetErrorText(code, text);
    // 12003 comes with the server's reply; a listing cut short (426, 451) comes with another code.
    const std::string reply = connection.LastResponse();
    if (code != kErrorExtended && !reply.empty() && (reply[0] == '4' || reply[0] == '5'))
        text += reply;
    frontier.Fail(heading + "\n" + text);
    return false;
}

void CFTPDirWalk::OnFileFound(const CFindRecord&, CFtpConnection&) {}

void CFTPDirWalk::OnDirectoryDone(const CFindRecord&, CFtpConnection&) {}

} // namespace skerrow
