#pragma once
// Runs the headless command (the real binary beside the test binaries) to its end, with standard
// input empty and both outputs captured.

#include <string>
#include <sys/types.h>
#include <vector>

#include "support/CTempDir.h"

namespace skerrow::test {

// Where the command's outputs go besides files: a pipe for standard output that is read only by
// Wait, so that a long listing blocks the command until then as a pager that is not read on does;
// or a terminal (a pseudo-terminal) for standard error, where the progress bar is drawn.
enum class CliOutputs { Files, OutputPipe, ErrorTerminal };

struct CCliResult {
    int exitCode = -1; // -1 when it could not be started or did not end normally
    std::string out;
    std::string err;
};

class CCliProcess {
public:
    // extraEnvironment: "NAME=VALUE" entries added to (or replacing those of) this process's.
    CCliProcess(const std::vector<std::string>& args, const std::vector<std::string>& extraEnvironment = {},
                CliOutputs outputs = CliOutputs::Files);
    // Waits for the process if Wait was not called.
    virtual ~CCliProcess();
    CCliProcess(const CCliProcess&) = delete;
    CCliProcess& operator=(const CCliProcess&) = delete;

    bool Started() const { return m_pid > 0; }
    pid_t Pid() const { return m_pid; }
    void Signal(int signal);
    // With OutputPipe: whether the command has written to standard output within limit.
    bool WaitForOutput(int limitMs) const;
    CCliResult Wait();

    static std::string BinaryPath();
    // Starts the command and waits for its end.
    static CCliResult Run(const std::vector<std::string>& args, const std::vector<std::string>& extraEnvironment = {});

private:
    // A pseudo-terminal: keeps its master side, returns the path of the other ("" when none).
    std::string OpenTerminal();

    CTempDir m_files;
    pid_t m_pid = -1;
    CliOutputs m_outputs;
    int m_captured = -1; // the pipe's read end, or the terminal's master side
    std::string m_capturedText;
    bool m_waited = false;
    int m_exitCode = -1;
};

} // namespace skerrow::test
