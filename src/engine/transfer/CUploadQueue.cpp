#include "transfer/CUploadQueue.h"

#include <algorithm>

namespace skerrow {

CUploadQueue::CUploadQueue(std::vector<RowId> rows, int errorLimit)
    : m_rows(std::move(rows)), m_limit(std::max(1, errorLimit))
{
}

std::optional<RowId> CUploadQueue::Next(std::optional<RowId>* ahead)
{
    if (ahead)
        ahead->reset();
    if (LimitReached())
        return std::nullopt;
    const size_t index = m_next++;
    if (index >= m_rows.size())
        return std::nullopt;
    if (ahead && m_lookahead > 0 && index + m_lookahead < m_rows.size())
        *ahead = m_rows[index + m_lookahead];
    return m_rows[index];
}

bool CUploadQueue::Drained() const
{
    return m_next.load() >= m_rows.size() || LimitReached();
}

} // namespace skerrow
