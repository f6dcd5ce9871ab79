// The language: Default follows the locale; French, English, German switch the menu and the
// columns at once; a missing catalog leaves English, silently.

#include <cstdlib>
#include <filesystem>

#include <wx/listctrl.h>
#include <wx/menu.h>

#include "app/CLanguage.h"
#include "app/CMainFrame.h"
#include "app/CommandIds.h"
#include "app/StringIds.h"
#include "gui/app/CMainWindowTest.h"
#include "settings/CSettingsFile.h"
#include "transfer/CTransferListCtrl.h"

using namespace skerrow;

namespace {

wxString ColumnTitle(wxListCtrl* list, int column)
{
    wxListItem item;
    item.SetMask(wxLIST_MASK_TEXT);
    list->GetColumn(column, item);
    return item.GetText();
}

// The one checked item of the Language menu, as a command id.
int CheckedLanguage(CMainFrame* frame)
{
    wxMenu* menu = frame->GetMenuBar()->GetMenu(3);
    menu->UpdateUI(frame->GetEventHandler());
    int checked = 0;
    for (wxMenuItem* item : menu->GetMenuItems()) {
        if (item->IsChecked()) {
            EXPECT_EQ(checked, 0) << "two checked items";
            checked = CommandIdOf(item->GetId());
        }
    }
    return checked;
}

void SetLocaleEnvironment(const char* lcAll, const char* lcMessages, const char* lang)
{
    auto set = [](const char* name, const char* value) {
        if (value)
            setenv(name, value, 1);
        else
            unsetenv(name);
    };
    set("LC_ALL", lcAll);
    set("LC_MESSAGES", lcMessages);
    set("LANG", lang);
}

} // namespace

TEST_F(CMainWindowTest, LanguageCommandsSwitchMenuColumnsAndSetting)
{
    Start("[Advanced]\nLanguage=1\n");
    EXPECT_EQ(CheckedLanguage(Frame()), ID_LANGUAGE_ENGLISH);

    Command(ID_LANGUAGE_FRENCH);
    EXPECT_EQ(Frame()->GetMenuBar()->GetMenuLabel(0), "&Fichier");
    EXPECT_EQ(ColumnTitle(ListCtrl(), 1), "Nom du fichier");
    EXPECT_EQ(PaneText(CMainFrame::kMessagePane), "Prêt"); // UTF-8 both
    EXPECT_NE(ReadIni().find("Language=2"), std::string::npos);
    EXPECT_EQ(CheckedLanguage(Frame()), ID_LANGUAGE_FRENCH);

    Command(ID_LANGUAGE_ENGLISH);
    EXPECT_EQ(Frame()->GetMenuBar()->GetMenuLabel(0), "&File");
    EXPECT_EQ(ColumnTitle(ListCtrl(), 3), "Errors");
    EXPECT_EQ(PaneText(CMainFrame::kMessagePane), "Ready");

    Command(ID_LANGUAGE_GERMAN);
    EXPECT_EQ(Frame()->GetMenuBar()->GetMenuLabel(0), "&Datei");
    EXPECT_EQ(ColumnTitle(ListCtrl(), 2), wxString::FromUTF8("Größe KB"));
    EXPECT_NE(ReadIni().find("Language=3"), std::string::npos);
    EXPECT_EQ(CheckedLanguage(Frame()), ID_LANGUAGE_GERMAN);

    // Without the catalogs beside the executable: English, and no message.
    const std::string realExe = CSettingsFile::ExecutablePath();
    CSettingsFile::SetExecutablePath(m_dir.Str() + "/skerrow");
    Command(ID_LANGUAGE_FRENCH);
    CSettingsFile::SetExecutablePath(realExe);
    EXPECT_EQ(Frame()->GetMenuBar()->GetMenuLabel(0), "&File");
    EXPECT_EQ(ColumnTitle(ListCtrl(), 1), "File name");
    EXPECT_EQ(CheckedLanguage(Frame()), ID_LANGUAGE_FRENCH);
}

TEST_F(CMainWindowTest, DefaultLanguageFollowsTheLocale)
{
    SetLocaleEnvironment(nullptr, nullptr, "de_DE.UTF-8");
    EXPECT_EQ(CLanguage::Resolve(CLanguage::kDefault), CLanguage::kGerman);
    SetLocaleEnvironment(nullptr, nullptr, "fr_CA");
    EXPECT_EQ(CLanguage::Resolve(CLanguage::kDefault), CLanguage::kFrench);
    SetLocaleEnvironment(nullptr, nullptr, "es_ES.UTF-8");
    EXPECT_EQ(CLanguage::Resolve(CLanguage::kDefault), CLanguage::kEnglish);
    // The first non-empty of LC_ALL, LC_MESSAGES, LANG decides; an unknown setting is Default.
    SetLocaleEnvironment("", "fr_FR", "de_DE");
    EXPECT_EQ(CLanguage::Resolve(7), CLanguage::kFrench);
    SetLocaleEnvironment("de_AT", "fr_FR", "en_GB");
    EXPECT_EQ(CLanguage::Resolve(CLanguage::kDefault), CLanguage::kGerman);
    SetLocaleEnvironment(nullptr, nullptr, "C");
    EXPECT_EQ(CLanguage::Resolve(CLanguage::kDefault), CLanguage::kEnglish);
    // A setting that names a language ignores the locale.
    EXPECT_EQ(CLanguage::Resolve(CLanguage::kEnglish), CLanguage::kEnglish);

    SetLocaleEnvironment(nullptr, nullptr, "de_DE.UTF-8");
    Start("[Advanced]\nLanguage=0\n");
    EXPECT_EQ(Frame()->GetMenuBar()->GetMenuLabel(0), "&Datei");
    EXPECT_EQ(Frame()->GetMenuBar()->GetMenu(0)->GetHelpString(WxCommandId(ID_FILE_NEW)),
              wxString::FromUTF8("Eine neue Übertragung starten"));
    SetLocaleEnvironment(nullptr, nullptr, "C.UTF-8");
}
