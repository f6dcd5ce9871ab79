#include "app/CLanguage.h"

#include <cctype>
#include <cstdlib>
#include <filesystem>

#include "app/CStringTable.h"
#include "settings/CSettingsFile.h"

using namespace skerrow;

int CLanguage::Resolve(int setting)
{
    if (setting == kEnglish || setting == kFrench || setting == kGerman)
        return setting;
    return FromEnvironment();
}

int CLanguage::FromEnvironment()
{
    for (const char* name : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
        const char* value = std::getenv(name);
        if (value && *value)
            return FromLocaleName(value);
    }
    return kEnglish;
}

int CLanguage::FromLocaleName(const std::string& locale)
{
    std::string primary;
    for (char c : locale) {
        if (!std::isalpha(static_cast<unsigned char>(c)))
            break;
        primary += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    if (primary == "de")
        return kGerman;
    if (primary == "fr")
        return kFrench;
    return kEnglish;
}

std::string CLanguage::CatalogPath(int language)
{
    const char* file = language == kFrench ? "LangFRA.mo" : language == kGerman ? "LangGER.mo" : nullptr;
    if (!file)
        return std::string();
    const std::filesystem::path exe(CSettingsFile::ExecutablePath());
    return (exe.parent_path() / file).string();
}

bool CLanguage::Apply(int setting)
{
    CStringTable::Unload();
    const int language = Resolve(setting);
    if (language == kEnglish)
        return true;
    return CStringTable::LoadCatalog(CatalogPath(language));
}
