#include "discovery/CDirWalk.h"

#include <algorithm>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <fnmatch.h>
#include <sys/stat.h>
#include <unistd.h>

namespace skerrow {

namespace {

#ifdef FNM_CASEFOLD
constexpr int kMatchFlags = FNM_CASEFOLD;
#else
constexpr int kMatchFlags = 0;
#endif

bool IsDotOrDotDot(const char* name)
{
    return name[0] == '.' && (name[1] == '\0' || (name[1] == '.' && name[2] == '\0'));
}

int OpenDirectory(const char* path)
{
    return ::open(path, O_RDONLY | O_DIRECTORY | O_CLOEXEC);
}

// Whether the entry is a directory, from the listing's type when it tells, else from the entry's
// target (a link to a directory counts as a directory).
bool IsDirectoryEntry(int dirFd, const dirent& entry)
{
    if (entry.d_type == DT_DIR)
        return true;
    if (entry.d_type != DT_LNK && entry.d_type != DT_UNKNOWN)
        return false;
    struct stat info {};
    return ::fstatat(dirFd, entry.d_name, &info, 0) == 0 && S_ISDIR(info.st_mode);
}

} // namespace

bool CDirWalk::Walk(const std::string& root, const std::string& pattern)
{
    m_pattern = pattern;
    m_matchAll = pattern == "*.*" || pattern == "*";
    m_directory = NormaliseRoot(root);
    const int fd = OpenDirectory(m_directory.c_str());
    if (fd < 0)
        return false;
    struct stat info {};
    if (::fstat(fd, &info) != 0) {
        ::close(fd);
        return false;
    }
    m_ancestors.assign(1, {info.st_dev, info.st_ino});
    ScanDirectory(fd);
    m_ancestors.clear();
    return true;
}

void CDirWalk::OnFileFound(const FindRecord&, const std::string&) {}
void CDirWalk::OnEnterDirectory(const std::string&) {}
void CDirWalk::OnLeaveDirectory(const std::string&) {}

std::string CDirWalk::NormaliseRoot(const std::string& root)
{
    std::string result = root;
    while (result.size() > 1 && result.back() == '/')
        result.pop_back();
    return result;
}

bool CDirWalk::Matches(const char* name) const
{
    return m_matchAll || ::fnmatch(m_pattern.c_str(), name, kMatchFlags) == 0;
}

// Reports the matching entries of the open directory fd (taking it over), then scans its
// sub-directories in listing order.
void CDirWalk::ScanDirectory(int fd)
{
    DIR* dir = ::fdopendir(fd);
    if (!dir) {
        ::close(fd);
        return;
    }
    std::vector<std::string> subDirectories;
    while (const dirent* entry = ::readdir(dir)) {
        if (IsDotOrDotDot(entry->d_name))
            continue;
        bool isDirectory = false;
        if (Matches(entry->d_name)) {
            struct stat info {};
            // An entry that cannot be read (a dangling link, no access) is left out.
            if (::fstatat(::dirfd(dir), entry->d_name, &info, 0) != 0)
                continue;
            isDirectory = S_ISDIR(info.st_mode);
            const FindRecord record{entry->d_name, isDirectory, static_cast<uint64_t>(info.st_size),
                                    info.st_mtime};
            OnFileFound(record, m_directory);
        } else {
            isDirectory = IsDirectoryEntry(::dirfd(dir), *entry);
        }
        if (isDirectory)
            subDirectories.emplace_back(entry->d_name);
    }
    ::closedir(dir);
    for (const std::string& name : subDirectories)
        ScanSubDirectory(name);
}

void CDirWalk::ScanSubDirectory(const std::string& name)
{
    const size_t parentLength = AppendToPath(name);
    const int fd = OpenDirectory(m_directory.c_str());
    struct stat info {};
    if (fd < 0 || ::fstat(fd, &info) != 0 || IsAncestor(info.st_dev, info.st_ino)) {
        if (fd >= 0)
            ::close(fd);
        m_directory.resize(parentLength);
        return;
    }
    m_ancestors.emplace_back(info.st_dev, info.st_ino);
    OnEnterDirectory(name);
    ScanDirectory(fd);
    m_ancestors.pop_back();
    m_directory.resize(parentLength);
    OnLeaveDirectory(name);
}

bool CDirWalk::IsAncestor(dev_t device, ino_t inode) const
{
    return std::find(m_ancestors.begin(), m_ancestors.end(), std::make_pair(device, inode)) != m_ancestors.end();
}

// Appends name to the current directory path; returns the length to cut back to.
size_t CDirWalk::AppendToPath(const std::string& name)
{
    const size_t parentLength = m_directory.size();
    if (m_directory.empty() || m_directory.back() != '/')
        m_directory += '/';
    m_directory += name;
    return parentLength;
}

} // namespace skerrow
