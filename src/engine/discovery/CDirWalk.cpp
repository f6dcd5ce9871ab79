#include "discovery/CDirWalk.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <fnmatch.h>
#include <memory>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

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

// The path with every link resolved, or "" when it cannot be resolved.
std::string RealPath(const std::string& path)
{
    const std::unique_ptr<char, decltype(&std::free)> real(::realpath(path.c_str(), nullptr), &std::free);
    return real ? std::string(real.get()) : std::string();
}

// Whether path is base or lies below it.
bool IsWithin(const std::string& path, const std::string& base)
{
    if (base == "/")
        return true;
    return path.compare(0, base.size(), base) == 0 && (path.size() == base.size() || path[base.size()] == '/');
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
    m_realRoot = RealPath(m_directory);
    if (m_realRoot.empty())
        m_realRoot = m_directory;
    m_entered.clear();
    m_tooLong.clear();
    m_entered.emplace(info.st_dev, info.st_ino);
    ScanDirectory(fd);
    m_entered.clear();
    return true;
}

void CDirWalk::OnFileFound(const FindRecord&, const std::string&) {}
void CDirWalk::OnEnterDirectory(const std::string&) {}
void CDirWalk::OnLeaveDirectory(const std::string&) {}
bool CDirWalk::ShouldEnter(std::string_view, const std::string&) { return true; }

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
        struct stat info {};
        bool haveInfo = false;
        const EntryKind kind = Classify(::dirfd(dir), entry->d_name, entry->d_type, info, haveInfo);
        if (kind == EntryKind::Skip)
            continue;
        const bool isDirectory = kind == EntryKind::Directory;
        if (Matches(entry->d_name)) {
            // An entry that cannot be read (no access), or changed its kind meanwhile, is left out.
            if (!haveInfo && ::fstatat(::dirfd(dir), entry->d_name, &info, 0) != 0)
                continue;
            if (isDirectory ? !S_ISDIR(info.st_mode) : !S_ISREG(info.st_mode))
                continue;
            const FindRecord record{entry->d_name, isDirectory, static_cast<uint64_t>(info.st_size),
                                    info.st_mtime};
            OnFileFound(record, m_directory);
        }
        if (isDirectory && ShouldEnter(entry->d_name, m_directory))
            subDirectories.emplace_back(entry->d_name);
    }
    ::closedir(dir);
    for (const std::string& name : subDirectories)
        ScanSubDirectory(name);
}

// What the entry is, from the listing's type where it tells, else from the entry itself; a link is
// judged by its target. info is filled (and haveInfo set) when the entry had to be examined.
CDirWalk::EntryKind CDirWalk::Classify(int dirFd, const char* name, unsigned char type, struct stat& info,
                                       bool& haveInfo) const
{
    switch (type) {
    case DT_REG: return EntryKind::File;
    case DT_DIR: return EntryKind::Directory;
    case DT_LNK:
    case DT_UNKNOWN: break;
    default: return EntryKind::Skip; // a pipe, socket or device
    }
    if (type == DT_UNKNOWN) {
        if (::fstatat(dirFd, name, &info, AT_SYMLINK_NOFOLLOW) != 0)
            return EntryKind::Skip;
        haveInfo = !S_ISLNK(info.st_mode);
        if (S_ISREG(info.st_mode))
            return EntryKind::File;
        if (S_ISDIR(info.st_mode))
            return EntryKind::Directory;
        if (!S_ISLNK(info.st_mode))
            return EntryKind::Skip;
    }
    if (::fstatat(dirFd, name, &info, 0) != 0)
        return EntryKind::Skip; // a dangling link
    haveInfo = true;
    if (S_ISREG(info.st_mode))
        return EntryKind::File;
    if (!S_ISDIR(info.st_mode))
        return EntryKind::Skip;
    return LinkPointsInside(name) ? EntryKind::Skip : EntryKind::Directory;
}

// Whether the link name of the current directory leads to a directory inside the walked tree.
bool CDirWalk::LinkPointsInside(const char* name) const
{
    std::string path = m_directory;
    if (path.back() != '/')
        path += '/';
    path += name;
    const std::string target = RealPath(path);
    return target.empty() || IsWithin(target, m_realRoot);
}

void CDirWalk::ScanSubDirectory(const std::string& name)
{
    const size_t parentLength = AppendToPath(name);
    const int fd = OpenDirectory(m_directory.c_str());
    if (fd < 0 && errno == ENAMETOOLONG)
        m_tooLong.push_back(m_directory);
    struct stat info {};
    if (fd < 0 || ::fstat(fd, &info) != 0 || !m_entered.emplace(info.st_dev, info.st_ino).second) {
        if (fd >= 0)
            ::close(fd);
        m_directory.resize(parentLength);
        return;
    }
    OnEnterDirectory(name);
    ScanDirectory(fd);
    m_directory.resize(parentLength);
    OnLeaveDirectory(name);
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
