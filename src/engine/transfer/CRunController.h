#pragma once
// Run control: the commands that start, stop and reset runs, the run state, the connection, the
// worker thread and the Stop protocol. The list view owns one and hands it its commands; the window
// is reached through IStatusSink, IUserPrompt and IRunHost.
//
// Every operation here runs on the UI thread. The workers share the run state (atomic), the stop
// event, the list (locked) and their own reference to the connection. No thread is ever killed:
// Stop aborts the transfer or listing in progress and, when the stop timer finds the worker still
// running, closes the connection so that every further call of the worker fails at once.

#include <atomic>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "settings/CDateTime.h"
#include "transfer/CAutoResetEvent.h"

namespace skerrow {

class CTransferList;
struct CViewSettings;
class IStatusSink;
class IUserPrompt;
class CProgressMeter;
class IRunHost;
class CFtpConnection;
class CRunWorker;

class CRunController {
public:
    CRunController(CTransferList& list, CViewSettings& settings, IStatusSink& status, IUserPrompt& prompt,
                   CProgressMeter& progress, IRunHost& host);
    virtual ~CRunController();
    CRunController(const CRunController&) = delete;
    CRunController& operator=(const CRunController&) = delete;

    // The commands.
    void OnFindFilesTransfer();
    void OnFindFiles();
    void OnTransferDelete();
    void OnTreeDelete();
    void OnConnect();
    void OnShutdownConnection();
    void StopActivity();
    void OnStopTimer();
    // Starts Find Files & Transfer when the command line holds "/a" (any case) anywhere.
    void CheckAutomaticRun(const std::string& commandLine);

    // Fills the list from the PC directory (on the UI thread).
    void FindFiles();
    void StartRun(bool find, bool askConnect);
    void StartTransferWorker();

    bool IsConnected() const;
    // Connected and the user chose to stay connected (asked only when connected).
    bool AskStayConnected();
    bool OpenConnection();
    void CloseConnection();

    int RunState() const { return m_runState.load(); }
    void SetRunState(int state) { m_runState.store(state); }
    bool IsStopping() const { return m_stopping; }
    // The view holds a worker (running or ended but not yet released).
    bool HasWorker() const { return m_worker.joinable(); }
    bool WorkerRunning() const;
    // Blocks until the worker has ended (tests, shutdown). Message boxes the worker asks for must be
    // answerable meanwhile.
    void WaitForWorker();
    CAutoResetEvent& StopEvent() { return m_stop; }

    // The list was filled by other means (an opened saved list): no find time belongs to it.
    void ForgetListTime() { m_listTakenAt.reset(); }

    // Stops everything and waits for every thread this object started; the view calls it before
    // it goes. A worker's pending question is answered No by the window while it closes.
    void Shutdown();

    // Seconds the connection waits: connect, and a transfer without progress (tests shorten them).
    void SetConnectionTimeouts(long connectSeconds, long stallSeconds);

private:
    void StartWorker(std::unique_ptr<CRunWorker> worker);
    void ReleaseWorker();
    struct CWorkerContext MakeContext();
    // Closes the connection on a helper thread and waits for it at most 5 seconds; the view counts
    // as not connected afterwards either way.
    void CloseHandleWithWatchdog(std::shared_ptr<CFtpConnection> connection);
    // Stop's abort of the upload or listing in progress, waited for at most 5 seconds; the view
    // then counts as not connected.
    void AbortTransferWithWatchdog();
    void LoadSettings();

    CTransferList& m_list;
    CViewSettings& m_settings;
    IStatusSink& m_status;
    IUserPrompt& m_prompt;
    CProgressMeter& m_progress;
    IRunHost& m_host;

    std::atomic<int> m_runState{0};
    CAutoResetEvent m_stop;
    bool m_stopping = false;
    std::shared_ptr<CFtpConnection> m_connection;
    // The connection the current worker uses, which Stop may already have dropped from the view.
    std::weak_ptr<CFtpConnection> m_workerConnection;
    std::thread m_worker;
    std::shared_ptr<std::atomic<bool>> m_workerDone;
    // Workers released by the stop timer while still running, and connection closers that
    // outlived their watchdog: joined before this object goes.
    std::vector<std::thread> m_retired;
    std::optional<CDateTime> m_listTakenAt;
    long m_connectSeconds = 30;
    long m_stallSeconds = 60;
};

} // namespace skerrow
