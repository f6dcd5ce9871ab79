#pragma once
// The report-style list over the engine's transfer list: a virtual wxListCtrl whose rows live in
// skerrow::CTransferList.
//
// Changes may come from any thread. Each one only widens a dirty range; the first change of a batch
// asks the UI thread to redraw once, and that redraw takes the whole batch.
//
// Columns: the "File name" column fits the names (measured once per row, as rows arrive), but
// never takes more than half the list's width; "Errors" takes the rest. Widths the user dragged
// survive a change of language. A row's full error text shows as its tooltip, and Enter or a
// double-click opens it in a box.
//
// The selection is the list's own (CRowSelection), not wx's: the generic control looks a row's
// state up in a flat array, which made listing 50,000 selected rows of 100,000 take a second. The
// mouse and the selection keys are handled here, and selected rows are drawn through their
// attributes in the theme's selection colours.
//
// A click on a column title sorts the rows by that column (again: the other way) through
// CRowOrder; the list itself, and so a saved list, keeps its order. Items are shown positions;
// rows are the list's indices.

#include <atomic>
#include <cstddef>
#include <mutex>

#include <wx/imaglist.h>
#include <wx/listctrl.h>

#include "list/CTransferList.h"
#include "transfer/CRowOrder.h"
#include "transfer/CRowSelection.h"

class CTransferListCtrl : public wxListCtrl, public skerrow::ITransferListObserver {
public:
    CTransferListCtrl(wxWindow* parent, skerrow::CTransferList& list);
    ~CTransferListCtrl() override;

    // Column titles from the current language; a column narrower than its new title is widened,
    // no other width changes.
    void RelabelColumns();
    // Fits the columns to the rows now in the list (the redraw due does it anyway).
    void FitNameColumn();
    // The widest the "File name" column may get: half the list's width.
    int NameColumnLimit() const;
    // The tooltip of a row: its full error text ("" when it has none).
    wxString RowTip(long item) const;
    // The details box of a row, when it has an error text to show.
    void ShowRowDetails(long item);
    // Carries out the pending redraw now (the UI thread does this by itself when idle).
    void Flush();
    // Sorts the shown rows by a column, keeping the selected and focused rows; a click on a
    // column title does it, the second on the same column the other way.
    void SortBy(int column, bool ascending);
    const CRowOrder& Order() const { return m_order; }
    // The selected rows (list indices), first to last.
    std::vector<size_t> SelectedRows() const;
    size_t SelectedCount() const { return m_selection.Count(); }
    bool IsRowSelected(long item) const;
    // Rows first..last (inclusive) selected or not, as a click with Ctrl would do to each.
    void SelectRows(size_t first, size_t last, bool selected);
    // The row with the focus rectangle, or -1.
    long FocusedRow() const;

    // While a run goes the list keeps the row being sent in view, until the user scrolls it
    // elsewhere: StartFollowing at the run's start, FollowRow on each look at the progress.
    void StartFollowing();
    void FollowRow(skerrow::RowId row);
    // Selects the next Failed row after the focused one (or the previous one before it; fromStart:
    // the first one), wrapping round, and brings it into view; false when no row has failed.
    bool SelectFailed(bool forward, bool fromStart = false);

    void OnRowsChanged(size_t first, size_t last) override;
    void OnCountChanged() override;

    // What the list shows for a row: the cell texts, and the state icon in column 0.
    wxString OnGetItemText(long item, long column) const override;
    int OnGetItemImage(long item) const override;
    int OnGetItemColumnImage(long item, long column) const override;
    wxItemAttr* OnGetItemAttr(long item) const override;

private:
    void CreateImages();
    void CreateColumns();
    void RequestFlush();
    int TitleWidth(int column) const;
    bool MeasureNewRows();
    wxWindow* RowsWindow() const;
    void ApplyWidths(bool mayNarrowName);
    void OnSize(wxSizeEvent& event);
    void OnMouseMove(wxMouseEvent& event);
    void OnActivated(wxListEvent& event);
    void OnColumnClick(wxListEvent& event);
    size_t Row(long item) const;
    void OnRowClick(wxMouseEvent& event);
    void OnSelectionKey(wxKeyEvent& event);
    long KeyTarget(int keyCode) const;
    void FocusRow(long item);
    void ShowSelection(CRowSelection::Span changed);

    skerrow::CTransferList& m_list;
    wxImageList m_images;
    std::mutex m_dirtyMutex;
    bool m_countDirty = false;
    bool m_following = false;
    long m_followedTop = -1; // the top row after the list last followed; another: the user scrolled
    size_t m_dirtyFirst = SIZE_MAX;
    size_t m_dirtyLast = 0;
    std::atomic<bool> m_flushPending{false};
    // Rows measured for the name column so far, and the widest of their names; the count last
    // seen by OnCountChanged, and whether it fell (the rows were replaced: measure them all again).
    size_t m_measuredRows = 0;
    int m_widestName = 0;
    size_t m_seenCount = 0;
    bool m_remeasure = false;
    long m_tipItem = -1;
    CRowSelection m_selection;
    CRowOrder m_order;
    mutable wxItemAttr m_selectedLook;
};
