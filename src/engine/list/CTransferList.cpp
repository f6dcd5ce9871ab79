#include "list/CTransferList.h"

#include <algorithm>
#include <functional>
#include <utility>

#include "list/RowWord.h"

namespace skerrow {

size_t CTransferList::Count() const
{
    std::lock_guard lock(m_mutex);
    return m_rows.size();
}

size_t CTransferList::Insert(size_t index, int32_t word, std::string name, std::string size, std::string error)
{
    {
        std::lock_guard lock(m_mutex);
        index = std::min(index, m_rows.size());
        const RowId id = ++m_nextId;
        // A new id is the largest: only a row inserted before others puts the ids out of order.
        if (index < m_rows.size())
            m_idsAscending = false;
        if (!m_idsAscending) {
            if (index == m_rows.size() && m_indexValid)
                m_index.emplace(id, index);
            else
                IndexChangedLocked();
        }
        m_rows.emplace(m_rows.begin() + static_cast<std::ptrdiff_t>(index), word, name, size, error, id);
    }
    NotifyCount();
    return index;
}

void CTransferList::DeleteAll()
{
    {
        std::lock_guard lock(m_mutex);
        std::vector<CPackedRow>().swap(m_rows);
        m_idsAscending = true;
        m_index.clear();
        m_indexValid = false;
    }
    NotifyCount();
}

void CTransferList::Delete(std::vector<size_t> indices)
{
    std::sort(indices.begin(), indices.end());
    indices.erase(std::unique(indices.begin(), indices.end()), indices.end());
    {
        std::lock_guard lock(m_mutex);
        const size_t count = m_rows.size();
        const auto past = std::lower_bound(indices.begin(), indices.end(), count);
        if (indices.begin() != past) {
            // One pass: each kept row after the first deleted one moves down once.
            size_t kept = indices.front();
            auto next = indices.begin();
            for (size_t i = indices.front(); i < count; ++i) {
                if (next != past && *next == i) {
                    ++next;
                    continue;
                }
                m_rows[kept++] = std::move(m_rows[i]);
            }
            m_rows.erase(m_rows.begin() + static_cast<std::ptrdiff_t>(kept), m_rows.end());
            // Deleting keeps the order, so ascending ids stay ascending.
            IndexChangedLocked();
        }
    }
    NotifyCount();
}

void CTransferList::RenumberLocked()
{
    for (CPackedRow& row : m_rows)
        row.id = ++m_nextId;
    m_idsAscending = true;
    m_index.clear();
    m_indexValid = false;
}

void CTransferList::Replace(std::vector<CTransferRow> rows)
{
    std::vector<CPackedRow> packed;
    packed.reserve(rows.size());
    for (const CTransferRow& row : rows)
        packed.emplace_back(row);
    Replace(std::move(packed));
}

void CTransferList::Replace(std::vector<CPackedRow> rows)
{
    rows.shrink_to_fit();
    {
        std::lock_guard lock(m_mutex);
        // The old rows go after the lock is released.
        m_rows.swap(rows);
        RenumberLocked();
    }
    rows.clear();
    NotifyCount();
}

bool CTransferList::GetWord(size_t index, int32_t& word) const
{
    std::lock_guard lock(m_mutex);
    if (index >= m_rows.size())
        return false;
    word = m_rows[index].word;
    return true;
}

bool CTransferList::SetWord(size_t index, int32_t word)
{
    {
        std::lock_guard lock(m_mutex);
        if (index >= m_rows.size())
            return false;
        m_rows[index].word = word;
    }
    NotifyChanged(index, index);
    return true;
}

std::string CTransferList::GetText(size_t index, int column) const
{
    std::lock_guard lock(m_mutex);
    if (index >= m_rows.size())
        return std::string();
    return std::string(m_rows[index].Text(column));
}

bool CTransferList::SetText(size_t index, int column, std::string text)
{
    {
        std::lock_guard lock(m_mutex);
        if (index >= m_rows.size() || !m_rows[index].SetText(column, text))
            return false;
    }
    NotifyChanged(index, index);
    return true;
}

bool CTransferList::GetRow(size_t index, CTransferRow& row) const
{
    std::lock_guard lock(m_mutex);
    if (index >= m_rows.size())
        return false;
    row = m_rows[index].Unpacked();
    return true;
}

std::vector<CTransferRow> CTransferList::Snapshot() const
{
    std::lock_guard lock(m_mutex);
    std::vector<CTransferRow> rows;
    rows.reserve(m_rows.size());
    for (const CPackedRow& row : m_rows)
        rows.push_back(row.Unpacked());
    return rows;
}

std::vector<CPackedRow> CTransferList::PackedSnapshot() const
{
    std::lock_guard lock(m_mutex);
    return m_rows;
}

std::vector<std::string> CTransferList::LongestNames(size_t count) const
{
    std::lock_guard lock(m_mutex);
    // The lengths and rows of the longest names so far, the shortest of them on top.
    using Entry = std::pair<size_t, size_t>;
    std::vector<Entry> heap;
    heap.reserve(std::min(count, m_rows.size()) + 1);
    for (size_t i = 0; i < m_rows.size() && count > 0; ++i) {
        const size_t length = m_rows[i].Name().size();
        if (heap.size() == count && length <= heap.front().first)
            continue;
        heap.emplace_back(length, i);
        std::push_heap(heap.begin(), heap.end(), std::greater<>());
        if (heap.size() > count) {
            std::pop_heap(heap.begin(), heap.end(), std::greater<>());
            heap.pop_back();
        }
    }
    std::sort_heap(heap.begin(), heap.end(), std::greater<>());
    std::vector<std::string> names;
    names.reserve(heap.size());
    for (const Entry& entry : heap)
        names.emplace_back(m_rows[entry.second].Name());
    return names;
}

std::vector<RowId> CTransferList::Ids() const
{
    std::lock_guard lock(m_mutex);
    std::vector<RowId> ids;
    ids.reserve(m_rows.size());
    for (const CPackedRow& row : m_rows)
        ids.push_back(row.id);
    return ids;
}

size_t CTransferList::IndexOf(RowId id) const
{
    std::lock_guard lock(m_mutex);
    return IndexOfLocked(id);
}

size_t CTransferList::IndexOfLocked(RowId id) const
{
    if (m_idsAscending) {
        const auto found = std::lower_bound(m_rows.begin(), m_rows.end(), id,
                                            [](const CPackedRow& row, RowId wanted) { return row.id < wanted; });
        return found != m_rows.end() && found->id == id ? static_cast<size_t>(found - m_rows.begin())
                                                         : std::string::npos;
    }
    if (!m_indexValid) {
        m_index.clear();
        m_index.reserve(m_rows.size());
        for (size_t i = 0; i < m_rows.size(); ++i)
            m_index.emplace(m_rows[i].id, i);
        m_indexValid = true;
    }
    const auto found = m_index.find(id);
    return found == m_index.end() ? std::string::npos : found->second;
}

bool CTransferList::GetRowById(RowId id, CTransferRow& row) const
{
    std::lock_guard lock(m_mutex);
    const size_t index = IndexOfLocked(id);
    if (index == std::string::npos)
        return false;
    row = m_rows[index].Unpacked();
    return true;
}

bool CTransferList::SetRowState(RowId id, int32_t state, std::string error)
{
    size_t index;
    {
        std::lock_guard lock(m_mutex);
        index = IndexOfLocked(id);
        if (index == std::string::npos)
            return false;
        CPackedRow& row = m_rows[index];
        row.word = WithRowState(row.word, state);
        row.SetText(kColErrors, error);
    }
    NotifyChanged(index, index);
    return true;
}

void CTransferList::ResetAll()
{
    size_t count;
    {
        std::lock_guard lock(m_mutex);
        for (CPackedRow& row : m_rows) {
            row.word = WithRowState(row.word, kRowPending);
            row.SetText(kColErrors, {});
        }
        count = m_rows.size();
    }
    if (count > 0)
        NotifyChanged(0, count - 1);
}

void CTransferList::ResetFailed()
{
    size_t count;
    {
        std::lock_guard lock(m_mutex);
        for (CPackedRow& row : m_rows) {
            if (RowStateOf(row.word) == kRowFailed) {
                row.word = WithRowState(row.word, kRowPending);
                row.SetText(kColErrors, {});
            }
        }
        count = m_rows.size();
    }
    if (count > 0)
        NotifyChanged(0, count - 1);
}

size_t CTransferList::CountInState(int32_t state) const
{
    std::lock_guard lock(m_mutex);
    return static_cast<size_t>(std::count_if(m_rows.begin(), m_rows.end(),
                                             [state](const CPackedRow& row) { return RowStateOf(row.word) == state; }));
}

bool CTransferList::AllDone() const
{
    std::lock_guard lock(m_mutex);
    return std::all_of(m_rows.begin(), m_rows.end(),
                       [](const CPackedRow& row) { return RowStateOf(row.word) == kRowDone; });
}

void CTransferList::SetObserver(ITransferListObserver* observer)
{
    std::lock_guard lock(m_observerMutex);
    m_observer = observer;
}

void CTransferList::NotifyChanged(size_t first, size_t last)
{
    std::lock_guard lock(m_observerMutex);
    if (m_observer)
        m_observer->OnRowsChanged(first, last);
}

void CTransferList::NotifyCount()
{
    std::lock_guard lock(m_observerMutex);
    if (m_observer)
        m_observer->OnCountChanged();
}

} // namespace skerrow
