#include "run/CRunWorker.h"

#include "app/CStringTable.h"
#include "app/StringIds.h"
#include "list/CTransferList.h"
#include "list/RowWord.h"
#include "run/CRun.h"

namespace skerrow {

CRunWorker::CRunWorker(CWorkerContext context)
    : m_context(std::move(context)),
      m_status(m_context.windowStatus, m_context.run->Fence()),
      m_prompt(m_context.windowPrompt, *m_context.run),
      m_progress(m_status)
{
}

void CRunWorker::CheckAllDone()
{
    m_context.run->Fence().Apply([this] {
        if (m_context.list.AllDone())
            m_context.runState.store(0);
    });
}

void CRunWorker::SetRunState(int state)
{
    m_context.run->Fence().Apply([this, state] { m_context.runState.store(state); });
}

bool CRunWorker::Stopped() const
{
    return m_context.run->Stop().IsSet() || m_context.run->Fence().IsReleased();
}

CTransferContext CRunWorker::TransferContext(CFtpConnection& connection)
{
    CTransferContext transfer{m_context.list,          connection,
                              m_status,                m_prompt,
                              m_context.run->Stop(),   m_progress,
                              m_context.settings.pcDir, m_context.settings.ftpStartDir,
                              m_context.settings.maxErrors, std::string(),
                              &m_context.run->Fence()};
    transfer.overall = &m_context.run->Progress();
    return transfer;
}

void CRunWorker::ReportFailedRows()
{
    const size_t failed = m_context.list.CountInState(kRowFailed);
    if (failed > 0) {
        m_prompt.ShowMessage(FormatText(LoadString(IDS_TRANSMISSION_FAILURE).c_str(), static_cast<int>(failed)),
                             PromptIcon::Information);
    }
}

} // namespace skerrow
