// wxWidgets' own texts (stock buttons, its messages, the help viewer) follow the interface
// language through its standard catalog, and the saved-list file dialogs carry our own titles.

#include <libintl.h>

#include <wx/filedlg.h>
#include <wx/intl.h>

#include "app/CLanguage.h"
#include "app/CommandIds.h"
#include "app/StringIds.h"
#include "gui/app/CMainWindowTest.h"
#include "support/ParamByName.h"

using namespace skerrow;

namespace {

struct ToolkitCase {
    const char* name;
    int setting;
    const char* cancel;
    const char* existingFile;
    const char* openTitle;
    const char* saveTitle;
    const char* gtkCancel; // GTK's own Cancel button
};

// Names the case in test listings.
void PrintTo(const ToolkitCase& tested, std::ostream* out)
{
    *out << tested.name;
}

class ToolkitLanguageTest : public CMainWindowTest, public testing::WithParamInterface<ToolkitCase> {};

} // namespace

TEST_P(ToolkitLanguageTest, WxTextsAndFileDialogTitlesFollowTheLanguage)
{
    const ToolkitCase& c = GetParam();
    Start("[Advanced]\nLanguage=" + std::to_string(c.setting) + "\n");
    EXPECT_EQ(wxGetTranslation("Cancel"), wxString::FromUTF8(c.cancel));
    EXPECT_EQ(wxGetTranslation("Please choose an existing file."), wxString::FromUTF8(c.existingFile));
    EXPECT_STREQ(dgettext("gtk30", "_Cancel"), c.gtkCancel);

    // The file dialogs' titles; each is cancelled.
    wxString title;
    const CExpectModalCall<wxFileDialog> fileDialog([&title](wxFileDialog* dialog) {
        title = dialog->GetMessage();
        return int(wxID_CANCEL);
    });
    wxTEST_DIALOG(Command(ID_FILE_OPEN), fileDialog);
    EXPECT_EQ(title, wxString::FromUTF8(c.openTitle));
    wxTEST_DIALOG(Command(ID_FILE_SAVE), fileDialog);
    EXPECT_EQ(title, wxString::FromUTF8(c.saveTitle));
}

INSTANTIATE_TEST_SUITE_P(
    Languages, ToolkitLanguageTest,
    testing::Values(ToolkitCase{"English", CLanguage::kEnglish, "Cancel", "Please choose an existing file.", "Open",
                                "Save As", "_Cancel"},
                    ToolkitCase{"French", CLanguage::kFrench, "Annuler", "Choisir un fichier existant.", "Ouvrir",
                                "Enregistrer sous", "A_nnuler"},
                    ToolkitCase{"German", CLanguage::kGerman, "Abbrechen", "Bitte wählen Sie eine bestehende Datei.",
                                "Öffnen", "Speichern unter", "_Abbrechen"}),
    skerrow::test::ParamByName());

TEST_F(CMainWindowTest, WxTextsGoBackToEnglishWithTheInterface)
{
    Start("[Advanced]\nLanguage=3\n");
    ASSERT_EQ(wxGetTranslation("Cancel"), "Abbrechen");
    Command(ID_LANGUAGE_ENGLISH);
    EXPECT_EQ(wxGetTranslation("Cancel"), "Cancel");
    Command(ID_LANGUAGE_FRENCH);
    EXPECT_EQ(wxGetTranslation("Cancel"), "Annuler");
}
