#include "run/CRun.h"

#include <utility>

#include "app/CThreadPriority.h"
#include "ftp/CEarlyLogins.h"
#include "ftp/CFtpConnection.h"

namespace skerrow {

CRun::~CRun()
{
    // The controller joins every thread it started; a thread never outlives its run.
    if (m_thread.joinable())
        m_thread.join();
}

void CRun::SetConnection(std::shared_ptr<CFtpConnection> connection)
{
    std::lock_guard lock(m_mutex);
    m_connection = std::move(connection);
}

std::shared_ptr<CFtpConnection> CRun::Connection() const
{
    std::lock_guard lock(m_mutex);
    return m_connection;
}

void CRun::AddConnection(std::shared_ptr<CFtpConnection> connection)
{
    std::lock_guard lock(m_mutex);
    if (m_stop.IsSet())
        connection->Abort();
    m_further.push_back(std::move(connection));
}

void CRun::SetEarlyLogins(std::shared_ptr<CEarlyLogins> logins)
{
    std::lock_guard lock(m_mutex);
    m_early = std::move(logins);
}

std::shared_ptr<CEarlyLogins> CRun::TakeEarlyLogins()
{
    std::lock_guard lock(m_mutex);
    return std::exchange(m_early, nullptr);
}

void CRun::SetAcceptedCertificate(std::string fingerprint)
{
    std::lock_guard lock(m_mutex);
    m_acceptedCertificate = std::move(fingerprint);
}

std::string CRun::AcceptedCertificate() const
{
    std::lock_guard lock(m_mutex);
    return m_acceptedCertificate;
}

void CRun::RequestStop()
{
    std::lock_guard lock(m_mutex);
    m_stop.Set();
    if (m_connection)
        m_connection->Abort();
    for (const std::shared_ptr<CFtpConnection>& connection : m_further)
        connection->Abort();
}

void CRun::StartThread(std::function<void()> body)
{
    JoinThread();
    m_threadEnded.store(false);
    m_thread = std::thread([this, body = std::move(body)] {
        CThreadPriority::BelowTheWindow();
        body();
        m_threadEnded.store(true);
    });
}

void CRun::JoinThread()
{
    if (m_thread.joinable())
        m_thread.join();
}

bool CRun::InServerCall() const
{
    std::lock_guard lock(m_mutex);
    if (m_connection && m_connection->IsTransferring())
        return true;
    for (const std::shared_ptr<CFtpConnection>& connection : m_further) {
        if (connection->IsTransferring())
            return true;
    }
    return false;
}

} // namespace skerrow
