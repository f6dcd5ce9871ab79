#pragma once
// What the connections of one upload pass share: the rows still to send (taken one at a time, in
// list order), the error count against its limit, and the directories known to exist on the server,
// so that each is made once, by whichever connection needs it first.

#include <atomic>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "list/CTransferList.h"

namespace skerrow {

class CUploadQueue {
public:
    CUploadQueue(std::vector<RowId> rows, int errorLimit);
    virtual ~CUploadQueue() = default;

    const std::vector<RowId>& Rows() const { return m_rows; }
    // The next row to send; none once the rows are used up or the error limit is reached.
    std::optional<RowId> Next();
    void CountError() { ++m_errors; }
    int Errors() const { return m_errors.load(); }
    int Limit() const { return m_limit; }
    bool LimitReached() const { return m_errors.load() >= m_limit; }
    // No row is left to hand out (the connections may still be sending theirs).
    bool Drained() const;

    bool IsKnownDirectory(const std::string& resolved) const;
    void AddKnownDirectory(const std::string& resolved);
    // Held by a connection while it checks or makes a directory that is not known yet.
    std::mutex& DirectoryMutex() { return m_directoryMutex; }

private:
    const std::vector<RowId> m_rows;
    const int m_limit;
    std::atomic<size_t> m_next{0};
    std::atomic<int> m_errors{0};
    mutable std::mutex m_knownMutex;
    std::set<std::string> m_known;
    std::mutex m_directoryMutex;
};

} // namespace skerrow
