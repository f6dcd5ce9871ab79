#include "app/CQuitSignals.h"

#include <atomic>
#include <cerrno>

#include <fcntl.h>
#include <unistd.h>

namespace {

// The pipe's writing end for the handler; -1 while no object listens.
std::atomic<int> g_writeEnd{-1};

} // namespace

CQuitSignals::CQuitSignals(std::function<void(int signal)> onSignal) : m_onSignal(std::move(onSignal))
{
    if (g_writeEnd.load() >= 0 || pipe2(m_pipe, O_CLOEXEC) != 0) {
        m_pipe[0] = m_pipe[1] = -1;
        return; // one listener per process
    }
    g_writeEnd.store(m_pipe[1]);
    m_reader = std::thread(&CQuitSignals::Read, this);
    struct sigaction action = {};
    action.sa_handler = &CQuitSignals::OnSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (size_t i = 0; i < std::size(kSignals); ++i)
        sigaction(kSignals[i], &action, &m_previous[i]);
}

CQuitSignals::~CQuitSignals()
{
    if (m_pipe[1] < 0)
        return;
    for (size_t i = 0; i < std::size(kSignals); ++i)
        sigaction(kSignals[i], &m_previous[i], nullptr);
    g_writeEnd.store(-1);
    close(m_pipe[1]); // the reader sees the end of the pipe
    if (m_reader.joinable())
        m_reader.join();
    close(m_pipe[0]);
}

void CQuitSignals::OnSignal(int signal)
{
    const int savedErrno = errno;
    const int fd = g_writeEnd.load();
    if (fd >= 0) {
        const unsigned char byte = static_cast<unsigned char>(signal);
        [[maybe_unused]] const ssize_t written = write(fd, &byte, 1);
    }
    errno = savedErrno;
}

void CQuitSignals::Read()
{
    for (;;) {
        unsigned char byte = 0;
        const ssize_t got = read(m_pipe[0], &byte, 1);
        if (got == 1) {
            m_onSignal(byte);
            continue;
        }
        if (got < 0 && errno == EINTR)
            continue;
        return; // the writing end was closed
    }
}
