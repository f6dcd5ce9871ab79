#include "run/CUploadQueue.h"

#include <algorithm>

namespace skerrow {

CUploadQueue::CUploadQueue(std::vector<RowId> rows, int errorLimit)
    : m_rows(std::move(rows)), m_limit(std::max(1, errorLimit))
{
}

std::optional<RowId> CUploadQueue::Next()
{
    if (LimitReached())
        return std::nullopt;
    const size_t index = m_next++;
    if (index >= m_rows.size())
        return std::nullopt;
    return m_rows[index];
}

bool CUploadQueue::Drained() const
{
    return m_next.load() >= m_rows.size() || LimitReached();
}

bool CUploadQueue::IsKnownDirectory(const std::string& resolved) const
{
    std::lock_guard lock(m_knownMutex);
    return m_known.count(resolved) != 0;
}

void CUploadQueue::AddKnownDirectory(const std::string& resolved)
{
    std::lock_guard lock(m_knownMutex);
    m_known.insert(resolved);
}

} // namespace skerrow
