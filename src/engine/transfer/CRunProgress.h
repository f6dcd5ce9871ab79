#pragma once
// How far a pass has come: rows handled of the rows to do, bytes sent of the bytes to send, the
// current rate and the time left. The pass feeds it (any thread, a few calls per file); the window
// reads a snapshot on a timer, so a pass of 100,000 small files costs the window nothing per file.
// Each run has its own: a run set aside by the stop timer goes on feeding one nobody reads.

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
    uint64_t rowsDone = 0;
    uint64_t rowsTotal = 0;
    uint64_t bytesDone = 0;
    uint64_t bytesTotal = 0;
    // Bytes per second over the last few seconds (rows per second when there are no bytes to count,
    // as in a delete); 0 while not known.
    double rate = 0;
    // -1 while not known.
    int64_t secondsLeft = -1;
    int percent = 0;
};

class CRunProgress {
public:
    using Clock = std::chrono::steady_clock;
    using Kind = CRunProgressSnapshot::Kind;

    virtual ~CRunProgress() = default;

    // A pass over rows begins; the rows already Done are not counted. An upload measures the
    // local files below pcDir (a file that cannot be read counts 0 bytes).
    void BeginPass(Kind kind, const CTransferList& list, const std::vector<RowId>& rows, const std::string& pcDir);
    // Bytes of the current file the server has taken so far.
    void FileBytes(uint64_t sent);
    // The pass is done with row (sent, deleted, failed or skipped).
    void RowEnded(RowId row);

    // The figures now; the rate is measured between the snapshots of the last few seconds.
    CRunProgressSnapshot Snapshot(Clock::time_point now);

private:
    uint64_t WorkDone() const;
    uint64_t WorkTotal() const;

    mutable std::mutex m_mutex;
    Kind m_kind = Kind::None;
    std::unordered_map<RowId, uint64_t> m_sizes; // rows still to do, with their bytes
    uint64_t m_rowsDone = 0;
    uint64_t m_rowsTotal = 0;
    uint64_t m_bytesTotal = 0;
    uint64_t m_bytesEnded = 0;   // bytes of the rows ended
    uint64_t m_currentBytes = 0; // of the file being sent
    std::deque<std::pair<Clock::time_point, uint64_t>> m_samples;
};

} // namespace skerrow
