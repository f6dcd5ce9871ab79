#include "app/CLanguage.h"

#include <cctype>
#include <cstdlib>
#include <filesystem>

#include <clocale>
#include <cstring>

#include <wx/translation.h>

#if defined(__GLIBC__)
// GNU gettext's count of loaded catalogs: raising it makes it forget the translations it has
// looked up, after LANGUAGE changed.
extern "C" int _nl_msg_cat_cntr;
#endif

#include "app/CStringTable.h"
#include "settings/CHelpLauncher.h"
#include "settings/CProgramFiles.h"
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
    return (CProgramFiles(CSettingsFile::ExecutablePath()).DataDir() / file).string();
}

const char* CLanguage::Code(int language)
{
    return language == kFrench ? "fr" : language == kGerman ? "de" : "en";
}

bool CLanguage::Apply(int setting)
{
    CStringTable::Unload();
    const int language = Resolve(setting);
    const bool loaded = language == kEnglish || CStringTable::LoadCatalog(CatalogPath(language));
    // Without our catalog the interface is English, and so are wx's texts and the help.
    const int shown = loaded ? language : kEnglish;
    ApplyToolkitLanguage(shown);
    CHelpLauncher::SetLanguage(Code(shown));
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
    ApplySystemLanguage(language);
    // A fresh set each time: a catalog once loaded would otherwise stay in the earlier language.
    auto* translations = new wxTranslations;
    translations->SetLanguage(Code(language));
    if (language != kEnglish)
        translations->AddStdCatalog();
    wxTranslations::Set(translations);
}

void CLanguage::ApplySystemLanguage(int language)
{
#ifdef __UNIX__
    // GTK's own texts (stock buttons such as Cancel, the file chooser) come from gettext, which
    // follows LANGUAGE, except under the plain "C" locale: C.UTF-8 is that locale with UTF-8 and
    // lets LANGUAGE count.
    const char* messages = std::setlocale(LC_MESSAGES, nullptr);
    if (messages && (std::strcmp(messages, "C") == 0 || std::strcmp(messages, "POSIX") == 0))
        std::setlocale(LC_MESSAGES, "C.UTF-8");
    // Changed only when it differs: setenv may not run beside another thread's getenv, and a
    // language switch is the only time it runs while a worker may be busy.
    const char* wanted = Code(language);
    const char* current = std::getenv("LANGUAGE");
    if (current && std::strcmp(current, wanted) == 0)
        return;
    setenv("LANGUAGE", wanted, 1);
#if defined(__GLIBC__)
    ++_nl_msg_cat_cntr;
#endif
#else
    (void)language;
#endif
}
