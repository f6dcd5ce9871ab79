#pragma once
// An upload pass on several connections at once (CConnectionLanes): the first connection is the
// run's own; the others log in when the pass starts, each on a thread of its own, and take rows
// from the same queue. A connection the server refuses (too many connections, no answer) is simply
// not used: no row fails for it, the pass goes on with the connections it has, and the log says so
// once. So is one that the server cut and will not let log in again (a ban for a while after a
// cut): it gives its row back and leaves, and the others send the files (see CFTPTransfer).

#include "ftp/CConnectionLanes.h"

namespace skerrow {

struct CTransferContext;

class CUploadLanes {
public:
    using Setup = CConnectionLanes::Setup;

    CUploadLanes(CTransferContext& first, Setup setup) : m_first(first), m_setup(std::move(setup)) {}
    virtual ~CUploadLanes() = default;

    // Runs the pass; ends with "Finished", "Too many errors, Transfer stopped" or "Transfer
    // Stopped" in the status pane, as the one-connection pass does.
    void Run();
    // How many connections took part (the first included).
    int ConnectionsUsed() const { return m_used; }

private:
    CTransferContext& m_first;
    Setup m_setup;
    int m_used = 1;
};

} // namespace skerrow
