#pragma once
// Walks a local directory tree, depth first, and reports what it meets through three virtual
// operations that do nothing by default.
//
// In every directory all entries that match the pattern (files and sub-directories alike, hidden
// ones too, never "." and "..") are reported first, in the order the directory lists them; then
// the walk enters each sub-directory in that same order, whatever the pattern. The process's
// current directory is never changed: the walker keeps its own position and hands each entry's
// full directory path to OnFileFound. Directories that cannot be opened are skipped silently, with
// everything below them.
//
// Only regular files and directories are reported: pipes, sockets and devices are left out, also
// behind a symbolic link, and so are dangling links. A link to a file is reported under its own
// name. A link to a directory inside the tree being walked is left out (the directory is walked by
// its real path); a link to a directory outside it is followed. No real directory is entered twice
// in one walk, so the walk ends on any graph of links.

#include <cstdint>
#include <ctime>
#include <set>
#include <string>
#include <string_view>
#include <sys/stat.h>
#include <sys/types.h>
#include <utility>
#include <vector>

namespace skerrow {

class CDirWalk {
public:
    // One directory entry. name is valid only during the call; copy what must be kept.
    struct FindRecord {
        std::string_view name;  // bare name
        bool isDirectory = false;
        uint64_t size = 0;      // in bytes (of the link's target for a symbolic link)
        std::time_t lastWrite = 0; // UTC, whole seconds
    };

    virtual ~CDirWalk() = default;

    // Walks the tree below root, reporting the entries whose names match pattern ("*.*" and "*"
    // match every name, dotted or not; otherwise shell wildcards, ignoring case). A trailing "/"
    // of root is ignored. False when root cannot be opened as a directory (nothing is reported).
    virtual bool Walk(const std::string& root, const std::string& pattern);
    // The directories the last walk could not enter because their path is longer than the system
    // allows: their files are not listed, and the caller says so.
    const std::vector<std::string>& TooLong() const { return m_tooLong; }

protected:
    // An entry was found in directory (its full path, no trailing separator except for "/").
    virtual void OnFileFound(const FindRecord& record, const std::string& directory);
    // The walk has just entered the sub-directory name (bare name) and is about to scan it.
    virtual void OnEnterDirectory(const std::string& name);
    // The walk has finished that sub-directory and is back in its parent.
    virtual void OnLeaveDirectory(const std::string& name);
    // Whether the sub-directory name of directory is to be entered at all; true by default.
    virtual bool ShouldEnter(std::string_view name, const std::string& directory);

    // root without its trailing separators ("/" stays "/").
    static std::string NormaliseRoot(const std::string& root);

private:
    enum class EntryKind { Skip, File, Directory };

    bool Matches(const char* name) const;
    void ScanDirectory(int fd);
    EntryKind Classify(int dirFd, const char* name, unsigned char type, struct stat& info, bool& haveInfo) const;
    bool LinkPointsInside(const char* name) const;
    void ScanSubDirectory(const std::string& name);
    size_t AppendToPath(const std::string& name);

    std::string m_pattern;
    bool m_matchAll = true;
    std::string m_directory; // the directory being scanned
    std::string m_realRoot;  // the root with every link resolved
    std::set<std::pair<dev_t, ino_t>> m_entered; // every directory entered in this walk
    std::vector<std::string> m_tooLong;
};

} // namespace skerrow
