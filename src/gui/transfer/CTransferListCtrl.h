#pragma once
// The report-style list over the engine's transfer list: a virtual wxListCtrl whose rows live in
// skerrow::CTransferList.
//
// Changes may come from any thread. Each one only widens a dirty range; the first change of a batch
// asks the UI thread to redraw once, and that redraw takes the whole batch.

#include <atomic>
#include <cstddef>
#include <mutex>

#include <wx/imaglist.h>
#include <wx/listctrl.h>

#include "list/CTransferList.h"

class CTransferListCtrl : public wxListCtrl, public skerrow::ITransferListObserver {
public:
    CTransferListCtrl(wxWindow* parent, skerrow::CTransferList& list);
    ~CTransferListCtrl() override;

    // Column titles and widths from the current language.
    void RelabelColumns();
    // Widens the "File name" column to its longest name (once after a find; never per insert).
    void FitNameColumn();
    // Carries out the pending redraw now (the UI thread does this by itself when idle).
    void Flush();
    // The selected rows, first to last.
    std::vector<size_t> SelectedRows() const;

    void OnRowsChanged(size_t first, size_t last) override;
    void OnCountChanged() override;

    // What the list shows for a row: the cell texts, and the state icon in column 0.
    wxString OnGetItemText(long item, long column) const override;
    int OnGetItemImage(long item) const override;
    int OnGetItemColumnImage(long item, long column) const override;

private:
    void CreateImages();
    void CreateColumns();
    void RequestFlush();

    skerrow::CTransferList& m_list;
    wxImageList m_images;
    std::mutex m_dirtyMutex;
    bool m_countDirty = false;
    size_t m_dirtyFirst = SIZE_MAX;
    size_t m_dirtyLast = 0;
    std::atomic<bool> m_flushPending{false};
};
