#include "commands/CUploadCommand.h"

#include "host/CCliSession.h"
#include "list/RowWord.h"
#include "options/CCliArguments.h"
#include "options/CliExitCode.h"

namespace skerrow::cli {

namespace {

size_t LeftoversNotDone(const CTransferList& list)
{
    size_t count = 0;
    for (const CTransferRow& row : list.Snapshot()) {
        if (RowKindOf(row.word) == kKindLeftover && RowStateOf(row.word) != kRowDone)
            ++count;
    }
    return count;
}

} // namespace

int CUploadCommand::Run()
{
    if (!m_options.deleteLeftovers) {
        m_session.Controller().OnFindFilesTransfer();
        m_session.RunToEnd();
        return Conclude(m_session.Outcome(true), "Sent", "not sent", "files");
    }
    return RunWithLeftovers();
}

// Find Files and Server Leftovers, then Transfer/Delete: the question about the leftovers is
// answered by --yes, after they have been printed.
int CUploadCommand::RunWithLeftovers()
{
    ListServerEntriesBeforeQuestion();
    CCliSession& session = m_session;
    session.Controller().OnFindLeftovers();
    session.RunToEnd();
    // A refused mass deletion sends nothing either: the folder or the Start Dir is likely wrong.
    if (!session.Interrupted() && session.Controller().IsConnected() && !session.Controller().RefusedForSafety() &&
        session.List().Count() > 0) {
        session.Controller().OnTransferDelete();
        session.RunToEnd();
    }
    const size_t kept = m_options.yes ? 0 : LeftoversNotDone(session.List());
    // Leftovers kept for want of --yes are no failure; a file that was not sent is.
    int code = session.Outcome(kept == 0);
    if (kept > 0 && code == kExitAllSent && session.List().CountInState(kRowFailed) > 0)
        code = kExitSomeFailed;
    if (kept > 0 && code != kExitUsage && code != kExitNoConnection)
        session.Terminal().Info(std::to_string(kept) +
                                " server leftovers listed; nothing was deleted (--yes deletes them).");
    return Conclude(code, "Done", "not done", "rows");
}

} // namespace skerrow::cli
