#include <wx/checkbox.h>
#include <wx/dirdlg.h>

#include "settings/CConnectDlg.h"
#include "settings/CPCDirDlg.h"
#include "settings/CTreeDeleteDlg.h"
#include "SettingsDialogTest.h"

namespace skerrow::test {
namespace {

// The folder browser: checks its owner and title, then "chooses" a folder. (Where the native
// chooser opens cannot be read back before it has run.)
class CExpectDirDialog : public wxExpectModalBase<wxDirDialog, CExpectDirDialog> {
public:
    CExpectDirDialog(wxWindow* parent, const wxString& choose, int answer)
        : m_parent(parent), m_choose(choose), m_answer(answer)
    {
    }

protected:
    int OnInvoked(wxDirDialog* dialog) const override
    {
        EXPECT_EQ(dialog->GetParent(), m_parent);
        EXPECT_EQ(dialog->GetMessage(), wxString::FromUTF8(LoadString(57638)));
        if (m_answer == wxID_OK)
            dialog->wxDirDialogBase::SetPath(m_choose); // what the chooser reports after a choice
        return m_answer;
    }

private:
    wxWindow* m_parent;
    wxString m_choose;
    int m_answer;
};

class SmallDialogsTest : public CSettingsDialogTest {
protected:
    static void Click(wxWindow& dlg, int id)
    {
        wxCommandEvent event(wxEVT_BUTTON, id);
        event.SetEventObject(dlg.FindWindow(id));
        dlg.FindWindow(id)->GetEventHandler()->ProcessEvent(event);
    }
};

TEST_F(SmallDialogsTest, TreeDeleteStoresTheNormalisedDirectory)
{
    {
        CTreeDeleteDlg dlg(nullptr);
        dlg.InitDialog();
        EXPECT_EQ(dlg.GetTitle(), "FTP Directory Tree Delete");
        EXPECT_EQ(Edit(dlg, CTreeDeleteDlg::ID_DIRECTORY)->GetValue(), "");
        Edit(dlg, CTreeDeleteDlg::ID_DIRECTORY)->SetValue(" \\pub\\\\site");
        EXPECT_NO_DIALOG(EXPECT_TRUE(dlg.TransferDataFromWindow()));
        EXPECT_EQ(Edit(dlg, CTreeDeleteDlg::ID_DIRECTORY)->GetValue(), "/pub/site");
        EXPECT_EQ(Read("Configure", "FTPDirTreeDel"), "/pub/site");
    }
    CTreeDeleteDlg reopened(nullptr);
    reopened.InitDialog();
    EXPECT_EQ(Edit(reopened, CTreeDeleteDlg::ID_DIRECTORY)->GetValue(), "/pub/site");
    Edit(reopened, CTreeDeleteDlg::ID_DIRECTORY)->SetValue("  ");
    EXPECT_NO_DIALOG(EXPECT_TRUE(reopened.TransferDataFromWindow()));
    EXPECT_EQ(Read("Configure", "FTPDirTreeDel"), "/");
}

TEST_F(SmallDialogsTest, PcDirectoryDialogReadsAndWritesItsTwoKeys)
{
    {
        CPCDirDlg dlg(nullptr);
        dlg.InitDialog();
        EXPECT_EQ(dlg.GetTitle(), "Select the PC \"Web Directory\"");
        EXPECT_EQ(Edit(dlg, CPCDirDlg::ID_PC_DIR)->GetValue(), "");
        EXPECT_FALSE(Control<wxCheckBox>(dlg, CPCDirDlg::ID_SELECT_ALL)->GetValue());
        EXPECT_NO_DIALOG(EXPECT_TRUE(dlg.TransferDataFromWindow()));
        EXPECT_EQ(Read("Configure", "PCDir"), "");
        EXPECT_EQ(Read("Configure", "UploadAllFiles"), "0");
    }
    CPCDirDlg dlg(nullptr);
    dlg.InitDialog();
    const std::string folder = m_dir.MakeDir("a long directory name that goes on and on past sixty-four").string();
    Edit(dlg, CPCDirDlg::ID_PC_DIR)->SetValue(wxString::FromUTF8(folder));
    Control<wxCheckBox>(dlg, CPCDirDlg::ID_SELECT_ALL)->SetValue(true);
    EXPECT_NO_DIALOG(EXPECT_TRUE(dlg.TransferDataFromWindow()));
    EXPECT_EQ(Read("Configure", "PCDir"), folder);
    EXPECT_EQ(Read("Configure", "UploadAllFiles"), "1");
}

TEST_F(SmallDialogsTest, BrowseButtonsOpenAtThePcDirectoryAndTakeTheChoice)
{
    const wxString start = wxString::FromUTF8(m_dir.MakeDir("site").string());
    const wxString chosen = wxString::FromUTF8(m_dir.MakeDir("other").string());

    CPCDirDlg pcDir(nullptr);
    pcDir.InitDialog();
    pcDir.Show(); // a hidden window cannot own a dialog
    Edit(pcDir, CPCDirDlg::ID_PC_DIR)->SetValue(start);
    wxTEST_DIALOG(Click(pcDir, CPCDirDlg::ID_BROWSE), CExpectDirDialog(&pcDir, chosen, wxID_CANCEL));
    EXPECT_EQ(Edit(pcDir, CPCDirDlg::ID_PC_DIR)->GetValue(), start);
    wxTEST_DIALOG(Click(pcDir, CPCDirDlg::ID_BROWSE), CExpectDirDialog(&pcDir, chosen, wxID_OK));
    EXPECT_EQ(Edit(pcDir, CPCDirDlg::ID_PC_DIR)->GetValue(), chosen);

    // The Connect dialog browses even while a date field holds something that is not a number,
    // and leaves that field as it was.
    pcDir.Hide();
    CConnectDlg connect(nullptr);
    connect.InitDialog();
    connect.Show();
    Edit(connect, CConnectDlg::ID_PC_DIR)->SetValue(start);
    Edit(connect, CConnectDlg::ID_DAY)->SetValue("x");
    wxTEST_DIALOG(Click(connect, CConnectDlg::ID_BROWSE), CExpectDirDialog(&connect, chosen, wxID_OK));
    EXPECT_EQ(Edit(connect, CConnectDlg::ID_PC_DIR)->GetValue(), chosen);
    EXPECT_EQ(Edit(connect, CConnectDlg::ID_DAY)->GetValue(), "x");
    EXPECT_FALSE(SettingsFileExists());
    connect.Hide();
}

} // namespace
} // namespace skerrow::test
