// The list view over the transfer list: a find fills it, Re-set and the Delete key change it, and
// changes from a worker thread reach the window.

#include <set>
#include <thread>

#include <wx/listctrl.h>
#include <wx/uiaction.h>

#include "app/CMainFrame.h"
#include "app/CSkerrowApp.h"
#include "app/CStringTable.h"
#include "app/StringIds.h"
#include "gui/app/CMainWindowTest.h"
#include "settings/CConnectDlg.h"
#include "settings/CPCDirDlg.h"
#include "transfer/CSkerrowView.h"
#include "transfer/CTransferListCtrl.h"
#include "list/RowWord.h"

using namespace skerrow;

namespace {

// The settings of a run over pcDir that wants every file.
std::string IniFor(const std::string& pcDir)
{
    return "[Configure]\nPCDir=" + pcDir + "\nUploadAllFiles=1\n[Advanced]\nLanguage=1\n";
}

std::set<std::string> ShownNames(CTransferListCtrl* list)
{
    std::set<std::string> names;
    for (long row = 0; row < list->GetItemCount(); ++row)
        names.insert(list->OnGetItemText(row, kColName).utf8_string());
    return names;
}

void SetWord(CSkerrowView* view, size_t row, int32_t word, const std::string& error)
{
    view->List().SetWord(row, word);
    view->List().SetText(row, kColErrors, error);
}

} // namespace

TEST_F(CMainWindowTest, FindFilesShowsTheRowsOfThePcDirectory)
{
    m_dir.WriteFile("site/index.html", "");
    m_dir.MakeFileOfSize("site/img/logo.gif", 1024);
    m_dir.WriteFile("site/_private/notes.txt", "left out");
    Start(IniFor(m_dir.Str() + "/site"));

    // Find Files asks for the PC directory first; OK keeps the one in the settings.
    wxTEST_DIALOG(Command(ID_FIND_FILES), CExpectDialog<CPCDirDlg>(wxID_OK));
    CTransferListCtrl* list = ListCtrl();
    ASSERT_EQ(list->GetItemCount(), 2);
    EXPECT_EQ(ShownNames(list), (std::set<std::string>{"index.html", "/img/logo.gif"}));
    for (long row = 0; row < 2; ++row) {
        const bool isLogo = list->OnGetItemText(row, kColName) == "/img/logo.gif";
        EXPECT_EQ(list->OnGetItemText(row, kColSize), isLogo ? "2" : "1");
        EXPECT_EQ(list->OnGetItemText(row, kColStatus), "");
        EXPECT_EQ(list->OnGetItemImage(row), 0); // PC file, Pending
    }
    EXPECT_EQ(View()->GetRunState(), 1);
    EXPECT_EQ(PaneText(CMainFrame::kMessagePane), "Ready");

    // Icons by state and kind.
    SetWord(View(), 0, kRowDone, "");
    SetWord(View(), 1, kKindFtpEntry << 4, "");
    PumpPending();
    EXPECT_EQ(list->OnGetItemImage(0), 1);
    EXPECT_EQ(list->OnGetItemImage(1), 3);
    SetWord(View(), 1, (kKindFtpEntry << 4) | kRowFailed, "550 refused");
    PumpPending();
    EXPECT_EQ(list->OnGetItemImage(1), 2);
    EXPECT_EQ(list->OnGetItemText(1, kColErrors), "550 refused");
}

TEST_F(CMainWindowTest, FindFilesInAnEmptyDirectoryTellsTheUser)
{
    m_dir.MakeDir("empty");
    Start(IniFor(m_dir.Str() + "/empty"));
    wxString text;
    long style = 0;
    wxTEST_DIALOG(Command(ID_FIND_FILES), CExpectDialog<CPCDirDlg>(wxID_OK), CExpectMessage(wxID_OK, &text, &style));
    EXPECT_EQ(text, wxString::FromUTF8(LoadString(IDS_NO_FILES_FOUND)));
    EXPECT_TRUE(style & wxICON_INFORMATION);
    EXPECT_EQ(ListCtrl()->GetItemCount(), 0);
}

TEST_F(CMainWindowTest, ResetAndDeleteKeyChangeOnlyTheList)
{
    for (const char* name : {"a.txt", "b.txt", "c.txt", "d.txt"})
        m_dir.WriteFile(std::string("site/") + name, name);
    Start(IniFor(m_dir.Str() + "/site"));
    wxTEST_DIALOG(Command(ID_FIND_FILES), CExpectDialog<CPCDirDlg>(wxID_OK));
    CTransferListCtrl* list = ListCtrl();
    ASSERT_EQ(list->GetItemCount(), 4);

    SetWord(View(), 0, kRowDone, "");
    SetWord(View(), 1, kRowFailed, "timed out");
    SetWord(View(), 2, (kKindFtpEntry << 4) | kRowFailed, "550");
    Command(ID_RESET);
    EXPECT_EQ(list->OnGetItemImage(0), 0);
    EXPECT_EQ(list->OnGetItemImage(1), 0);
    EXPECT_EQ(list->OnGetItemImage(2), 3); // the kind is kept
    EXPECT_EQ(list->OnGetItemText(1, kColErrors), "");
    EXPECT_EQ(View()->GetRunState(), 1);

    auto pressDelete = [this] {
        PressDeleteKey();
        PumpPending();
    };
    pressDelete(); // nothing selected: nothing goes
    ASSERT_EQ(list->GetItemCount(), 4);

    const wxString keep1 = list->OnGetItemText(0, kColName);
    const wxString keep2 = list->OnGetItemText(2, kColName);
    list->SelectRows(1, 1, true);
    list->SelectRows(3, 3, true);
    pressDelete();
    ASSERT_EQ(list->GetItemCount(), 2);
    EXPECT_EQ(list->OnGetItemText(0, kColName), keep1);
    EXPECT_EQ(list->OnGetItemText(1, kColName), keep2);
    EXPECT_EQ(list->SelectedCount(), 0u);
    EXPECT_TRUE(std::filesystem::exists(m_dir.Path() / "site/b.txt"));
}

TEST_F(CMainWindowTest, SelectionAndDeleteKeysOnTheKeyboardAndMouse)
{
    for (const char* name : {"a.txt", "b.txt", "c.txt", "d.txt", "e.txt"})
        m_dir.WriteFile(std::string("site/") + name, name);
    Start(IniFor(m_dir.Str() + "/site"));
    wxTEST_DIALOG(Command(ID_FIND_FILES), CExpectDialog<CPCDirDlg>(wxID_OK));
    PumpPending();
    CTransferListCtrl* list = ListCtrl();
    ASSERT_EQ(list->GetItemCount(), 5);
    auto selected = [list] {
        std::string rows;
        for (long row = 0; row < list->GetItemCount(); ++row)
            rows += list->IsRowSelected(row) ? '1' : '0';
        return rows;
    };
    // Real clicks and key presses, through the X server, as the user's mouse and keyboard send them.
    wxUIActionSimulator user;
    auto click = [&](long row, int modifier) {
        wxRect rect;
        list->GetItemRect(row, rect);
        user.MouseMove(list->ClientToScreen(rect.GetPosition() + wxPoint(rect.width / 2, rect.height / 2)));
        if (modifier != 0)
            user.KeyDown(modifier);
        user.MouseClick();
        if (modifier != 0)
            user.KeyUp(modifier);
        PumpPending();
    };
    auto press = [&](int key, int modifiers = wxMOD_NONE) {
        user.Char(key, modifiers);
        PumpPending();
    };
    click(0, 0);
    click(2, WXK_CONTROL);
    PumpUntil([&] { return selected() == "10100"; }, std::chrono::seconds(10));
    click(3, WXK_SHIFT); // from the anchor, the row Ctrl+clicked last
    PumpUntil([&] { return selected() == "00110"; }, std::chrono::seconds(10));
    EXPECT_EQ(list->GetSelectedItemCount(), 0); // wx's own store stays empty

    press(WXK_END);
    press(WXK_UP, wxMOD_SHIFT);
    press(WXK_UP, wxMOD_SHIFT);
    press(WXK_UP, wxMOD_CONTROL); // the focus moves, the selection stays
    PumpUntil([&] { return list->FocusedRow() == 1; }, std::chrono::seconds(10));
    EXPECT_EQ(selected(), "00111");
    press(WXK_SPACE);
    PumpUntil([&] { return selected() == "01111"; }, std::chrono::seconds(10));
    const wxString kept = list->OnGetItemText(0, kColName);
    press(WXK_DELETE);
    PumpUntil([list] { return list->GetItemCount() != 5; }, std::chrono::seconds(10));
    ASSERT_EQ(list->GetItemCount(), 1);
    EXPECT_EQ(list->OnGetItemText(0, kColName), kept);
    press('a', wxMOD_CONTROL);
    PumpUntil([&] { return selected() == "1"; }, std::chrono::seconds(10));
    // The anchor of the rows deleted went with them: Shift+click reaches back to the first row only.
    ASSERT_EQ(list->FocusedRow(), -1);
    click(0, WXK_SHIFT);
    PumpUntil([list] { return list->FocusedRow() == 0; }, std::chrono::seconds(10));
    EXPECT_EQ(list->SelectedRows(), std::vector<size_t>{0});
}

TEST_F(CMainWindowTest, DeleteKeyOnHalfOfALongListKeepsTheOtherHalfInOrder)
{
    Start(IniFor(m_dir.Str() + "/site"));
    CTransferListCtrl* list = ListCtrl();
    std::vector<CTransferRow> rows;
    for (int i = 0; i < 100000; ++i)
        rows.push_back({0, "/f" + std::to_string(i), "1", ""});
    View()->List().Replace(std::move(rows));
    PumpPending();
    ASSERT_EQ(list->GetItemCount(), 100000);
    // Every other row, as Ctrl+clicks would leave them, and the row in focus among them.
    for (size_t row = 0; row < 100000; row += 2)
        list->SelectRows(row, row, true);
    list->SetItemState(99998, wxLIST_STATE_FOCUSED, wxLIST_STATE_FOCUSED);
    PressDeleteKey();
    PumpPending();
    ASSERT_EQ(list->GetItemCount(), 50000);
    EXPECT_EQ(list->SelectedCount(), 0u);
    EXPECT_EQ(list->GetSelectedItemCount(), 0);
    for (long row : {0L, 1L, 24999L, 49999L})
        EXPECT_EQ(list->OnGetItemText(row, kColName), "/f" + std::to_string(2 * row + 1));
    // The rows left are still reached by their ids, as a pass names them.
    const std::vector<RowId> ids = View()->List().Ids();
    EXPECT_TRUE(View()->List().SetRowState(ids[49999], kRowDone, ""));
    EXPECT_EQ(list->OnGetItemImage(49999), 1);
}

TEST_F(CMainWindowTest, RowsAndQuestionsFromAWorkerReachTheWindow)
{
    Start(IniFor(m_dir.Str()));
    CTransferList& rows = View()->List();
    std::thread filler([&rows] {
        for (size_t i = 0; i < 1000; ++i)
            rows.Insert(i, 0, "file" + std::to_string(i), "1");
        rows.SetWord(999, kRowDone);
    });
    filler.join();
    PumpPending();
    ASSERT_EQ(ListCtrl()->GetItemCount(), 1000);
    EXPECT_EQ(ListCtrl()->OnGetItemText(999, kColName), "file999");
    EXPECT_EQ(ListCtrl()->OnGetItemImage(999), 1);

    // A worker's question is shown on the UI thread and the worker gets the answer.
    std::atomic<int> answer{-1};
    wxString text;
    wxTEST_DIALOG(
        {
            std::thread worker([this, &answer] {
                answer = View()->AskYesNo("Delete them?", PromptIcon::Question) ? 1 : 0;
            });
            PumpUntil([&answer] { return answer >= 0; });
            worker.join();
        },
        CExpectMessage(wxID_YES, &text));
    EXPECT_EQ(answer, 1);
    EXPECT_EQ(text, "Delete them?");
}

TEST_F(CMainWindowTest, AutomaticRunStartsWhenTheArgumentsAskForIt)
{
    m_dir.WriteFile("site/index.html", "<html></html>");
    SkerrowApp().SetArguments("C:/Sites /A");
    // No FTP site is set, so the run asks for one first; cancelling ends it with run state 0.
    wxTEST_DIALOG(Start(IniFor(m_dir.Str() + "/site")), CExpectDialog<CConnectDlg>(wxID_CANCEL));
    EXPECT_EQ(View()->GetRunState(), 0);
    EXPECT_EQ(ListCtrl()->GetItemCount(), 0);
}

TEST_F(CMainWindowTest, NoAutomaticRunWithoutTheSwitch)
{
    m_dir.WriteFile("site/index.html", "<html></html>");
    SkerrowApp().SetArguments("/home/user/sites");
    Start(IniFor(m_dir.Str() + "/site"));
    EXPECT_EQ(View()->GetRunState(), 0);
    EXPECT_EQ(ListCtrl()->GetItemCount(), 0);
}
