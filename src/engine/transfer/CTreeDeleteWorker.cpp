#include "transfer/CTreeDeleteWorker.h"

#include "app/CStringTable.h"
#include "app/StringIds.h"
#include "discovery/CTreeDelDirWalk.h"
#include "ftp/CFTPTransfer.h"
#include "ftp/CFtpConnection.h"
#include "ftp/CInternetError.h"
#include "settings/CSettingsFile.h"
#include "transfer/CAutoResetEvent.h"
#include "transfer/CTransferList.h"
#include "transfer/IRunHost.h"
#include "transfer/IStatusSink.h"
#include "transfer/IUserPrompt.h"

namespace skerrow {

int CTreeDeleteWorker::Run()
{
    try {
        return Steps();
    } catch (...) {
        // Nothing escapes the thread; the failed rows are still counted.
    }
    ReportFailedRows();
    return 1;
}

int CTreeDeleteWorker::Steps()
{
    CFtpConnection& connection = *m_context.connection;
    if (!connection.SetCurrentDirectory("/")) {
        CInternetError(&connection).ShowError(connection.LastError(), m_context.prompt, PromptIcon::Stop);
        return 0;
    }
    CSettingsFile settings;
    settings.GetPath(".ini");
    const std::string directory = settings.ReadString(ini::kConfigure, ini::kFtpDirTreeDel);
    m_context.host.SetRunning(true);
    if (m_context.runState.load() != 3)
        WalkTree(directory);
    if (m_context.stop.Poll())
        return EndWithoutQuestion();
    if (m_context.list.Count() == 0) {
        m_context.prompt.ShowMessage(LoadString(IDS_NO_FILES_FOUND_TREE), PromptIcon::Information);
        m_context.runState.store(0);
        return EndWithoutQuestion();
    }
    m_context.runState.store(2);
    if (m_context.prompt.AskYesNo(LoadString(IDS_CONFIRM_DELETE), PromptIcon::Question)) {
        CTransferContext transfer{m_context.list,   connection,           m_context.status,
                                  m_context.prompt, m_context.stop,       m_context.progress,
                                  m_context.settings.pcDir, m_context.settings.ftpStartDir,
                                  m_context.settings.maxErrors, std::string()};
        CFTPTransfer(transfer).DeleteRows();
        CheckAllDone();
    }
    m_context.host.SetRunning(false);
    m_context.status.SetStatusText(Tr("T.TreeDeletionFinished", "Tree Deletion Finished"));
    ReportFailedRows();
    return 1;
}

void CTreeDeleteWorker::WalkTree(const std::string& directory)
{
    m_context.list.DeleteAll();
    m_context.status.SetStatusText(Tr("T.FindingFilesTree", "Finding Files"));
    // A key never set names no directory: nothing is listed (and so nothing deleted).
    if (directory.empty())
        return;
    CTreeDelDirWalk walk;
    walk.Setup(&m_context.list);
    walk.SetStopEvent(&m_context.stop);
    walk.SetPrompt(&m_context.prompt);
    walk.Walk(m_context.connection.get(), directory.c_str(), "*");
}

int CTreeDeleteWorker::EndWithoutQuestion()
{
    m_context.host.SetRunning(false);
    return 0;
}

} // namespace skerrow
