#pragma once
// How a run's connections come to be: its first connection (or the one kept from an earlier run,
// which from then on puts its questions to this run), and the further connections that log in
// ahead of the work. Everything those logins' threads use is theirs or this object's shared state
// (the command log, the settings they were given, the run's questions); the host's hook is reached
// only by threads that Shutdown ends: it aborts and joins every early login this object started, and
// none starts after it. The run control calls Shutdown once its runs' threads are joined.

#include <functional>
#include <memory>
#include <string>

namespace skerrow {

class CCommandLog;
class CEarlyLogins;
class CFtpConnection;
class CPasswordGate;
class CRun;
class CRunQuestions;
class IRunHost;
struct CViewSettings;

class CRunLogins {
public:
    explicit CRunLogins(IRunHost& host);
    virtual ~CRunLogins();
    CRunLogins(const CRunLogins&) = delete;
    CRunLogins& operator=(const CRunLogins&) = delete;

    // Every connection made from now on logs its commands and replies there.
    void SetCommandLog(std::shared_ptr<CCommandLog> log) { m_log = std::move(log); }
    // Seconds a connection waits: connect, and a call without progress.
    void SetTimeouts(long connectSeconds, long stallSeconds);
    long ConnectSeconds() const { return m_connectSeconds; }
    long StallSeconds() const { return m_stallSeconds; }

    // The questions of every connection made here (and of the one kept between runs) go to run
    // until End.
    void Begin(const std::shared_ptr<CRun>& run);
    void End();

    // A new first connection for the settings, not yet open: its time-outs, encryption, trust and
    // protocol, the run's questions, the command log as connection 1.
    std::shared_ptr<CFtpConnection> FirstConnection(const CViewSettings& settings);
    // Starts count further logins of run (none for 0): a call made on the run's connecting thread,
    // beside the first connection's login or after it; the work takes them from the run. Beside it,
    // each waits at the password prompt for gate, which the first login opens or shuts.
    std::function<void()> EarlyLogins(CRun& run, const CViewSettings& settings, int count,
                                      std::shared_ptr<CPasswordGate> gate = {});
    // Readies a further connection as the first one was: the host's hook and the command log, the
    // connections numbered from 2 on.
    std::function<void(CFtpConnection&)> Preparer() const;

    // Aborts and joins every early login started here that nobody took; none starts afterwards.
    void Shutdown();

private:
    struct Started; // the early logins started so far, shared with the calls that start them

    IRunHost& m_host;
    std::shared_ptr<CCommandLog> m_log;
    std::shared_ptr<CRunQuestions> m_questions;
    std::shared_ptr<Started> m_started;
    long m_connectSeconds = 30;
    long m_stallSeconds = 60;
};

} // namespace skerrow
