#include "run/CLeftoverFindWorker.h"

#include "app/CStringTable.h"
#include "app/IStatusSink.h"
#include "app/IUserPrompt.h"
#include "discovery/CLeftoverDirWalk.h"
#include "ftp/CFtpConnection.h"
#include "list/CTransferList.h"
#include "run/CRun.h"

namespace skerrow {

int CLeftoverFindWorker::Run()
{
    return Guarded([this] { return Steps(); });
}

int CLeftoverFindWorker::Steps()
{
    CFtpConnection& connection = *m_context.connection;
    m_status.SetStatusText(Tr("T.FindingLeftovers", "Finding server leftovers"));
    // The walk fills a list of its own; its rows reach the window's list in one step, through the
    // fence, and only when the walk was complete: a partial walk lists nothing.
    CTransferList walked;
    CLeftoverDirWalk walk;
    const std::string root = ServerRoot(connection);
    walk.Setup(&walked, root, m_context.settings.pcDir, m_context.settings.exclusions);
    walk.SetStopCheck([this] { return Stopped(); });
    walk.SetConnections(FurtherConnections());
    const bool walkedAll = walk.WalkServer(&connection);
    if (Stopped())
        return 0;
    if (!walkedAll) {
        m_status.SetStatusText(std::string());
        std::string text = FormatText(Tr("T.LeftoversNotListed", "The server directory %s could not be listed: no "
                                                                 "server leftover is shown.")
                                          .c_str(),
                                      root.c_str());
        if (!walk.Failure().empty())
            text += "\n" + walk.Failure();
        m_prompt.ShowMessage(text, PromptIcon::Stop);
        CheckAllDone();
        return 0;
    }
    // The look through the whole folder stops with the run, and then no row goes to the list.
    const bool emptyFolder = !walk.Counterparts().HoldsAnyFile();
    if (Stopped())
        return 0;
    if (RefuseMassDeletion(walk, emptyFolder))
        return 0;
    std::vector<CTransferRow> rows = walked.Snapshot();
    m_context.run->Fence().Apply([this, &rows] {
        for (CTransferRow& row : rows)
            m_context.list.Insert(m_context.list.Count(), row.word, std::move(row.name), std::move(row.size));
    });
    m_status.SetStatusText(FormatText(Tr("T.LeftoversFound", "Server leftovers: %u files, %u directories").c_str(),
                                      static_cast<unsigned>(walk.Files()), static_cast<unsigned>(walk.Directories())));
    CheckAllDone();
    return 1;
}

bool CLeftoverFindWorker::RefuseMassDeletion(const CLeftoverDirWalk& walk, bool emptyFolder)
{
    const size_t leftovers = walk.Files();
    if (!IsMassDeletion(leftovers, walk.ServerFiles(), emptyFolder))
        return false;
    const long allowed = m_context.settings.maxLeftoverDeletes;
    if (allowed >= 0 && leftovers + walk.Directories() <= static_cast<size_t>(allowed))
        return false;
    m_status.SetStatusText(std::string());
    m_context.run->RefuseForSafety();
    const std::string server = walk.Root();
    const std::string text =
        emptyFolder
            ? FormatText(Tr("T.LeftoversEmptyFolder",
                            "The PC folder %s holds no file to send, so all %u files below %s on the server would be "
                            "deleted as leftovers. Nothing is listed for deletion: check that the folder is the right "
                            "one and is mounted.")
                             .c_str(),
                         m_context.settings.pcDir.c_str(), static_cast<unsigned>(leftovers), server.c_str())
            : FormatText(Tr("T.LeftoversTooMany",
                            "%u of the %u files below %s on the server are not in the PC folder %s. Deleting more "
                            "than half of a site is refused: nothing is listed for deletion. Check the PC folder "
                            "and the Start Dir.")
                             .c_str(),
                         static_cast<unsigned>(leftovers), static_cast<unsigned>(walk.ServerFiles()), server.c_str(),
                         m_context.settings.pcDir.c_str());
    m_prompt.ShowMessage(text, PromptIcon::Stop);
    CheckAllDone();
    return true;
}

bool CLeftoverFindWorker::IsMassDeletion(size_t leftovers, size_t serverFiles, bool emptyFolder)
{
    if (leftovers == 0)
        return false;
    if (emptyFolder)
        return true;
    // A run that removes a page or two is ordinary, whatever the size of the site.
    return leftovers > 2 && leftovers * 2 > serverFiles;
}

} // namespace skerrow
