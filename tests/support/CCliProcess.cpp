#include "support/CCliProcess.h"

#include "support/TiedChild.h"

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace skerrow::test {

std::string CCliProcess::BinaryPath()
{
    return std::string(SKERROW_BIN_DIR) + "/skerrow-cli";
}

CCliResult CCliProcess::Run(const std::vector<std::string>& args, const std::vector<std::string>& extraEnvironment)
{
    return CCliProcess(args, extraEnvironment).Wait();
}

CCliProcess::CCliProcess(const std::vector<std::string>& args, const std::vector<std::string>& extraEnvironment,
                         CliOutputs outputs)
    : m_outputs(outputs)
{
    const std::string outPath = (m_files.Path() / "out").string();
    const std::string errPath = (m_files.Path() / "err").string();

    std::vector<std::string> environment;
    for (char** entry = environ; *entry; ++entry) {
        const std::string line = *entry;
        const std::string name = line.substr(0, line.find('=') + 1);
        bool replaced = false;
        for (const std::string& extra : extraEnvironment)
            replaced = replaced || extra.compare(0, name.size(), name) == 0;
        if (!replaced)
            environment.push_back(line);
    }
    environment.insert(environment.end(), extraEnvironment.begin(), extraEnvironment.end());

    std::vector<std::string> argStrings{BinaryPath()};
    argStrings.insert(argStrings.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (std::string& arg : argStrings)
        argv.push_back(arg.data());
    argv.push_back(nullptr);
    std::vector<char*> envp;
    for (std::string& entry : environment)
        envp.push_back(entry.data());
    envp.push_back(nullptr);

    int pipeEnds[2] = {-1, -1};
    if (outputs == CliOutputs::OutputPipe && ::pipe2(pipeEnds, O_CLOEXEC) == 0)
        m_captured = pipeEnds[0];
    const std::string terminal = outputs == CliOutputs::ErrorTerminal ? OpenTerminal() : std::string();
    // Like a test's servers, the command never outlives the test process.
    const pid_t pid = ForkTiedChild([&] {
        const auto openAs = [](int target, const char* path, int flags) {
            const int fd = ::open(path, flags, 0600);
            if (fd < 0 || ::dup2(fd, target) < 0)
                ::_exit(127);
            if (fd != target)
                ::close(fd);
        };
        openAs(STDIN_FILENO, "/dev/null", O_RDONLY);
        if (pipeEnds[1] >= 0) {
            if (::dup2(pipeEnds[1], STDOUT_FILENO) < 0)
                ::_exit(127);
        } else {
            openAs(STDOUT_FILENO, outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC);
        }
        if (terminal.empty())
            openAs(STDERR_FILENO, errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC);
        else
            openAs(STDERR_FILENO, terminal.c_str(), O_RDWR | O_NOCTTY);
        ::execve(argv[0], argv.data(), envp.data());
    });
    if (pid > 0)
        m_pid = pid;
    if (pipeEnds[1] >= 0)
        ::close(pipeEnds[1]);
}

std::string CCliProcess::OpenTerminal()
{
    const int master = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    const char* slave = master >= 0 && ::grantpt(master) == 0 && ::unlockpt(master) == 0 ? ::ptsname(master) : nullptr;
    if (!slave) {
        if (master >= 0)
            ::close(master);
        return std::string();
    }
    m_captured = master;
    return slave;
}

CCliProcess::~CCliProcess()
{
    Wait();
    if (m_captured >= 0)
        ::close(m_captured);
}

bool CCliProcess::WaitForOutput(int limitMs) const
{
    pollfd ready{m_captured, POLLIN, 0};
    return m_captured >= 0 && ::poll(&ready, 1, limitMs) == 1;
}

void CCliProcess::Signal(int signal)
{
    if (m_pid > 0 && !m_waited)
        ::kill(m_pid, signal);
}

CCliResult CCliProcess::Wait()
{
    CCliResult result;
    if (m_pid <= 0)
        return result;
    if (!m_waited) {
        char buffer[4096];
        // Until the command's side is closed: end of file for a pipe, EIO for a terminal.
        for (ssize_t got = 0; m_captured >= 0 && (got = ::read(m_captured, buffer, sizeof buffer)) != 0;) {
            if (got > 0)
                m_capturedText.append(buffer, static_cast<size_t>(got));
            else if (errno != EINTR)
                break;
        }
        int status = 0;
        while (::waitpid(m_pid, &status, 0) < 0 && errno == EINTR) {
        }
        m_waited = true;
        if (WIFEXITED(status))
            m_exitCode = WEXITSTATUS(status);
    }
    result.exitCode = m_exitCode;
    const bool terminal = m_outputs == CliOutputs::ErrorTerminal && m_captured >= 0;
    result.out = m_outputs == CliOutputs::OutputPipe && m_captured >= 0 ? m_capturedText : m_files.ReadFile("out");
    result.err = terminal ? m_capturedText : m_files.ReadFile("err");
    return result;
}

} // namespace skerrow::test
