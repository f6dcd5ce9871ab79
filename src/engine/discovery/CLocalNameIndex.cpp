#include "discovery/CLocalNameIndex.h"

#include <cerrno>
#include <ctime>
#include <dirent.h>

#include "discovery/CCaseFold.h"

namespace skerrow {

namespace {

// A change this close before the reading may share its timestamp with a change just after it.
constexpr std::time_t kStampSlack = 2;

std::string Join(const std::string& directory, const std::string& name)
{
    return directory.empty() || directory.back() == '/' ? directory + name : directory + "/" + name;
}

bool SameStamp(const struct stat& a, const struct stat& b)
{
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino && a.st_mtim.tv_sec == b.st_mtim.tv_sec &&
           a.st_mtim.tv_nsec == b.st_mtim.tv_nsec && a.st_ctim.tv_sec == b.st_ctim.tv_sec &&
           a.st_ctim.tv_nsec == b.st_ctim.tv_nsec;
}

} // namespace

CLocalNameIndex::CLocalNameIndex(Freshness freshness, Reader reader)
    : m_freshness(freshness), m_reader(std::move(reader))
{
}

void CLocalNameIndex::SetStopCheck(std::function<bool()> stopped)
{
    const std::lock_guard<std::mutex> lock(m_mutex);
    m_stopped = std::move(stopped);
}

CLocalNameIndex::Found CLocalNameIndex::Find(const std::string& directory, const std::string& name,
                                             std::vector<std::string>& matches)
{
    matches.clear();
    const std::lock_guard<std::mutex> lock(m_mutex);
    if (m_freshness == Freshness::Checked) {
        struct stat info {};
        if (::lstat(Join(directory, name).c_str(), &info) == 0) {
            matches.push_back(name);
            return Found::Yes;
        }
    }
    const Snapshot& snapshot = SnapshotOf(directory);
    switch (snapshot.read) {
    case Read::Missing: return Found::No;
    case Read::Unreadable: return Found::Unsure;
    case Read::Listed: break;
    }
    if (snapshot.exact.count(name) != 0) {
        matches.push_back(name);
        return Found::Yes;
    }
    const auto alike = snapshot.folded.find(CCaseFold::Fold(name));
    if (alike == snapshot.folded.end())
        return Found::No;
    matches = alike->second;
    return Found::Yes;
}

const CLocalNameIndex::Snapshot& CLocalNameIndex::SnapshotOf(const std::string& directory)
{
    std::unique_ptr<Snapshot>& kept = m_directories[directory];
    if (kept && (m_freshness == Freshness::ReadOnce || StillFresh(directory, *kept)))
        return *kept;
    kept = std::make_unique<Snapshot>(Take(directory));
    return *kept;
}

bool CLocalNameIndex::StillFresh(const std::string& directory, const Snapshot& snapshot) const
{
    struct stat now {};
    return snapshot.read != Read::Unreadable && snapshot.trusted && ::stat(directory.c_str(), &now) == 0 &&
           SameStamp(now, snapshot.stamp);
}

CLocalNameIndex::Snapshot CLocalNameIndex::Take(const std::string& directory) const
{
    Snapshot snapshot;
    const std::time_t start = std::time(nullptr);
    const bool stamped = ::stat(directory.c_str(), &snapshot.stamp) == 0;
    snapshot.trusted = stamped && snapshot.stamp.st_mtim.tv_sec + kStampSlack < start &&
                       snapshot.stamp.st_ctim.tv_sec + kStampSlack < start;
    std::vector<std::string> names;
    snapshot.read = m_reader(directory, names, m_stopped);
    if (snapshot.read != Read::Listed)
        return snapshot;
    for (std::string& name : names) {
        snapshot.folded[CCaseFold::Fold(name)].push_back(name);
        snapshot.exact.insert(std::move(name));
    }
    return snapshot;
}

CLocalNameIndex::Read CLocalNameIndex::ReadDirectory(const std::string& directory, std::vector<std::string>& names,
                                                     const std::function<bool()>& stopped)
{
    DIR* dir = ::opendir(directory.c_str());
    if (!dir)
        return errno == ENOENT || errno == ENOTDIR ? Read::Missing : Read::Unreadable;
    Read read = Read::Listed;
    for (size_t count = 0;; ++count) {
        if (count % 256 == 0 && stopped && stopped()) {
            read = Read::Unreadable;
            break;
        }
        errno = 0;
        const dirent* entry = ::readdir(dir);
        if (!entry) {
            if (errno != 0)
                read = Read::Unreadable; // a listing cut short is no listing
            break;
        }
        const char* name = entry->d_name;
        if (name[0] == '.' && (name[1] == '\0' || (name[1] == '.' && name[2] == '\0')))
            continue;
        names.emplace_back(name);
    }
    ::closedir(dir);
    return read;
}

} // namespace skerrow
