#include "ftp/CConnectionLanes.h"

#include <algorithm>
#include <atomic>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "app/CStringTable.h"
#include "app/CThreadJoiner.h"
#include "app/CThreadPriority.h"
#include "ftp/CEarlyLogins.h"
#include "ftp/CFtpConnection.h"
#include "ftp/CInternetError.h"
#include "settings/CSettingsFile.h"

namespace skerrow {

struct CConnectionLanes::Lane {
    std::shared_ptr<CFtpConnection> connection = std::make_shared<CFtpConnection>();
    std::atomic<bool> settled{false}; // logged in, or given up
    std::atomic<bool> used{false};
    int early = -1; // the index of the early login it takes, -1 when it logs in itself
    std::string fault; // what ended the lane's thread by an exception; read after the join
    std::thread thread;
};

void CConnectionLanes::Run(const Share& share, const std::function<bool()>& wanted)
{
    const int count = std::clamp(m_setup.connections, 1, ini::kMostConnections);
    // What the first login learned: a server without TLS is not asked again by every further one.
    const bool withoutTls = m_first.FellBackToPlain();
    std::vector<std::unique_ptr<Lane>> lanes;
    // Whatever is thrown here (a start that fails, the first connection's share) is thrown only once
    // every lane started has been cut off and has ended: they use this object, share and wanted.
    CThreadJoiner started([&lanes] {
        for (const auto& lane : lanes)
            lane->connection->Abort();
    });
    const int early = m_setup.early ? m_setup.early->Count() : 0;
    for (int i = 1; i < count && (m_setup.open || i <= early) && wanted(); ++i) {
        lanes.push_back(std::make_unique<Lane>());
        Lane& lane = *lanes.back();
        if (i <= early) {
            lane.early = i - 1; // tracked and prepared when its login began
            lane.connection = m_setup.early->Connection(lane.early);
        } else {
            if (m_setup.track)
                m_setup.track(lane.connection);
            lane.connection->SetTlsKnownAbsent(withoutTls);
        }
        lane.thread = std::thread([this, &share, &wanted, state = &lane] {
            CThreadPriority::BelowTheWindow();
            // Whatever the lane meets ends the lane, never the program; the caller hears of it after the join.
            try {
                RunLane(*state, share, wanted);
            } catch (const std::exception& error) {
                state->fault = error.what();
            } catch (...) {
                state->fault = "an unknown fault";
            }
            state->settled.store(true);
        });
        started.Add(lane.thread);
    }
    share(m_first);
    for (const auto& lane : lanes) {
        if (!lane->settled.load())
            lane->connection->Abort();
    }
    for (const auto& lane : lanes)
        lane->thread.join();
    started.Release();
    m_used = 1 + static_cast<int>(std::count_if(lanes.begin(), lanes.end(), [](const auto& lane) { return lane->used.load(); }));
    if (m_refusalTold.load() && m_setup.refused)
        m_setup.refused(m_used);
    for (const auto& lane : lanes) {
        if (!lane->fault.empty())
            throw std::runtime_error(lane->fault);
    }
}

void CConnectionLanes::RunLane(Lane& lane, const Share& share, const std::function<bool()>& wanted)
{
    // A connection that is not logged in takes no part.
    const bool opened =
        wanted() && (lane.early >= 0 ? m_setup.early->Take(lane.early) : m_setup.open(*lane.connection));
    lane.settled.store(true);
    if (!opened) {
        // Refused by the server, not left out because the work was over or the run stopped.
        if (wanted() && !lane.connection->IsAborted() && !m_refusalTold.exchange(true)) {
            const std::string reply = lane.connection->LastResponse();
            const std::string why = reply.empty() ? CInternetError::Description(lane.connection->LastError())
                                                  : reply.substr(0, reply.find_first_of("\r\n"));
            lane.connection->LogNote(FormatText(Tr("T.LaneRefused", "The server refused a further connection (%s): "
                                                                    "the run goes on with the connections it has.")
                                                    .c_str(),
                                                why.c_str()));
        }
        return;
    }
    lane.used.store(true);
    share(*lane.connection);
    lane.connection->Close();
}

} // namespace skerrow
