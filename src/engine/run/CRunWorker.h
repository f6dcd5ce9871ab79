#pragma once
// A worker routine of a run: the transfer worker or the tree-delete worker. Run is the thread's body
// and returns its exit code. Everything it changes that the window shares goes through the run's
// fence.

#include <functional>

#include "ftp/CConnectionLanes.h"

#include "transfer/CProgressMeter.h"
#include "run/CRunPrompt.h"
#include "run/CRunStatusSink.h"
#include "transfer/CTransferContext.h"
#include "run/CWorkerContext.h"

namespace skerrow {

class CRunWorker {
public:
    explicit CRunWorker(CWorkerContext context);
    virtual ~CRunWorker() = default;
    CRunWorker(const CRunWorker&) = delete;
    CRunWorker& operator=(const CRunWorker&) = delete;

    virtual int Run() = 0;

    // Logs a further connection in as the run's first one was: the server and login of settings, the
    // time-outs, prepare (its command log), and the certificate the user trusted for the run
    // (accepted, "" when none), which it trusts too.
    static std::function<bool(CFtpConnection&)> FurtherLogin(const CViewSettings& settings, const std::string& accepted,
                                                             long connectSeconds, long stallSeconds,
                                                             std::function<void(CFtpConnection&)> prepare);

protected:
    // When a row is not Done the run state stays; when every row is (or the list is empty), 0.
    void CheckAllDone();
    // "Transmission failure, %d errors have been found." when any row is Failed.
    void ReportFailedRows();
    void SetRunState(int state);
    // Runs steps; anything it throws (no memory for a huge listing, a fault) ends the run as failed,
    // with a message: nothing is swallowed. Returns what steps returned, 0 after a failure.
    int Guarded(const std::function<int()>& steps);
    bool Stopped() const;
    // What a pass of this run needs: the rows, the connection, the run's sinks, stop signal,
    // fence and progress, the cached settings.
    CTransferContext TransferContext(CFtpConnection& connection);
    // The run's connections as the settings ask for them: the further ones log in as the run's own
    // did (its certificate trusted for them too), and Stop reaches every one of them. The first stage
    // to ask uses the further connections that logged in ahead of it.
    CConnectionLanes::Setup FurtherConnections() const;
    // The server directory the site lies in: the Start Dir, an empty or relative one taken from the
    // directory the server put the login in.
    std::string ServerRoot(const CFtpConnection& connection) const;

    CWorkerContext m_context;
    CRunStatusSink m_status;
    CRunPrompt m_prompt;
    CProgressMeter m_progress;
};

} // namespace skerrow
