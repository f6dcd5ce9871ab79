#include "transfer/CRunProgress.h"

#include <algorithm>
#include <filesystem>
#include <optional>

#include "list/RowWord.h"

namespace skerrow {
namespace {

// The rate is measured over this much of the recent past, once this much of it has gone by.
constexpr auto kRateWindow = std::chrono::seconds(5);
constexpr auto kRateMinimum = std::chrono::milliseconds(500);

uint64_t LocalSize(const std::string& pcDir, const CTransferRow& row)
{
    std::error_code ec;
    const uintmax_t size = std::filesystem::file_size(row.LocalPath(pcDir), ec);
    return ec ? 0 : static_cast<uint64_t>(size);
}

} // namespace

void CRunProgress::BeginPass(Kind kind, const CTransferList& list, const std::vector<RowId>& rows,
                             const std::string& pcDir, int rowKind)
{
    std::unordered_map<RowId, uint64_t> sizes;
    uint64_t total = 0;
    CTransferRow data;
    for (RowId row : rows) {
        if (!list.GetRowById(row, data) || RowStateOf(data.word) == kRowDone || RowKindOf(data.word) != rowKind)
            continue;
        const uint64_t size = kind == Kind::Upload ? LocalSize(pcDir, data) : 0;
        sizes.emplace(row, size);
        total += size;
    }
    std::lock_guard lock(m_mutex);
    m_kind = kind;
    m_sizes = std::move(sizes);
    m_started.clear();
    m_current = 0;
    m_rowsTotal = m_sizes.size();
    m_rowsSent = 0;
    m_rowsFailed = 0;
    m_bytesTotal = total;
    m_bytesEnded = 0;
    m_currentBytes = 0;
    m_n = m_sumB = m_sumT = m_sumBB = m_sumBT = 0;
    m_fileCost = kDefaultFileCost;
    m_samples.clear();
}

void CRunProgress::FileBytes(uint64_t sent)
{
    std::lock_guard lock(m_mutex);
    m_currentBytes = sent;
}

void CRunProgress::RowStarted(RowId row, Clock::time_point now)
{
    std::lock_guard lock(m_mutex);
    if (m_sizes.count(row)) {
        m_started[row] = now;
        m_current = row;
    }
}

void CRunProgress::RowEnded(RowId row, Outcome outcome, Clock::time_point now)
{
    std::lock_guard lock(m_mutex);
    const auto found = m_sizes.find(row);
    m_currentBytes = 0;
    const auto started = m_started.find(row);
    std::optional<Clock::time_point> from;
    if (started != m_started.end()) {
        from = started->second;
        m_started.erase(started);
    }
    if (m_current == row) // another connection's row, if one is under way
        m_current = m_started.empty() ? 0 : m_started.begin()->first;
    if (found == m_sizes.end() || outcome == Outcome::Left)
        return; // Done before the pass, another kind of row, ended already, or still to do
    m_bytesEnded += found->second;
    if (outcome == Outcome::Sent) {
        ++m_rowsSent;
        if (from && m_kind == Kind::Upload)
            Measure(std::chrono::duration<double>(now - *from).count(), found->second);
    } else {
        ++m_rowsFailed;
    }
    m_sizes.erase(found);
}

void CRunProgress::Measure(double seconds, uint64_t bytes)
{
    const double b = static_cast<double>(bytes);
    m_n += 1;
    m_sumB += b;
    m_sumT += seconds;
    m_sumBB += b * b;
    m_sumBT += b * seconds;
    // seconds = fixed + bytes * perByte; the fixed time at the pass's byte rate is the file's cost.
    const double spread = m_n * m_sumBB - m_sumB * m_sumB;
    if (m_n < 3 || spread <= 1e-9 * m_sumBB * m_n)
        return; // files of one size say nothing of the rate
    const double perByte = (m_n * m_sumBT - m_sumB * m_sumT) / spread;
    const double fixed = (m_sumT - perByte * m_sumB) / m_n;
    if (perByte <= 0 || fixed < 0)
        return;
    constexpr double kMostCost = 64.0 * 1024 * 1024;
    m_fileCost = static_cast<uint64_t>(std::min(kMostCost, fixed / perByte));
}

uint64_t CRunProgress::FileCost() const
{
    std::lock_guard lock(m_mutex);
    return m_fileCost;
}

uint64_t CRunProgress::Work(uint64_t bytes, uint64_t rows) const
{
    // A delete has no bytes: each entry weighs one.
    if (m_kind != Kind::Upload)
        return rows;
    return bytes + rows * m_fileCost;
}

CRunProgressSnapshot CRunProgress::Snapshot(Clock::time_point now)
{
    std::lock_guard lock(m_mutex);
    CRunProgressSnapshot snapshot;
    snapshot.kind = m_kind;
    if (m_kind == Kind::None)
        return snapshot;
    snapshot.current = m_current;
    snapshot.rowsSent = m_rowsSent;
    snapshot.rowsFailed = m_rowsFailed;
    snapshot.rowsDone = m_rowsSent + m_rowsFailed;
    snapshot.rowsTotal = m_rowsTotal;
    snapshot.bytesTotal = m_bytesTotal;
    snapshot.bytesDone = std::min(m_bytesTotal, m_bytesEnded + m_currentBytes);
    const uint64_t done = Work(snapshot.bytesDone, snapshot.rowsDone);
    const uint64_t total = Work(m_bytesTotal, m_rowsTotal);
    snapshot.percent = total == 0 ? 100 : static_cast<int>(std::min<uint64_t>(100, done * 100 / total));
    if (snapshot.rowsDone < snapshot.rowsTotal)
        snapshot.percent = std::min(snapshot.percent, 99); // 100 only once the last row has ended
    // Samples older than the window go, but the newest of them stays as the measure's start. They
    // keep bytes and rows apart: the work they stand for is weighed with the file cost of now.
    while (m_samples.size() > 1 && now - m_samples[1].when >= kRateWindow)
        m_samples.pop_front();
    if (!m_samples.empty() && now - m_samples.front().when >= kRateMinimum) {
        const uint64_t before = Work(m_samples.front().bytes, m_samples.front().rows);
        if (done >= before) {
            const double seconds = std::chrono::duration<double>(now - m_samples.front().when).count();
            const double workRate = static_cast<double>(done - before) / seconds;
            // The rate shown is of bytes (of entries in a delete), the time left of the work.
            snapshot.rate = m_kind == Kind::Upload
                                ? static_cast<double>(snapshot.bytesDone - std::min(snapshot.bytesDone, m_samples.front().bytes)) / seconds
                                : workRate;
            if (workRate > 0)
                snapshot.secondsLeft = static_cast<int64_t>(static_cast<double>(total - done) / workRate + 0.5);
        }
    }
    if (m_samples.empty() || m_samples.back().when != now)
        m_samples.push_back({now, snapshot.bytesDone, snapshot.rowsDone});
    return snapshot;
}

} // namespace skerrow
