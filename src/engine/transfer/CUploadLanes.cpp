#include "transfer/CUploadLanes.h"

#include <algorithm>

#include "app/IStatusSink.h"
#include "ftp/CFtpConnection.h"
#include "settings/CSettingsFile.h"
#include "transfer/CFTPTransfer.h"
#include "transfer/CProgressMeter.h"
#include "transfer/CStopSignal.h"
#include "transfer/CTransferContext.h"
#include "transfer/CUploadQueue.h"

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
    CSilentStatus silent(m_first.status);
    CProgressMeter noPercent(silent);
    CConnectionLanes lanes(m_first.connection, m_setup);
    lanes.Run(
        [&](CFtpConnection& connection) {
            if (&connection == &m_first.connection) {
                first.UploadFrom(queue, base);
                return;
            }
            CTransferContext context{m_first.list,      connection,           silent,        m_first.prompt,
                                     m_first.stop,      noPercent,            m_first.pcDir, m_first.ftpStartDir,
                                     m_first.maxErrors, m_first.textSuffixes, m_first.fence};
            context.overall = m_first.overall;
            context.tempNameUpload = m_first.tempNameUpload;
            context.tries = m_first.tries;
            CFTPTransfer share(context);
            share.SetFileBytesToOverall(false);
            share.UploadFrom(queue, base);
        },
        [&] { return !queue.Drained() && !m_first.stop.IsSet(); });
    m_used = lanes.Used();
    first.EndUpload(queue);
}

} // namespace skerrow
