#include "list/CTransferList.h"

#include <algorithm>

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
        if (index == m_rows.size() && m_indexValid)
            m_index.emplace(id, index);
        else
            IndexChangedLocked();
        m_rows.insert(m_rows.begin() + static_cast<std::ptrdiff_t>(index),
                      CTransferRow{word, std::move(name), std::move(size), std::move(error), id});
    }
    NotifyCount();
    return index;
}

void CTransferList::DeleteAll()
{
    {
        std::lock_guard lock(m_mutex);
        m_rows.clear();
        m_index.clear();
        m_indexValid = true;
    }
    NotifyCount();
}

void CTransferList::Delete(std::vector<size_t> indices)
{
    std::sort(indices.begin(), indices.end());
    indices.erase(std::unique(indices.begin(), indices.end()), indices.end());
    {
        std::lock_guard lock(m_mutex);
        for (auto it = indices.rbegin(); it != indices.rend(); ++it) {
            if (*it < m_rows.size())
                m_rows.erase(m_rows.begin() + static_cast<std::ptrdiff_t>(*it));
        }
        IndexChangedLocked();
    }
    NotifyCount();
}

void CTransferList::Replace(std::vector<CTransferRow> rows)
{
    {
        std::lock_guard lock(m_mutex);
        m_rows = std::move(rows);
        for (CTransferRow& row : m_rows)
            row.id = ++m_nextId;
        IndexChangedLocked();
    }
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
    const CTransferRow& row = m_rows[index];
    switch (column) {
    case kColName: return row.name;
    case kColSize: return row.size;
    case kColErrors: return row.error;
    default: return std::string();
    }
}

bool CTransferList::SetText(size_t index, int column, std::string text)
{
    {
        std::lock_guard lock(m_mutex);
        if (index >= m_rows.size())
            return false;
        CTransferRow& row = m_rows[index];
        switch (column) {
        case kColName: row.name = std::move(text); break;
        case kColSize: row.size = std::move(text); break;
        case kColErrors: row.error = std::move(text); break;
        default: return false;
        }
    }
    NotifyChanged(index, index);
    return true;
}

bool CTransferList::GetRow(size_t index, CTransferRow& row) const
{
    std::lock_guard lock(m_mutex);
    if (index >= m_rows.size())
        return false;
    row = m_rows[index];
    return true;
}

std::vector<CTransferRow> CTransferList::Snapshot() const
{
    std::lock_guard lock(m_mutex);
    return m_rows;
}

std::vector<RowId> CTransferList::Ids() const
{
    std::lock_guard lock(m_mutex);
    std::vector<RowId> ids;
    ids.reserve(m_rows.size());
    for (const CTransferRow& row : m_rows)
        ids.push_back(row.id);
    return ids;
}

size_t CTransferList::IndexOfLocked(RowId id) const
{
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
    row = m_rows[index];
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
        CTransferRow& row = m_rows[index];
        row.word = WithRowState(row.word, state);
        row.error = std::move(error);
    }
    NotifyChanged(index, index);
    return true;
}

void CTransferList::ResetAll()
{
    size_t count;
    {
        std::lock_guard lock(m_mutex);
        for (CTransferRow& row : m_rows) {
            row.word = WithRowState(row.word, kRowPending);
            row.error.clear();
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
        for (CTransferRow& row : m_rows) {
            if (RowStateOf(row.word) == kRowFailed) {
                row.word = WithRowState(row.word, kRowPending);
                row.error.clear();
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
                                             [state](const CTransferRow& row) { return RowStateOf(row.word) == state; }));
}

bool CTransferList::AllDone() const
{
    std::lock_guard lock(m_mutex);
    return std::all_of(m_rows.begin(), m_rows.end(),
                       [](const CTransferRow& row) { return RowStateOf(row.word) == kRowDone; });
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
