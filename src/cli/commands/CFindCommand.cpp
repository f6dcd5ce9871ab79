#include "commands/CFindCommand.h"

#include "options/CliExitCode.h"
#include "host/CCliSession.h"
#include "host/CCliSignals.h"

namespace skerrow::cli {

int CFindCommand::Run()
{
    // Finding files never connects: the list is filled on this thread. A stop asked for meanwhile
    // is seen once the walk is over, and between two lines of the listing.
    m_session.Controller().OnFindFiles();
    const std::vector<CTransferRow> rows = m_session.List().Snapshot();
    size_t listed = 0;
    for (; listed < rows.size() && !CCliSignals::StopRequested(); ++listed)
        m_session.Terminal().Out(rows[listed].name);
    // A script must not take what was listed for the whole list.
    if (CCliSignals::StopRequested()) {
        m_session.Terminal().Info("Find stopped: " + std::to_string(listed) + " of " + std::to_string(rows.size()) +
                                  " files listed.");
        return kExitSomeFailed;
    }
    m_session.Terminal().Info(std::to_string(rows.size()) + " files would be sent.");
    return m_session.Prompt().ErrorsShown() > 0 ? kExitSomeFailed : kExitAllSent;
}

} // namespace skerrow::cli
