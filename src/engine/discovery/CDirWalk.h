#pragma once
// Walks a local directory tree, depth first, and reports what it meets through three virtual
// operations that do nothing by default.
//
// In every directory all entries that match the pattern (files and sub-directories alike, hidden
// ones too, never "." and "..") are reported first, in the order the directory lists them; then
// the walk enters each sub-directory in that same order, whatever the pattern. The process's
// current directory is never changed: the walker keeps its own position and hands each entry's
// full directory path to OnFileFound. A symbolic link to a directory is followed, except into a
// directory the walk is already inside, so link loops end. Directories that cannot be opened are
// skipped silently, with everything below them.

#include <cstdint>
#include <ctime>
#include <string>
#include <string_view>
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

protected:
    // An entry was found in directory (its full path, no trailing separator except for "/").
    virtual void OnFileFound(const FindRecord& record, const std::string& directory);
    // The walk has just entered the sub-directory name (bare name) and is about to scan it.
    virtual void OnEnterDirectory(const std::string& name);
    // The walk has finished that sub-directory and is back in its parent.
    virtual void OnLeaveDirectory(const std::string& name);

    // root without its trailing separators ("/" stays "/").
    static std::string NormaliseRoot(const std::string& root);

private:
    bool Matches(const char* name) const;
    void ScanDirectory(int fd);
    void ScanSubDirectory(const std::string& name);
    bool IsAncestor(dev_t device, ino_t inode) const;
    size_t AppendToPath(const std::string& name);

    std::string m_pattern;
    bool m_matchAll = true;
    std::string m_directory; // the directory being scanned
    std::vector<std::pair<dev_t, ino_t>> m_ancestors; // the directories the walk is inside
};

} // namespace skerrow
