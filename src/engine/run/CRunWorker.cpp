#include "run/CRunWorker.h"

#include <exception>
#include <new>

#include "app/CStringTable.h"
#include "app/StringIds.h"
#include "ftp/CFtpConnection.h"
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

std::string CRunWorker::ServerRoot(const CFtpConnection& connection) const
{
    return CFtpConnection::ResolvePath(connection.LoginDirectory(), m_context.settings.ftpStartDir);
}

CTransferContext CRunWorker::TransferContext(CFtpConnection& connection)
{
    CTransferContext transfer{m_context.list,          connection,
                              m_status,                m_prompt,
                              m_context.run->Stop(),   m_progress,
                              m_context.settings.pcDir, ServerRoot(connection),
                              m_context.settings.maxErrors, m_context.settings.textSuffixes,
                              &m_context.run->Fence()};
    transfer.overall = &m_context.run->Progress();
    transfer.tempNameUpload = m_context.settings.tempNameUpload;
    transfer.tries = m_context.settings.triesPerFile;
    return transfer;
}

int CRunWorker::Guarded(const std::function<int()>& steps)
{
    std::string what;
    try {
        return steps();
    } catch (const std::bad_alloc&) {
        what = Tr("T.OutOfMemory", "not enough memory");
    } catch (const std::exception& error) {
        what = error.what();
    } catch (...) {
        what = Tr("T.UnknownFault", "an unknown fault");
    }
    const std::string text =
        FormatText(Tr("T.RunFailed", "The run ended early because of %s. What was not done is not marked Done.").c_str(),
                   what.c_str());
    m_status.SetStatusText(text);
    m_prompt.ShowMessage(text, PromptIcon::Error);
    return 0;
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
