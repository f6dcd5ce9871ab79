// Message boxes show their icon (GTK's own box no longer draws one) and keep their texts, buttons,
// default button and answer.

#include <wx/app.h>
#include <wx/button.h>
#include <wx/msgdlg.h>
#include <wx/statbmp.h>

#include "app/CMainFrame.h"
#include "app/CModalDialogTracker.h"
#include "gui/app/CMainWindowTest.h"
#include "support/ParamByName.h"

namespace {

struct BoxCase {
    const char* name;
    long style;
    int answer;        // the button the user presses
    int defaultButton; // the one Enter presses
};

void PrintTo(const BoxCase& tested, std::ostream* out)
{
    *out << tested.name;
}

class MessageBoxIconTest : public CMainWindowTest, public testing::WithParamInterface<BoxCase> {};

// The picture a box shows, if any.
bool ShowsAnIcon(wxWindow* box)
{
    for (wxWindow* child : box->GetChildren()) {
        auto* picture = dynamic_cast<wxStaticBitmap*>(child);
        if (picture && picture->GetBitmap().IsOk() && picture->IsShown())
            return true;
        if (ShowsAnIcon(child))
            return true;
    }
    return false;
}

} // namespace

TEST_P(MessageBoxIconTest, BoxShowsItsIconAndAnswersAsAsked)
{
    const BoxCase& c = GetParam();
    Start("[Advanced]\nLanguage=1\n");
    wxMessageDialog box(Frame(), "Something happened.", "Skerrow", c.style);
    bool icon = false;
    wxString message;
    int defaultButton = wxID_NONE;
    wxTheApp->CallAfter([&] {
        wxDialog* shown = CModalDialogTracker::Get().Topmost();
        ASSERT_NE(shown, nullptr);
        icon = ShowsAnIcon(shown);
        if (auto* base = dynamic_cast<wxMessageDialogBase*>(shown))
            message = base->GetMessage();
        if (auto* button = dynamic_cast<wxButton*>(shown->GetDefaultItem()))
            defaultButton = button->GetId();
        shown->EndModal(GetParam().answer);
    });
    EXPECT_EQ(box.ShowModal(), c.answer);
    EXPECT_TRUE(icon);
    EXPECT_EQ(message, "Something happened.");
    EXPECT_EQ(defaultButton, c.defaultButton);
}

INSTANTIATE_TEST_SUITE_P(
    Kinds, MessageBoxIconTest,
    testing::Values(BoxCase{"Error", wxOK | wxICON_ERROR, wxID_OK, wxID_OK},
                    BoxCase{"Information", wxOK | wxICON_INFORMATION, wxID_OK, wxID_OK},
                    BoxCase{"QuestionNoByDefault", wxYES_NO | wxNO_DEFAULT | wxICON_QUESTION, wxID_NO, wxID_NO},
                    BoxCase{"StopYesNo", wxYES_NO | wxNO_DEFAULT | wxICON_ERROR, wxID_YES, wxID_NO}),
    skerrow::test::ParamByName());
