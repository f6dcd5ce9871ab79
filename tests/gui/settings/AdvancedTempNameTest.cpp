// The Advanced dialog's choice of uploads under a temporary name: what it shows for each stored
// value, and what OK stores.

#include <wx/choice.h>

#include "settings/CAdvancedDlg.h"
#include "SettingsDialogTest.h"

namespace skerrow::test {
namespace {

class AdvancedTempNameTest : public CSettingsDialogTest {};

TEST_F(AdvancedTempNameTest, ShowsTheStoredChoiceOrTheDefaultAndStoresWhatIsChosen)
{
    const struct {
        const char* stored; // nullptr: no key
        int shown;
        int chosen;
        const char* written;
    } cases[] = {
        {nullptr, 0, -1, "0"}, {"1", 1, -1, "1"}, {"2", 2, 0, "0"}, {"9", 0, 2, "2"}, {"-1", 0, 1, "1"},
    };
    for (const auto& c : cases) {
        if (c.stored)
            CIniFile::WriteString(m_iniPath, "Advanced", "TempNameUpload", c.stored);
        CAdvancedDlg dlg(nullptr);
        dlg.InitDialog();
        auto* choice = Control<wxChoice>(dlg, CAdvancedDlg::ID_TEMP_NAME);
        ASSERT_EQ(choice->GetCount(), 3u);
        EXPECT_EQ(choice->GetString(0), "Files of 1 MiB and more");
        EXPECT_EQ(choice->GetSelection(), c.shown) << (c.stored ? c.stored : "absent");
        if (c.chosen >= 0)
            choice->SetSelection(c.chosen);
        bool accepted = false;
        EXPECT_NO_DIALOG(accepted = dlg.TransferDataFromWindow());
        EXPECT_TRUE(accepted);
        EXPECT_EQ(Read("Advanced", "TempNameUpload"), c.written) << (c.stored ? c.stored : "absent");
    }
}

} // namespace
} // namespace skerrow::test
