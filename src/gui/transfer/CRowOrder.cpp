#include "transfer/CRowOrder.h"

#include <algorithm>
#include <cctype>
#include <numeric>
#include <string>

#include "list/CTransferList.h"
#include "list/RowWord.h"

using namespace skerrow;

namespace {

// Failed rows first: after a run they are what the user looks for.
int StateRank(int32_t word)
{
    switch (RowStateOf(word)) {
    case kRowFailed: return 0;
    case kRowDone: return 3;
    default: return IsServerEntry(word) ? 2 : 1;
    }
}

// The figure of a Size cell ("1,024" or "1.024" in other languages); -1 for none.
long long SizeFigure(const std::string& text)
{
    long long value = -1;
    for (const char c : text) {
        if (c >= '0' && c <= '9')
            value = std::max(value, 0LL) * 10 + (c - '0');
    }
    return value;
}

std::string Folded(std::string text)
{
    for (char& c : text)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

} // namespace

void CRowOrder::SortBy(const CTransferList& list, int column, bool ascending)
{
    m_column = column;
    m_ascending = ascending;
    const std::vector<CTransferRow> rows = list.Snapshot();
    // One key per row, taken once: the comparison must not go back to the list.
    std::vector<long long> figures(rows.size());
    std::vector<std::string> texts(rows.size());
    for (size_t i = 0; i < rows.size(); ++i) {
        if (column == kColStatus)
            figures[i] = StateRank(rows[i].word);
        else if (column == kColSize)
            figures[i] = SizeFigure(rows[i].size);
        else
            texts[i] = Folded(column == kColName ? rows[i].name : rows[i].error);
    }
    m_rows.resize(rows.size());
    std::iota(m_rows.begin(), m_rows.end(), size_t{0});
    const auto less = [&](size_t a, size_t b) {
        return figures[a] != figures[b] ? figures[a] < figures[b] : texts[a] < texts[b];
    };
    std::stable_sort(m_rows.begin(), m_rows.end(),
                     [&](size_t a, size_t b) { return ascending ? less(a, b) : less(b, a); });
    m_items.assign(rows.size(), 0);
    for (size_t item = 0; item < m_rows.size(); ++item)
        m_items[m_rows[item]] = item;
}

void CRowOrder::Resort(const CTransferList& list)
{
    if (Sorted())
        SortBy(list, m_column, m_ascending);
}

void CRowOrder::Clear()
{
    m_column = -1;
    m_rows.clear();
    m_items.clear();
}

size_t CRowOrder::RowAt(size_t item) const
{
    return !Sorted() ? item : item < m_rows.size() ? m_rows[item] : SIZE_MAX;
}

size_t CRowOrder::ItemOf(size_t row) const
{
    return !Sorted() ? row : row < m_items.size() ? m_items[row] : SIZE_MAX;
}
