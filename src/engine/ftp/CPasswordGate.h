#pragma once
// Holds a run's further connections at the server's password prompt until the run's first
// connection has logged in. They connect, are greeted and say who they are beside the first (the
// time a login takes is mostly spent there), but the password goes only once it is known good: a
// wrong one reaches the server once per run, whatever the number of connections, so that a server
// that bans an address after a few failed logins counts one.

#include <condition_variable>
#include <functional>
#include <mutex>

namespace skerrow {

class CPasswordGate {
public:
    virtual ~CPasswordGate() = default;

    // The first connection logged in (Open) or did not (Shut); the first word counts.
    void Open() { Settle(State::Open); }
    void Shut() { Settle(State::Shut); }
    // Waits until the first connection's login has ended or abandoned() says the waiting connection
    // is no longer wanted; true when the password may go.
    bool Wait(const std::function<bool()>& abandoned);

private:
    enum class State { Waiting, Open, Shut };
    void Settle(State state);

    std::mutex m_mutex;
    std::condition_variable m_settled;
    State m_state = State::Waiting;
};

} // namespace skerrow
