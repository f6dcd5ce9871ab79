// The Advanced dialog's choices stored as numbers (encryption, uploads under a temporary name):
// what each shows for a stored value, absent or unknown, and what OK stores.

#include <filesystem>
#include <string>
#include <vector>

#include <wx/choice.h>

#include "settings/CAdvancedDlg.h"
#include "SettingsDialogTest.h"

namespace skerrow::test {
namespace {

class AdvancedChoicesTest : public CSettingsDialogTest {};

TEST_F(AdvancedChoicesTest, ShowTheStoredChoiceOrTheFirstAndStoreWhatIsChosen)
{
    struct Case {
        const char* stored; // nullptr: no key
        int shown;
        int chosen; // -1: left as shown
        const char* written;
    };
    const struct {
        const char* key;
        int control;
        unsigned count;
        const char* first;
        const char* last;
        std::vector<Case> cases;
    } choices[] = {
        {"TempNameUpload", CAdvancedDlg::ID_TEMP_NAME, 3, "Files of 1 MiB and more", "None",
         {{nullptr, 0, -1, "0"}, {"1", 1, -1, "1"}, {"2", 2, 0, "0"}, {"9", 0, 2, "2"}, {"-1", 0, 1, "1"}}},
        {"Encryption", CAdvancedDlg::ID_ENCRYPTION, 4, "Use explicit TLS if available", "Plain FTP only (insecure)",
         {{nullptr, 0, 2, "2"}, {"3", 3, 1, "1"}, {"9", 0, 3, "3"}, {"1", 1, 0, "0"}}},
    };
    for (const auto& kind : choices) {
        for (const Case& c : kind.cases) {
            SCOPED_TRACE(std::string(kind.key) + "=" + (c.stored ? c.stored : "absent"));
            std::filesystem::remove(m_iniPath);
            if (c.stored)
                CIniFile::WriteString(m_iniPath, "Advanced", kind.key, c.stored);
            CAdvancedDlg dlg(nullptr);
            dlg.InitDialog();
            auto* choice = Control<wxChoice>(dlg, kind.control);
            ASSERT_EQ(choice->GetCount(), kind.count);
            EXPECT_EQ(choice->GetString(0), kind.first);
            EXPECT_EQ(choice->GetString(kind.count - 1), kind.last);
            EXPECT_EQ(choice->GetSelection(), c.shown);
            if (c.chosen >= 0)
                choice->SetSelection(c.chosen);
            bool accepted = false;
            EXPECT_NO_DIALOG(accepted = dlg.TransferDataFromWindow());
            EXPECT_TRUE(accepted);
            EXPECT_EQ(Read("Advanced", kind.key), c.written);
        }
    }
}

} // namespace
} // namespace skerrow::test
