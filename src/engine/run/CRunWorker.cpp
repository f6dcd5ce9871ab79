#include "run/CRunWorker.h"

#include <algorithm>
#include <exception>
#include <new>

#include "app/CStringTable.h"
#include "app/StringIds.h"
#include "ftp/CFtpConnection.h"
#include "ftp/CTrustedCertificates.h"
#include "run/CProtocolSetup.h"
#include "list/CTransferList.h"
#include "list/RowWord.h"
#include "run/CRun.h"
#include "settings/CSettingsFile.h"

namespace skerrow {

CRunWorker::CRunWorker(CWorkerContext context)
    : m_context(std::move(context)),
      m_status(m_context.windowStatus, m_context.run->Fence()),
      m_prompt(m_context.windowPrompt, *m_context.run),
      m_progress(m_status)
{
}

void CRunWorker::CheckAllDone()
{
    m_context.run->Fence().Apply([this] {
        if (m_context.list.AllDone())
            m_context.runState.store(0);
    });
}

void CRunWorker::SetRunState(int state)
{
    m_context.run->Fence().Apply([this, state] { m_context.runState.store(state); });
}

bool CRunWorker::Stopped() const
{
    return m_context.run->Stop().IsSet() || m_context.run->Fence().IsReleased();
}

std::string CRunWorker::ServerRoot(const CFtpConnection& connection) const
{
    return CFtpConnection::ResolvePath(connection.LoginDirectory(), m_context.settings.ftpStartDir);
}

CConnectionLanes::Setup CRunWorker::FurtherConnections() const
{
    const CViewSettings& settings = m_context.settings;
    CConnectionLanes::Setup setup;
    // A server that refused a connection earlier in the run is not asked for more again.
    const int took = m_context.run->ServerTook();
    setup.connections = took > 0 ? std::min(settings.connections, took) : settings.connections;
    setup.refused = [run = m_context.run](int used) { run->ServerTook(used); };
    setup.track = [run = m_context.run](const std::shared_ptr<CFtpConnection>& connection) {
        run->AddConnection(connection);
    };
    setup.open = FurtherLogin(settings, m_context.run->AcceptedCertificate(), m_context.connectSeconds,
                              m_context.stallSeconds, m_context.prepareConnection);
    setup.early = m_context.run->TakeEarlyLogins();
    return setup;
}

std::function<bool(CFtpConnection&)> CRunWorker::FurtherLogin(const CViewSettings& settings,
                                                              const std::string& accepted, long connectSeconds,
                                                              long stallSeconds,
                                                              std::function<void(CFtpConnection&)> prepare)
{
    return [settings, accepted, connectSeconds, stallSeconds, prepare = std::move(prepare)](CFtpConnection& connection) {
        connection.SetTimeouts(connectSeconds, stallSeconds);
        if (prepare)
            prepare(connection);
        // The certificate the user trusted for this run's first connection is trusted for its others.
        CTrustedCertificates(CSettingsFile().GetPath(".ini"))
            .Apply(connection, settings.ftpServer, settings.port,
                   CTrustedCertificates::EncryptionFromSetting(settings.encryption),
                   [accepted](const CCertificateInfo& info) {
                       return !accepted.empty() && info.fingerprint == accepted ? CertificateTrust::Once
                                                                                : CertificateTrust::Reject;
                   },
                   nullptr); // the first connection went on without TLS only if it was allowed to
        // Over SFTP: the host key the first connection was allowed, and no question.
        CProtocolSetup::Apply(connection, settings, accepted);
        return connection.Open(settings.ftpServer, settings.port, settings.user, settings.password, settings.passive);
    };
}

CTransferContext CRunWorker::TransferContext(CFtpConnection& connection)
{
    CTransferContext transfer{m_context.list,          connection,
                              m_status,                m_prompt,
                              m_context.run->Stop(),   m_progress,
                              m_context.settings.pcDir, ServerRoot(connection),
                              m_context.settings.maxErrors, m_context.settings.textSuffixes,
                              &m_context.run->Fence()};
    transfer.overall = &m_context.run->Progress();
    transfer.tempNameUpload = m_context.settings.tempNameUpload;
    transfer.tries = m_context.settings.triesPerFile;
    return transfer;
}

int CRunWorker::Guarded(const std::function<int()>& steps)
{
    std::string what;
    try {
        return steps();
    } catch (const std::bad_alloc&) {
        what = Tr("T.OutOfMemory", "not enough memory");
    } catch (const std::exception& error) {
        what = error.what();
    } catch (...) {
        what = Tr("T.UnknownFault", "an unknown fault");
    }
    const std::string text =
        FormatText(Tr("T.RunFailed", "The run ended early because of %s. What was not done is not marked Done.").c_str(),
                   what.c_str());
    m_status.SetStatusText(text);
    m_prompt.ShowMessage(text, PromptIcon::Error);
    return 0;
}

void CRunWorker::ReportFailedRows()
{
    const size_t failed = m_context.list.CountInState(kRowFailed);
    if (failed > 0) {
        m_prompt.ShowMessage(FormatText(LoadString(IDS_TRANSMISSION_FAILURE).c_str(), static_cast<int>(failed)),
                             PromptIcon::Information);
    }
}

} // namespace skerrow
