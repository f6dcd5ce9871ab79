#include "run/CTreeDeleteWorker.h"

#include "app/CNumberText.h"
#include "app/CStringTable.h"
#include "app/IStatusSink.h"
#include "app/IUserPrompt.h"
#include "app/StringIds.h"
#include "discovery/CTreeDelDirWalk.h"
#include "ftp/CFtpConnection.h"
#include "ftp/CInternetError.h"
#include "list/CTransferList.h"
#include "run/CRun.h"
#include "transfer/CDeleteLanes.h"
#include "transfer/CDeletePlan.h"
#include "transfer/CTransferContext.h"

namespace skerrow {

int CTreeDeleteWorker::Run()
{
    return Guarded([this] { return Steps(); });
}

int CTreeDeleteWorker::Steps()
{
    CFtpConnection& connection = *m_context.connection;
    if (!connection.SetCurrentDirectory("/")) {
        if (Stopped())
            return EndStopped();
        CInternetError(&connection).ShowError(connection.LastError(), m_prompt, PromptIcon::Stop);
        return 0;
    }
    const std::string& directory = m_context.settings.treeDeleteDir;
    const bool walked = m_context.runState.load() == 3 || WalkTree(directory);
    if (Stopped())
        return EndStopped();
    if (!walked)
        return EndWalkFailed();
    if (m_context.list.Count() == 0) {
        m_prompt.ShowMessage(LoadString(IDS_NO_FILES_FOUND_TREE), PromptIcon::Information);
        SetRunState(0);
        return 0;
    }
    SetRunState(2);
    // A Stop while the question is open is honoured whatever the answer: nothing is deleted then.
    const std::string root = CFtpConnection::ResolvePath("/", directory);
    // While the question waits the status bar says what it is about, not "Finding Files".
    const std::string what = WhatIsDeleted(root);
    m_status.SetStatusText(what);
    if (m_prompt.AskYesNo(ConfirmationText(root) + "\n\n" + what, PromptIcon::Question) && !Stopped()) {
        // Files go on all the run's connections; a directory once everything inside it is gone.
        CTransferContext transfer = TransferContext(connection);
        CDeleteLanes(transfer, FurtherConnections()).Run(CDeletePlan::TreeDelete(root));
        CheckAllDone();
    }
    if (!Stopped())
        m_status.SetStatusText(Tr("T.TreeDeletionFinished", "Tree Deletion Finished"));
    ReportFailedRows();
    return 1;
}

bool CTreeDeleteWorker::WalkTree(const std::string& directory)
{
    m_context.run->Fence().Apply([this] { m_context.list.DeleteAll(); });
    m_status.SetStatusText(Tr("T.FindingFilesTree", "Finding Files"));
    // A key never set names no directory: nothing is listed (and so nothing deleted).
    if (directory.empty())
        return true;
    // The walk fills a list of its own; the rows reach the window's list in one step, through the
    // fence, so a walk set aside by the stop timer adds nothing to a later run's list.
    CTransferList walked;
    CTreeDelDirWalk walk;
    walk.Setup(&walked);
    walk.SetStopCheck([this] { return Stopped(); });
    walk.SetConnections(FurtherConnections());
    if (!walk.Walk(m_context.connection.get(), directory.c_str(), "*")) {
        // A walk that failed may have missed what makes a directory unsafe to delete: none of its
        // rows is used.
        m_walkFailure = walk.Failure();
        return false;
    }
    std::vector<CTransferRow> rows = walked.Snapshot();
    m_context.run->Fence().Apply([this, &rows] { m_context.list.Replace(std::move(rows)); });
    return true;
}

int CTreeDeleteWorker::EndWalkFailed()
{
    const std::string nothing = Tr("T.TreeDeleteFailed", "Tree Delete failed: nothing has been deleted.");
    m_status.SetStatusText(nothing);
    // Shown as an error: the run failed (the headless command exits with a failure for it).
    m_prompt.ShowMessage(m_walkFailure + "\n" + nothing, PromptIcon::Stop);
    SetRunState(0);
    return 0;
}

std::string CTreeDeleteWorker::ConfirmationText(const std::string& root)
{
    if (root != "/")
        return LoadString(IDS_CONFIRM_DELETE);
    return Tr("T.ConfirmWholeAccount", "The directory to delete is the top of the server (/): every file and "
                                       "directory that this account reaches on the server is deleted.\n\n") +
           LoadString(IDS_CONFIRM_DELETE);
}

std::string CTreeDeleteWorker::WhatIsDeleted(const std::string& root) const
{
    uint64_t folders = 0;
    const std::vector<CTransferRow> rows = m_context.list.Snapshot();
    for (const CTransferRow& row : rows)
        folders += !row.name.empty() && row.name.back() == '/' ? 1 : 0;
    return FormatText(Tr("T.TreeDeleteWhat", "%s entries below %s: %s files and %s folders").c_str(),
                      CNumberText::Grouped(rows.size()).c_str(), root.c_str(),
                      CNumberText::Grouped(rows.size() - folders).c_str(), CNumberText::Grouped(folders).c_str());
}

int CTreeDeleteWorker::EndStopped()
{
    // What was listed stays in the list, refused for now: Transfer/Delete can still mark it.
    if (m_context.list.Count() > 0)
        SetRunState(2);
    m_status.SetStatusText(Tr("T.TreeDeleteStopped", "Tree Delete stopped: nothing has been deleted."));
    m_context.run->MarkStopReported();
    return 0;
}

} // namespace skerrow
