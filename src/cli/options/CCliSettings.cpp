#include "options/CCliSettings.h"

#include <cstring>
#include <filesystem>

#include "settings/CIniFile.h"
#include "settings/CSettingsFile.h"
#include "settings/CViewSettings.h"

namespace skerrow::cli {

void CCliSettings::Locate(const std::string& explicitPath)
{
    if (!explicitPath.empty()) {
        CSettingsFile::SetOverridePath(explicitPath);
        return;
    }
    // The window program's name in this program's directory: its settings file is the one used.
    const std::filesystem::path self = CSettingsFile::ExecutablePath();
    if (!self.empty())
        CSettingsFile::SetExecutablePath((self.parent_path() / "skerrow").string());
}

std::string CCliSettings::DefaultPath()
{
    Locate({});
    return CSettingsFile::ChosenPath(".ini");
}

std::string CCliSettings::Path() const
{
    CSettingsFile file;
    return file.GetPath(".ini");
}

bool CCliSettings::Check(bool needSite, bool needPcDir)
{
    const std::string path = Path();
    std::error_code ec;
    if (!std::filesystem::exists(path, ec)) {
        m_error = "no settings file at " + path + " (set it up in Skerrow, or give --settings FILE)";
        return false;
    }
    CIniFile::TakeUnreadableReports();
    CViewSettings settings;
    settings.Load();
    for (const CIniFile::Unreadable& unreadable : CIniFile::TakeUnreadableReports()) {
        m_error = "cannot read the settings file " + unreadable.path + ": " +
                  (unreadable.code ? std::strerror(unreadable.code) : "not a regular file");
        return false;
    }
    if (needSite && settings.ftpServer.empty()) {
        m_error = "the settings file " + path + " names no FTP site (Configure/FTPURL)";
        return false;
    }
    if (needPcDir && !std::filesystem::is_directory(settings.pcDir, ec)) {
        m_error = settings.pcDir.empty() ? "the settings file " + path + " names no PC directory (Configure/PCDir)"
                                         : "the PC directory " + settings.pcDir + " does not exist";
        return false;
    }
    return true;
}

} // namespace skerrow::cli
