#include "transfer/CDeleteLanes.h"

#include "transfer/CDeleteQueue.h"
#include "transfer/CFTPTransfer.h"
#include "transfer/CTransferContext.h"

namespace skerrow {

void CDeleteLanes::Run(const CDeletePlan& plan)
{
    CDeleteQueue queue(m_first.list, plan, m_first.maxErrors);
    CFTPTransfer first(m_first);
    first.BeginDelete(queue, plan);
    CConnectionLanes lanes(m_first.connection, m_setup);
    lanes.Run(
        [this, &queue, &plan, &first](CFtpConnection& connection) {
            try {
                if (&connection == &m_first.connection) {
                    first.DeleteFrom(queue, plan);
                    return;
                }
                // The delete pass shows no percentage: the others share the run's status pane as it is.
                CTransferContext context{m_first.list,      connection,     m_first.status, m_first.prompt,
                                         m_first.stop,      m_first.progress, m_first.pcDir, m_first.ftpStartDir,
                                         m_first.maxErrors, m_first.textSuffixes, m_first.fence};
                context.overall = m_first.overall;
                CFTPTransfer(context).DeleteFrom(queue, plan);
            } catch (...) {
                queue.GiveUp(); // the others take no more rows; the fault itself is thrown on
                throw;
            }
        },
        [this, &queue] { return !m_first.Stopped() && !queue.LimitReached(); });
    m_used = lanes.Used();
    first.EndDelete(queue);
}

} // namespace skerrow
