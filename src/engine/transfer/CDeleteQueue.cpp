#include "transfer/CDeleteQueue.h"

#include <algorithm>
#include <string>

#include "list/RowWord.h"
#include "transfer/CDeletePlan.h"

namespace skerrow {

CDeleteQueue::CDeleteQueue(const CTransferList& list, const CDeletePlan& plan, int errorLimit)
    : m_rows(list.Ids()), m_limit(std::max(1, errorLimit)), m_parent(m_rows.size()), m_inside(m_rows.size(), 0),
      m_passed(m_rows.size(), false)
{
    for (size_t i = 0; i < m_rows.size(); ++i)
        m_index.emplace(m_rows[i], i);
    LinkEntries(list, plan);
}

void CDeleteQueue::LinkEntries(const CTransferList& list, const CDeletePlan& plan)
{
    // Each entry's directory is found by its path; a row that names no place below the plan's root
    // waits for nothing and holds nothing back (the pass refuses it when it comes).
    std::vector<std::optional<CDeletePlan::Entry>> entries(m_rows.size());
    std::unordered_map<std::string, size_t> directories;
    for (size_t i = 0; i < m_rows.size(); ++i) {
        CTransferRow row;
        std::string why;
        if (!list.GetRowById(m_rows[i], row) || RowStateOf(row.word) == kRowDone || RowKindOf(row.word) != plan.RowKind())
            continue;
        entries[i] = plan.Take(row.name, why);
        if (entries[i] && entries[i]->directory)
            directories.emplace(entries[i]->path.Full(), i);
    }
    for (size_t i = 0; i < m_rows.size(); ++i) {
        const auto holder = entries[i] ? directories.find(entries[i]->path.Parent().Full()) : directories.end();
        if (holder == directories.end() || holder->second == i)
            continue;
        m_parent[i] = holder->second;
        ++m_inside[holder->second];
    }
}

std::optional<RowId> CDeleteQueue::Next(const std::function<bool()>& stopped)
{
    std::unique_lock lock(m_mutex);
    for (;;) {
        if (m_givenUp || m_errors >= m_limit || stopped())
            return std::nullopt;
        if (const std::optional<size_t> ready = Ready()) {
            ++m_busy;
            return m_rows[*ready];
        }
        // Nothing is ready, and nothing being deleted could make a directory ready: the pass is over.
        if (m_busy == 0)
            return std::nullopt;
        m_changed.wait(lock);
    }
}

std::optional<size_t> CDeleteQueue::Ready()
{
    if (!m_released.empty()) {
        const size_t index = m_released.front();
        m_released.erase(m_released.begin());
        return index;
    }
    while (m_next < m_rows.size()) {
        const size_t index = m_next++;
        if (m_inside[index] == 0)
            return index;
        m_passed[index] = true; // handed out once its last entry is done
    }
    return std::nullopt;
}

void CDeleteQueue::Done(RowId row, int errors)
{
    {
        std::lock_guard lock(m_mutex);
        --m_busy;
        m_errors += errors;
        const auto found = m_index.find(row);
        if (found != m_index.end()) {
            if (const std::optional<size_t> parent = m_parent[found->second]) {
                if (--m_inside[*parent] == 0 && m_passed[*parent])
                    m_released.push_back(*parent);
            }
        }
    }
    m_changed.notify_all();
}

void CDeleteQueue::GiveUp()
{
    {
        std::lock_guard lock(m_mutex);
        m_givenUp = true;
    }
    m_changed.notify_all();
}

int CDeleteQueue::Errors() const
{
    std::lock_guard lock(m_mutex);
    return m_errors;
}

} // namespace skerrow
