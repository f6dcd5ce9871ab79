#pragma once
// Everything an FTP pass test needs: a local site directory, a served directory, a running test
// server, an open connection, the rows, the sinks and a pass context over them.

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "ftp/CConnectionLanes.h"
#include "ftp/CFtpConnection.h"
#include "transfer/CTransferContext.h"
#include "support/CFtpRecordingSink.h"
#include "support/CFtpServerProcess.h"
#include "support/CTempDir.h"
#include "transfer/CStopSignal.h"
#include "transfer/CProgressMeter.h"
#include "list/CTransferList.h"

namespace skerrow::test {

class CFtpTestBench {
public:
    // Fills the served tree before the server starts; returns extra arguments for the server.
    using Prepare = std::function<std::vector<std::string>(CTempDir& served)>;

    // Starts the server over Served(); Skip() says why when it could not start.
    explicit CFtpTestBench(FtpServerKind kind, const Prepare& prepare = {});

    bool Ready() const { return m_server && m_server->Started(); }
    std::string Skip() const;
    // Opens the connection (short time-outs: 5 s connect, stallSeconds without progress).
    bool Open(long stallSeconds = 5, const std::string& host = "127.0.0.1");
    // connections in all, the further ones opened as Open does, after prepare (when given).
    CConnectionLanes::Setup Lanes(int connections, std::function<void(CFtpConnection&)> prepare = {});

    CTempDir& Local() { return m_local; }
    CTempDir& Served() { return m_served; }
    CFtpServerProcess& Server() { return *m_server; }
    CFtpConnection& Connection() { return m_connection; }
    CTransferList& List() { return m_list; }
    CFtpRecordingSink& Sink() { return m_sink; }
    CStopSignal& Stop() { return m_stop; }
    // A context over the rows; pcDir = Local(), ".htm" and ".txt" files go in ASCII.
    CTransferContext& Context(const std::string& ftpStartDir, int maxErrors = 32000);
    // Adds a Pending PC-file row.
    void AddRow(const std::string& name, const std::string& sizeText = "1");
    std::vector<int32_t> States() const;

private:
    CTempDir m_local;
    CTempDir m_served;
    std::unique_ptr<CFtpServerProcess> m_server;
    CFtpConnection m_connection;
    CTransferList m_list;
    CFtpRecordingSink m_sink;
    CStopSignal m_stop;
    CProgressMeter m_progress{m_sink};
    std::unique_ptr<CTransferContext> m_context;
};

} // namespace skerrow::test
