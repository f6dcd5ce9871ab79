#include "transfer/CRowSelection.h"

#include <algorithm>
#include <iterator>

namespace {

const CRowSelection::Span kNothing{1, 0};

CRowSelection::Span Both(CRowSelection::Span a, CRowSelection::Span b)
{
    if (a.first > a.last)
        return b;
    if (b.first > b.last)
        return a;
    return {std::min(a.first, b.first), std::max(a.last, b.last)};
}

} // namespace

CRowSelection::Span CRowSelection::Set(size_t first, size_t last, bool selected)
{
    if (first > last)
        return kNothing;
    const size_t end = last + 1;
    // Every run that overlaps first..last, or touches it when runs are to be joined.
    auto from = m_runs.upper_bound(first);
    if (from != m_runs.begin() && std::prev(from)->second >= first + (selected ? 0 : 1))
        --from;
    auto to = m_runs.lower_bound(selected ? end + 1 : end);
    size_t joinedFirst = first;
    size_t joinedEnd = end;
    for (auto run = from; run != to; ++run) {
        m_count -= run->second - run->first;
        joinedFirst = std::min(joinedFirst, run->first);
        joinedEnd = std::max(joinedEnd, run->second);
    }
    m_runs.erase(from, to);
    if (selected) {
        m_runs.emplace(joinedFirst, joinedEnd);
        m_count += joinedEnd - joinedFirst;
    } else {
        if (joinedFirst < first) {
            m_runs.emplace(joinedFirst, first);
            m_count += first - joinedFirst;
        }
        if (joinedEnd > end) {
            m_runs.emplace(end, joinedEnd);
            m_count += joinedEnd - end;
        }
    }
    return {first, last};
}

bool CRowSelection::Contains(size_t row) const
{
    auto run = m_runs.upper_bound(row);
    return run != m_runs.begin() && std::prev(run)->second > row;
}

std::vector<size_t> CRowSelection::Rows() const
{
    std::vector<size_t> rows;
    rows.reserve(m_count);
    for (const auto& [first, end] : m_runs) {
        for (size_t row = first; row < end; ++row)
            rows.push_back(row);
    }
    return rows;
}

CRowSelection::Span CRowSelection::Clear()
{
    if (m_runs.empty())
        return kNothing;
    const Span was{m_runs.begin()->first, std::prev(m_runs.end())->second - 1};
    m_runs.clear();
    m_count = 0;
    return was;
}

CRowSelection::Span CRowSelection::Reset()
{
    m_anchor = 0;
    return Clear();
}

CRowSelection::Span CRowSelection::SelectAll(size_t count)
{
    if (count == 0)
        return Clear();
    return Set(0, count - 1, true);
}

CRowSelection::Span CRowSelection::Toggle(size_t row)
{
    m_anchor = row;
    return Set(row, row, !Contains(row));
}

CRowSelection::Span CRowSelection::Range(size_t row, bool add)
{
    const Span cleared = add ? kNothing : Clear();
    const Span added = Set(std::min(m_anchor, row), std::max(m_anchor, row), true);
    return Both(cleared, added);
}

CRowSelection::Span CRowSelection::Click(size_t row, bool ctrl, bool shift)
{
    if (shift)
        return Range(row, ctrl);
    if (ctrl)
        return Toggle(row);
    m_anchor = row;
    const Span cleared = Clear();
    const Span added = Set(row, row, true);
    return Both(cleared, added);
}

CRowSelection::Span CRowSelection::MoveTo(size_t row, bool ctrl, bool shift)
{
    if (ctrl && !shift)
        return kNothing;
    return Click(row, ctrl, shift);
}
