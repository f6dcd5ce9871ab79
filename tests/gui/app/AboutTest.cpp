// The About box: the version from the build, the link fields and what a double-click opens.

#include <wx/stattext.h>

#include "app/CAboutDlg.h"
#include "app/CMainFrame.h"
#include "app/CLinkEdit.h"
#include "app/CVersionInfo.h"
#include "app/StringIds.h"
#include "gui/app/CMainWindowTest.h"

using namespace skerrow;

namespace {

// Double-clicks the field as the mouse would and returns what it asked to open.
wxString DoubleClick(CLinkEdit* field)
{
    wxString opened;
    CLinkEdit::Opener previous = CLinkEdit::SetOpener([&opened](const wxString& target) {
        opened = target;
        return true;
    });
    wxMouseEvent click(wxEVT_LEFT_DCLICK);
    click.SetEventObject(field);
    field->GetEventHandler()->ProcessEvent(click);
    CLinkEdit::SetOpener(previous);
    return opened;
}

} // namespace

TEST_F(CMainWindowTest, AboutBoxShowsVersionAndOpensLinks)
{
    Start("[Advanced]\nLanguage=1\n");
    {
        CAboutDlg about(Frame());
        auto* version = dynamic_cast<wxStaticText*>(about.FindWindow(CAboutDlg::kVersionText));
        ASSERT_NE(version, nullptr);
        EXPECT_EQ(version->GetLabel(), "1.04.0.1");

        auto* site = dynamic_cast<CLinkEdit*>(about.FindWindow(CAboutDlg::kWebSite));
        auto* support = dynamic_cast<CLinkEdit*>(about.FindWindow(CAboutDlg::kSupport));
        auto* donate = dynamic_cast<CLinkEdit*>(about.FindWindow(CAboutDlg::kDonate));
        ASSERT_TRUE(site && support && donate);
        EXPECT_FALSE(site->IsEditable());
        EXPECT_EQ(DoubleClick(site), CAboutDlg::kWebSiteAddress);
        EXPECT_EQ(DoubleClick(support), wxString("mailto:") + CAboutDlg::kSupportAddress);
        EXPECT_EQ(DoubleClick(donate), CAboutDlg::kDonateAddress);
    }
    // Any text with "@" is a mail address; a text holding the donation address opens exactly that.
    EXPECT_EQ(CLinkEdit::TargetOf("write to me@example.org", ""), "mailto:write to me@example.org");
    EXPECT_EQ(CLinkEdit::TargetOf("see https://example.org/give now", "https://example.org/give"),
              "https://example.org/give");
    EXPECT_EQ(CLinkEdit::TargetOf("https://example.org/", "https://example.org/give"), "https://example.org/");

    // Help > About shows the box modally.
    wxTEST_DIALOG(Command(ID_APP_ABOUT), wxExpectDismissableModal<CAboutDlg>(wxID_OK));

    CVersionInfo info;
    EXPECT_EQ(info.GetModuleString("ProductName"), "Skerrow");
    EXPECT_EQ(info.GetModuleString("OriginalFilename"), "Skerrow.EXE");
    EXPECT_EQ(info.GetModuleString("NoSuchString"), "Failure getting NoSuchString");
    EXPECT_EQ(info.GetFileString("/bin/sh", "FileVersion"), "Failure getting FileVersion");
}

TEST_F(CMainWindowTest, LinkThatCannotBeOpenedIsReportedInTheInterfaceLanguage)
{
    Start("[Advanced]\nLanguage=2\n");
    CAboutDlg about(Frame());
    auto* support = dynamic_cast<CLinkEdit*>(about.FindWindow(CAboutDlg::kSupport));
    ASSERT_NE(support, nullptr);
    CLinkEdit::Opener previous = CLinkEdit::SetOpener([](const wxString&) { return false; });
    // Our own message, in French, with the address; not wx's English one.
    const wxString target = wxString("mailto:") + CAboutDlg::kSupportAddress;
    wxString text;
    long style = 0;
    wxTEST_DIALOG(support->OpenLink(), CExpectMessage(wxID_OK, &text, &style));
    CLinkEdit::SetOpener(previous);
    EXPECT_EQ(text, CLinkEdit::FailureText(target));
    EXPECT_NE(text.Find(target), wxNOT_FOUND);
    EXPECT_EQ(text.Find("Failed to open URL"), wxNOT_FOUND);
    EXPECT_NE(text, wxString::Format("No program on this computer could open %s.", target)) << "not translated";
    EXPECT_TRUE(style & wxICON_ERROR);
}
