#pragma once
// Every command sent and every reply received since the program started, from any connection on
// any thread, with the time. Lines wait here until the window drains them (in batches, on its
// timer) and go at once to the log file. The connection has masked the password already; this
// masks a PASS line once more, whoever wrote it.

#include <chrono>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace skerrow {

class CLogFile;

struct CLogLine {
    std::string time; // "12:34:56"
    std::string text; // "> STOR /a.htm", "< 226 Transfer complete."
    bool error = false;
};

class CCommandLog {
public:
    using Clock = std::chrono::system_clock;

    // file: where the lines go on disk as well (none: the window only).
    explicit CCommandLog(std::unique_ptr<CLogFile> file = nullptr);
    virtual ~CCommandLog();
    CCommandLog(const CCommandLog&) = delete;
    CCommandLog& operator=(const CCommandLog&) = delete;

    // A line of the connection's log ("> command", "< reply"); any thread.
    void Add(const std::string& line);
    void Add(const std::string& line, Clock::time_point when);
    // What a connection's log callback calls: each line goes in as "[connection] line", and a
    // refusal of a CWD is routine, not marked as an error (the directory is made next, or a
    // listing reports the failure in words of its own). Keeps what it needs of the connection's
    // last command; one tap per connection.
    static std::function<void(const std::string& line)> Tap(std::shared_ptr<CCommandLog> log, int connection);
    // Up to max lines, oldest first, taken out of the queue; the UI thread. The file is flushed
    // too, so that it is at most one drain behind.
    std::vector<CLogLine> Drain(size_t max);
    // The same for a reader that must keep up rather than show everything (the window's pane):
    // when more than max lines wait, only the newest max are taken and the older ones dropped;
    // skipped receives how many were.
    std::vector<CLogLine> DrainNewest(size_t max, size_t& skipped);
    // Lines waiting; at most this many are kept, the oldest dropped (the file has them all).
    size_t Pending() const;
    static constexpr size_t kMaxPending = 100000;

    const CLogFile* File() const { return m_file.get(); }

    // A reply line whose code says the server refused or failed (4xx, 5xx).
    static bool IsErrorLine(const std::string& line);
    // "> PASS secret" becomes "> PASS ****".
    static std::string MaskPass(const std::string& line);

private:
    void Add(CLogLine entry, Clock::time_point when);
    std::vector<CLogLine> Take(size_t max, bool newest, size_t& skipped);

    mutable std::mutex m_mutex;
    std::deque<CLogLine> m_pending;
    std::unique_ptr<CLogFile> m_file;
};

} // namespace skerrow
