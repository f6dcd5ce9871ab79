#pragma once
// Closes connections on threads of their own, so that no caller ever waits for a server to answer
// QUIT (or for a stuck call to let go of its connection). Every thread is joined by JoinAll, which
// the run controller calls before it goes.

#include <functional>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

namespace skerrow {

class CEarlyLogins;
class CFtpConnection;

class CConnectionCloser {
public:
    virtual ~CConnectionCloser();

    // Closes the connection in the background (at once when it was aborted, else with a QUIT whose
    // answer is awaited a short while). Null: nothing.
    void Close(std::shared_ptr<CFtpConnection> connection);
    // Aborts and closes the logins nobody took, in the background. Null: nothing.
    void Close(std::shared_ptr<CEarlyLogins> logins);
    void JoinAll();

private:
    struct Closing;
    // Runs close on a thread of its own.
    void Start(std::function<void()> close);
    // Joins the closers that have ended.
    void Reap();

    std::mutex m_mutex;
    std::vector<std::shared_ptr<Closing>> m_closing;
};

} // namespace skerrow
