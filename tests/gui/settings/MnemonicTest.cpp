// Every menu and every dialog, in each interface language: no two labels share a mnemonic, so
// that Alt+letter always reaches the one control it names. The dialogs are found in the sources,
// so a dialog added later must be listed here to pass.

#include <wx/button.h>
#include <wx/checkbox.h>
#include <wx/menu.h>
#include <wx/radiobut.h>
#include <wx/statbox.h>
#include <wx/stattext.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <memory>
#include <regex>
#include <set>
#include <sstream>

#include "app/CAboutDlg.h"
#include "app/CMainMenu.h"
#include "settings/CAdvancedDlg.h"
#include "settings/CConnectDlg.h"
#include "settings/CGroupMnemonic.h"
#include "settings/CPCDirDlg.h"
#include "settings/CTreeDeleteDlg.h"
#include "transfer/CRowDetailsDlg.h"
#include "ftp/CCertificateDlg.h"
#include "ftp/CHostKeyDlg.h"
#include "ftp/CPlainFtpDlg.h"
#include "SettingsDialogTest.h"

namespace skerrow::test {
namespace {

// The labels that share a mnemonic, one line per clash; empty when there is none.
std::string Clashes(const std::vector<wxString>& labels)
{
    std::map<wxUniChar, std::vector<wxString>> byMnemonic;
    for (const wxString& label : labels) {
        if (const wxUniChar mnemonic = CGroupMnemonic::MnemonicOf(label.BeforeFirst('\t')); mnemonic != 0)
            byMnemonic[mnemonic].push_back(label);
    }
    std::string clashes;
    for (const auto& [mnemonic, users] : byMnemonic) {
        if (users.size() < 2)
            continue;
        for (const wxString& label : users)
            clashes += " \"" + label.utf8_string() + "\"";
        clashes += "\n";
    }
    return clashes;
}

// The labels of the controls that can carry a mnemonic, the whole window tree.
void CollectLabels(wxWindow* window, std::vector<wxString>& labels)
{
    for (wxWindow* child : window->GetChildren()) {
        if (dynamic_cast<wxButton*>(child) || dynamic_cast<wxCheckBox*>(child) || dynamic_cast<wxRadioButton*>(child) ||
            dynamic_cast<wxStaticText*>(child) || dynamic_cast<wxStaticBox*>(child))
            labels.push_back(child->GetLabel());
        CollectLabels(child, labels);
    }
}

const std::map<std::string, std::function<wxDialog*()>>& Dialogs()
{
    static const std::map<std::string, std::function<wxDialog*()>> dialogs = {
        {"CAboutDlg", [] { return new CAboutDlg(nullptr); }},
        {"CAdvancedDlg", [] { return new CAdvancedDlg(nullptr); }},
        {"CConnectDlg", [] { return new CConnectDlg(nullptr); }},
        {"CPCDirDlg", [] { return new CPCDirDlg(nullptr); }},
        {"CTreeDeleteDlg", [] { return new CTreeDeleteDlg(nullptr); }},
        {"CRowDetailsDlg", [] { return new CRowDetailsDlg(nullptr, "index.html", "error code: 12003"); }},
        {"CCertificateDlg",
         [] {
             skerrow::CCertificateInfo info;
             info.host = "127.0.0.1";
             info.fingerprint = "AB:CD";
             info.remembered = "EF:01"; // the warning's texts too
             return new CCertificateDlg(nullptr, info);
         }},
        {"CPlainFtpDlg", [] { return new CPlainFtpDlg(nullptr, "127.0.0.1", 21); }},
        // The base of the certificate and host-key questions: checked through the host-key one.
        {"CTrustQuestionDlg",
         [] {
             skerrow::CHostKeyQuestion question;
             question.host = "127.0.0.1";
             question.key = {"ssh-ed25519", "SHA256:AB"};
             question.changed = true; // the warning's texts too
             question.before = "SHA256:CD";
             return new CHostKeyDlg(nullptr, question);
         }},
    };
    return dialogs;
}

// Every class of the program that is a dialog of its own.
std::set<std::string> DialogClassesInSources()
{
    const std::regex declaration(R"(class\s+(\w+)\s*(?:final\s*)?:\s*public\s+wx\w*Dialog\b)");
    std::set<std::string> classes;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(SKERROW_SOURCE_DIR "/src/gui")) {
        if (entry.path().extension() != ".h")
            continue;
        std::ifstream in(entry.path());
        std::stringstream text;
        text << in.rdbuf();
        const std::string source = text.str();
        for (std::sregex_iterator it(source.begin(), source.end(), declaration), end; it != end; ++it)
            classes.insert((*it)[1]);
    }
    return classes;
}

struct Language {
    const char* name;
    const char* catalog; // beside the program; null for English
};

const Language kLanguages[] = {{"English", nullptr}, {"French", "LangFRA.mo"}, {"German", "LangGER.mo"}};

class MnemonicTest : public CSettingsDialogTest {
protected:
    void TearDown() override
    {
        CStringTable::Unload();
        CSettingsDialogTest::TearDown();
    }

    static void Use(const Language& language)
    {
        CStringTable::Unload();
        if (language.catalog) {
            ASSERT_TRUE(CStringTable::LoadCatalog(std::string(SKERROW_BIN_DIR "/") + language.catalog));
        }
    }
};

TEST_F(MnemonicTest, EveryDialogOfTheProgramIsChecked)
{
    for (const std::string& name : DialogClassesInSources())
        EXPECT_TRUE(Dialogs().count(name)) << name << " is a dialog: add it to the mnemonic check";
}

TEST_F(MnemonicTest, NoMenuUsesAMnemonicTwice)
{
    for (const Language& language : kLanguages) {
        Use(language);
        std::unique_ptr<wxMenuBar> bar(CMainMenu::Build());
        std::vector<wxString> titles;
        for (size_t i = 0; i < bar->GetMenuCount(); ++i) {
            titles.push_back(bar->GetMenuLabel(i));
            std::vector<wxString> items;
            for (const wxMenuItem* item : bar->GetMenu(i)->GetMenuItems()) {
                if (!item->IsSeparator())
                    items.push_back(item->GetItemLabel());
            }
            EXPECT_EQ(Clashes(items), "") << language.name << " menu " << bar->GetMenuLabel(i);
        }
        EXPECT_EQ(Clashes(titles), "") << language.name << " menu bar";
    }
}

TEST_F(MnemonicTest, NoDialogUsesAMnemonicTwice)
{
    for (const Language& language : kLanguages) {
        Use(language);
        for (const auto& [name, make] : Dialogs()) {
            std::unique_ptr<wxDialog> dialog(make());
            dialog->InitDialog();
            std::vector<wxString> labels;
            CollectLabels(dialog.get(), labels);
            EXPECT_FALSE(labels.empty()) << name;
            EXPECT_EQ(Clashes(labels), "") << language.name << " " << name;
        }
    }
}

} // namespace
} // namespace skerrow::test
