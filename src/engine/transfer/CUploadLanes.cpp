#include "transfer/CUploadLanes.h"

#include <algorithm>
#include <atomic>
#include <stdexcept>
#include <thread>
#include <vector>

#include "app/CStringTable.h"
#include "app/CThreadPriority.h"
#include "app/IStatusSink.h"
#include "ftp/CInternetError.h"
#include "ftp/CFtpConnection.h"
#include "list/CTransferList.h"
#include "transfer/CFTPTransfer.h"
#include "transfer/CProgressMeter.h"
#include "transfer/CStopSignal.h"
#include "transfer/CTransferContext.h"
#include "transfer/CUploadQueue.h"
#include "settings/CSettingsFile.h"

namespace skerrow {
namespace {

// The percent pane follows the run's own connection; the others report no percentage.
class CSilentStatus : public IStatusSink {
public:
    explicit CSilentStatus(IStatusSink& status) : m_status(status) {}
    void SetStatusText(const std::string& text) override { m_status.SetStatusText(text); }
    std::string GetStatusText() override { return m_status.GetStatusText(); }
    void SetPercentText(const std::string&) override {}

private:
    IStatusSink& m_status;
};

} // namespace

// One further connection: logs in, then sends its share.
struct CUploadLanes::Lane {
    std::shared_ptr<CFtpConnection> connection = std::make_shared<CFtpConnection>();
    std::atomic<bool> settled{false}; // logged in, or given up
    std::atomic<bool> used{false};
    bool refused = false; // the server would not let it log in; read after the join
    std::string fault; // what ended the lane's thread by an exception; read after the join
    std::thread thread;
};

void CUploadLanes::Run()
{
    CUploadQueue queue(m_first.list.Ids(), m_first.maxErrors);
    CFTPTransfer first(m_first);
    std::string base;
    if (!first.BeginUpload(queue, base))
        return;
    const int wanted = std::clamp(m_setup.connections, 1, ini::kMostConnections);
    // Far enough ahead that the other connections are still on earlier rows when a directory is made.
    if (wanted > 1)
        queue.SetLookahead(static_cast<size_t>(2 * wanted));
    // What the first login learned: a server without TLS is not asked again by every further one.
    const bool withoutTls = m_first.connection.FellBackToPlain();
    CSilentStatus silent(m_first.status);
    CProgressMeter noPercent(silent);
    std::vector<std::unique_ptr<Lane>> lanes;
    for (int i = 1; i < wanted && m_setup.open && !queue.Drained(); ++i) {
        auto lane = std::make_unique<Lane>();
        if (m_setup.track)
            m_setup.track(lane->connection);
        lane->connection->SetTlsKnownAbsent(withoutTls);
        lane->thread = std::thread([this, &queue, &base, &silent, &noPercent, state = lane.get()] {
            CThreadPriority::BelowTheWindow();
            // Whatever the lane meets ends the lane, never the program; the run hears of it after the join.
            try {
                SendOnLane(*state, queue, base, silent, noPercent);
            } catch (const std::exception& error) {
                state->fault = error.what();
            } catch (...) {
                state->fault = "an unknown fault";
            }
            state->settled.store(true);
        });
        lanes.push_back(std::move(lane));
    }
    first.UploadFrom(queue, base);
    // Connections still logging in when the rows are gone have nothing left to do.
    for (const auto& lane : lanes) {
        if (!lane->settled.load())
            lane->connection->Abort();
    }
    for (const auto& lane : lanes)
        lane->thread.join();
    m_used = 1 + static_cast<int>(std::count_if(lanes.begin(), lanes.end(), [](const auto& lane) { return lane->used.load(); }));
    first.EndUpload(queue);
    for (const auto& lane : lanes) {
        if (!lane->fault.empty())
            throw std::runtime_error(lane->fault);
    }
}

void CUploadLanes::SendOnLane(Lane& lane, CUploadQueue& queue, const std::string& base, IStatusSink& silent,
                              CProgressMeter& noPercent)
{
    // A connection that is not logged in takes no row.
    const bool opened = !m_first.stop.IsSet() && m_setup.open(*lane.connection);
    lane.settled.store(true);
    if (!opened) {
        // Refused by the server, not left out because the rows ran out or the run stopped.
        lane.refused = !m_first.stop.IsSet() && !lane.connection->IsAborted();
        if (lane.refused && !m_refusalTold.exchange(true)) {
            const std::string reply = lane.connection->LastResponse();
            const std::string why = reply.empty() ? CInternetError::Description(lane.connection->LastError())
                                                  : reply.substr(0, reply.find_first_of("\r\n"));
            lane.connection->LogNote(FormatText(Tr("T.ConnectionRefused", "The server refused a further connection "
                                                                          "(%s): this upload goes on with the "
                                                                          "connections it has.")
                                                    .c_str(),
                                                why.c_str()));
        }
        return;
    }
    lane.used.store(true);
    CTransferContext context{m_first.list,      *lane.connection,     silent,       m_first.prompt,
                             m_first.stop,      noPercent,            m_first.pcDir, m_first.ftpStartDir,
                             m_first.maxErrors, m_first.textSuffixes, m_first.fence};
    context.overall = m_first.overall;
    context.tempNameUpload = m_first.tempNameUpload;
    context.tries = m_first.tries;
    CFTPTransfer share(context);
    share.SetFileBytesToOverall(false);
    share.UploadFrom(queue, base);
    lane.connection->Close();
}

} // namespace skerrow
