#pragma once
// The names in the directories of the PC folder, each directory read once and kept by exact name
// and by folded letter case (CCaseFold), for the look-ups of a walk that asks about thousands of
// server entries of one directory.
//
// A walk's index (ReadOnce) keeps what it read for as long as it lives. A delete pass's (Checked)
// looks an exact name up afresh on every call, and reads a directory again whenever its timestamps
// changed since, or were so close to the reading that a later change may not show in them. A
// directory that cannot be read, or whose reading was stopped, answers Unsure, and is read again
// the next time only in a Checked index. Safe for several threads.

#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <sys/stat.h>
#include <unordered_map>
#include <unordered_set>
#include <vector>

namespace skerrow {

class CLocalNameIndex {
public:
    enum class Freshness { ReadOnce, Checked };
    enum class Read { Listed, Missing, Unreadable };
    enum class Found { Yes, No, Unsure };
    // Puts the names in directory (never "." and "..") into names. Missing: the directory does not
    // exist or is no directory; Unreadable: any other failure, or stopped says stop.
    using Reader = std::function<Read(const std::string& directory, std::vector<std::string>& names,
                                      const std::function<bool()>& stopped)>;

    explicit CLocalNameIndex(Freshness freshness, Reader reader = ReadDirectory);

    // Asked while a directory is read; once it says stop, the reading ends (Unsure).
    void SetStopCheck(std::function<bool()> stopped);

    // Whether directory (a full path) has an entry called name: exactly, else with its letter case
    // folded. matches: the names found, the exact one alone when there is one.
    Found Find(const std::string& directory, const std::string& name, std::vector<std::string>& matches);

    // The system's reading of a directory, asking stopped every few hundred entries.
    static Read ReadDirectory(const std::string& directory, std::vector<std::string>& names,
                              const std::function<bool()>& stopped);

private:
    struct Snapshot {
        Read read = Read::Unreadable;
        std::unordered_set<std::string> exact;
        std::unordered_map<std::string, std::vector<std::string>> folded;
        struct stat stamp {};
        bool trusted = false; // Checked: the stamp shows every change after the reading
    };

    const Snapshot& SnapshotOf(const std::string& directory);
    bool StillFresh(const std::string& directory, const Snapshot& snapshot) const;
    Snapshot Take(const std::string& directory) const;

    const Freshness m_freshness;
    const Reader m_reader;
    std::function<bool()> m_stopped;
    std::mutex m_mutex;
    std::map<std::string, std::unique_ptr<Snapshot>> m_directories;
};

} // namespace skerrow
