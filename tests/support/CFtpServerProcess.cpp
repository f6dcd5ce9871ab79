#include "support/CFtpServerProcess.h"

#include <fstream>

#include "ftp/CSshHostKey.h"
#include "support/TiedChild.h"

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <poll.h>
#include <pwd.h>
#include <sys/wait.h>
#include <unistd.h>

namespace skerrow::test {
namespace {

constexpr int kStartTimeoutMs = 20000;

std::string ScriptFor(FtpServerKind kind)
{
    const std::string dir = SKERROW_TEST_SERVERS_DIR;
    switch (kind) {
    case FtpServerKind::Pyftpdlib: return dir + "/pyftp_server.py";
    case FtpServerKind::Vsftpd: return dir + "/vsftpd_server.py";
    case FtpServerKind::Misbehaving: return dir + "/misbehaving_server.py";
    case FtpServerKind::Sshd: return dir + "/sshd_server.py";
    }
    return std::string();
}

} // namespace

const char* CFtpServerProcess::Name(FtpServerKind kind)
{
    switch (kind) {
    case FtpServerKind::Pyftpdlib: return "pyftpdlib";
    case FtpServerKind::Vsftpd: return "vsftpd";
    case FtpServerKind::Misbehaving: return "misbehaving";
    case FtpServerKind::Sshd: return "sshd";
    }
    return "";
}

CFtpServerProcess::CFtpServerProcess(FtpServerKind kind, const std::string& root, const std::vector<std::string>& extraArgs)
    : m_kind(kind)
{
    std::vector<std::string> args{"/usr/bin/python3", ScriptFor(kind), "--root", root};
    if (kind == FtpServerKind::Pyftpdlib) {
        args.insert(args.end(), {"--user", User(), "--password", Password()});
    } else if (kind == FtpServerKind::Vsftpd) {
        char pattern[] = "/tmp/skerrow-vsftpd-log-XXXXXX";
        if (mkdtemp(pattern)) {
            m_logDir = pattern;
            m_logPath = m_logDir + "/protocol.log";
            args.insert(args.end(), {"--log", m_logPath});
        }
    } else if (kind == FtpServerKind::Sshd) {
        char pattern[] = "/tmp/skerrow-sshd-key-XXXXXX";
        if (mkdtemp(pattern)) {
            m_logDir = pattern;
            args.insert(args.end(), {"--client-key", ClientKey()});
        }
    }
    args.insert(args.end(), extraArgs.begin(), extraArgs.end());
    Start(args);
}

CFtpServerProcess::~CFtpServerProcess()
{
    // Stopped sessions lead sessions of their own, which the end of sshd does not reach.
    for (const pid_t pid : m_stoppedSessions)
        kill(pid, SIGKILL);
    Resume(); // a stopped process would never see the SIGTERM
    if (m_pid > 0) {
        kill(m_pid, SIGTERM);
        int status = 0;
        waitpid(m_pid, &status, 0);
    }
    if (!m_logDir.empty()) {
        std::error_code ec;
        std::filesystem::remove_all(m_logDir, ec);
    }
}

void CFtpServerProcess::Suspend()
{
    if (m_pid <= 0 || m_suspended)
        return;
    // vsftpd runs in a process group of its own, which its wrapper stops on SIGUSR1.
    kill(m_pid, m_kind == FtpServerKind::Vsftpd ? SIGUSR1 : SIGSTOP);
    m_suspended = true;
}

void CFtpServerProcess::Resume()
{
    if (m_pid <= 0 || !m_suspended)
        return;
    kill(m_pid, m_kind == FtpServerKind::Vsftpd ? SIGUSR2 : SIGCONT);
    m_suspended = false;
}

void CFtpServerProcess::Kill()
{
    if (m_pid <= 0)
        return;
    Resume();
    // vsftpd's wrapper kills its whole group on SIGTERM; the Python servers die at once.
    kill(m_pid, m_kind == FtpServerKind::Vsftpd ? SIGTERM : SIGKILL);
    int status = 0;
    waitpid(m_pid, &status, 0);
    m_pid = -1;
}

void CFtpServerProcess::DropSessions()
{
    SignalSessions(SIGKILL);
}

void CFtpServerProcess::SuspendSessions()
{
    SignalSessions(SIGSTOP);
}

void CFtpServerProcess::SignalSessions(int signal)
{
    // The server's processes: its wrapper's descendants. A session is an "sshd: ..." process that
    // is not the listener.
    std::vector<pid_t> family{m_pid};
    for (size_t at = 0; at < family.size(); ++at) {
        std::ifstream children("/proc/" + std::to_string(family[at]) + "/task/" + std::to_string(family[at]) +
                               "/children");
        for (pid_t child = 0; children >> child;)
            family.push_back(child);
    }
    for (const pid_t pid : family) {
        std::ifstream in("/proc/" + std::to_string(pid) + "/cmdline");
        const std::string command((std::istreambuf_iterator<char>(in)), {});
        if (command.rfind("sshd: ", 0) != 0 || command.find("[listener]") != std::string::npos)
            continue;
        kill(pid, signal);
        if (signal == SIGSTOP)
            m_stoppedSessions.push_back(pid);
    }
}

std::string CFtpServerProcess::HostKeyFingerprint() const
{
    std::ifstream in(HostPublicKey());
    std::string type, key;
    in >> type >> key;
    return CSshHostKey::FromBase64(key).fingerprint;
}

std::string CFtpServerProcess::User() const
{
    if (m_kind == FtpServerKind::Sshd) {
        const passwd* self = getpwuid(geteuid());
        return geteuid() == 0 || !self ? "ftp" : self->pw_name;
    }
    return m_kind == FtpServerKind::Vsftpd ? "ftp" : "tester";
}

std::string CFtpServerProcess::Password() const
{
    return m_kind == FtpServerKind::Vsftpd ? "anything" : "s3cret-Pw";
}

std::vector<std::string> CFtpServerProcess::NoEnterArgs(FtpServerKind kind, const std::string& root, const std::string& dir)
{
    if (kind == FtpServerKind::Pyftpdlib)
        return {"--no-enter", dir};
    if (kind == FtpServerKind::Vsftpd) {
        // The launcher opens every directory to the session user; mode 0 is left alone.
        std::filesystem::permissions(std::filesystem::path(root) / dir, std::filesystem::perms::none);
    }
    return {};
}

void CFtpServerProcess::Start(const std::vector<std::string>& args)
{
    int fds[2];
    if (pipe(fds) != 0) {
        m_error = "pipe failed";
        return;
    }
    std::vector<char*> argv;
    for (const std::string& arg : args)
        argv.push_back(const_cast<char*>(arg.c_str()));
    argv.push_back(nullptr);
    // The server goes with this process however it ends; the script passes that on to the daemon
    // it starts.
    m_pid = ForkTiedChild([&] {
        dup2(fds[1], STDOUT_FILENO);
        const int devnull = ::open("/dev/null", O_WRONLY);
        if (devnull >= 0)
            dup2(devnull, STDERR_FILENO);
        close(fds[0]);
        close(fds[1]);
        execv(argv[0], argv.data());
    });
    close(fds[1]);
    if (m_pid < 0 || !ReadPort(fds[0])) {
        if (m_error.empty())
            m_error = std::string(Name(m_kind)) + " did not start";
        if (m_pid > 0) {
            kill(m_pid, SIGTERM);
            int status = 0;
            waitpid(m_pid, &status, 0);
            if (WIFEXITED(status) && WEXITSTATUS(status) == 77)
                m_error = std::string(Name(m_kind)) + " cannot run on this machine";
        }
        m_pid = -1;
        m_port = 0;
    }
    close(fds[0]);
}

bool CFtpServerProcess::ReadPort(int fd)
{
    std::string text;
    while (text.find('\n') == std::string::npos) {
        pollfd pfd{fd, POLLIN, 0};
        const int ready = poll(&pfd, 1, kStartTimeoutMs);
        if (ready < 0 && errno == EINTR)
            continue;
        if (ready <= 0)
            return false;
        char buffer[64];
        const ssize_t got = read(fd, buffer, sizeof buffer);
        if (got <= 0)
            return false;
        text.append(buffer, static_cast<size_t>(got));
    }
    m_port = std::atoi(text.c_str());
    return m_port > 0;
}

} // namespace skerrow::test
