#include "commands/CTreeDeleteCommand.h"

#include "ftp/CFtpConnection.h"
#include "options/CCliArguments.h"
#include "options/CliExitCode.h"
#include "host/CCliSession.h"
#include "settings/CTreeDeletePath.h"

namespace skerrow::cli {

int CTreeDeleteCommand::Run()
{
    CCliTerminal& terminal = m_session.Terminal();
    // The directory in the form the Tree Delete dialog stores it, handed to the run without being
    // stored: the dialog's setting stays the user's.
    const std::string directory = NormaliseTreeDeletePath(m_options.operand);
    // "/", ".", ".." or nothing: the whole account, which a script must name on purpose.
    if (CFtpConnection::ResolvePath("/", directory) == "/" && !m_options.wholeAccount) {
        terminal.Error("error: " + m_options.operand +
                       " names the top of the server, so everything this account reaches would be deleted; "
                       "give --whole-account to mean that");
        return kExitUsage;
    }
    m_session.Host().SetTreeDeleteDir(directory);
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
