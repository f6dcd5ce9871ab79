#pragma once
// One command of the headless command, on a session that plays the window.

#include <string>

namespace skerrow::cli {

class CCliSession;
struct CCliOptions;

class CCliCommand {
public:
    CCliCommand(CCliSession& session, const CCliOptions& options) : m_session(session), m_options(options) {}
    virtual ~CCliCommand() = default;
    CCliCommand(const CCliCommand&) = delete;
    CCliCommand& operator=(const CCliCommand&) = delete;

    // Does the command; returns the exit code.
    virtual int Run() = 0;

protected:
    // After a pass: unless the server was never reached, the last status text, the summary
    // ("Sent: 3, failed: 1, not sent: 0 (of 4 files).") and the --save-list file.
    int Conclude(int code, const std::string& doneWord, const std::string& notDoneWord, const std::string& items);
    // The --save-list file, when asked for: a list that cannot be saved turns success into
    // kExitSomeFailed.
    int SaveListIfAsked(int code);
    // Before the question: the server entries of the list, one per line (not with --quiet).
    void ListServerEntriesBeforeQuestion();

    CCliSession& m_session;
    const CCliOptions& m_options;
};

} // namespace skerrow::cli
