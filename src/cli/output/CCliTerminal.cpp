#include "output/CCliTerminal.h"

#include <sys/ioctl.h>
#include <unistd.h>

#include "log/CControlCharacters.h"

namespace skerrow::cli {

CCliTerminal::CCliTerminal(bool quiet, bool verbose)
    : m_quiet(quiet), m_verbose(verbose), m_showsBar(!quiet && ::isatty(STDERR_FILENO) == 1)
{
}

int CCliTerminal::Width() const
{
    winsize size{};
    if (::ioctl(STDERR_FILENO, TIOCGWINSZ, &size) == 0 && size.ws_col > 10)
        return size.ws_col;
    return 80;
}

void CCliTerminal::Out(const std::string& line)
{
    Write(stdout, line);
}

void CCliTerminal::Error(const std::string& line)
{
    Write(stderr, line);
}

void CCliTerminal::Info(const std::string& line)
{
    if (!m_quiet)
        Write(stderr, line);
}

void CCliTerminal::Detail(const std::string& line)
{
    if (m_verbose)
        Write(stderr, line);
}

void CCliTerminal::Write(std::FILE* stream, const std::string& line)
{
    // Names and replies come from the server: a control character in them is shown, never obeyed.
    const std::string shown = CControlCharacters::Escape(line);
    std::lock_guard lock(m_mutex);
    ClearBarLocked();
    std::fputs(shown.c_str(), stream);
    std::fputc('\n', stream);
    std::fflush(stream);
    DrawBarLocked();
}

void CCliTerminal::Bar(const std::string& text)
{
    if (!m_showsBar)
        return;
    // Cut once escaped: the bar must stay on one line, or clearing it would leave a line behind.
    std::string shown = CControlCharacters::Escape(text);
    const size_t width = static_cast<size_t>(Width() - 1);
    if (shown.size() > width)
        shown.resize(width);
    std::lock_guard lock(m_mutex);
    if (shown == m_bar && m_barDrawn)
        return;
    ClearBarLocked();
    m_bar = shown;
    DrawBarLocked();
}

void CCliTerminal::ClearBarLocked()
{
    if (!m_barDrawn)
        return;
    std::fflush(stdout);
    std::fputs("\r\033[K", stderr);
    std::fflush(stderr);
    m_barDrawn = false;
}

void CCliTerminal::DrawBarLocked()
{
    if (!m_showsBar || m_bar.empty())
        return;
    std::fputs(m_bar.c_str(), stderr);
    std::fflush(stderr);
    m_barDrawn = true;
}

} // namespace skerrow::cli
