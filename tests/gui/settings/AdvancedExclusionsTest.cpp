// The exclusion rules in the Advanced dialog: the defaults shown and removable, and the list stored
// as it stands (a failed write is in SettingsSafetyTest, for every settings dialog).

#include <wx/listctrl.h>

#include "settings/CAdvancedDlg.h"
#include "settings/CIniFile.h"
#include "settings/CExclusionList.h"
#include "SettingsDialogTest.h"

namespace skerrow::test {
namespace {

class AdvancedExclusionsTest : public CSettingsDialogTest {
protected:
    static wxListCtrl* List(CAdvancedDlg& dlg) { return Control<wxListCtrl>(dlg, CAdvancedDlg::ID_EXCLUSIONS); }

    static std::vector<std::string> Shown(CAdvancedDlg& dlg) { return ListItems(List(dlg)); }

    std::vector<std::string> Stored() const
    {
        CExclusionList list;
        list.LoadFrom(m_iniPath);
        return list.Patterns();
    }

    static void DeleteItem(CAdvancedDlg& dlg, long item)
    {
        List(dlg)->SetItemState(item, wxLIST_STATE_SELECTED, wxLIST_STATE_SELECTED);
        wxCommandEvent click(wxEVT_BUTTON, CAdvancedDlg::ID_EXCLUSION_DELETE);
        click.SetEventObject(dlg.FindWindow(CAdvancedDlg::ID_EXCLUSION_DELETE));
        dlg.FindWindow(CAdvancedDlg::ID_EXCLUSION_DELETE)->GetEventHandler()->ProcessEvent(click);
    }
};

TEST_F(AdvancedExclusionsTest, DefaultsAreShownAndTheListIsStoredAsItStands)
{
    {
        CAdvancedDlg dlg(nullptr);
        dlg.InitDialog();
        EXPECT_EQ(Shown(dlg), CExclusionList::Defaults());
        // Remove .svn/ and add a rule of the user's own.
        DeleteItem(dlg, 1);
        List(dlg)->InsertItem(List(dlg)->GetItemCount(), "  /drafts/ ");
        List(dlg)->InsertItem(List(dlg)->GetItemCount(), "   ");
        EXPECT_NO_DIALOG(EXPECT_TRUE(dlg.TransferDataFromWindow()));
    }
    const std::vector<std::string> expected = {".git/", ".hg/", ".DS_Store", "Thumbs.db", "*~", "*.swp", "/drafts/"};
    EXPECT_EQ(Stored(), expected);
    EXPECT_EQ(Read("Exclusions", "Count"), "7");
    {
        CAdvancedDlg dlg(nullptr);
        dlg.InitDialog();
        EXPECT_EQ(Shown(dlg), expected);
        while (List(dlg)->GetItemCount() > 0)
            DeleteItem(dlg, 0);
        EXPECT_NO_DIALOG(EXPECT_TRUE(dlg.TransferDataFromWindow()));
    }
    // No rule at all stays so: the defaults do not come back.
    EXPECT_EQ(Read("Exclusions", "Count"), "0");
    CAdvancedDlg reopened(nullptr);
    reopened.InitDialog();
    EXPECT_TRUE(Shown(reopened).empty());
}

} // namespace
} // namespace skerrow::test
