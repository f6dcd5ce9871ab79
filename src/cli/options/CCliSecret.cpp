#include "options/CCliSecret.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "options/CCliArguments.h"

namespace skerrow::cli {
namespace {

// A password file is a line, not a document.
constexpr size_t kMaxFileBytes = 64 * 1024;

} // namespace

std::string CCliSecret::FirstLine(const std::string& contents)
{
    std::string line = contents.substr(0, contents.find('\n'));
    if (!line.empty() && line.back() == '\r')
        line.pop_back();
    return line;
}

bool CCliSecret::Fail(std::string error)
{
    m_error = std::move(error);
    return false;
}

bool CCliSecret::Resolve(const CCliOptions& options, std::optional<std::string>& password)
{
    password.reset();
    m_warning.clear();
    if (!options.passwordEnv.empty())
        return FromEnvironment(options.passwordEnv, password);
    if (!options.passwordFile.empty())
        return FromFile(options.passwordFile, password);
    return true;
}

bool CCliSecret::FromEnvironment(const std::string& name, std::optional<std::string>& password)
{
    const char* value = std::getenv(name.c_str());
    if (!value)
        return Fail("the environment variable " + name + " is not set");
    // An empty password would log in as no one, or be refused with a less useful message.
    if (value[0] == '\0')
        return Fail("the environment variable " + name + " is empty: it gives no password");
    password = value;
    return true;
}

bool CCliSecret::FromFile(const std::string& path, std::optional<std::string>& password)
{
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY);
    if (fd < 0)
        return Fail("cannot read the password file " + path + ": " + std::strerror(errno));
    struct stat info {};
    const bool othersRead = ::fstat(fd, &info) == 0 && (info.st_mode & (S_IRGRP | S_IROTH)) != 0;
    std::string contents;
    const bool read = ReadHead(fd, path, contents);
    ::close(fd);
    if (!read)
        return false;
    if (othersRead)
        m_warning = "the password file " + path + " can be read by others than its owner (chmod 600 " + path + ")";
    std::string line = FirstLine(contents);
    if (line.empty())
        return Fail("the password file " + path + " gives no password: its first line is empty");
    password = std::move(line);
    return true;
}

bool CCliSecret::ReadHead(int fd, const std::string& path, std::string& contents)
{
    contents.assign(kMaxFileBytes, '\0');
    size_t total = 0;
    while (total < kMaxFileBytes) {
        const ssize_t got = ::read(fd, contents.data() + total, kMaxFileBytes - total);
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            return Fail("cannot read the password file " + path + ": " + std::strerror(errno));
        if (got == 0)
            break;
        total += static_cast<size_t>(got);
    }
    contents.resize(total);
    return true;
}

} // namespace skerrow::cli
