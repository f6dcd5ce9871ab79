#include "run/CRunLogins.h"

#include <atomic>
#include <mutex>
#include <vector>

#include "ftp/CEarlyLogins.h"
#include "ftp/CFtpConnection.h"
#include "ftp/CPasswordGate.h"
#include "ftp/CTrustedCertificates.h"
#include "log/CCommandLog.h"
#include "run/CProtocolSetup.h"
#include "run/CRun.h"
#include "run/CRunQuestions.h"
#include "run/CRunWorker.h"
#include "run/IRunHost.h"
#include "settings/CSettingsFile.h"
#include "settings/CViewSettings.h"

namespace skerrow {

struct CRunLogins::Started {
    std::mutex mutex;
    bool closed = false;
    std::vector<std::weak_ptr<CEarlyLogins>> logins;

    // Starts the logins unless Shutdown came first (then they are closed at once).
    std::shared_ptr<CEarlyLogins> Start(int count, const CEarlyLogins::Open& open, const CEarlyLogins::Track& track)
    {
        {
            std::lock_guard lock(mutex);
            if (closed)
                return nullptr;
        }
        auto started = std::make_shared<CEarlyLogins>(count, open, track);
        {
            std::lock_guard lock(mutex);
            if (!closed) {
                std::erase_if(logins, [](const std::weak_ptr<CEarlyLogins>& one) { return one.expired(); });
                logins.push_back(started);
                return started;
            }
        }
        started->Close();
        return nullptr;
    }

    void CloseAll()
    {
        std::vector<std::shared_ptr<CEarlyLogins>> open;
        {
            std::lock_guard lock(mutex);
            closed = true;
            for (const std::weak_ptr<CEarlyLogins>& one : logins) {
                if (auto login = one.lock())
                    open.push_back(std::move(login));
            }
            logins.clear();
        }
        for (const std::shared_ptr<CEarlyLogins>& login : open)
            login->Close();
    }
};

CRunLogins::CRunLogins(IRunHost& host)
    : m_host(host), m_questions(std::make_shared<CRunQuestions>(host)), m_started(std::make_shared<Started>())
{
}

CRunLogins::~CRunLogins()
{
    Shutdown();
}

void CRunLogins::SetTimeouts(long connectSeconds, long stallSeconds)
{
    m_connectSeconds = connectSeconds;
    m_stallSeconds = stallSeconds;
}

void CRunLogins::Begin(const std::shared_ptr<CRun>& run)
{
    m_questions->Attach(run);
}

void CRunLogins::End()
{
    m_questions->Detach();
}

std::shared_ptr<CFtpConnection> CRunLogins::FirstConnection(const CViewSettings& settings)
{
    auto connection = std::make_shared<CFtpConnection>();
    connection->SetTimeouts(m_connectSeconds, m_stallSeconds);
    // A certificate the trust store refuses, a server without TLS and an unknown host key are put
    // to the user from the connecting thread, which waits for the answer meanwhile.
    CTrustedCertificates(CSettingsFile().GetPath(".ini"))
        .Apply(*connection, settings.ftpServer, settings.port,
               CTrustedCertificates::EncryptionFromSetting(settings.encryption), m_questions->CertificateAsk(),
               m_questions->PlainAsk());
    CProtocolSetup::Apply(*connection, settings, std::string(), m_questions->HostKeyAsk());
    m_host.PrepareConnection(*connection);
    if (m_log)
        connection->SetLogCallback(CCommandLog::Tap(m_log, 1));
    return connection;
}

std::function<void(CFtpConnection&)> CRunLogins::Preparer() const
{
    return [host = &m_host, log = m_log, next = std::make_shared<std::atomic<int>>(2)](CFtpConnection& connection) {
        host->PrepareConnection(connection);
        if (log)
            connection.SetLogCallback(CCommandLog::Tap(log, (*next)++));
    };
}

std::function<void()> CRunLogins::EarlyLogins(CRun& run, const CViewSettings& settings, int count,
                                              std::shared_ptr<CPasswordGate> gate)
{
    if (count < 1)
        return [] {};
    // The run outlives its connecting thread, which makes this call.
    return [run = &run, count, settings, connect = m_connectSeconds, stall = m_stallSeconds, prepare = Preparer(),
            started = m_started, gate = std::move(gate)] {
        const std::shared_ptr<CFtpConnection> first = run->Connection();
        const bool withoutTls = first && first->FellBackToPlain();
        const auto login = CRunWorker::FurtherLogin(settings, run->AcceptedCertificate(), connect, stall,
                                                    [prepare, withoutTls, gate](CFtpConnection& connection) {
                                                        prepare(connection);
                                                        connection.SetTlsKnownAbsent(withoutTls);
                                                        connection.SetPasswordGate(gate);
                                                    });
        run->SetEarlyLogins(started->Start(
            count, login, [run](const std::shared_ptr<CFtpConnection>& connection) { run->AddConnection(connection); }));
    };
}

void CRunLogins::Shutdown()
{
    m_questions->Detach();
    m_started->CloseAll();
}

} // namespace skerrow
