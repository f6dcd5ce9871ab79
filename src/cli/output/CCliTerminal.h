#pragma once
// Where the headless command writes, from any thread: listings on standard output; messages,
// failures and the summary on standard error; and, when standard error is a terminal, one
// progress bar line below them that every other line clears first and that is drawn again after.
// Every text is written with its control characters escaped (CControlCharacters): a name or a
// reply from the server can hold an ESC.

#include <cstdio>
#include <mutex>
#include <string>

namespace skerrow::cli {

class CCliTerminal {
public:
    CCliTerminal(bool quiet, bool verbose);
    virtual ~CCliTerminal() = default;
    CCliTerminal(const CCliTerminal&) = delete;
    CCliTerminal& operator=(const CCliTerminal&) = delete;

    // Standard error is a terminal (and not --quiet): a bar is drawn.
    bool ShowsBar() const { return m_showsBar; }
    bool Quiet() const { return m_quiet; }
    bool Verbose() const { return m_verbose; }

    // A line of a listing (standard output).
    void Out(const std::string& line);
    // An error or a failed file (standard error), always shown.
    void Error(const std::string& line);
    // Progress and summary lines, not with --quiet.
    void Info(const std::string& line);
    // The command log and status texts, only with --verbose.
    void Detail(const std::string& line);
    // Replaces the bar ("" removes it), escaped and cut to the terminal's width; ignored unless
    // ShowsBar.
    void Bar(const std::string& text);
    // Columns of the terminal (80 when unknown).
    int Width() const;

private:
    void Write(std::FILE* stream, const std::string& line);
    void ClearBarLocked();
    void DrawBarLocked();

    const bool m_quiet;
    const bool m_verbose;
    const bool m_showsBar;
    std::mutex m_mutex;
    std::string m_bar;
    bool m_barDrawn = false;
};

} // namespace skerrow::cli
