#include "app/CLanguage.h"

#include <cctype>
#include <cstdlib>
#include <filesystem>

#include <wx/translation.h>

#include "app/CStringTable.h"
#include "settings/CHelpLauncher.h"
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
    const bool loaded = language == kEnglish || CStringTable::LoadCatalog(CatalogPath(language));
    // Without our catalog the interface is English, and so are wx's texts and the help.
    const int shown = loaded ? language : kEnglish;
    ApplyToolkitLanguage(shown);
    CHelpLauncher::SetLanguage(shown == kFrench ? "fr" : shown == kGerman ? "de" : "en");
    return loaded;
}

void CLanguage::ApplyToolkitLanguage(int language)
{
#ifdef __UNIX__
    // Where Debian's wx3.2-i18n puts wxstd-3.2.mo; wx itself looks only below its own prefix.
    static const bool pathAdded = [] {
        wxFileTranslationsLoader::AddCatalogLookupPathPrefix("/usr/share/locale");
        return true;
    }();
    (void)pathAdded;
#endif
    // A fresh set each time: a catalog once loaded would otherwise stay in the earlier language.
    auto* translations = new wxTranslations;
    translations->SetLanguage(language == kFrench ? "fr" : language == kGerman ? "de" : "en");
    if (language != kEnglish)
        translations->AddStdCatalog();
    wxTranslations::Set(translations);
}
