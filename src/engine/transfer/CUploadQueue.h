#pragma once
// What the connections of one upload pass share: the rows still to send (taken one at a time, in
// list order), the error count against its limit, the server directories of the pass, so that
// each is made once, by whichever connection comes to it first, and whether the server renames.

#include <atomic>
#include <optional>
#include <vector>

#include "list/CTransferList.h"
#include "transfer/CDirectoryClaims.h"
#include "transfer/CRenameRefusal.h"

namespace skerrow {

class CUploadQueue {
public:
    CUploadQueue(std::vector<RowId> rows, int errorLimit);
    virtual ~CUploadQueue() = default;

    const std::vector<RowId>& Rows() const { return m_rows; }
    // The next row to send; none once the rows are used up or the error limit is reached. ahead,
    // when given, receives the row that far further on (see SetLookahead), if there is one.
    std::optional<RowId> Next(std::optional<RowId>* ahead = nullptr);
    // How far ahead of the row it takes a connection looks, to make its directory in time (0: not).
    void SetLookahead(size_t rows) { m_lookahead = rows; }
    void CountError() { ++m_errors; }
    int Errors() const { return m_errors.load(); }
    int Limit() const { return m_limit; }
    bool LimitReached() const { return m_errors.load() >= m_limit; }
    // No row is left to hand out (the connections may still be sending theirs).
    bool Drained() const;

    CDirectoryClaims& Directories() { return m_directories; }
    CRenameRefusal& Renames() { return m_renames; }

private:
    const std::vector<RowId> m_rows;
    const int m_limit;
    std::atomic<size_t> m_next{0};
    std::atomic<int> m_errors{0};
    size_t m_lookahead = 0; // set before the connections start
    CDirectoryClaims m_directories;
    CRenameRefusal m_renames;
};

} // namespace skerrow
