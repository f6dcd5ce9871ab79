// The list's columns and row details: the name column fits the names however the list was filled
// (a find, a tree deletion's walk on a worker, an opened list) but takes at most half the list;
// widths survive a change of language; a row's full error shows as its tooltip and, on Enter or a
// double-click, in a box.

#include <thread>

#include "gui/settings/SettingsDialogTest.h"

#include <wx/listctrl.h>
#include <wx/textctrl.h>

#include "app/CMainFrame.h"
#include "app/CommandIds.h"
#include "app/StringIds.h"
#include "gui/app/CMainWindowTest.h"
#include "transfer/CRowDetailsDlg.h"
#include "transfer/CSkerrowView.h"
#include "transfer/CTransferListCtrl.h"
#include "list/RowWord.h"
#include "support/ParamByName.h"

using namespace skerrow;

namespace {

enum class Filled { OnUiThread, ByWorker, Replaced };

struct FitCase {
    const char* name;
    Filled how;
    size_t nameLength; // characters of the longest name
    bool capped;       // the name column is held at half the list
};

// Names the case in test listings.
void PrintTo(const FitCase& tested, std::ostream* out)
{
    *out << tested.name;
}

class ListColumnsTest : public CMainWindowTest, public testing::WithParamInterface<FitCase> {
protected:
    void Fill(Filled how, size_t nameLength)
    {
        std::vector<CTransferRow> rows;
        for (int i = 0; i < 40; ++i)
            rows.push_back({0, "/dir/short" + std::to_string(i) + ".html", "1", ""});
        rows.push_back({0, "/" + std::string(nameLength, 'w') + ".html", "1", ""});
        CTransferList& list = View()->List();
        if (how == Filled::Replaced) {
            list.DeleteAll();
            list.Replace(rows);
            return;
        }
        auto insert = [&list, rows] {
            list.DeleteAll();
            for (const CTransferRow& row : rows)
                list.Insert(list.Count(), row.word, row.name, row.size);
        };
        if (how == Filled::ByWorker)
            std::thread(insert).join();
        else
            insert();
    }

    int NameWidth() const { return ListCtrl()->GetColumnWidth(kColName); }
};

} // namespace

TEST_P(ListColumnsTest, NameColumnFitsItsNamesUpToHalfTheList)
{
    Start("[Advanced]\nLanguage=1\n");
    Frame()->SetSize(wxSize(1000, 600));
    PumpPending();
    Fill(GetParam().how, GetParam().nameLength);
    PumpPending(); // the redraw that takes the batch

    CTransferListCtrl* list = ListCtrl();
    const int longest = list->GetTextExtent(wxString::FromUTF8(list->OnGetItemText(40, kColName))).GetWidth();
    if (GetParam().capped) {
        EXPECT_EQ(NameWidth(), list->NameColumnLimit());
    } else {
        EXPECT_GT(NameWidth(), longest) << "the longest name is cut";
        EXPECT_LT(NameWidth(), list->NameColumnLimit());
    }
    // Size KB and Errors stay on screen; Errors takes what is left.
    int shown = 0;
    for (int column = 0; column < 4; ++column)
        shown += list->GetColumnWidth(column);
    EXPECT_LE(shown, list->GetClientSize().GetWidth());
    EXPECT_GT(list->GetColumnWidth(kColErrors), list->GetClientSize().GetWidth() / 5);

    // The user's widths survive Properties, Connect and Language rebuilding the menus.
    list->SetColumnWidth(kColSize, 123);
    const int name = NameWidth();
    Command(ID_LANGUAGE_GERMAN);
    Command(ID_LANGUAGE_ENGLISH);
    EXPECT_EQ(NameWidth(), name);
    EXPECT_EQ(list->GetColumnWidth(kColSize), 123);
}

INSTANTIATE_TEST_SUITE_P(
    Fills, ListColumnsTest,
    testing::Values(FitCase{"FindShort", Filled::OnUiThread, 30, false}, FitCase{"FindLong", Filled::OnUiThread, 400, true},
                    FitCase{"TreeDeleteWalkShort", Filled::ByWorker, 30, false},
                    FitCase{"TreeDeleteWalkLong", Filled::ByWorker, 400, true},
                    FitCase{"OpenedShort", Filled::Replaced, 30, false}, FitCase{"OpenedLong", Filled::Replaced, 400, true}),
    skerrow::test::ParamByName());

TEST_F(CMainWindowTest, FullErrorTextShowsAsTooltipAndInTheDetailsBox)
{
    Start("[Advanced]\nLanguage=1\n");
    // The text as a failed row holds it, with its lines: the column shows the reply first on one
    // line, the tooltip and the box the lines as they are.
    const std::string error = "error code: 12003\nMessage: An extended error was returned from the server.\n550 " +
                              std::string(300, 'x') + " the end\n";
    View()->List().Insert(0, kRowPending, "/done.html", "1");
    View()->List().Insert(1, kRowFailed, "/img/burgee.svg", "1", error);
    PumpPending();
    CTransferListCtrl* list = ListCtrl();
    EXPECT_EQ(list->RowTip(1), wxString::FromUTF8(error));
    EXPECT_EQ(list->OnGetItemText(1, kColErrors),
              "550 " + std::string(300, 'x') + " the end - error code: 12003 Message: An extended error was returned "
                                                "from the server.");
    EXPECT_EQ(list->RowTip(0), "");
    EXPECT_EQ(list->RowTip(7), "");

    // Moving the mouse down over the rows: the failed row's tip is its whole error, the other
    // row has none.
    wxWindow* rows = list;
    for (wxWindow* child : list->GetChildren()) {
        if (wxString(child->GetClassInfo()->GetClassName()) == "wxListMainWindow")
            rows = child;
    }
    bool sawError = false;
    bool sawNone = false;
    for (int y = 1; y < 120; y += 2) {
        wxMouseEvent move(wxEVT_MOTION);
        move.SetEventObject(rows);
        move.SetPosition(wxPoint(40, y));
        rows->GetEventHandler()->ProcessEvent(move);
        int flags = 0;
        const long row = list->HitTest(wxPoint(40, y), flags);
        if (row == 1) {
            EXPECT_EQ(rows->GetToolTipText(), wxString::FromUTF8(error)) << "y " << y;
            sawError = true;
        } else if (row == 0) {
            EXPECT_EQ(rows->GetToolTipText(), "") << "y " << y;
            sawNone = true;
        }
    }
    EXPECT_TRUE(sawError && sawNone);

    // Enter or a double-click on the failed row: the box with the whole text.
    wxString shown;
    const CExpectModalCall<CRowDetailsDlg> details([&shown](CRowDetailsDlg* dialog) {
        shown = dialog->ErrorField()->GetValue();
        return int(wxID_OK);
    });
    wxListEvent activated(wxEVT_LIST_ITEM_ACTIVATED, list->GetId());
    activated.SetEventObject(list);
    activated.SetIndex(1);
    wxTEST_DIALOG(list->GetEventHandler()->ProcessEvent(activated), details);
    EXPECT_EQ(shown, wxString::FromUTF8(error));

    // A row without an error opens nothing.
    activated.SetIndex(0);
    EXPECT_NO_DIALOG(list->GetEventHandler()->ProcessEvent(activated));
}
