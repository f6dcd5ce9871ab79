#pragma once
// An upload pass on several connections at once. The first connection is the run's own; the others
// log in when the pass starts, each on a thread of its own, and take rows from the same queue. A
// connection the server refuses (too many connections, no answer) is simply not used: no row fails
// for it, the pass goes on with the connections it has, and the log says so once.

#include <atomic>
#include <functional>
#include <memory>
#include <string>

namespace skerrow {

class CFtpConnection;
class CProgressMeter;
class CUploadQueue;
class IStatusSink;
struct CTransferContext;

class CUploadLanes {
public:
    struct Setup {
        int connections = 1; // 1 to 8, the run's own included
        // Logs a new connection in as the run's own was (settings, encryption, certificate).
        std::function<bool(CFtpConnection&)> open;
        // Every further connection is handed here before it connects, so that Stop reaches it.
        std::function<void(const std::shared_ptr<CFtpConnection>&)> track;
    };

    CUploadLanes(CTransferContext& first, Setup setup) : m_first(first), m_setup(std::move(setup)) {}
    virtual ~CUploadLanes() = default;

    // Runs the pass; ends with "Finished", "Too many errors, Transfer stopped" or "Transfer
    // Stopped" in the status pane, as the one-connection pass does.
    void Run();
    // How many connections took part (the first included).
    int ConnectionsUsed() const { return m_used; }

private:
    struct Lane;
    // The body of a further connection's thread: logs in, then sends rows until none is left.
    void SendOnLane(Lane& lane, CUploadQueue& queue, const std::string& base, IStatusSink& silent,
                    CProgressMeter& noPercent);

    CTransferContext& m_first;
    Setup m_setup;
    int m_used = 1;
    std::atomic<bool> m_refusalTold{false};
};

} // namespace skerrow
