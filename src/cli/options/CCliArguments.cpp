#include "options/CCliArguments.h"

#include <array>
#include <utility>

#include "ftp/CTrustedCertificates.h"

namespace skerrow::cli {
namespace {

struct CommandWord {
    const char* word;
    CliCommand command;
};

constexpr std::array<CommandWord, 4> kCommands{{
    {"upload", CliCommand::Upload},
    {"send", CliCommand::Send},
    {"find", CliCommand::Find},
    {"tree-delete", CliCommand::TreeDelete},
}};

// Splits "--name=value"; value is empty and hasValue false without "=".
std::pair<std::string, std::string> SplitOption(const std::string& arg, bool& hasValue)
{
    const size_t equals = arg.find('=');
    hasValue = equals != std::string::npos;
    if (!hasValue)
        return {arg, {}};
    return {arg.substr(0, equals), arg.substr(equals + 1)};
}

} // namespace

const char* CCliArguments::CommandName(CliCommand command)
{
    for (const CommandWord& entry : kCommands) {
        if (entry.command == command)
            return entry.word;
    }
    return "";
}

bool CCliArguments::Fail(const std::string& error)
{
    if (m_error.empty())
        m_error = error;
    return false;
}

bool CCliArguments::Parse(const std::vector<std::string>& args)
{
    bool optionsEnded = false;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (!optionsEnded && arg == "--") {
            optionsEnded = true;
            continue;
        }
        const bool isOption = !optionsEnded && arg.size() > 1 && arg[0] == '-';
        if (isOption ? !TakeOption(args, i) : !TakeWord(arg))
            return false;
    }
    if (m_options.help || m_options.version)
        return true;
    return CheckCombination();
}

bool CCliArguments::TakeOption(const std::vector<std::string>& args, size_t& index)
{
    bool hasValue = false;
    const auto [name, inlineValue] = SplitOption(args[index], hasValue);
    struct Flag {
        const char* longName;
        const char* shortName;
        bool CCliOptions::*field;
    };
    static constexpr std::array<Flag, 9> kFlags{{
        {"--all", "-a", &CCliOptions::all},
        {"--yes", "-y", &CCliOptions::yes},
        {"--delete-leftovers", nullptr, &CCliOptions::deleteLeftovers},
        {"--whole-account", nullptr, &CCliOptions::wholeAccount},
        {"--require-tls", nullptr, &CCliOptions::requireTls},
        {"--quiet", "-q", &CCliOptions::quiet},
        {"--verbose", "-v", &CCliOptions::verbose},
        {"--help", "-h", &CCliOptions::help},
        {"--version", nullptr, &CCliOptions::version},
    }};
    for (const Flag& flag : kFlags) {
        if (name == flag.longName || (flag.shortName && name == flag.shortName)) {
            if (hasValue)
                return Fail("option " + name + " takes no value");
            m_options.*(flag.field) = true;
            return true;
        }
    }
    struct Valued {
        const char* longName;
        std::string CCliOptions::*field;
    };
    static constexpr std::array<Valued, 5> kValued{{
        {"--settings", &CCliOptions::settingsPath},
        {"--password-env", &CCliOptions::passwordEnv},
        {"--password-file", &CCliOptions::passwordFile},
        {"--save-list", &CCliOptions::saveList},
        {"--trust", &CCliOptions::trust},
    }};
    for (const Valued& option : kValued) {
        if (name != option.longName)
            continue;
        std::string value = inlineValue;
        if (!hasValue) {
            if (index + 1 >= args.size())
                return Fail("option " + name + " needs a value");
            value = args[++index];
        }
        if (value.empty())
            return Fail("option " + name + " needs a value");
        m_options.*(option.field) = value;
        return true;
    }
    if (name == "--max-delete") {
        if (!hasValue && index + 1 < args.size())
            return TakeMaxDelete(args[++index]);
        return TakeMaxDelete(inlineValue);
    }
    if (name == "--password" || name == "-p")
        return Fail("a password is never taken on the command line: use --password-env VAR or --password-file FILE");
    return Fail("unknown option " + name);
}

bool CCliArguments::TakeMaxDelete(const std::string& value)
{
    if (value.empty() || value.size() > 9 || value.find_first_not_of("0123456789") != std::string::npos)
        return Fail("option --max-delete needs a number of entries");
    m_options.maxDelete = std::stol(value);
    return true;
}

bool CCliArguments::TakeWord(const std::string& word)
{
    if (m_options.command == CliCommand::None) {
        for (const CommandWord& entry : kCommands) {
            if (word == entry.word) {
                m_options.command = entry.command;
                return true;
            }
        }
        return Fail("unknown command \"" + word + "\"");
    }
    if (m_haveOperand)
        return Fail("unexpected argument \"" + word + "\"");
    m_options.operand = word;
    m_haveOperand = true;
    return true;
}

bool CCliArguments::CheckCombination()
{
    const CliCommand command = m_options.command;
    if (command == CliCommand::None)
        return Fail("no command given");
    const bool needsOperand = command == CliCommand::Send || command == CliCommand::TreeDelete;
    if (needsOperand && !m_haveOperand)
        return Fail(std::string(CommandName(command)) +
                    (command == CliCommand::Send ? " needs the saved list to send" : " needs the server directory"));
    if (!needsOperand && m_haveOperand)
        return Fail("unexpected argument \"" + m_options.operand + "\"");
    const std::string where = std::string(" does not go with ") + CommandName(command);
    if (m_options.all && command != CliCommand::Upload && command != CliCommand::Find)
        return Fail("--all" + where);
    if (m_options.deleteLeftovers && command != CliCommand::Upload)
        return Fail("--delete-leftovers" + where);
    if (m_options.maxDelete >= 0 && !m_options.deleteLeftovers)
        return Fail("--max-delete" + where + " without --delete-leftovers");
    if (m_options.wholeAccount && command != CliCommand::TreeDelete)
        return Fail("--whole-account" + where);
    if (m_options.yes && command != CliCommand::TreeDelete && !m_options.deleteLeftovers)
        return Fail("--yes" + where);
    if (!m_options.saveList.empty() && command == CliCommand::Find)
        return Fail("--save-list" + where);
    if (m_options.quiet && m_options.verbose)
        return Fail("--quiet and --verbose exclude each other");
    if (!m_options.passwordEnv.empty() && !m_options.passwordFile.empty())
        return Fail("give either --password-env or --password-file");
    // A mistyped fingerprint matches no certificate: the connection would fail, less clearly.
    // An SFTP host key's is written as OpenSSH prints it: "SHA256:" and 43 characters of base64.
    const bool sshKey = m_options.trust.rfind("SHA256:", 0) == 0 && m_options.trust.size() == 50;
    if (!m_options.trust.empty() && !sshKey && CTrustedCertificates::Normalize(m_options.trust).empty())
        return Fail("--trust needs a SHA-256 fingerprint: 64 hexadecimal digits, in pairs joined by colons or not, "
                    "or an SFTP host key's SHA256:... as ssh-keygen -l prints it (\"" + m_options.trust + "\" is none)");
    return true;
}

} // namespace skerrow::cli
