#include "log/CCommandLog.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <ctime>

#include "log/CLogFile.h"

namespace skerrow {
namespace {

struct Stamp {
    std::string clock; // "12:34:56"
    std::string full;  // "2026-12-07 12:34:56.789"
};

Stamp StampOf(CCommandLog::Clock::time_point when)
{
    const std::time_t seconds = CCommandLog::Clock::to_time_t(when);
    const auto millis =
        std::chrono::duration_cast<std::chrono::milliseconds>(when.time_since_epoch()).count() % 1000;
    std::tm local{};
    localtime_r(&seconds, &local);
    char clock[16];
    char date[16];
    std::strftime(clock, sizeof clock, "%H:%M:%S", &local);
    std::strftime(date, sizeof date, "%Y-%m-%d", &local);
    char full[48];
    std::snprintf(full, sizeof full, "%s %s.%03d", date, clock, static_cast<int>(millis));
    return Stamp{clock, full};
}

} // namespace

CCommandLog::CCommandLog(std::unique_ptr<CLogFile> file) : m_file(std::move(file)) {}

CCommandLog::~CCommandLog() = default;

void CCommandLog::Add(const std::string& line)
{
    Add(line, Clock::now());
}

void CCommandLog::Add(const std::string& line, Clock::time_point when)
{
    Add(CLogLine{std::string(), MaskPass(line), IsErrorLine(line)}, when);
}

std::function<void(const std::string& line)> CCommandLog::Tap(std::shared_ptr<CCommandLog> log, int connection)
{
    auto lastCommand = std::make_shared<std::string>();
    // (Built in steps: GCC's -O2 takes the chain of + for an overlapping copy and warns.)
    std::string prefix = "[";
    prefix += std::to_string(connection);
    prefix += "] ";
    return [log = std::move(log), lastCommand, prefix](const std::string& line) {
        // One connection's lines come from one thread at a time: its state needs no lock.
        if (line.compare(0, 2, "> ") == 0) {
            const size_t end = line.find(' ', 2);
            *lastCommand = line.substr(2, end == std::string::npos ? std::string::npos : end - 2);
        }
        const bool routine = *lastCommand == "CWD";
        log->Add(CLogLine{std::string(), prefix + MaskPass(line), IsErrorLine(line) && !routine}, Clock::now());
    };
}

void CCommandLog::Add(CLogLine entry, Clock::time_point when)
{
    const Stamp stamp = StampOf(when);
    entry.time = stamp.clock;
    if (m_file)
        m_file->Write(stamp.full + " " + entry.text);
    std::lock_guard lock(m_mutex);
    m_pending.push_back(std::move(entry));
    if (m_pending.size() > kMaxPending)
        m_pending.pop_front();
}

std::vector<CLogLine> CCommandLog::Drain(size_t max)
{
    size_t skipped = 0;
    return Take(max, false, skipped);
}

std::vector<CLogLine> CCommandLog::DrainNewest(size_t max, size_t& skipped)
{
    return Take(max, true, skipped);
}

std::vector<CLogLine> CCommandLog::Take(size_t max, bool newest, size_t& skipped)
{
    if (m_file)
        m_file->Flush();
    std::lock_guard lock(m_mutex);
    skipped = newest && m_pending.size() > max ? m_pending.size() - max : 0;
    m_pending.erase(m_pending.begin(), m_pending.begin() + static_cast<long>(skipped));
    const size_t count = std::min(max, m_pending.size());
    std::vector<CLogLine> lines(std::make_move_iterator(m_pending.begin()),
                                std::make_move_iterator(m_pending.begin() + static_cast<long>(count)));
    m_pending.erase(m_pending.begin(), m_pending.begin() + static_cast<long>(count));
    return lines;
}

size_t CCommandLog::Pending() const
{
    std::lock_guard lock(m_mutex);
    return m_pending.size();
}

bool CCommandLog::IsErrorLine(const std::string& line)
{
    return line.size() >= 5 && line.compare(0, 2, "< ") == 0 && (line[2] == '4' || line[2] == '5') &&
           std::isdigit(static_cast<unsigned char>(line[3])) && std::isdigit(static_cast<unsigned char>(line[4]));
}

std::string CCommandLog::MaskPass(const std::string& line)
{
    if (line.size() > 7 && line.compare(0, 2, "> ") == 0) {
        std::string command = line.substr(2, 5);
        for (char& c : command)
            c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
        if (command == "PASS ")
            return "> PASS ****";
    }
    return line;
}

} // namespace skerrow
