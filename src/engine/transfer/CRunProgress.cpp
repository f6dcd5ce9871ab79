#include "transfer/CRunProgress.h"

#include <algorithm>
#include <filesystem>

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
                             const std::string& pcDir)
{
    std::unordered_map<RowId, uint64_t> sizes;
    uint64_t total = 0;
    CTransferRow data;
    for (RowId row : rows) {
        if (!list.GetRowById(row, data) || RowStateOf(data.word) == kRowDone)
            continue;
        const uint64_t size = kind == Kind::Upload ? LocalSize(pcDir, data) : 0;
        sizes.emplace(row, size);
        total += size;
    }
    std::lock_guard lock(m_mutex);
    m_kind = kind;
    m_sizes = std::move(sizes);
    m_rowsTotal = m_sizes.size();
    m_rowsDone = 0;
    m_bytesTotal = total;
    m_bytesEnded = 0;
    m_currentBytes = 0;
    m_samples.clear();
}

void CRunProgress::FileBytes(uint64_t sent)
{
    std::lock_guard lock(m_mutex);
    m_currentBytes = sent;
}

void CRunProgress::RowEnded(RowId row)
{
    std::lock_guard lock(m_mutex);
    const auto found = m_sizes.find(row);
    m_currentBytes = 0;
    if (found == m_sizes.end())
        return; // Done before the pass, or ended already
    m_bytesEnded += found->second;
    ++m_rowsDone;
    m_sizes.erase(found);
}

uint64_t CRunProgress::WorkDone() const
{
    if (m_bytesTotal == 0)
        return m_rowsDone;
    return std::min(m_bytesTotal, m_bytesEnded + m_currentBytes);
}

uint64_t CRunProgress::WorkTotal() const
{
    return m_bytesTotal == 0 ? m_rowsTotal : m_bytesTotal;
}

CRunProgressSnapshot CRunProgress::Snapshot(Clock::time_point now)
{
    std::lock_guard lock(m_mutex);
    CRunProgressSnapshot snapshot;
    snapshot.kind = m_kind;
    if (m_kind == Kind::None)
        return snapshot;
    snapshot.rowsDone = m_rowsDone;
    snapshot.rowsTotal = m_rowsTotal;
    snapshot.bytesTotal = m_bytesTotal;
    snapshot.bytesDone = std::min(m_bytesTotal, m_bytesEnded + m_currentBytes);
    const uint64_t done = WorkDone();
    const uint64_t total = WorkTotal();
    snapshot.percent = total == 0 ? 100 : static_cast<int>(done * 100 / total);
    // Samples older than the window go, but the newest of them stays as the measure's start.
    while (m_samples.size() > 1 && now - m_samples[1].first >= kRateWindow)
        m_samples.pop_front();
    if (!m_samples.empty() && now - m_samples.front().first >= kRateMinimum && done >= m_samples.front().second) {
        const double seconds = std::chrono::duration<double>(now - m_samples.front().first).count();
        snapshot.rate = static_cast<double>(done - m_samples.front().second) / seconds;
        if (snapshot.rate > 0)
            snapshot.secondsLeft = static_cast<int64_t>(static_cast<double>(total - done) / snapshot.rate + 0.5);
    }
    if (m_samples.empty() || m_samples.back().first != now)
        m_samples.emplace_back(now, done);
    return snapshot;
}

} // namespace skerrow
