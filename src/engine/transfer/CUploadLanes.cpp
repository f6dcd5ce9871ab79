#include "transfer/CUploadLanes.h"

#include <algorithm>
#include <atomic>
#include <thread>
#include <vector>

#include "app/IStatusSink.h"
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

// One further connection: logs in, then sends its share.
struct CLane {
    std::shared_ptr<CFtpConnection> connection = std::make_shared<CFtpConnection>();
    std::atomic<bool> settled{false}; // logged in, or given up
    std::atomic<bool> used{false};
    std::thread thread;
};

} // namespace

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
    std::vector<std::unique_ptr<CLane>> lanes;
    for (int i = 1; i < wanted && m_setup.open && !queue.Drained(); ++i) {
        auto lane = std::make_unique<CLane>();
        if (m_setup.track)
            m_setup.track(lane->connection);
        lane->connection->SetTlsKnownAbsent(withoutTls);
        lane->thread = std::thread([this, &queue, &base, &silent, &noPercent, state = lane.get()] {
            const bool opened = !m_first.stop.IsSet() && m_setup.open(*state->connection);
            state->settled.store(true);
            if (!opened)
                return;
            state->used.store(true);
            CTransferContext context{m_first.list,  *state->connection, silent,        m_first.prompt,
                                     m_first.stop,  noPercent,          m_first.pcDir, m_first.ftpStartDir,
                                     m_first.maxErrors, m_first.textSuffixes, m_first.fence};
            context.overall = m_first.overall;
            context.tempNameUpload = m_first.tempNameUpload;
            CFTPTransfer share(context);
            share.SetFileBytesToOverall(false);
            share.UploadFrom(queue, base);
            state->connection->Close();
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
}

} // namespace skerrow
