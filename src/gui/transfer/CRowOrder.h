#pragma once
// The order the transfer list shows its rows in, when the user sorted it by a column: a view of
// the list, never the list's own order (a saved list keeps the order the rows were found in).
//
// Shown positions ("items") map to list indices and back. The order is worked out when the user
// asks for it and again when the number of rows changes; a row whose state changes meanwhile stays
// where it is until the next sort. Plain C++: the list control asks it on the UI thread only.

#include <cstddef>
#include <vector>

namespace skerrow {
class CTransferList;
}

class CRowOrder {
public:
    // Sorts by a column (kColStatus: failed first, then pending files, entries to delete, done;
    // kColSize: by the figure; the texts without regard to case), rows that compare equal in list
    // order. Descending reverses the comparison, not the ties.
    void SortBy(const skerrow::CTransferList& list, int column, bool ascending);
    // The same column and direction over the rows the list holds now.
    void Resort(const skerrow::CTransferList& list);
    // Back to the list's own order.
    void Clear();

    bool Sorted() const { return m_column >= 0; }
    int Column() const { return m_column; }
    bool Ascending() const { return m_ascending; }

    // The list index shown at an item, and the item that shows a list index (both as they are
    // when unsorted, and past the end for one the order does not hold).
    size_t RowAt(size_t item) const;
    size_t ItemOf(size_t row) const;

private:
    int m_column = -1;
    bool m_ascending = true;
    std::vector<size_t> m_rows;  // item -> list index
    std::vector<size_t> m_items; // list index -> item
};
