#include "transfer/CRunWorker.h"

#include "app/CStringTable.h"
#include "app/StringIds.h"
#include "transfer/CTransferList.h"
#include "transfer/IUserPrompt.h"
#include "transfer/RowWord.h"

namespace skerrow {

void CRunWorker::CheckAllDone()
{
    if (m_context.list.AllDone())
        m_context.runState.store(0);
}

void CRunWorker::ReportFailedRows()
{
    const size_t failed = m_context.list.CountInState(kRowFailed);
    if (failed > 0) {
        m_context.prompt.ShowMessage(FormatText(LoadString(IDS_TRANSMISSION_FAILURE).c_str(), static_cast<int>(failed)),
                                     PromptIcon::Information);
    }
}

} // namespace skerrow
