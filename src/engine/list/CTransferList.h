#pragma once
// The transfer list: one row per file to upload or FTP entry to delete.
//
// The rows live here, guarded by a mutex, so the walks and the passes on a worker thread and the
// window on the UI thread can all reach them. The window shows them through a virtual list control
// and hears of changes through the observer, which is called on the thread that made the change,
// after the lock is released. Rows are held packed (CPackedRow), so a list of a million rows stays
// small, and the changes that touch many rows (Delete, Replace, Re-set) take one pass over them.

#include <cstddef>
#include <cstdint>
#include <mutex>
#include <string>
#include <unordered_map>
#include <vector>

#include "list/CPackedRow.h"
#include "list/CTransferRow.h"

namespace skerrow {

class ITransferListObserver {
public:
    virtual ~ITransferListObserver() = default;
    // Rows first..last (inclusive) changed in place.
    virtual void OnRowsChanged(size_t first, size_t last) = 0;
    // Rows were inserted or deleted: the count may have changed.
    virtual void OnCountChanged() = 0;
};

class CTransferList {
public:
    virtual ~CTransferList() = default;

    size_t Count() const;

    // Inserts a row at index (clamped to the end); returns the index it got.
    size_t Insert(size_t index, int32_t word, std::string name, std::string size, std::string error = {});
    void DeleteAll();
    // Deletes the rows at the given indices (any order, duplicates and indices past the end
    // ignored) in one pass; the others keep their order and their ids.
    void Delete(std::vector<size_t> indices);
    // Replaces every row at once (opening a saved list); the rows get new ids.
    void Replace(std::vector<CTransferRow> rows);
    void Replace(std::vector<CPackedRow> rows);

    // Row access; false or "" when the row no longer exists (another thread deleted it).
    bool GetWord(size_t index, int32_t& word) const;
    bool SetWord(size_t index, int32_t word);
    std::string GetText(size_t index, int column) const;
    bool SetText(size_t index, int column, std::string text);
    bool GetRow(size_t index, CTransferRow& row) const;
    std::vector<CTransferRow> Snapshot() const;
    // The same, packed: about a third of the memory for a long list (saving it).
    std::vector<CPackedRow> PackedSnapshot() const;

    // The `count` longest File name texts (by bytes), longest first: what a column that fits its
    // names needs to measure, without copying every row.
    std::vector<std::string> LongestNames(size_t count) const;

    // The ids of every row, in list order.
    std::vector<RowId> Ids() const;
    // Row access by id; false when no row has that id any more.
    bool GetRowById(RowId id, CTransferRow& row) const;
    // Where the row with that id stands now; std::string::npos when it is gone.
    size_t IndexOf(RowId id) const;
    // The one place a pass changes a row: its state (the kind is kept) and its Errors cell.
    bool SetRowState(RowId id, int32_t state, std::string error);

    // Pending again with the kind kept and the Errors cell emptied, for every row (Re-set) or only
    // for the Failed rows (Transfer/Delete).
    void ResetAll();
    void ResetFailed();
    size_t CountInState(int32_t state) const;
    // True when every row is Done (also for an empty list).
    bool AllDone() const;

    void SetObserver(ITransferListObserver* observer);

private:
    void NotifyChanged(size_t first, size_t last);
    void NotifyCount();
    // Index of the row with this id, or npos; the lock is held.
    size_t IndexOfLocked(RowId id) const;
    // Rows moved: the id-to-index map is rebuilt when next needed (only while ids are out of order).
    void IndexChangedLocked() { m_indexValid = false; }
    // Every row has a new id, in list order.
    void RenumberLocked();

    mutable std::mutex m_mutex;
    std::vector<CPackedRow> m_rows;
    RowId m_nextId = 0;
    // Ids grow down the list unless a row was inserted before others; while they do, a row is found
    // by a binary search and no map is kept.
    bool m_idsAscending = true;
    // Id to index when the ids are out of order, rebuilt after a change that moves rows.
    mutable std::unordered_map<RowId, size_t> m_index;
    mutable bool m_indexValid = false;
    std::mutex m_observerMutex;
    ITransferListObserver* m_observer = nullptr;
};

} // namespace skerrow
