#pragma once
// One run: from the command that starts it to the moment its last thread has ended. It carries its
// own number, stop signal and fence, the connection it works on and the thread working for it, and
// whether that thread is waiting for the user. The run controller creates one per run; the worker
// holds it for as long as it lives, so a worker set aside by the stop timer still has its own
// stop signal and fence, never the next run's.

#include <atomic>
#include <functional>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "transfer/CRunFence.h"
#include "transfer/CRunProgress.h"
#include "transfer/CStopSignal.h"

namespace skerrow {

class CEarlyLogins;
class CFtpConnection;

class CRun {
public:
    explicit CRun(uint64_t id) : m_id(id) {}
    virtual ~CRun();
    CRun(const CRun&) = delete;
    CRun& operator=(const CRun&) = delete;

    uint64_t Id() const { return m_id; }
    CStopSignal& Stop() { return m_stop; }
    CRunFence& Fence() { return m_fence; }
    // How far the run's pass has come (fed by its worker, read by the window).
    CRunProgress& Progress() { return m_progress; }

    // The connection the run's thread talks on (any thread).
    void SetConnection(std::shared_ptr<CFtpConnection> connection);
    std::shared_ptr<CFtpConnection> Connection() const;

    // A further connection of the run (several connections at once): Stop aborts it too.
    void AddConnection(std::shared_ptr<CFtpConnection> connection);
    // Further connections that log in ahead of the run's first stage on several connections, which
    // takes them (once; later stages log in their own).
    void SetEarlyLogins(std::shared_ptr<CEarlyLogins> logins);
    std::shared_ptr<CEarlyLogins> TakeEarlyLogins();
    // The certificate the user trusted for the run's own connection ("" when none was asked about):
    // the run's further connections accept it without asking again.
    void SetAcceptedCertificate(std::string fingerprint);
    std::string AcceptedCertificate() const;

    // The most connections the server took at once in this run, once it refused one (0: none
    // refused yet): the run's later stages ask for no more.
    void ServerTook(int connections) { m_serverTook.store(connections); }
    int ServerTook() const { return m_serverTook.load(); }

    // Sets the stop signal and aborts whatever the connections are doing and will be asked to do.
    void RequestStop();

    // The thread working for the run; one at a time (UI thread only).
    void StartThread(std::function<void()> body);
    bool ThreadRunning() const { return m_thread.joinable() && !m_threadEnded.load(); }
    // Waits for the thread (its end must be near: stopped, or it has said it ended).
    void JoinThread();

    // True while the thread waits for the user's answer to a question or message.
    void SetWaitingForUser(bool waiting) { m_waitingForUser.store(waiting); }
    bool WaitingForUser() const { return m_waitingForUser.load(); }
    // True while the thread is inside a call that talks to the server.
    bool InServerCall() const;

    // Started by the automatic-run switch: nobody is there to answer a question about a
    // certificate, which is then refused as without a window.
    void SetAutomatic(bool automatic) { m_automatic.store(automatic); }
    bool Automatic() const { return m_automatic.load(); }

    // The worker has put its own words for the stop in the status bar.
    void MarkStopReported() { m_stopReported.store(true); }
    bool StopReported() const { return m_stopReported.load(); }
    // The run refused to delete what a safety rule protects (a mass deletion); any thread.
    void RefuseForSafety() { m_refusedForSafety.store(true); }
    bool RefusedForSafety() const { return m_refusedForSafety.load(); }

private:
    const uint64_t m_id;
    CStopSignal m_stop;
    CRunFence m_fence;
    CRunProgress m_progress;
    mutable std::mutex m_mutex;
    std::shared_ptr<CFtpConnection> m_connection;
    std::vector<std::shared_ptr<CFtpConnection>> m_further;
    std::shared_ptr<CEarlyLogins> m_early;
    std::string m_acceptedCertificate;
    std::thread m_thread;
    std::atomic<bool> m_threadEnded{false};
    std::atomic<bool> m_waitingForUser{false};
    std::atomic<bool> m_stopReported{false};
    std::atomic<bool> m_automatic{false};
    std::atomic<bool> m_refusedForSafety{false};
    std::atomic<int> m_serverTook{0};
};

} // namespace skerrow
