// Editing the suffix list of the Advanced dialog in place: one editor at a time, an edit still
// open at OK is kept, and a line break never stops the list from being saved.

#include <wx/app.h>
#include <wx/listctrl.h>
#include <wx/utils.h>

#include "settings/CAdvancedDlg.h"
#include "SettingsDialogTest.h"

namespace skerrow::test {
namespace {

class ListEditingTest : public CSettingsDialogTest {
protected:
    static wxListCtrl* List(CAdvancedDlg& dlg) { return Control<wxListCtrl>(dlg, CAdvancedDlg::ID_SUFFIXES); }

    // The in-place editors open over the list's items.
    static int Editors(wxWindow* window)
    {
        int count = 0;
        for (wxWindow* child : window->GetChildren())
            count += (dynamic_cast<wxTextCtrl*>(child) && !child->IsBeingDeleted() ? 1 : 0) + Editors(child);
        return count;
    }
    static int Editors(CAdvancedDlg& dlg) { return Editors(List(dlg)); }

    static void Settle()
    {
        for (int i = 0; i < 5; ++i)
            wxTheApp->Yield(true);
        wxTheApp->ProcessIdle();
    }

    // The window that receives the mouse: the list, or where wxWidgets draws the list itself, its
    // inner window below the column header (the taller of its two children).
    static wxWindow* ClickTarget(CAdvancedDlg& dlg)
    {
        wxWindow* target = List(dlg);
        int height = 0;
        for (wxWindow* child : List(dlg)->GetChildren()) {
            if (!dynamic_cast<wxTextCtrl*>(child) && child->GetSize().y > height) {
                height = child->GetSize().y;
                target = child;
            }
        }
        return target;
    }

    // A press and release of the left button on the first item.
    static void ClickFirstItem(CAdvancedDlg& dlg)
    {
        wxWindow* target = ClickTarget(dlg);
        for (const wxEventType type : {wxEVT_LEFT_DOWN, wxEVT_LEFT_UP}) {
            wxMouseEvent click(type);
            click.SetPosition(wxPoint(10, 4));
            click.m_leftDown = type == wxEVT_LEFT_DOWN;
            click.SetEventObject(target);
            target->GetEventHandler()->ProcessEvent(click);
        }
        Settle();
    }

    std::vector<std::string> StoredSuffixes() const { return CIniFile::GetSection(m_iniPath, "TextSuffices"); }
};

TEST_F(ListEditingTest, ClickOnTheSelectedItemOpensOneEditorThatEscapeCancels)
{
    CAdvancedDlg dlg(nullptr);
    dlg.InitDialog();
    dlg.Show();
    List(dlg)->SetFocus();
    List(dlg)->SetItemState(0, wxLIST_STATE_SELECTED | wxLIST_STATE_FOCUSED,
                            wxLIST_STATE_SELECTED | wxLIST_STATE_FOCUSED);
    ClickTarget(dlg)->SetFocus();
    Settle();
    // The edits begun (and not refused) reach the dialog.
    int begun = 0;
    dlg.Bind(wxEVT_LIST_BEGIN_LABEL_EDIT, [&begun](wxListEvent& e) {
        ++begun;
        e.Skip();
    });
    ClickFirstItem(dlg);
    // wxWidgets' own list starts a delayed edit of an item clicked when already selected: let
    // such a timer run out (a double-click's time) before counting.
    for (int i = 0; i < 50 && begun < 2; ++i) {
        wxMilliSleep(20);
        Settle();
    }
    ASSERT_NE(List(dlg)->GetEditControl(), nullptr);
    EXPECT_EQ(begun, 1);
    EXPECT_EQ(Editors(dlg), 1);
    EXPECT_EQ(List(dlg)->GetEditControl()->GetValue(), "bat");

    // A double-click (activation) while the edit is open opens no other.
    wxListEvent activate(wxEVT_LIST_ITEM_ACTIVATED, List(dlg)->GetId());
    activate.SetEventObject(List(dlg));
    List(dlg)->GetEventHandler()->ProcessEvent(activate);
    Settle();
    EXPECT_EQ(begun, 1);
    EXPECT_EQ(Editors(dlg), 1);

    // Escape cancels the typing and leaves no editor behind.
    wxTextCtrl* editor = List(dlg)->GetEditControl();
    editor->SetValue("zzz");
    wxKeyEvent escape(wxEVT_CHAR);
    escape.m_keyCode = WXK_ESCAPE;
    escape.SetEventObject(editor);
    editor->GetEventHandler()->ProcessEvent(escape);
    Settle();
    EXPECT_EQ(List(dlg)->GetEditControl(), nullptr);
    EXPECT_EQ(Editors(dlg), 0);
    EXPECT_EQ(List(dlg)->GetItemText(0), "bat");
    dlg.Hide();
}

TEST_F(ListEditingTest, AnEditOpenAtOkIsKeptAndLineBreaksAreRemoved)
{
    CAdvancedDlg dlg(nullptr);
    dlg.InitDialog();
    dlg.Show();
    // A suffix typed, never confirmed, when OK is pressed (Alt+O leaves the editor open).
    dlg.AddItem();
    ASSERT_NE(List(dlg)->GetEditControl(), nullptr);
    List(dlg)->GetEditControl()->SetValue("php");
    // A pasted text with line breaks, through the editor and directly.
    dlg.AddItem();
    EXPECT_EQ(List(dlg)->GetItemText(9), "php");
    List(dlg)->GetEditControl()->SetValue("sh\r\n");
    List(dlg)->EndEditLabel(false);
    Settle();
    EXPECT_EQ(List(dlg)->GetItemText(10), "sh");
    List(dlg)->InsertItem(List(dlg)->GetItemCount(), "p\nl");

    EXPECT_NO_DIALOG(EXPECT_TRUE(dlg.TransferDataFromWindow()));
    const std::vector<std::string> stored = StoredSuffixes();
    ASSERT_EQ(stored.size(), 12u);
    EXPECT_EQ(stored[9], ".php=1");
    EXPECT_EQ(stored[10], ".sh=1");
    EXPECT_EQ(stored[11], ".pl=1");
    dlg.Hide();
}

} // namespace
} // namespace skerrow::test
