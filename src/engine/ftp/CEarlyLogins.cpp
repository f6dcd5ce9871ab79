#include "ftp/CEarlyLogins.h"

#include <algorithm>
#include <exception>
#include <thread>

#include "app/CThreadJoiner.h"
#include "app/CThreadPriority.h"
#include "ftp/CFtpConnection.h"

namespace skerrow {

struct CEarlyLogins::Login {
    std::shared_ptr<CFtpConnection> connection = std::make_shared<CFtpConnection>();
    bool opened = false;      // written by the login's thread, read after its join
    std::exception_ptr fault; // what the login threw, thrown again to its taker
    bool taken = false;  // under m_mutex
    std::thread thread;
};

CEarlyLogins::CEarlyLogins(int count, const Open& open, const Track& track)
{
    // A start that fails part-way aborts and joins the logins already under way before it is thrown.
    CThreadJoiner started([this] {
        for (const auto& login : m_logins)
            login->connection->Abort();
    });
    m_logins.reserve(static_cast<size_t>(std::max(count, 0)));
    for (int i = 0; i < count; ++i) {
        m_logins.push_back(std::make_unique<Login>());
        Login& login = *m_logins.back();
        if (track)
            track(login.connection);
        login.thread = std::thread([open, state = &login] {
            CThreadPriority::BelowTheWindow();
            try {
                state->opened = open(*state->connection);
            } catch (...) {
                state->fault = std::current_exception();
            }
        });
        started.Add(login.thread);
    }
    started.Release();
}

CEarlyLogins::~CEarlyLogins()
{
    Close();
}

std::shared_ptr<CFtpConnection> CEarlyLogins::Connection(int index) const
{
    return m_logins.at(static_cast<size_t>(index))->connection;
}

bool CEarlyLogins::Take(int index)
{
    Login& login = *m_logins.at(static_cast<size_t>(index));
    {
        std::lock_guard lock(m_mutex);
        if (login.taken)
            return false;
        login.taken = true;
    }
    login.thread.join();
    if (login.fault)
        std::rethrow_exception(login.fault);
    return login.opened;
}

void CEarlyLogins::Close()
{
    std::vector<Login*> left;
    {
        std::lock_guard lock(m_mutex);
        for (const auto& login : m_logins) {
            if (!login->taken) {
                login->taken = true;
                left.push_back(login.get());
            }
        }
    }
    for (Login* login : left)
        login->connection->Abort();
    for (Login* login : left) {
        login->thread.join();
        login->connection->Close();
    }
}

} // namespace skerrow
