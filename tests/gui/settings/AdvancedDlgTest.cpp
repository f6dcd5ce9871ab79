#include <wx/checkbox.h>
#include <wx/listctrl.h>
#include <wx/radiobut.h>

#include "app/StringIds.h"
#include "settings/CAdvancedDlg.h"
#include "settings/CNumberExchange.h"
#include "SettingsDialogTest.h"

namespace skerrow::test {
namespace {

class AdvancedDlgTest : public CSettingsDialogTest {
protected:
    static wxListCtrl* List(CAdvancedDlg& dlg) { return Control<wxListCtrl>(dlg, CAdvancedDlg::ID_SUFFIXES); }

    static std::vector<std::string> Items(CAdvancedDlg& dlg) { return ListItems(List(dlg)); }

    std::vector<std::string> StoredSuffixes() const { return CIniFile::GetSection(m_iniPath, "TextSuffices"); }

    static void Select(CAdvancedDlg& dlg, long item)
    {
        List(dlg)->SetItemState(item, wxLIST_STATE_SELECTED, wxLIST_STATE_SELECTED);
    }
};

const std::vector<std::string> kDefaultItems = {"bat", "c", "cpp", "h", "hpp", "htm", "html", "ini", "txt"};

TEST_F(AdvancedDlgTest, NoSettingsFileOpensWithTheDefaults)
{
    CAdvancedDlg dlg(nullptr);
    dlg.InitDialog();
    EXPECT_EQ(dlg.GetTitle(), "Advanced");
    EXPECT_EQ(Edit(dlg, CAdvancedDlg::ID_PORT)->GetValue(), "21");
    EXPECT_EQ(Edit(dlg, CAdvancedDlg::ID_TIMEOUT)->GetValue(), "3");
    EXPECT_EQ(Edit(dlg, CAdvancedDlg::ID_MAX_ERRORS)->GetValue(), "32000");
    EXPECT_EQ(Edit(dlg, CAdvancedDlg::ID_TRIES)->GetValue(), "3");
    EXPECT_TRUE(Control<wxRadioButton>(dlg, CAdvancedDlg::ID_LANGUAGE_DEFAULT)->GetValue());
    EXPECT_FALSE(Control<wxCheckBox>(dlg, CAdvancedDlg::ID_PASV)->GetValue());
    EXPECT_EQ(Items(dlg), kDefaultItems);
    EXPECT_EQ(List(dlg)->GetColumnCount(), 1);

    // Nothing changed: every key written.
    bool accepted = false;
    EXPECT_NO_DIALOG(accepted = dlg.TransferDataFromWindow());
    EXPECT_TRUE(accepted);
    EXPECT_EQ(Read("Advanced", "Port"), "21");
    EXPECT_EQ(Read("Advanced", "StopTimeout"), "3");
    EXPECT_EQ(Read("Advanced", "MaxErrors"), "32000");
    EXPECT_EQ(Read("Advanced", "Language"), "0");
    EXPECT_EQ(Read("Advanced", "PASV"), "0");
    EXPECT_EQ(Read("Advanced", "TriesPerFile"), "3");
    EXPECT_EQ(StoredSuffixes().size(), 9u);
}

TEST_F(AdvancedDlgTest, OutOfRangeNumbersAreRefusedAndNothingIsWritten)
{
    CAdvancedDlg dlg(nullptr);
    dlg.InitDialog();
    bool accepted = true;
    struct Case {
        int id;
        const char* value;
        unsigned low, high;
    };
    for (const Case& c : {Case{CAdvancedDlg::ID_TIMEOUT, "0", 1, 300}, Case{CAdvancedDlg::ID_TIMEOUT, "301", 1, 300},
                          Case{CAdvancedDlg::ID_MAX_ERRORS, "0", 1, 32000},
                          Case{CAdvancedDlg::ID_MAX_ERRORS, "32001", 1, 32000},
                          Case{CAdvancedDlg::ID_TRIES, "0", 1, 5}, Case{CAdvancedDlg::ID_TRIES, "6", 1, 5}}) {
        const wxString before = Edit(dlg, c.id)->GetValue();
        Edit(dlg, c.id)->SetValue(c.value);
        wxTEST_DIALOG(accepted = dlg.TransferDataFromWindow(),
                      CExpectMessage(CNumberExchange::RangeMessage(c.low, c.high), wxICON_EXCLAMATION));
        EXPECT_FALSE(accepted) << c.value;
        EXPECT_EQ(Edit(dlg, c.id)->GetStringSelection(), c.value);
        Edit(dlg, c.id)->SetValue(before);
    }
    Edit(dlg, CAdvancedDlg::ID_PORT)->SetValue("twenty-one");
    wxTEST_DIALOG(accepted = dlg.TransferDataFromWindow(), CExpectMessage(IDS_POSITIVE_INTEGER, wxICON_EXCLAMATION));
    EXPECT_FALSE(accepted);
    EXPECT_FALSE(SettingsFileExists());

    // The bounds themselves are fine.
    Edit(dlg, CAdvancedDlg::ID_PORT)->SetValue("21");
    Edit(dlg, CAdvancedDlg::ID_TIMEOUT)->SetValue("300");
    Edit(dlg, CAdvancedDlg::ID_MAX_ERRORS)->SetValue("1");
    Edit(dlg, CAdvancedDlg::ID_TRIES)->SetValue("1");
    EXPECT_NO_DIALOG(accepted = dlg.TransferDataFromWindow());
    EXPECT_TRUE(accepted);
    EXPECT_EQ(Read("Advanced", "TriesPerFile"), "1");
    EXPECT_EQ(Read("Advanced", "StopTimeout"), "300");
    EXPECT_EQ(Read("Advanced", "MaxErrors"), "1");
}

// A changed port needs no restart (the next run connects with it): no message either way.
TEST_F(AdvancedDlgTest, ChangesAreStoredWithoutANotice)
{
    CIniFile::WriteString(m_iniPath, "Advanced", "Port", "2121");
    {
        CAdvancedDlg dlg(nullptr);
        dlg.InitDialog();
        EXPECT_EQ(Edit(dlg, CAdvancedDlg::ID_PORT)->GetValue(), "2121");
        Control<wxRadioButton>(dlg, CAdvancedDlg::ID_LANGUAGE_GERMAN)->SetValue(true);
        Control<wxCheckBox>(dlg, CAdvancedDlg::ID_PASV)->SetValue(true);
        EXPECT_NO_DIALOG(EXPECT_TRUE(dlg.TransferDataFromWindow()));
        EXPECT_EQ(Read("Advanced", "Language"), "3");
        EXPECT_EQ(Read("Advanced", "PASV"), "1");
    }
    {
        CAdvancedDlg dlg(nullptr);
        dlg.InitDialog();
        EXPECT_TRUE(Control<wxRadioButton>(dlg, CAdvancedDlg::ID_LANGUAGE_GERMAN)->GetValue());
        Edit(dlg, CAdvancedDlg::ID_PORT)->SetValue("65535");
        bool accepted = false;
        EXPECT_NO_DIALOG(accepted = dlg.TransferDataFromWindow());
        EXPECT_TRUE(accepted);
        EXPECT_EQ(Read("Advanced", "Port"), "65535");
    }
}

TEST_F(AdvancedDlgTest, ItemsAreStoredWithOneLeadingDot)
{
    CAdvancedDlg dlg(nullptr);
    dlg.InitDialog();
    List(dlg)->DeleteAllItems();
    for (const char* typed : {".txt", "txt", ".", "   ", "", "  lead", "trail  ", "..x"})
        List(dlg)->InsertItem(List(dlg)->GetItemCount(), typed);
    EXPECT_NO_DIALOG(EXPECT_TRUE(dlg.TransferDataFromWindow()));
    // Trailing blanks are kept in the line; the settings file drops them around the key.
    const std::vector<std::string> expected = {".txt=1", ".txt=1", "..=1", ".lead=1", ".trail=1", "..x=1"};
    EXPECT_EQ(StoredSuffixes(), expected);

    // Reopened, each shows without its dot.
    CAdvancedDlg reopened(nullptr);
    reopened.InitDialog();
    const std::vector<std::string> shown = {"txt", "txt", ".", "lead", "trail", ".x"};
    EXPECT_EQ(Items(reopened), shown);
}

TEST_F(AdvancedDlgTest, DeletingEveryItemBringsBackTheDefaults)
{
    {
        CAdvancedDlg dlg(nullptr);
        dlg.InitDialog();
        dlg.DeleteSelected(); // nothing selected: nothing happens
        EXPECT_EQ(List(dlg)->GetItemCount(), 9);
        Select(dlg, 2);
        dlg.DeleteSelected();
        EXPECT_EQ(List(dlg)->GetItemText(2), "h");
        while (List(dlg)->GetItemCount() > 0) {
            Select(dlg, 0);
            EXPECT_NO_DIALOG(dlg.DeleteSelected());
        }
        EXPECT_NO_DIALOG(EXPECT_TRUE(dlg.TransferDataFromWindow()));
        EXPECT_TRUE(StoredSuffixes().empty());
    }
    CAdvancedDlg reopened(nullptr);
    reopened.InitDialog();
    EXPECT_EQ(Items(reopened), kDefaultItems);
}

TEST_F(AdvancedDlgTest, AddAppendsAnEmptyItemBeingEditedThatOkSkips)
{
    CAdvancedDlg dlg(nullptr);
    dlg.InitDialog();
    dlg.Show();
    dlg.AddItem();
    EXPECT_EQ(List(dlg)->GetItemCount(), 10);
    EXPECT_EQ(List(dlg)->GetItemText(9), "");
    EXPECT_EQ(List(dlg)->GetNextItem(-1, wxLIST_NEXT_ALL, wxLIST_STATE_SELECTED), 9);
    EXPECT_NE(List(dlg)->GetEditControl(), nullptr);
    EXPECT_NO_DIALOG(EXPECT_TRUE(dlg.TransferDataFromWindow()));
    EXPECT_EQ(StoredSuffixes().size(), 9u);
    dlg.Hide();
}

} // namespace
} // namespace skerrow::test
