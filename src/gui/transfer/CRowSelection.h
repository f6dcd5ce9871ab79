#pragma once
// The rows the user has selected in the transfer list, held as runs of consecutive rows, so that
// selecting, asking and listing cost no more than the number of runs: a Shift+click over half a
// million rows is one run, and the Delete key lists 50,000 scattered rows at once.
//
// It also keeps the anchor of the selection and carries the usual meaning of a click or a move of
// the focused row with Ctrl and Shift held:
//   plain          the row alone, which becomes the anchor;
//   Ctrl           a click toggles the row and makes it the anchor; a move only moves the focus;
//   Shift          the rows from the anchor to the row, alone;
//   Ctrl+Shift     the rows from the anchor to the row, added to the selection.
// Plain C++: the list control maps its mouse and keys onto it.

#include <cstddef>
#include <map>
#include <vector>

class CRowSelection {
public:
    struct Span {
        size_t first; // the rows whose view changed, inclusive; first > last when none did
        size_t last;
    };

    // A click on a row, and the focused row moved by a key to a row.
    Span Click(size_t row, bool ctrl, bool shift);
    Span MoveTo(size_t row, bool ctrl, bool shift);
    // Space on the focused row: it changes state and becomes the anchor.
    Span Toggle(size_t row);
    Span SelectAll(size_t count);
    Span Clear();
    // For a list whose rows were replaced: nothing selected, the anchor back on the first row.
    Span Reset();
    // Rows first..last (inclusive) selected or not, the anchor left where it is.
    Span Set(size_t first, size_t last, bool selected);

    bool Contains(size_t row) const;
    size_t Count() const { return m_count; }
    // The selected rows, first to last.
    std::vector<size_t> Rows() const;

private:
    Span Range(size_t row, bool add);

    // First row of each run -> one past its last row. Runs never touch nor overlap.
    std::map<size_t, size_t> m_runs;
    size_t m_count = 0;
    size_t m_anchor = 0;
};
