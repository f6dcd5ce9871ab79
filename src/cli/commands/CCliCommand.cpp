#include "commands/CCliCommand.h"

#include "options/CCliArguments.h"
#include "options/CliExitCode.h"
#include "host/CCliSession.h"
#include "list/RowWord.h"
#include "settings/CDisplayText.h"

namespace skerrow::cli {

int CCliCommand::Conclude(int code, const std::string& doneWord, const std::string& notDoneWord,
                          const std::string& items)
{
    if (code == kExitUsage || code == kExitNoConnection)
        return code;
    CCliTerminal& terminal = m_session.Terminal();
    const std::string status = m_session.Status().GetStatusText();
    if (!status.empty())
        terminal.Info(CDisplayText::OneLine(status));
    const CTransferList& list = m_session.List();
    const size_t total = list.Count();
    const size_t done = list.CountInState(kRowDone);
    const size_t failed = list.CountInState(kRowFailed);
    terminal.Info(doneWord + ": " + std::to_string(done) + ", failed: " + std::to_string(failed) + ", " + notDoneWord +
                  ": " + std::to_string(total - done - failed) + " (of " + std::to_string(total) + " " + items + ").");
    return SaveListIfAsked(code);
}

int CCliCommand::SaveListIfAsked(int code)
{
    if (!m_options.saveList.empty() && !m_session.SaveUnfinished(m_options.saveList) && code == kExitAllSent)
        return kExitSomeFailed;
    return code;
}

void CCliCommand::ListServerEntriesBeforeQuestion()
{
    CCliSession& session = m_session;
    session.Prompt().SetBeforeQuestion([&session] {
        if (session.Terminal().Quiet())
            return;
        for (const CTransferRow& row : session.List().Snapshot()) {
            if (IsServerEntry(row.word))
                session.Terminal().Out(row.name);
        }
    });
}

} // namespace skerrow::cli
