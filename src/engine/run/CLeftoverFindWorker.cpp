#include "run/CLeftoverFindWorker.h"

#include "app/CStringTable.h"
#include "app/IStatusSink.h"
#include "app/IUserPrompt.h"
#include "discovery/CLeftoverDirWalk.h"
#include "ftp/CFtpConnection.h"
#include "list/CTransferList.h"
#include "run/CRun.h"
#include "settings/CExclusionList.h"

namespace skerrow {

int CLeftoverFindWorker::Run()
{
    try {
        return Steps();
    } catch (...) {
        // Nothing escapes the thread.
    }
    return 1;
}

int CLeftoverFindWorker::Steps()
{
    CFtpConnection& connection = *m_context.connection;
    m_status.SetStatusText(Tr("T.FindingLeftovers", "Finding server leftovers"));
    CExclusionList exclusions;
    exclusions.Load();
    // The walk fills a list of its own; its rows reach the window's list in one step, through the
    // fence, and only when the walk was complete: a partial walk lists nothing.
    CTransferList walked;
    CLeftoverDirWalk walk;
    walk.Setup(&walked, m_context.settings.ftpStartDir, m_context.settings.pcDir, exclusions.Patterns());
    walk.SetStopCheck([this] { return Stopped(); });
    const bool walkedAll = connection.SetCurrentDirectory("/") && walk.WalkServer(&connection);
    if (Stopped())
        return 0;
    if (!walkedAll) {
        m_status.SetStatusText(std::string());
        std::string text = FormatText(Tr("T.LeftoversNotListed", "The server directory %s could not be listed: no "
                                                                 "server leftover is shown.")
                                          .c_str(),
                                      CFtpConnection::ResolvePath("/", m_context.settings.ftpStartDir).c_str());
        if (!walk.Failure().empty())
            text += "\n" + walk.Failure();
        m_prompt.ShowMessage(text, PromptIcon::Stop);
        CheckAllDone();
        return 0;
    }
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

} // namespace skerrow
