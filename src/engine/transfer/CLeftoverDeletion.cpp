#include "transfer/CLeftoverDeletion.h"

#include "app/CStringTable.h"
#include "app/IStatusSink.h"
#include "app/IUserPrompt.h"
#include "list/CTransferList.h"
#include "list/RowWord.h"
#include "discovery/CLocalCounterpart.h"
#include "transfer/CDeletePlan.h"
#include "transfer/CFTPTransfer.h"
#include "ftp/CRemotePath.h"

namespace skerrow {

bool CLeftoverDeletion::Confirm()
{
    m_files = 0;
    m_directories = 0;
    for (const CTransferRow& row : m_context.list.Snapshot()) {
        if (RowKindOf(row.word) != kKindLeftover || RowStateOf(row.word) == kRowDone)
            continue;
        if (!row.name.empty() && row.name.back() == '/')
            ++m_directories;
        else
            ++m_files;
    }
    if (m_files + m_directories == 0)
        return false;
    const std::string where = CRemotePath::Root(m_context.ftpStartDir).Full();
    return m_context.prompt.AskYesNo(QuestionText(m_files, m_directories, where), PromptIcon::Question);
}

std::string CLeftoverDeletion::QuestionText(size_t files, size_t directories, const std::string& where)
{
    return FormatText(Tr("T.ConfirmLeftovers", "%u files and %u directories below %s on the server\nare no longer in "
                                               "the PC folder.\n\nDelete them from the server?")
                          .c_str(),
                      static_cast<unsigned>(files), static_cast<unsigned>(directories), where.c_str());
}

void CLeftoverDeletion::Run()
{
    if (m_context.Stopped())
        return;
    // A leftover is often the old name of a file sent under a new one: while any file is not on the
    // server, its old copy may be all the site has of it.
    for (const CTransferRow& row : m_context.list.Snapshot()) {
        if (RowKindOf(row.word) == kKindPcFile && RowStateOf(row.word) != kRowDone) {
            m_context.status.SetStatusText(
                Tr("T.LeftoversKept", "Server leftovers not deleted: not every file could be sent."));
            return;
        }
    }
    CLocalCounterpart local;
    local.SetStopCheck([&context = m_context] { return context.Stopped(); });
    const bool ready =
        local.Setup(m_context.pcDir, m_rules, CLocalNameIndex::Freshness::Checked) && local.HoldsAnyFile();
    if (m_context.Stopped())
        return;
    if (!ready) {
        m_context.prompt.ShowMessage(FormatText(Tr("T.LeftoversFolderEmpty", "The PC folder %s holds no file to "
                                                                            "send: no server leftover is deleted.")
                                                    .c_str(),
                                                m_context.pcDir.c_str()),
                                     PromptIcon::Stop);
        return;
    }
    CFTPTransfer(m_context).DeleteRows(CDeletePlan::Leftovers(m_context.ftpStartDir, local));
}

} // namespace skerrow
