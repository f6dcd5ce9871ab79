// A group box's mnemonic, pressed on the real keyboard (through the X server): the focus goes to
// the first control of its group, and no button is pressed.

#include <wx/app.h>
#include <wx/checkbox.h>
#include <wx/listctrl.h>
#include <wx/uiaction.h>
#include <wx/utils.h>

#include <functional>
#include <memory>

#include "settings/CAdvancedDlg.h"
#include "settings/CConnectDlg.h"
#include "SettingsDialogTest.h"

namespace skerrow::test {
namespace {

// Dispatches events until the condition holds; false when it still does not after a while.
bool PumpUntil(const std::function<bool()>& condition)
{
    for (int i = 0; i < 300; ++i) {
        wxTheApp->Yield(true);
        if (condition())
            return true;
        wxMilliSleep(10);
    }
    return condition();
}

bool IsWithin(wxWindow* window, wxWindow* ancestor)
{
    for (; window; window = window->GetParent()) {
        if (window == ancestor)
            return true;
    }
    return false;
}

struct GroupCase {
    const char* catalog; // null for English
    bool advanced;       // the Advanced dialog, else Connect
    char key;
    int target; // the control that must get the focus
};

class GroupMnemonicTest : public CSettingsDialogTest, public testing::WithParamInterface<GroupCase> {
protected:
    void TearDown() override
    {
        CStringTable::Unload();
        CSettingsDialogTest::TearDown();
    }
};

TEST_P(GroupMnemonicTest, FocusGoesIntoTheGroupAndNothingIsPressed)
{
    const GroupCase& test = GetParam();
    if (test.catalog) {
        ASSERT_TRUE(CStringTable::LoadCatalog(std::string(SKERROW_BIN_DIR "/") + test.catalog));
    }
    std::unique_ptr<wxDialog> dialog;
    if (test.advanced)
        dialog = std::make_unique<CAdvancedDlg>(nullptr);
    else
        dialog = std::make_unique<CConnectDlg>(nullptr);
    dialog->InitDialog();
    dialog->CentreOnScreen();
    dialog->Show();
    ASSERT_TRUE(PumpUntil([&] { return dialog->IsShownOnScreen(); }));
    wxWindow* target = dialog->FindWindow(test.target);
    ASSERT_NE(target, nullptr);

    wxUIActionSimulator keyboard;
    dialog->Raise();
    dialog->SetFocus();
    ASSERT_TRUE(PumpUntil([&] { return wxWindow::FindFocus() && IsWithin(wxWindow::FindFocus(), dialog.get()); }));
    keyboard.Char(test.key, wxMOD_ALT);
    EXPECT_TRUE(PumpUntil([&] { return IsWithin(wxWindow::FindFocus(), target); }))
        << "focus on " << (wxWindow::FindFocus() ? wxWindow::FindFocus()->GetId() : 0);
    EXPECT_TRUE(dialog->IsShown());
    EXPECT_FALSE(SettingsFileExists()); // OK would have written every field
    if (auto* never = dynamic_cast<wxCheckBox*>(target)) {
        EXPECT_TRUE(never->GetValue()); // focused, not toggled
    }
    dialog->Hide();
}

INSTANTIATE_TEST_SUITE_P(Cases, GroupMnemonicTest,
                         testing::Values(GroupCase{nullptr, false, 'l', CConnectDlg::ID_NEVER},
                                         GroupCase{"LangFRA.mo", false, 'd', CConnectDlg::ID_NEVER},
                                         GroupCase{"LangGER.mo", false, 'l', CConnectDlg::ID_NEVER},
                                         GroupCase{nullptr, true, 'x', CAdvancedDlg::ID_SUFFIXES},
                                         GroupCase{"LangFRA.mo", true, 'x', CAdvancedDlg::ID_SUFFIXES},
                                         GroupCase{"LangGER.mo", true, 't', CAdvancedDlg::ID_SUFFIXES}));

} // namespace
} // namespace skerrow::test
