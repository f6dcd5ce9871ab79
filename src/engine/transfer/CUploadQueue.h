#pragma once
// What the connections of one upload pass share: the rows still to send (taken one at a time, in
// list order), the error count against its limit, the server directories of the pass, so that
// each is made once, by whichever connection comes to it first, and whether the server renames.
//
// A row whose try failed for a reason that may pass comes back after a pause, to whichever
// connection asks next once the pause is over; a connection that finds only such rows left waits
// for the first of them (and no longer than the run's Stop).
//
// The queue knows how many connections take part: one the server will not let log in again gives
// its row back untried and leaves, unless it is the last one; the last one may end the pass.

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <optional>
#include <unordered_map>
#include <vector>

#include "list/CTransferList.h"
#include "transfer/CDirectoryClaims.h"
#include "transfer/CRenameRefusal.h"

namespace skerrow {

class CUploadQueue {
public:
    using Clock = std::chrono::steady_clock;

    CUploadQueue(std::vector<RowId> rows, int errorLimit);
    virtual ~CUploadQueue() = default;

    const std::vector<RowId>& Rows() const { return m_rows; }
    // The next row to send: a row to try again whose pause is over, else the next of the list; none
    // once all are used up, the error limit is reached or stopped() says so. ahead, when given,
    // receives the row that far further on in the list (see SetLookahead), if there is one.
    std::optional<RowId> Next(std::optional<RowId>* ahead = nullptr, const std::function<bool()>& stopped = {});
    // How far ahead of the row it takes a connection looks, to make its directory in time (0: not).
    void SetLookahead(size_t rows) { m_lookahead = rows; }
    // A try of row failed (why: the reason in a line) and may pass later: it is handed out again
    // once pause is over.
    void Retry(RowId row, std::chrono::milliseconds pause, std::string why);
    // How many times row has been handed out, and why its last try that failed did ("" for none).
    int TriesOf(RowId row) const;
    // A connection could not try row (its login was refused): row goes back, first in line, and
    // the hand-out does not count as a try.
    void GiveBack(RowId row);
    // A connection takes part in the pass (Join) until it leaves; LeaveUnlessLast leaves only
    // while another one takes part, and says whether it left.
    void Join();
    void Leave();
    bool LeaveUnlessLast();
    // No connection can go on: no row is handed out any more (those left stay as they are).
    void Close();
    bool Closed() const;
    std::string LastFailure(RowId row) const;
    // Why each of its tries that failed did, the first first.
    std::vector<std::string> Failures(RowId row) const;
    void CountError() { ++m_errors; }
    int Errors() const { return m_errors.load(); }
    int Limit() const { return m_limit; }
    bool LimitReached() const { return m_errors.load() >= m_limit; }
    // No row is left to hand out, now or after a pause (the connections may still be sending theirs).
    bool Drained() const;

    CDirectoryClaims& Directories() { return m_directories; }
    CRenameRefusal& Renames() { return m_renames; }

private:
    struct Waiting {
        RowId row;
        Clock::time_point due;
    };
    std::optional<RowId> HandOut(RowId row);

    const std::vector<RowId> m_rows;
    const int m_limit;
    std::atomic<int> m_errors{0};
    size_t m_lookahead = 0; // set before the connections start
    mutable std::mutex m_mutex;
    std::condition_variable m_changed;
    size_t m_next = 0;
    int m_members = 0;     // the connections taking part
    bool m_closed = false;
    std::vector<Waiting> m_waiting; // rows to try again, in the order they failed
    std::unordered_map<RowId, int> m_tries;
    std::unordered_map<RowId, std::vector<std::string>> m_failures;
    CDirectoryClaims m_directories;
    CRenameRefusal m_renames;
};

} // namespace skerrow
