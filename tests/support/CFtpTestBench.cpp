#include "support/CFtpTestBench.h"

#include "list/RowWord.h"

namespace skerrow::test {

CFtpTestBench::CFtpTestBench(FtpServerKind kind, const Prepare& prepare)
{
    std::vector<std::string> args;
    if (prepare)
        args = prepare(m_served);
    m_server = std::make_unique<CFtpServerProcess>(kind, m_served.Str(), args);
    // Most test servers speak plain FTP: the user has allowed that, unless a test says otherwise.
    CPlainFtpPolicy plain;
    plain.consent = [](const std::string&, int) { return PlainConsent::Once; };
    m_connection.SetPlainFtpPolicy(plain);
}

std::string CFtpTestBench::Skip() const
{
    return m_server ? m_server->Error() : std::string("no server");
}

bool CFtpTestBench::Open(long stallSeconds, const std::string& host)
{
    m_connection.SetTimeouts(5, stallSeconds);
    return m_connection.Open(host, m_server->Port(), m_server->User(), m_server->Password(), true);
}

CConnectionLanes::Setup CFtpTestBench::Lanes(int connections, std::function<void(CFtpConnection&)> prepare)
{
    CConnectionLanes::Setup setup;
    setup.connections = connections;
    setup.open = [this, prepare = std::move(prepare)](CFtpConnection& more) {
        if (prepare)
            prepare(more);
        more.SetTimeouts(5, 5);
        return more.Open("127.0.0.1", m_server->Port(), m_server->User(), m_server->Password(), true);
    };
    return setup;
}

CTransferContext& CFtpTestBench::Context(const std::string& ftpStartDir, int maxErrors)
{
    m_context.reset(new CTransferContext{m_list, m_connection, m_sink, m_sink, m_stop, m_progress, m_local.Str(),
                                         ftpStartDir, maxErrors, {".htm", ".txt"}});
    return *m_context;
}

void CFtpTestBench::AddRow(const std::string& name, const std::string& sizeText)
{
    m_list.Insert(m_list.Count(), kKindPcFile, name, sizeText);
}

std::vector<int32_t> CFtpTestBench::States() const
{
    std::vector<int32_t> states;
    for (const CTransferRow& row : m_list.Snapshot())
        states.push_back(RowStateOf(row.word));
    return states;
}

} // namespace skerrow::test
