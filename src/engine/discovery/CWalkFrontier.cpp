#include "discovery/CWalkFrontier.h"

namespace skerrow {

std::optional<CWalkFrontier::Task> CWalkFrontier::Take()
{
    std::unique_lock lock(m_mutex);
    m_changed.wait(lock, [this] { return m_end != End::Going || !m_stack.empty() || m_busy == 0; });
    if (m_end == End::Going && m_stack.empty())
        Finish(End::Complete);
    if (m_end != End::Going)
        return std::nullopt;
    Task task = std::move(m_stack.back());
    m_stack.pop_back();
    ++m_busy;
    return task;
}

bool CWalkFrontier::Claim(const std::string& identity)
{
    std::lock_guard lock(m_mutex);
    return m_entered.insert(identity).second;
}

void CWalkFrontier::Alias(const Task& task)
{
    std::lock_guard lock(m_mutex);
    if (task.parent >= 0)
        m_levels[static_cast<size_t>(task.parent)].outcomes[task.entry] = kAlias;
    Release();
}

int CWalkFrontier::Enter(const Task& task, std::string prefix, std::string reported)
{
    std::lock_guard lock(m_mutex);
    Level level;
    level.prefix = std::move(prefix);
    level.reported = std::move(reported);
    level.depth = task.depth + 1;
    m_levels.push_back(std::move(level));
    const int index = static_cast<int>(m_levels.size() - 1);
    if (task.parent >= 0)
        m_levels[static_cast<size_t>(task.parent)].outcomes[task.entry] = index;
    return index;
}

void CWalkFrontier::Listed(int index, std::vector<CFindRecord> entries,
                           const std::function<bool(const CFindRecord&)>& enter)
{
    std::lock_guard lock(m_mutex);
    Level& level = m_levels[static_cast<size_t>(index)];
    level.entries = std::move(entries);
    level.outcomes.assign(level.entries.size(), kFile);
    std::vector<Task> found;
    for (size_t i = 0; i < level.entries.size(); ++i) {
        const CFindRecord& entry = level.entries[i];
        // A link is an entry of its own, whatever it points to: deleting it removes the link alone.
        if (entry.link || !entry.IsDirectory())
            continue;
        if (!enter(entry)) {
            level.outcomes[i] = kLeftOut;
            continue;
        }
        level.outcomes[i] = kWaiting;
        const std::string name = entry.name.substr(level.prefix.size());
        const std::string expected = (level.reported == "/" ? "/" : level.reported + "/") + name;
        found.push_back(Task{index, i, entry.name, entry.unique, expected, level.depth});
    }
    // The level's first sub-directory on top: one connection enters them in listing order.
    m_stack.insert(m_stack.end(), std::make_move_iterator(found.rbegin()), std::make_move_iterator(found.rend()));
    level.listed = true;
    Release();
}

void CWalkFrontier::Fail(const std::string& text)
{
    std::lock_guard lock(m_mutex);
    if (m_end == End::Going)
        m_failure = text;
    Finish(End::Failed);
}

void CWalkFrontier::Stop()
{
    std::lock_guard lock(m_mutex);
    Finish(End::Stopped);
}

bool CWalkFrontier::Ended() const
{
    std::lock_guard lock(m_mutex);
    return m_end != End::Going;
}

CWalkFrontier::End CWalkFrontier::Result() const
{
    std::lock_guard lock(m_mutex);
    return m_end;
}

void CWalkFrontier::Release()
{
    --m_busy;
    if (m_busy == 0 && m_stack.empty())
        Finish(End::Complete);
    m_changed.notify_all();
}

void CWalkFrontier::Finish(End end)
{
    // The first end stands: a failure after a stop is the stop's doing.
    if (m_end == End::Going)
        m_end = end;
    m_changed.notify_all();
}

} // namespace skerrow
