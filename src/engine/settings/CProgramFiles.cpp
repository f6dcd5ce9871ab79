#include "settings/CProgramFiles.h"

#include <cerrno>
#include <cstdlib>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace skerrow {

namespace {

constexpr const char* kProgramDir = "skerrow";

// The home directory of the account running the program, when the password database names one.
std::filesystem::path AccountHome()
{
    long size = ::sysconf(_SC_GETPW_R_SIZE_MAX);
    std::vector<char> buffer(size > 0 ? static_cast<size_t>(size) : 16384);
    passwd entry{};
    passwd* found = nullptr;
    if (::getpwuid_r(::getuid(), &entry, buffer.data(), buffer.size(), &found) != 0 || !found || !found->pw_dir)
        return {};
    return found->pw_dir;
}

std::filesystem::path AbsoluteFromEnvironment(const char* name)
{
    const char* value = std::getenv(name);
    if (!value || value[0] != '/')
        return {};
    return value;
}

} // namespace

CProgramFiles::CProgramFiles(const std::string& executable)
    : m_executable(executable)
{
}

std::filesystem::path CProgramFiles::InstalledDataDir() const
{
    return (m_executable.parent_path().parent_path() / "share" / kProgramDir).lexically_normal();
}

bool CProgramFiles::IsInstalled() const
{
    if (m_executable.empty() || !m_executable.has_parent_path())
        return false;
    std::error_code error;
    return std::filesystem::is_directory(InstalledDataDir(), error);
}

std::filesystem::path CProgramFiles::DataDir() const
{
    return IsInstalled() ? InstalledDataDir() : m_executable.parent_path();
}

std::filesystem::path CProgramFiles::SettingsDir() const
{
    if (IsInstalled()) {
        std::filesystem::path dir = UserConfigDir();
        if (!dir.empty())
            return dir;
    }
    return m_executable.parent_path();
}

std::filesystem::path CProgramFiles::UserConfigDir()
{
    std::filesystem::path base = AbsoluteFromEnvironment("XDG_CONFIG_HOME");
    if (base.empty()) {
        std::filesystem::path home = AbsoluteFromEnvironment("HOME");
        if (home.empty())
            home = AccountHome();
        if (home.empty())
            return {};
        base = home / ".config";
    }
    return (base / kProgramDir).lexically_normal();
}

bool CProgramFiles::MakePrivateDir(const std::filesystem::path& dir)
{
    struct stat info{};
    if (::stat(dir.c_str(), &info) == 0)
        return S_ISDIR(info.st_mode);
    std::filesystem::path made;
    for (const std::filesystem::path& part : dir) {
        made /= part;
        if (::mkdir(made.c_str(), 0700) != 0 && errno != EEXIST)
            return false;
    }
    return ::stat(dir.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

} // namespace skerrow
