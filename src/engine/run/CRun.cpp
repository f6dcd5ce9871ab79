#include "run/CRun.h"

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

void CRun::RequestStop()
{
    m_stop.Set();
    if (const std::shared_ptr<CFtpConnection> connection = Connection())
        connection->Abort();
}

void CRun::StartThread(std::function<void()> body)
{
    JoinThread();
    m_threadEnded.store(false);
    m_thread = std::thread([this, body = std::move(body)] {
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
    const std::shared_ptr<CFtpConnection> connection = Connection();
    return connection && connection->IsTransferring();
}

} // namespace skerrow
