#pragma once
// The command line of the headless command: one command word, its operand, and options that may
// stand before or after it ("--name value" or "--name=value"; "--" ends the options).

#include <string>
#include <vector>

namespace skerrow::cli {

enum class CliCommand { None, Upload, Send, Find, TreeDelete };

struct CCliOptions {
    CliCommand command = CliCommand::None;
    std::string operand;      // send: the saved list; tree-delete: the server directory
    std::string settingsPath; // --settings
    std::string passwordEnv;  // --password-env
    std::string passwordFile; // --password-file
    std::string saveList;     // --save-list
    std::string trust;        // --trust: a certificate's SHA-256 fingerprint to accept
    long maxDelete = -1;      // --max-delete N: leftovers that may go past the mass-deletion guard
    bool wholeAccount = false; // --whole-account: tree-delete of the server's top directory
    bool requireTls = false;   // --require-tls: never log in without encryption
    bool all = false;
    bool yes = false;
    bool deleteLeftovers = false; // upload: also list (and with --yes delete) server leftovers
    bool quiet = false;
    bool verbose = false;
    bool help = false;
    bool version = false;
};

class CCliArguments {
public:
    virtual ~CCliArguments() = default;

    // args without the program name. False on a usage error; Error() then says what is wrong.
    bool Parse(const std::vector<std::string>& args);
    const CCliOptions& Options() const { return m_options; }
    const std::string& Error() const { return m_error; }

    static const char* CommandName(CliCommand command);

private:
    // One option at args[index]; index moves past its value when it takes one.
    bool TakeOption(const std::vector<std::string>& args, size_t& index);
    bool TakeWord(const std::string& word);
    // The options given fit the command, and the command has the operand it needs.
    bool CheckCombination();
    bool Fail(const std::string& error);
    bool TakeMaxDelete(const std::string& value);

    CCliOptions m_options;
    std::string m_error;
    bool m_haveOperand = false;
};

} // namespace skerrow::cli
