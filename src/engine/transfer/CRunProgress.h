#pragma once
// How far a pass has come: rows sent (or deleted), failed and still to go, bytes sent of the bytes
// to send, the current rate and the time left. The pass feeds it (any thread, a few calls per
// file); the window reads a snapshot on a timer, so a pass of 100,000 small files costs the window
// nothing per file. Each run has its own: a run set aside by the stop timer goes on feeding one
// nobody reads.
//
// An upload weighs each file by its bytes plus a cost of its own (the commands around it), in
// bytes: many small files are not free. That cost is measured from the pass itself, by fitting
// each file's time to "a fixed time plus its bytes at the pass's rate"; until the files tell, a
// default stands. The percentage never reaches 100 before the last row has ended.

#include <chrono>
#include <cstdint>
#include <deque>
#include <mutex>
#include <string>
#include <unordered_map>
#include <vector>

#include "list/CTransferList.h"

namespace skerrow {

struct CRunProgressSnapshot {
    enum class Kind { None, Upload, Delete };
    Kind kind = Kind::None;
    uint64_t rowsDone = 0;   // ended: rowsSent + rowsFailed
    uint64_t rowsSent = 0;   // sent, or deleted
    uint64_t rowsFailed = 0;
    uint64_t rowsTotal = 0;
    uint64_t bytesDone = 0;
    uint64_t bytesTotal = 0;
    // Bytes per second over the last few seconds (rows per second when there are no bytes to count,
    // as in a delete); 0 while not known.
    double rate = 0;
    // -1 while not known.
    int64_t secondsLeft = -1;
    int percent = 0;
    // The row a connection took last and has not ended (the window keeps it in view); 0: none.
    RowId current = 0;
};

class CRunProgress {
public:
    using Clock = std::chrono::steady_clock;
    using Kind = CRunProgressSnapshot::Kind;

    virtual ~CRunProgress() = default;

    // The cost of a file before the pass has measured one: the bytes a file's commands are worth.
    static constexpr uint64_t kDefaultFileCost = 16 * 1024;

    // A pass over the rows of rowKind begins; the rows already Done, and rows of other kinds (the
    // leftovers listed beside the files to send), are not counted. An upload measures the local
    // files below pcDir (a file that cannot be read counts 0 bytes).
    void BeginPass(Kind kind, const CTransferList& list, const std::vector<RowId>& rows, const std::string& pcDir,
                   int rowKind);
    // Bytes of the current file the server has taken so far.
    void FileBytes(uint64_t sent);
    // A connection takes row: its time runs from now.
    void RowStarted(RowId row, Clock::time_point now = Clock::now());
    // The pass is done with row: sent (or deleted), failed, or left (a row Stop cut short goes back
    // to the rows to do, and so does a row the pass skipped).
    enum class Outcome { Sent, Failed, Left };
    void RowEnded(RowId row, Outcome outcome, Clock::time_point now = Clock::now());
    // The bytes a file's own cost is worth now.
    uint64_t FileCost() const;

    // The figures now; the rate is measured between the snapshots of the last few seconds.
    CRunProgressSnapshot Snapshot(Clock::time_point now);

private:
    struct Sample {
        Clock::time_point when;
        uint64_t bytes;
        uint64_t rows;
    };
    uint64_t Work(uint64_t bytes, uint64_t rows) const;
    void Measure(double seconds, uint64_t bytes);

    mutable std::mutex m_mutex;
    Kind m_kind = Kind::None;
    std::unordered_map<RowId, uint64_t> m_sizes; // rows still to do, with their bytes
    std::unordered_map<RowId, Clock::time_point> m_started;
    RowId m_current = 0;
    uint64_t m_rowsSent = 0;
    uint64_t m_rowsFailed = 0;
    uint64_t m_rowsTotal = 0;
    uint64_t m_bytesTotal = 0;
    uint64_t m_bytesEnded = 0;   // bytes of the rows ended
    uint64_t m_currentBytes = 0; // of the file being sent
    // Sums for the least-squares fit of a file's seconds against its bytes.
    double m_n = 0, m_sumB = 0, m_sumT = 0, m_sumBB = 0, m_sumBT = 0;
    uint64_t m_fileCost = kDefaultFileCost;
    std::deque<Sample> m_samples;
};

} // namespace skerrow
