#include "commands/CFindCommand.h"

#include "options/CliExitCode.h"
#include "host/CCliSession.h"

namespace skerrow::cli {

int CFindCommand::Run()
{
    // Finding files never connects: the list is filled on this thread.
    m_session.Controller().OnFindFiles();
    const std::vector<CTransferRow> rows = m_session.List().Snapshot();
    for (const CTransferRow& row : rows)
        m_session.Terminal().Out(row.name);
    m_session.Terminal().Info(std::to_string(rows.size()) + " files would be sent.");
    return m_session.Prompt().ErrorsShown() > 0 ? kExitSomeFailed : kExitAllSent;
}

} // namespace skerrow::cli
