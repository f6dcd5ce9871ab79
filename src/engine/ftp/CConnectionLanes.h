#pragma once
// One piece of work shared out over several connections at once: the caller's own connection, on the
// calling thread, and further ones that log in when the work starts, each on a thread of its own. A
// connection the server refuses (too many connections, a session limit, no answer) is simply not
// used: the work goes on with the connections it has, and the log says so once. Every further
// connection is handed to the run before it connects, so that a Stop reaches it. Further connections
// that began logging in earlier (CEarlyLogins) are used first, in place of new ones.

#include <atomic>
#include <functional>
#include <memory>

namespace skerrow {

class CEarlyLogins;
class CFtpConnection;

class CConnectionLanes {
public:
    struct Setup {
        int connections = 1; // 1 to 8, the caller's own included
        // Logs a new connection in as the first one was (settings, encryption, certificate).
        std::function<bool(CFtpConnection&)> open;
        // Every further connection is handed here before it connects, so that Stop reaches it.
        std::function<void(const std::shared_ptr<CFtpConnection>&)> track;
        // Told, after the work, how many connections took part when the server refused one.
        std::function<void(int used)> refused;
        // Logins started ahead of the work: the first further connections are taken from them.
        std::shared_ptr<CEarlyLogins> early;
    };
    // One connection's share of the work; the further connections are closed after theirs.
    using Share = std::function<void(CFtpConnection& connection)>;

    CConnectionLanes(CFtpConnection& first, Setup setup) : m_first(first), m_setup(std::move(setup)) {}
    virtual ~CConnectionLanes() = default;

    // Runs share on the first connection here and on each further connection that logs in while
    // wanted() still says so. Returns once every share has returned; a connection still logging in
    // when the first one's share returned has nothing left to do and is cut off. What a further
    // connection's thread throws is thrown here again, after every thread has ended.
    void Run(const Share& share, const std::function<bool()>& wanted);
    // How many connections took part (the first included).
    int Used() const { return m_used; }

private:
    struct Lane;
    void RunLane(Lane& lane, const Share& share, const std::function<bool()>& wanted);

    CFtpConnection& m_first;
    Setup m_setup;
    int m_used = 1;
    std::atomic<bool> m_refusalTold{false};
};

} // namespace skerrow
