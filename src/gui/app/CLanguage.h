#pragma once
// The user-interface language: English built in, French and German from the catalogs LangFRA.mo
// and LangGER.mo in the program's data directory (beside the executable in a build tree, see
// CProgramFiles).

#include <string>

class CLanguage {
public:
    // Values of Advanced/Language.
    enum Setting : int { kDefault = 0, kEnglish = 1, kFrench = 2, kGerman = 3 };

    virtual ~CLanguage() = default;

    // The language a setting stands for (kEnglish, kFrench or kGerman); Default and unknown
    // values follow the locale of the environment.
    static int Resolve(int setting);
    // The language of the first non-empty of LC_ALL, LC_MESSAGES and LANG.
    static int FromEnvironment();
    // "de_DE.UTF-8" gives kGerman, "fr_CA" kFrench, anything else kEnglish.
    static int FromLocaleName(const std::string& locale);

    // Makes the setting's language current, for our own texts and for wxWidgets' (its standard
    // catalog, as the system ships it). A missing or broken catalog leaves English in use,
    // silently; the result says whether our catalog of the wanted language was loaded.
    static bool Apply(int setting);
    // The two-letter code of a language: "fr", "de", else "en".
    static const char* Code(int language);
    // wxWidgets' own texts (stock buttons, the help viewer, file dialog messages) in language.
    static void ApplyToolkitLanguage(int language);
    // GTK's and the system libraries' own texts in language (gettext's LANGUAGE).
    static void ApplySystemLanguage(int language);

    // Where the catalog of a language is looked for; "" for English.
    static std::string CatalogPath(int language);
};
