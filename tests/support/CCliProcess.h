#pragma once
// Runs the headless command (the real binary beside the test binaries) to its end, with standard
// input empty and both outputs captured.

#include <string>
#include <sys/types.h>
#include <vector>

#include "support/CTempDir.h"

namespace skerrow::test {

struct CCliResult {
    int exitCode = -1; // -1 when it could not be started or did not end normally
    std::string out;
    std::string err;
};

class CCliProcess {
public:
    // extraEnvironment: "NAME=VALUE" entries added to (or replacing those of) this process's.
    // outputPipe: standard output is a pipe that is read only by Wait, so that a long listing
    // blocks the command until then, as a pager that is not read on does.
    CCliProcess(const std::vector<std::string>& args, const std::vector<std::string>& extraEnvironment = {},
                bool outputPipe = false);
    // Waits for the process if Wait was not called.
    virtual ~CCliProcess();
    CCliProcess(const CCliProcess&) = delete;
    CCliProcess& operator=(const CCliProcess&) = delete;

    bool Started() const { return m_pid > 0; }
    pid_t Pid() const { return m_pid; }
    void Signal(int signal);
    // With outputPipe: whether the command has written to standard output within limit.
    bool WaitForOutput(int limitMs) const;
    CCliResult Wait();

    static std::string BinaryPath();
    // Starts the command and waits for its end.
    static CCliResult Run(const std::vector<std::string>& args, const std::vector<std::string>& extraEnvironment = {});

private:
    CTempDir m_outputs;
    pid_t m_pid = -1;
    int m_outPipe = -1; // the read end, with outputPipe
    std::string m_pipedOut;
    bool m_waited = false;
    int m_exitCode = -1;
};

} // namespace skerrow::test
