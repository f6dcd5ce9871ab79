// Clicking a column title sorts the rows shown, the second click the other way; the list itself
// (what a saved list holds, what Delete removes) keeps its order and its rows. Clicked with the
// real mouse, on the header GTK draws.

#include <wx/uiaction.h>
#include <wx/utils.h>

#include "gui/app/CMainWindowTest.h"
#include "list/RowWord.h"
#include "transfer/CSkerrowView.h"
#include "transfer/CTransferListCtrl.h"

using namespace skerrow;

namespace {

// The column titles: the list's inner window above the one with the rows.
wxWindow* Header(CTransferListCtrl* list)
{
    wxWindow* top = nullptr;
    for (wxWindow* child : list->GetChildren()) {
        if (!top || child->GetPosition().y < top->GetPosition().y)
            top = child;
    }
    return list->GetChildren().size() > 1 ? top : nullptr;
}

std::string Shown(CTransferListCtrl* list)
{
    std::string names;
    for (long item = 0; item < list->GetItemCount(); ++item)
        names += list->OnGetItemText(item, kColName).utf8_string() + " ";
    return names;
}

TEST_F(CMainWindowTest, ColumnTitlesSortTheViewNotTheListOnTheKeyboard)
{
    Start("[Advanced]\nLanguage=1\n");
    CTransferList& rows = View()->List();
    const int32_t entry = kKindFtpEntry << 4;
    rows.Insert(0, kRowPending, "/b.html", "2");
    rows.Insert(1, kRowFailed, "/A.html", "1,024", "550 refused");
    rows.Insert(2, kRowDone, "/c.html", "");
    rows.Insert(3, kRowPending, "/a2.html", "10");
    rows.Insert(4, entry, "/d", "3");
    PumpPending();
    CTransferListCtrl* list = ListCtrl();
    list->SelectRows(2, 2, true); // /c.html
    wxWindow* header = Header(list);
    ASSERT_NE(header, nullptr);

    const struct {
        int column;
        bool ascending;
        const char* order;
    } clicks[] = {
        {kColSize, true, "/c.html /b.html /d /a2.html /A.html "},
        {kColSize, false, "/A.html /a2.html /d /b.html /c.html "},
        {kColName, true, "/A.html /a2.html /b.html /c.html /d "},
        {kColStatus, true, "/A.html /b.html /a2.html /d /c.html "},
        {kColStatus, false, "/c.html /d /b.html /a2.html /A.html "},
    };
    wxUIActionSimulator user;
    for (const auto& click : clicks) {
        SCOPED_TRACE(click.order);
        int x = 0;
        for (int column = 0; column < click.column; ++column)
            x += list->GetColumnWidth(column);
        user.MouseMove(header->ClientToScreen(wxPoint(x + list->GetColumnWidth(click.column) / 2, 5)));
        // (Two clicks within the double-click time are a double click, which sorts nothing.)
        wxMilliSleep(600);
        user.MouseClick();
        EXPECT_TRUE(PumpUntil([&] { return Shown(list) == click.order; }, std::chrono::seconds(5))) << Shown(list);
        EXPECT_EQ(list->Order().Ascending(), click.ascending);
        EXPECT_EQ(list->SelectedRows(), std::vector<size_t>{2}); // still /c.html, wherever it stands
    }
    EXPECT_EQ(rows.GetText(0, kColName), "/b.html"); // the list's own order is untouched

    // Delete takes the row the user sees selected.
    list->SelectRows(0, static_cast<size_t>(list->GetItemCount()) - 1, false);
    list->SelectRows(4, 4, true); // shown last: /A.html
    PressDeleteKey();
    PumpPending();
    ASSERT_EQ(rows.Count(), 4u);
    for (size_t row = 0; row < rows.Count(); ++row)
        EXPECT_NE(rows.GetText(row, kColName), "/A.html");
    EXPECT_EQ(Shown(list), "/c.html /d /b.html /a2.html "); // sorted again over the rows left
}

} // namespace
