#pragma once
// What the connections of one delete pass share: the rows to delete, handed out in list order, but
// for a directory, which waits until every row of an entry directly inside it has been dealt with
// (deleted, or failed: the directory's own RMD then fails with the server's reply, as it would on
// one connection); and the error count against its limit. On one connection, over a walk's rows
// (each directory after its contents), the rows come exactly in list order.

#include <condition_variable>
#include <cstddef>
#include <functional>
#include <mutex>
#include <optional>
#include <unordered_map>
#include <vector>

#include "list/CTransferList.h"

namespace skerrow {

class CDeletePlan;

class CDeleteQueue {
public:
    // The rows of list as they are now; those of the plan's kind that are not Done are its entries.
    CDeleteQueue(const CTransferList& list, const CDeletePlan& plan, int errorLimit);
    virtual ~CDeleteQueue() = default;
    CDeleteQueue(const CDeleteQueue&) = delete;
    CDeleteQueue& operator=(const CDeleteQueue&) = delete;

    const std::vector<RowId>& Rows() const { return m_rows; }
    // The next row; waits while the rows left are directories whose entries other connections are
    // still deleting. None once every row is handed out, the error limit is reached, the pass was
    // given up, or stopped() says so.
    std::optional<RowId> Next(const std::function<bool()>& stopped);
    // The caller is done with a row it was handed; errors: the failures it counted for it.
    void Done(RowId row, int errors);
    // No row is handed out any more (a connection's thread met a fault).
    void GiveUp();

    int Errors() const;
    int Limit() const { return m_limit; }
    bool LimitReached() const { return Errors() >= m_limit; }

private:
    // Finds the directory row that holds each entry, and counts each directory's entries.
    void LinkEntries(const CTransferList& list, const CDeletePlan& plan);
    // Under the lock: whether a row is ready, waiting for nothing.
    std::optional<size_t> Ready();

    const std::vector<RowId> m_rows;
    const int m_limit;
    std::unordered_map<RowId, size_t> m_index;
    std::vector<std::optional<size_t>> m_parent; // the row of the directory that holds each row's entry
    std::vector<int> m_inside;                   // a directory's rows of entries not yet dealt with
    std::vector<bool> m_passed;                  // a directory passed over while it waited

    mutable std::mutex m_mutex;
    std::condition_variable m_changed;
    size_t m_next = 0;
    std::vector<size_t> m_released; // directories passed over whose entries are all dealt with now
    int m_busy = 0;                 // rows handed out and not done
    int m_errors = 0;
    bool m_givenUp = false;
};

} // namespace skerrow
