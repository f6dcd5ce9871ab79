#include "transfer/CTransferWorker.h"

#include "ftp/CFTPTransfer.h"
#include "ftp/CFtpConnection.h"
#include "settings/CSettingsFile.h"
#include "transfer/IRunHost.h"

namespace skerrow {

int CTransferWorker::Run()
{
    try {
        CFtpConnection& connection = *m_context.connection;
        connection.SetCurrentDirectory("/");
        m_context.runState.store(1);
        // With no find in this run, the list counts as taken when the pass starts.
        const CDateTime passStart = CDateTime::Now();
        CTransferContext transfer{m_context.list,   connection,           m_context.status,
                                  m_context.prompt, m_context.stop,       m_context.progress,
                                  m_context.settings.pcDir, m_context.settings.ftpStartDir,
                                  m_context.settings.maxErrors, std::string()};
        CFTPTransfer(transfer).UploadRows();
        // The new last-upload date is the moment the list was taken, so that a file changed while
        // the upload ran is found by the next run.
        WriteLastRun(m_context.listTakenAt.value_or(passStart));
        CheckAllDone();
        m_context.host.SetRunning(false);
    } catch (...) {
        // Nothing escapes the thread; the failed rows are still counted.
    }
    ReportFailedRows();
    return 1;
}

void CTransferWorker::WriteLastRun(const CDateTime& taken)
{
    CSettingsFile settings;
    settings.GetPath(".ini");
    settings.WriteString(ini::kData, ini::kLastRun, FormatLastRun(taken));
}

} // namespace skerrow
