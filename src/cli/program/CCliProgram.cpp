#include "program/CCliProgram.h"

#include <cstdio>
#include <memory>

#include "commands/CFindCommand.h"
#include "commands/CSendCommand.h"
#include "commands/CTreeDeleteCommand.h"
#include "commands/CUploadCommand.h"
#include "host/CCliSession.h"
#include "host/CCliSignals.h"
#include "log/CControlCharacters.h"
#include "options/CCliArguments.h"
#include "options/CCliSecret.h"
#include "options/CCliSettings.h"
#include "options/CliExitCode.h"
#include "program/CCliHelp.h"

namespace skerrow::cli {
namespace {

// A line on standard error; what it quotes (an argument, a path from the settings) may hold an ESC.
void Say(const std::string& line)
{
    std::fprintf(stderr, "skerrow-cli: %s\n", CControlCharacters::Escape(line).c_str());
}

int Refuse(const std::string& error)
{
    Say(error);
    return kExitUsage;
}

std::unique_ptr<CCliCommand> MakeCommand(CCliSession& session, const CCliOptions& options)
{
    switch (options.command) {
    case CliCommand::Upload:
        return std::make_unique<CUploadCommand>(session, options);
    case CliCommand::Send:
        return std::make_unique<CSendCommand>(session, options);
    case CliCommand::Find:
        return std::make_unique<CFindCommand>(session, options);
    case CliCommand::TreeDelete:
        return std::make_unique<CTreeDeleteCommand>(session, options);
    case CliCommand::None:
        break;
    }
    return nullptr;
}

} // namespace

int CCliProgram::Run(const std::vector<std::string>& args)
{
    CCliArguments arguments;
    if (!arguments.Parse(args)) {
        Refuse(arguments.Error());
        std::fputs(CCliHelp::Usage().c_str(), stderr);
        return kExitUsage;
    }
    const CCliOptions& options = arguments.Options();
    if (options.help) {
        std::fputs(CCliHelp::Text(CCliSettings::DefaultPath()).c_str(), stdout);
        return kExitAllSent;
    }
    if (options.version) {
        std::fputs(CCliHelp::Version().c_str(), stdout);
        return kExitAllSent;
    }
    CCliSettings::Locate(options.settingsPath);
    CCliSettings settings;
    const bool needSite = options.command != CliCommand::Find;
    const bool needPcDir = options.command != CliCommand::TreeDelete;
    if (!settings.Check(needSite, needPcDir))
        return Refuse(settings.Error());
    std::optional<std::string> password;
    CCliSecret secret;
    const bool resolved = secret.Resolve(options, password);
    if (!secret.Warning().empty())
        Say("warning: " + secret.Warning());
    if (!resolved)
        return Refuse(secret.Error());

    CCliSignals::Install();
    CCliSession session(options, std::move(password));
    return MakeCommand(session, options)->Run();
}

} // namespace skerrow::cli
