#include "commands/CTreeDeleteCommand.h"

#include "options/CCliArguments.h"
#include "options/CliExitCode.h"
#include "host/CCliSession.h"
#include "settings/CSettingsFile.h"
#include "settings/CTreeDeletePath.h"

namespace skerrow::cli {

int CTreeDeleteCommand::Run()
{
    CCliTerminal& terminal = m_session.Terminal();
    // The directory is stored as the Tree Delete dialog stores it; the worker reads it from there.
    CSettingsFile settings;
    settings.GetPath(".ini");
    if (!settings.WriteString(ini::kConfigure, ini::kFtpDirTreeDel, NormaliseTreeDeletePath(m_options.operand))) {
        terminal.Error("error: cannot write the settings file " + settings.CurrentPath());
        return kExitUsage;
    }
    // What the confirmation is about: every entry listed, before the answer.
    ListServerEntriesBeforeQuestion();
    CCliSession& session = m_session;
    session.Controller().OnTreeDelete();
    session.RunToEnd();
    const int code = session.Outcome(m_options.yes);
    if (m_options.yes || code == kExitUsage || code == kExitNoConnection)
        return Conclude(code, "Deleted", "not deleted", "entries");
    if (session.List().Count() > 0) {
        terminal.Info(std::to_string(session.List().Count()) +
                      " entries listed; nothing was deleted (--yes deletes them).");
    }
    return SaveListIfAsked(code);
}

} // namespace skerrow::cli
