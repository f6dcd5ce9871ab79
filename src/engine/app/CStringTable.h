#pragma once
// Every user-visible text of the program goes through this lookup.
//
// Texts are keyed: the numeric resource ids of the string table ("32773"), menu items ("M57600"),
// menu titles ("MFile"), dialog texts ("D130.1001") and the few fixed texts ("T.SavingFile").
// English is compiled in; a gettext catalog (LangFRA.mo, LangGER.mo) may be loaded to replace
// them. In the catalogs the key is the message context and the English text the message id, so a
// changed English text falls back to English instead of showing a stale translation.
//
// Thread-safe: workers build their status texts while the UI thread may switch the language.

#include <string>

namespace skerrow {

// The text for key, translated by the loaded catalog when it has it, else english.
// Call sites write Tr("D130.1001", "&Site") so that xgettext (keyword Tr:1c,2) finds both.
std::string Tr(const char* key, const char* english);

// A string of the built-in string table by its numeric id; "" when the table has no such id.
std::string LoadString(int id);

// The English text of a numeric id, never translated; "" when absent.
const char* EnglishString(int id);

// printf-style formatting into a std::string (for texts such as "Deleting:- %s").
std::string FormatText(const char* format, ...) __attribute__((format(printf, 1, 2)));

class CStringTable {
public:
    virtual ~CStringTable() = default;

    // Loads a compiled gettext catalog (.mo) and makes it the source of translations.
    // Returns false, and leaves English in use, when the file is missing or not a catalog.
    static bool LoadCatalog(const std::string& moPath);

    // Back to the built-in English texts.
    static void Unload();

    // True while a catalog is loaded.
    static bool IsCatalogLoaded();
};

} // namespace skerrow
