#pragma once
// A delete pass on several connections at once: the run's own and further ones that log in when the
// pass starts, each taking rows from the same queue, so that files go on every connection and a
// directory goes on whichever is free once the entries inside it are dealt with. Each entry is
// still checked by the plan right before its command, whatever connection sends it.

#include "ftp/CConnectionLanes.h"

namespace skerrow {

class CDeletePlan;
struct CTransferContext;

class CDeleteLanes {
public:
    CDeleteLanes(CTransferContext& first, CConnectionLanes::Setup setup) : m_first(first), m_setup(std::move(setup)) {}
    virtual ~CDeleteLanes() = default;

    // Runs the pass; ends with "Finished", "Too many errors, Transfer stopped" or "Transfer
    // Stopped" in the status pane, as the one-connection pass does.
    void Run(const CDeletePlan& plan);
    // How many connections took part (the first included).
    int ConnectionsUsed() const { return m_used; }

private:
    CTransferContext& m_first;
    CConnectionLanes::Setup m_setup;
    int m_used = 1;
};

} // namespace skerrow
