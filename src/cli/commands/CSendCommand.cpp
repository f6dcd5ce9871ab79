#include "commands/CSendCommand.h"

#include <algorithm>

#include "options/CCliArguments.h"
#include "options/CliExitCode.h"
#include "host/CCliSession.h"
#include "list/CSavedListFile.h"
#include "list/RowWord.h"

namespace skerrow::cli {

int CSendCommand::Run()
{
    CCliTerminal& terminal = m_session.Terminal();
    const std::string& path = m_options.operand;
    int runState = 0;
    std::vector<CPackedRow> rows;
    CSavedListFile file;
    if (!file.Read(path, runState, rows)) {
        terminal.Error("error: cannot read the list " + path + ": " + file.error());
        return kExitUsage;
    }
    // A list of server entries is deleted by Tree Delete in the window, never sent.
    const bool deletions = runState == 2 || runState == 3 ||
                           std::any_of(rows.begin(), rows.end(),
                                       [](const CPackedRow& row) { return IsServerEntry(row.word); });
    if (deletions) {
        terminal.Error("error: the list " + path + " holds server entries to delete, not files to send");
        return kExitUsage;
    }
    if (rows.empty()) {
        terminal.Info("The list " + path + " holds no files: nothing to send.");
        return kExitAllSent;
    }
    CRunController& controller = m_session.Controller();
    m_session.List().Replace(std::move(rows));
    controller.SetRunState(runState);
    controller.ForgetListTime();
    controller.OnTransferDelete();
    m_session.RunToEnd();
    return Conclude(m_session.Outcome(true), "Sent", "not sent", "files");
}

} // namespace skerrow::cli
