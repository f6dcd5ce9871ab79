#pragma once
// Further connections of a run that log in ahead of the work that will use them, each on a thread
// of its own: beside the run's own login when no question about a certificate or about plain FTP can
// come up, else right after that login, and through the find that follows it. The work takes them
// one by one (CConnectionLanes); Close aborts the logins nobody took, waits for their threads and
// closes their connections. Every connection is handed to track before it connects, so that Stop
// reaches it.

#include <functional>
#include <memory>
#include <mutex>
#include <vector>

namespace skerrow {

class CFtpConnection;

class CEarlyLogins {
public:
    using Open = std::function<bool(CFtpConnection&)>;
    using Track = std::function<void(const std::shared_ptr<CFtpConnection>&)>;

    // Starts count logins at once (0 or fewer: none).
    CEarlyLogins(int count, const Open& open, const Track& track);
    virtual ~CEarlyLogins();
    CEarlyLogins(const CEarlyLogins&) = delete;
    CEarlyLogins& operator=(const CEarlyLogins&) = delete;

    int Count() const { return static_cast<int>(m_logins.size()); }
    // The connection of login index (0 to Count() - 1), known before its login ends.
    std::shared_ptr<CFtpConnection> Connection(int index) const;
    // Takes login index: waits for it to end and says whether the connection is logged in (what the
    // login threw is thrown here). The taker uses and closes the connection; each index is taken
    // once, and not after Close.
    bool Take(int index);
    // Aborts and closes what nobody took (any thread, more than once).
    void Close();

private:
    struct Login;
    std::vector<std::unique_ptr<Login>> m_logins;
    std::mutex m_mutex; // the taken marks
};

} // namespace skerrow
