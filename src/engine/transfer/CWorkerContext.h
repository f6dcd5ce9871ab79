#pragma once
// What a worker thread shares with the window while it runs. The references outlive the worker:
// the run controller joins every worker before it goes.

#include <atomic>
#include <memory>
#include <optional>

#include "settings/CDateTime.h"
#include "settings/CViewSettings.h"

namespace skerrow {

class CTransferList;
class IStatusSink;
class IUserPrompt;
class CProgressMeter;
class CAutoResetEvent;
class CFtpConnection;
class IRunHost;

struct CWorkerContext {
    CTransferList& list;
    IStatusSink& status;
    IUserPrompt& prompt;
    CProgressMeter& progress;
    CAutoResetEvent& stop;
    IRunHost& host;
    std::atomic<int>& runState;
    // The connection of this run; the window may close it (Stop), after which every call fails.
    std::shared_ptr<CFtpConnection> connection;
    // The settings cache as it was when the worker started.
    CViewSettings settings;
    // When the list was taken by the find of this run; none when the run had no find.
    std::optional<CDateTime> listTakenAt;
};

} // namespace skerrow
