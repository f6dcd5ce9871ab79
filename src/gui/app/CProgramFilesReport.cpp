#include "app/CProgramFilesReport.h"

#include <filesystem>

#include "app/CLanguage.h"
#include "settings/CHelpLauncher.h"
#include "settings/CSettingsFile.h"

using namespace skerrow;

namespace {

std::string Line(const std::string& name, const std::string& value)
{
    return name + ": " + value + "\n";
}

std::string WithState(const std::string& path, bool present, const char* presentWord)
{
    return path + " (" + (present ? presentWord : "missing") + ")";
}

} // namespace

std::string CProgramFilesReport::Text()
{
    CSettingsFile settings;
    const std::string ini = settings.GetPath(".ini");
    const int setting = settings.ReadInt(ini::kAdvanced, ini::kLanguage, CLanguage::kDefault);
    const bool loaded = CLanguage::Apply(setting);
    const std::string catalog = CLanguage::CatalogPath(CLanguage::Resolve(setting));
    const std::string book = CHelpLauncher::BookPath().utf8_string();
    std::error_code error;

    std::string text = Line("settings", ini);
    text += Line("saved list", CSettingsFile().GetPath(".txt"));
    text += Line("catalog", catalog.empty() ? "built in (English)" : WithState(catalog, loaded, "loaded"));
    text += Line("help", WithState(book, std::filesystem::is_regular_file(book, error), "found"));
    return text;
}
