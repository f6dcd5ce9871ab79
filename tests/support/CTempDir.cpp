#include "support/CTempDir.h"

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

namespace skerrow::test {

CTempDir::CTempDir()
{
    std::string pattern = (std::filesystem::temp_directory_path() / "skerrow-test-XXXXXX").string();
    if (!mkdtemp(pattern.data()))
        throw std::runtime_error("mkdtemp failed");
    m_path = pattern;
}

CTempDir::~CTempDir()
{
    std::error_code ec;
    // Make everything writable again so a test's read-only directory does not stop the cleanup.
    for (auto it = std::filesystem::recursive_directory_iterator(m_path, ec);
         !ec && it != std::filesystem::recursive_directory_iterator(); it.increment(ec)) {
        if (it->is_directory(ec) && !it->is_symlink(ec))
            std::filesystem::permissions(it->path(), std::filesystem::perms::owner_all,
                                         std::filesystem::perm_options::add, ec);
    }
    std::filesystem::permissions(m_path, std::filesystem::perms::owner_all, std::filesystem::perm_options::add, ec);
    std::filesystem::remove_all(m_path, ec);
}

std::filesystem::path CTempDir::WriteFile(const std::string& relative, const std::string& contents)
{
    const std::filesystem::path path = m_path / relative;
    std::filesystem::create_directories(path.parent_path());
    std::ofstream out(path, std::ios::binary);
    out << contents;
    return path;
}

std::filesystem::path CTempDir::MakeFileOfSize(const std::string& relative, uint64_t size)
{
    const std::filesystem::path path = WriteFile(relative, "");
    std::filesystem::resize_file(path, size);
    return path;
}

std::filesystem::path CTempDir::MakeDir(const std::string& relative)
{
    const std::filesystem::path path = m_path / relative;
    std::filesystem::create_directories(path);
    return path;
}

std::filesystem::path CTempDir::MakeSocket(const std::string& relative)
{
    const std::filesystem::path path = m_path / relative;
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (path.string().size() >= sizeof address.sun_path)
        return {};
    path.string().copy(address.sun_path, sizeof address.sun_path - 1);
    const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    const bool bound = fd >= 0 && ::bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0;
    if (fd >= 0)
        ::close(fd);
    return bound ? path : std::filesystem::path();
}

std::string CTempDir::ReadFile(const std::string& relative) const
{
    std::ifstream in(m_path / relative, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

unsigned ModeOf(const std::filesystem::path& path)
{
    struct stat info {};
    return ::lstat(path.c_str(), &info) == 0 ? static_cast<unsigned>(info.st_mode & 07777) : 07777 + 1;
}

} // namespace skerrow::test
