#pragma once
// Turns SIGTERM, SIGINT and SIGHUP into a call on a thread of our own, so the program can end as
// if the user had closed its window: the handler only writes the signal's number into a pipe,
// which is all a signal handler may safely do.

#include <csignal>
#include <functional>
#include <thread>

class CQuitSignals {
public:
    // onSignal runs on the reader thread, once per signal received, with the signal's number.
    explicit CQuitSignals(std::function<void(int signal)> onSignal);
    virtual ~CQuitSignals(); // restores the earlier handlers
    CQuitSignals(const CQuitSignals&) = delete;
    CQuitSignals& operator=(const CQuitSignals&) = delete;

    bool Installed() const { return m_pipe[1] >= 0; }

    static constexpr int kSignals[] = {SIGTERM, SIGINT, SIGHUP};

private:
    static void OnSignal(int signal);
    void Read();

    std::function<void(int)> m_onSignal;
    int m_pipe[2] = {-1, -1};
    struct sigaction m_previous[3] = {};
    std::thread m_reader;
};
