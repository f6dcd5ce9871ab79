#include "run/CConnectionCloser.h"

#include <atomic>

#include "ftp/CEarlyLogins.h"
#include "ftp/CFtpConnection.h"

namespace skerrow {

struct CConnectionCloser::Closing {
    std::thread thread;
    std::atomic<bool> ended{false};
};

CConnectionCloser::~CConnectionCloser()
{
    JoinAll();
}

void CConnectionCloser::Close(std::shared_ptr<CFtpConnection> connection)
{
    if (connection) {
        Start([connection = std::move(connection)] { connection->Close(); });
    }
}

void CConnectionCloser::Close(std::shared_ptr<CEarlyLogins> logins)
{
    if (logins) {
        Start([logins = std::move(logins)] { logins->Close(); });
    }
}

void CConnectionCloser::Start(std::function<void()> close)
{
    Reap();
    auto closing = std::make_shared<Closing>();
    closing->thread = std::thread([close = std::move(close), state = closing.get()]() mutable {
        close();
        close = nullptr; // what it holds goes on this thread too
        state->ended.store(true);
    });
    std::lock_guard lock(m_mutex);
    m_closing.push_back(std::move(closing));
}

void CConnectionCloser::Reap()
{
    std::lock_guard lock(m_mutex);
    for (auto it = m_closing.begin(); it != m_closing.end();) {
        if ((*it)->ended.load()) {
            (*it)->thread.join();
            it = m_closing.erase(it);
        } else {
            ++it;
        }
    }
}

void CConnectionCloser::JoinAll()
{
    std::vector<std::shared_ptr<Closing>> closing;
    {
        std::lock_guard lock(m_mutex);
        closing.swap(m_closing);
    }
    for (const std::shared_ptr<Closing>& one : closing) {
        if (one->thread.joinable())
            one->thread.join();
    }
}

} // namespace skerrow
