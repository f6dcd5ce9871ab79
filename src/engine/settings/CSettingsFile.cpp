#include "settings/CSettingsFile.h"

#include <cstdlib>
#include <filesystem>
#include <mutex>
#include <unistd.h>

#include "settings/CIniFile.h"
#include "settings/CProgramFiles.h"

namespace skerrow {

namespace {

struct PathState {
    std::mutex lock;
    std::string executable;
    std::string overridePath;
};

PathState& State()
{
    static PathState state;
    return state;
}

// The running executable, as the kernel names it; "" when it cannot be read.
std::string ReadProcSelfExe()
{
    std::string buffer(4096, '\0');
    const ssize_t length = ::readlink("/proc/self/exe", buffer.data(), buffer.size());
    if (length <= 0 || static_cast<size_t>(length) >= buffer.size())
        return {};
    buffer.resize(static_cast<size_t>(length));
    return buffer;
}

// The path with the extension of its file name replaced (a dot in a directory name does not
// count, nor a leading dot of the file name); the extension is appended when the name has none.
std::string ReplaceExtension(const std::string& path, const std::string& extension)
{
    const size_t slash = path.find_last_of('/');
    const size_t nameStart = slash == std::string::npos ? 0 : slash + 1;
    const size_t dot = path.find_last_of('.');
    if (dot == std::string::npos || dot <= nameStart)
        return path + extension;
    return path.substr(0, dot) + extension;
}

std::string OverridePath()
{
    {
        std::lock_guard lock(State().lock);
        if (!State().overridePath.empty())
            return State().overridePath;
    }
    const char* fromEnvironment = std::getenv("SKERROW_INI");
    return fromEnvironment ? std::string(fromEnvironment) : std::string();
}

} // namespace

std::string CSettingsFile::GetPath(const std::string& extension)
{
    m_path = ChosenPath(extension);
    // The user's private configuration directory, where an installed program keeps the file.
    const std::string executable = ExecutablePath();
    if (OverridePath().empty() && !executable.empty()) {
        const CProgramFiles files(executable);
        if (files.IsInstalled())
            CProgramFiles::MakePrivateDir(files.SettingsDir());
    }
    return m_path;
}

std::string CSettingsFile::ChosenPath(const std::string& extension)
{
    const std::string chosen = OverridePath();
    if (!chosen.empty())
        return extension == ".ini" ? chosen : ReplaceExtension(chosen, extension);
    const std::string executable = ExecutablePath();
    if (executable.empty())
        return "./QEL_VRK" + extension;
    // Named after the executable, in the directory the program keeps its settings in: beside the
    // executable in a build tree, the user's private configuration directory when installed.
    const CProgramFiles files(executable);
    return ReplaceExtension((files.SettingsDir() / std::filesystem::path(executable).filename()).string(), extension);
}

void CSettingsFile::EnsurePath()
{
    if (m_path.empty())
        GetPath(".ini");
}

std::string CSettingsFile::ReadString(const char* section, const char* key, const std::string& defaultValue)
{
    EnsurePath();
    return CIniFile::GetString(m_path, section, key, defaultValue);
}

int CSettingsFile::ReadInt(const char* section, const char* key, int defaultValue)
{
    EnsurePath();
    return CIniFile::GetInt(m_path, section, key, defaultValue);
}

bool CSettingsFile::WriteString(const char* section, const char* key, const std::string& value)
{
    EnsurePath();
    return CIniFile::WriteString(m_path, section, key, value);
}

bool CSettingsFile::WriteUInt(const char* section, const char* key, unsigned value)
{
    return WriteString(section, key, std::to_string(value));
}

bool CSettingsFile::WriteInt(const char* section, const char* key, int value)
{
    return WriteString(section, key, std::to_string(value));
}

void CSettingsFile::SetExecutablePath(const std::string& path)
{
    std::lock_guard lock(State().lock);
    State().executable = path;
}

std::string CSettingsFile::ExecutablePath()
{
    {
        std::lock_guard lock(State().lock);
        if (!State().executable.empty())
            return State().executable;
    }
    return ReadProcSelfExe();
}

void CSettingsFile::SetOverridePath(const std::string& path)
{
    std::lock_guard lock(State().lock);
    State().overridePath = path;
}

} // namespace skerrow
