#include "transfer/CUploadQueue.h"

#include <algorithm>

namespace skerrow {
namespace {

// How often a connection waiting for a row to try again looks at the run's Stop.
constexpr std::chrono::milliseconds kStopPoll(50);

} // namespace

CUploadQueue::CUploadQueue(std::vector<RowId> rows, int errorLimit)
    : m_rows(std::move(rows)), m_limit(std::max(1, errorLimit))
{
}

std::optional<RowId> CUploadQueue::Next(std::optional<RowId>* ahead, const std::function<bool()>& stopped)
{
    if (ahead)
        ahead->reset();
    std::unique_lock lock(m_mutex);
    while (!LimitReached() && !m_closed && !(stopped && stopped())) {
        const Clock::time_point now = Clock::now();
        const auto due = std::find_if(m_waiting.begin(), m_waiting.end(),
                                      [now](const Waiting& waiting) { return waiting.due <= now; });
        if (due != m_waiting.end()) {
            const RowId row = due->row;
            m_waiting.erase(due);
            return HandOut(row);
        }
        if (m_next < m_rows.size()) {
            const size_t index = m_next++;
            if (ahead && m_lookahead > 0 && index + m_lookahead < m_rows.size())
                *ahead = m_rows[index + m_lookahead];
            return HandOut(m_rows[index]);
        }
        if (m_waiting.empty())
            break;
        const auto first = std::min_element(m_waiting.begin(), m_waiting.end(),
                                            [](const Waiting& a, const Waiting& b) { return a.due < b.due; });
        m_changed.wait_until(lock, std::min(first->due, now + kStopPoll));
    }
    return std::nullopt;
}

std::optional<RowId> CUploadQueue::HandOut(RowId row)
{
    ++m_tries[row];
    return row;
}

void CUploadQueue::Retry(RowId row, std::chrono::milliseconds pause, std::string why)
{
    {
        std::lock_guard lock(m_mutex);
        m_waiting.push_back({row, Clock::now() + pause});
        m_failures[row].push_back(std::move(why));
    }
    m_changed.notify_all();
}

int CUploadQueue::TriesOf(RowId row) const
{
    std::lock_guard lock(m_mutex);
    const auto found = m_tries.find(row);
    return found == m_tries.end() ? 0 : found->second;
}

std::string CUploadQueue::LastFailure(RowId row) const
{
    std::lock_guard lock(m_mutex);
    const auto found = m_failures.find(row);
    return found == m_failures.end() || found->second.empty() ? std::string() : found->second.back();
}

std::vector<std::string> CUploadQueue::Failures(RowId row) const
{
    std::lock_guard lock(m_mutex);
    const auto found = m_failures.find(row);
    return found == m_failures.end() ? std::vector<std::string>() : found->second;
}

bool CUploadQueue::Drained() const
{
    std::lock_guard lock(m_mutex);
    return (m_next >= m_rows.size() && m_waiting.empty()) || LimitReached() || m_closed;
}

void CUploadQueue::GiveBack(RowId row)
{
    {
        std::lock_guard lock(m_mutex);
        m_waiting.insert(m_waiting.begin(), {row, Clock::now()});
        --m_tries[row];
    }
    m_changed.notify_all();
}

void CUploadQueue::Join()
{
    std::lock_guard lock(m_mutex);
    ++m_members;
}

void CUploadQueue::Leave()
{
    std::lock_guard lock(m_mutex);
    --m_members;
}

bool CUploadQueue::LeaveUnlessLast()
{
    std::lock_guard lock(m_mutex);
    if (m_members <= 1)
        return false;
    --m_members;
    return true;
}

void CUploadQueue::Close()
{
    {
        std::lock_guard lock(m_mutex);
        m_closed = true;
    }
    m_changed.notify_all();
}

bool CUploadQueue::Closed() const
{
    std::lock_guard lock(m_mutex);
    return m_closed;
}

} // namespace skerrow
