#pragma once
// Starts one of the test FTP servers (tests/servers/) on 127.0.0.1 in a child process, reads the
// port it prints, and stops it when the object goes away. The server and the daemon its script
// starts end with this process too, however it ends.

#include <string>
#include <sys/types.h>
#include <vector>

namespace skerrow::test {

enum class FtpServerKind { Pyftpdlib, Vsftpd, Misbehaving, Sshd };

class CFtpServerProcess {
public:
    // root is the directory served; extraArgs go to the server script (see its usage text).
    CFtpServerProcess(FtpServerKind kind, const std::string& root, const std::vector<std::string>& extraArgs = {});
    ~CFtpServerProcess();
    CFtpServerProcess(const CFtpServerProcess&) = delete;
    CFtpServerProcess& operator=(const CFtpServerProcess&) = delete;

    bool Started() const { return m_port > 0; }
    // Why the server is not running ("" when it is).
    const std::string& Error() const { return m_error; }
    int Port() const { return m_port; }
    FtpServerKind Kind() const { return m_kind; }
    std::string User() const;
    std::string Password() const;
    // vsftpd's protocol log ("" for the other servers).
    const std::string& LogPath() const { return m_logPath; }
    // sshd: the private key that may log in (its public half beside it, ".pub"), and the host's
    // public key ("" for the other servers).
    std::string ClientKey() const { return m_kind == FtpServerKind::Sshd ? m_logDir + "/client_key" : ""; }
    std::string HostPublicKey() const { return m_kind == FtpServerKind::Sshd ? ClientKey() + ".host.pub" : ""; }
    // sshd: its host key's fingerprint as ssh-keygen -l prints it ("SHA256:...").
    std::string HostKeyFingerprint() const;

    // Makes dir (relative to root, existing) one the server refuses to enter; call before starting
    // another server on the same root. vsftpd: permissions; pyftpdlib: its --no-enter option.
    static std::vector<std::string> NoEnterArgs(FtpServerKind kind, const std::string& root, const std::string& dir);

    // The server stops answering anything (its processes are stopped) until Resume; Kill ends it
    // at once, mid-reply if need be.
    void Suspend();
    void Resume();
    void Kill();
    // sshd: kills the processes of its open sessions at once (a dropped link, as the client sees
    // it); the server goes on taking new ones.
    void DropSessions();
    // sshd: stops the processes of its open sessions (SIGSTOP): their connections stay open and
    // nothing on them is answered any more; new sessions are served as before.
    void SuspendSessions();

    static const char* Name(FtpServerKind kind);
    // Names the cases of a test parameterised by server kind.
    template <typename Info>
    static std::string ParamName(const Info& param) { return Name(param.param); }

private:
    void Start(const std::vector<std::string>& args);
    bool ReadPort(int fd);
    // sshd: sends signal to the processes of its open sessions.
    void SignalSessions(int signal);

    FtpServerKind m_kind;
    pid_t m_pid = -1;
    int m_port = 0;
    std::string m_error;
    std::string m_logPath;
    std::string m_logDir;
    bool m_suspended = false;
    std::vector<pid_t> m_stoppedSessions; // sshd: sessions SuspendSessions stopped
};

} // namespace skerrow::test
