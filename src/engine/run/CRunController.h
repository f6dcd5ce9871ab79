#pragma once
// Run control: the commands that start, stop and reset runs, the run state, the connection, the
// runs' threads and the Stop protocol. The list view owns one and hands it its commands; the window
// is reached through IStatusSink, IUserPrompt and IRunHost.
//
// Every operation here runs on the UI thread, and none of them waits for the network: connecting,
// the passes and closing connections run on threads of their own, which report back through
// IRunHost::PostToUi. One run at a time: a command that would start a run while one is active does
// nothing but say so. Each run (CRun) has its own number, stop signal and fence; a worker that the
// stop timer sets aside can change nothing any more, and is still joined before this object goes.

#include <atomic>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "run/CConnectionCloser.h"
#include "run/CRunLogins.h"
#include "transfer/CRunProgress.h"
#include "settings/CDateTime.h"

namespace skerrow {

struct CViewSettings;

// What a connection is opened with: the server, the login and how it is reached. A kept
// connection serves a run only while the settings still name the same.
struct CConnectionTarget {
    std::string server;
    int port = 0;
    std::string user;
    std::string password;
    int encryption = 0;
    bool passive = false;

    static CConnectionTarget Of(const CViewSettings& settings);
    bool operator==(const CConnectionTarget&) const = default;
};

class CTransferList;
class IStatusSink;
class IUserPrompt;
class CProgressMeter;
class IRunHost;
class CFtpConnection;
class CPasswordGate;
class CRun;
class CRunWorker;
class CCommandLog;
struct CWorkerContext;

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
    // Find Files and Server Leftovers: the changed files, then the server's files and directories
    // below the start directory that the folder no longer has, as delete rows. Sends and deletes
    // nothing: Transfer/Delete does both, after asking about the deletions.
    void OnFindLeftovers();
    // Starts Find Files & Transfer when the command line holds "/a" (any case) anywhere.
    void CheckAutomaticRun(const std::string& commandLine);

    // Fills the list from the PC directory (on the UI thread).
    void FindFiles();

    // While a run is active the list under it is never replaced or shortened, and no other run
    // starts: true (and pane 0 says why) when the caller must leave it alone.
    bool RefuseDuringRun();
    bool IsRunActive() const { return m_run != nullptr; }
    // The active run's progress (kind None when no pass is under way).
    CRunProgressSnapshot ProgressSnapshot() const;
    bool IsStopping() const { return m_stopping; }
    bool IsConnected() const { return m_connection != nullptr; }
    // Rows that were listed and not yet sent or deleted: closing asks before they are dropped.
    bool HasUnfinishedRows() const;

    int RunState() const { return m_runState.load(); }
    // A run refused a deletion that a safety rule protects (the headless command's exit 2).
    bool RefusedForSafety() const { return m_refusedForSafety; }
    void SetRunState(int state) { m_runState.store(state); }

    // The list was filled by other means (an opened saved list): no find time belongs to it.
    void ForgetListTime() { m_listTakenAt.reset(); }

    // Stops every run and waits for every thread this object started; the view calls it before it
    // goes. A worker's pending question is answered No by the window while it closes.
    void Shutdown();

    // Every connection this object opens from now on logs its commands and replies there.
    void SetCommandLog(std::shared_ptr<CCommandLog> log);

    // Seconds the connection waits: connect, and a transfer without progress (tests shorten them).
    void SetConnectionTimeouts(long connectSeconds, long stallSeconds);

private:
    enum class RunKind { Connect, Transfer, TreeDelete };

    // The start of Find Files & Transfer and its kin: the Connect dialog when no site is set, the
    // connection, the find; then next, on the UI thread, with the run.
    void FindThen(const std::function<void(const std::shared_ptr<CRun>&)>& next);
    // Starts the further connections of run's work on the server logging in (a no-op for a run
    // that takes none); called beside the first connection's login or after it.
    // gate: those that log in beside the first one wait for its login at the password prompt.
    std::function<void()> EarlyLogins(CRun& run, std::shared_ptr<CPasswordGate> gate = {});
    std::shared_ptr<CRun> BeginRun(RunKind kind);
    void EndRun();
    // Connects the run (on a thread of its own) unless the view is connected; then runs next on
    // the UI thread. A failed or stopped connect ends the run.
    void ConnectThen(const std::shared_ptr<CRun>& run, std::function<void()> next);
    void OnConnectEnded(uint64_t runId, bool opened, const std::string& error, const CConnectionTarget& target,
                        const std::function<void()>& next);
    void StartTransferWorker(const std::shared_ptr<CRun>& run);
    void StartWorker(const std::shared_ptr<CRun>& run, std::unique_ptr<CRunWorker> worker);
    void OnWorkerEnded(uint64_t runId);
    // Sets the active run aside: its thread is stuck in a server call past the stop time-out.
    void ReleaseRun();
    // What a run's thread reports back with: the call is carried out on the UI thread, and does
    // nothing once this object is gone. Made on the UI thread; the threads never touch this object.
    using Poster = std::function<void(std::function<void(CRunController&)>)>;
    Poster MakePoster();
    CWorkerContext MakeContext(const std::shared_ptr<CRun>& run);
    // Closes the view's connection in the background; the run state becomes 0.
    void CloseConnection();
    // Closes the kept connection, as CloseConnection does, when the settings (loaded) no longer
    // name the server, port, login, encryption or mode it was opened with: the run about to start
    // connects anew with them, and a list taken over the old connection is not deleted without
    // being listed again.
    void CloseConnectionIfChanged();
    // The view no longer counts a connection that Stop aborted as its own.
    void DropConnection(const std::shared_ptr<CFtpConnection>& connection);
    bool AskStayConnected();
    // Why the connection did not open: host and port, the error, and a word on the login for a 530.
    static std::string ConnectFailureText(CFtpConnection& connection, const std::string& host, int port);
    // A find would replace Failed rows (and their errors): the user says whether it may; an
    // automatic run does not ask.
    bool MayReplaceFailedRows();
    // The settings' PC folder exists; otherwise the user is told so (nothing connects then).
    bool PcDirReady();
    static std::string PcDirMissingText(const std::string& pcDir);
    void LoadSettings();
    // The Connect dialog; after OK the settings it wrote are taken, language included.
    bool AskForSite(bool deleting);

    CTransferList& m_list;
    CViewSettings& m_settings;
    IStatusSink& m_status;
    IUserPrompt& m_prompt;
    CProgressMeter& m_progress;
    IRunHost& m_host;

    std::atomic<int> m_runState{0};
    bool m_stopping = false;
    bool m_refusedForSafety = false;
    std::shared_ptr<CFtpConnection> m_connection;
    std::string m_connectionTrust; // the fingerprint trusted once when m_connection was opened
    CConnectionTarget m_connectionTarget; // what m_connection was opened with
    std::shared_ptr<CRun> m_run;
    RunKind m_runKind = RunKind::Connect;
    uint64_t m_lastRunId = 0;
    // The run about to begin was started by the automatic-run switch.
    bool m_nextRunAutomatic = false;
    // Runs set aside by the stop timer; joined when they report their end, or at Shutdown.
    std::vector<std::shared_ptr<CRun>> m_released;
    CConnectionCloser m_closer;
    std::optional<CDateTime> m_listTakenAt;
    std::string m_textBeforeConnect;
    // Held weakly by the calls posted to the UI thread.
    std::shared_ptr<CRunController*> m_self;
    // How the runs' connections come to be; Shutdown ends its logins once every run's thread is joined.
    CRunLogins m_logins{m_host};
};

} // namespace skerrow
