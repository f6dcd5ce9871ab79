#include "run/CTransferWorker.h"

#include "ftp/CFtpConnection.h"
#include "list/CTransferList.h"
#include "list/RowWord.h"
#include "transfer/CFTPTransfer.h"
#include "run/CLastRunPolicy.h"
#include "transfer/CLeftoverDeletion.h"
#include "transfer/CUploadLanes.h"
#include "run/CRun.h"
#include "settings/CSettingsFile.h"

namespace skerrow {

int CTransferWorker::Run()
{
    Guarded([this] {
        CFtpConnection& connection = *m_context.connection;
        connection.SetCurrentDirectory("/");
        SetRunState(1);
        CTransferContext transfer = TransferContext(connection);
        // Server leftovers in the list are deleted after the upload, and only if the user says so now.
        CLeftoverDeletion leftovers(transfer, m_context.settings.exclusions);
        const bool deleteLeftovers = leftovers.Confirm();
        if (m_context.settings.connections > 1)
            UploadOnSeveralConnections(transfer);
        else
            CFTPTransfer(transfer).UploadRows();
        // The new last-upload date is the moment the list was taken, so that a file changed while
        // the upload ran is found by the next run; never past a listed file that was not sent. A
        // list that no find of the whole folder took (a saved list) moves no date: a file it does
        // not hold may have changed since the date, and must be found next time.
        if (m_context.listTakenAt)
            WriteLastRun(*m_context.listTakenAt);
        if (deleteLeftovers)
            leftovers.Run();
        CheckAllDone();
        return 1;
    });
    ReportFailedRows();
    return 1;
}

void CTransferWorker::UploadOnSeveralConnections(CTransferContext& transfer)
{
    CUploadLanes lanes(transfer, FurtherConnections());
    lanes.Run();
}

std::vector<std::string> CTransferWorker::UnsentLocalPaths() const
{
    std::vector<std::string> paths;
    for (const CTransferRow& row : m_context.list.Snapshot()) {
        if (RowStateOf(row.word) == kRowDone || RowKindOf(row.word) != kKindPcFile)
            continue;
        paths.push_back(row.LocalPath(m_context.settings.pcDir));
    }
    return paths;
}

void CTransferWorker::WriteLastRun(const CDateTime& taken)
{
    const CDateTime next = CLastRunPolicy::Next(taken, m_context.settings.lastRun, UnsentLocalPaths());
    m_context.run->Fence().Apply([&next] {
        CSettingsFile settings;
        settings.GetPath(".ini");
        settings.WriteString(ini::kData, ini::kLastRun, FormatLastRun(next));
    });
}

} // namespace skerrow
