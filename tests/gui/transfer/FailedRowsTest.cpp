// A run over a list longer than the window: the list keeps the row being sent in view until the
// user scrolls elsewhere; afterwards the first failed row is selected and in view, F8 and
// Shift+F8 go from failed row to failed row and Enter opens a row's details, pressed as real keys.

#include <wx/uiaction.h>

#include <algorithm>

#include "app/CMainFrame.h"
#include "app/CommandIds.h"
#include "app/StringIds.h"
#include "gui/transfer/CRunWindowTest.h"
#include "list/RowWord.h"
#include "transfer/CRowDetailsDlg.h"
#include "transfer/CSkerrowView.h"
#include "transfer/CTransferListCtrl.h"

using namespace skerrow;

namespace {

using test::FtpServerKind;
using FailedRowsTest = CRunWindowTest;

TEST_F(FailedRowsTest, TheListFollowsTheRunAndFailedRowsAreReachedOnTheKeyboard)
{
    for (int i = 0; i < 400; ++i) {
        char name[32];
        std::snprintf(name, sizeof name, "p%03d.htm", i);
        m_site.WriteFile(name, std::string(200, 'p'));
    }
    BackDateSite();
    if (!StartServer(FtpServerKind::Pyftpdlib, {"--refuse", "p150.htm", "--refuse", "p390.htm"}))
        return;
    StartWindow();
    WriteSetting("Advanced", "Connections", "1");
    CTransferListCtrl* list = ListCtrl();
    bool followed = false;
    bool movedAfterScroll = false;
    CMessageShown report;
    wxTEST_DIALOG(
        {
            Command(ID_FIND_FILES_TRANSFER);
            // The list scrolls down by itself with the rows being sent ...
            followed = PumpUntil([list] { return list->GetTopItem() > 20; }, std::chrono::seconds(20));
            // ... until the user takes it elsewhere: then it stays there.
            list->EnsureVisible(0);
            PumpUntil(
                [&] {
                    // (Once the run has ended, the first failed row is brought into view.)
                    const bool running = View()->Run().IsRunActive();
                    movedAfterScroll = movedAfterScroll || (running && list->GetTopItem() != 0);
                    return !running;
                },
                std::chrono::seconds(60));
            ASSERT_TRUE(AwaitWorkerEnd());
        },
        CExpectBox(&report));
    EXPECT_TRUE(followed);
    EXPECT_FALSE(movedAfterScroll);
    ASSERT_EQ(View()->List().CountInState(kRowFailed), 2u);

    // The first failed row is selected, has the focus and is in view.
    const long first = std::min(RowNamed("p150.htm"), RowNamed("p390.htm")); // in the list's order
    const long second = std::max(RowNamed("p150.htm"), RowNamed("p390.htm"));
    auto shown = [list](long row) {
        return list->SelectedRows() == std::vector<size_t>{static_cast<size_t>(row)} && list->FocusedRow() == row &&
               row >= list->GetTopItem() && row < list->GetTopItem() + list->GetCountPerPage();
    };
    EXPECT_TRUE(shown(first)) << "row " << first << ", focus " << list->FocusedRow() << ", top " << list->GetTopItem();

    // F8 and Shift+F8 as the keyboard sends them, wrapping round.
    wxUIActionSimulator user;
    list->SetFocus();
    const struct {
        int modifiers;
        long row;
    } presses[] = {{wxMOD_NONE, second}, {wxMOD_NONE, first}, {wxMOD_SHIFT, second}, {wxMOD_SHIFT, first}};
    for (const auto& press : presses) {
        user.Char(WXK_F8, press.modifiers);
        EXPECT_TRUE(PumpUntil([&] { return shown(press.row); }, std::chrono::seconds(10))) << press.row;
    }
    // Enter opens the details of the row with the focus, its whole error text.
    wxString details;
    wxTEST_DIALOG(
        {
            user.Char(WXK_RETURN);
            PumpUntil([&] { return !details.empty(); }, std::chrono::seconds(10));
        },
        CExpectDialogDoing<CRowDetailsDlg>([&details](CRowDetailsDlg& dialog) {
            details = dialog.ErrorField()->GetValue();
            return wxID_OK;
        }));
    EXPECT_NE(details.Find("550"), wxNOT_FOUND) << details;
}

} // namespace
