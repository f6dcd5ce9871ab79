#include "app/CVersionInfo.h"

#include <filesystem>
#include <system_error>

#include "VersionStrings.h"
#include "app/CStringTable.h"
#include "settings/CSettingsFile.h"

using namespace skerrow;

namespace {

struct VersionString {
    const char* name;
    const char* value;
};

const VersionString kVersionStrings[] = {
    {"Comments", "Freeware"},
    {"CompanyName", "Skerrow"},
    {"FileDescription", "Skerrow Freeware"},
    {"FileVersion", SKERROW_FILE_VERSION},
    {"InternalName", "Skerrow"},
    {"LegalCopyright", "Freeware"},
    {"LegalTrademarks", ""},
    {"OriginalFilename", "Skerrow.EXE"},
    {"PrivateBuild", ""},
    {"ProductName", "Skerrow"},
    {"ProductVersion", SKERROW_PRODUCT_VERSION},
    {"SpecialBuild", ""},
};

bool SameFile(const std::string& a, const std::string& b)
{
    std::error_code error;
    return std::filesystem::equivalent(a, b, error);
}

} // namespace

std::string CVersionInfo::GetModuleString(const std::string& name) const
{
    return GetFileString(CSettingsFile::ExecutablePath(), name);
}

std::string CVersionInfo::GetFileString(const std::string& path, const std::string& name) const
{
    if (m_nLanguage != 2057 || !SameFile(path, CSettingsFile::ExecutablePath()))
        return FailureText(name);
    for (const VersionString& entry : kVersionStrings) {
        if (name == entry.name)
            return entry.value;
    }
    return FailureText(name);
}

std::string CVersionInfo::FailureText(const std::string& name) const
{
    const std::string format = Tr("T.VersionFailure", "Failure getting %s");
    const size_t at = format.find("%s");
    if (at == std::string::npos)
        return format;
    return format.substr(0, at) + name + format.substr(at + 2);
}
