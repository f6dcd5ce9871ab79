#pragma once
// What a worker thread is given when its run starts. The references outlive the worker: the run
// controller joins every worker before it goes. The window's sinks are reached only through the
// run's fence (CRunStatusSink, CRunPrompt), which the worker builds around them.

#include <atomic>
#include <functional>
#include <memory>
#include <optional>

#include "settings/CDateTime.h"
#include "settings/CRunSettings.h"

namespace skerrow {

class CTransferList;
class IStatusSink;
class IUserPrompt;
class CFtpConnection;
class CRun;

struct CWorkerContext {
    CTransferList& list;
    IStatusSink& windowStatus;
    IUserPrompt& windowPrompt;
    std::atomic<int>& runState;
    // The run this worker works for: its stop signal, its fence.
    std::shared_ptr<CRun> run;
    // The connection of this run; Stop aborts it, after which every call fails at once.
    std::shared_ptr<CFtpConnection> connection;
    // The settings as they were when the worker started; the run reads no other.
    CRunSettings settings;
    // When the list was taken by the find of this run; none when the run had no find.
    std::optional<CDateTime> listTakenAt;
    // The time-outs of the run's further connections: connect, and no progress (seconds).
    long connectSeconds = 30;
    long stallSeconds = 60;
    // Readies a further connection of the run as the first one was (its command log).
    std::function<void(CFtpConnection&)> prepareConnection;
};

} // namespace skerrow
