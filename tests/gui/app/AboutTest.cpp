// The About box: the version from the build, and no address that leads nowhere.

#include <wx/stattext.h>
#include <wx/textctrl.h>

#include "app/CAboutDlg.h"
#include "app/CMainFrame.h"
#include "app/CVersionInfo.h"
#include "app/StringIds.h"
#include "gui/app/CMainWindowTest.h"

using namespace skerrow;

TEST_F(CMainWindowTest, AboutBoxShowsVersionAndNoPlaceholderAddress)
{
    Start("[Advanced]\nLanguage=1\n");
    {
        CAboutDlg about(Frame());
        auto* version = dynamic_cast<wxStaticText*>(about.FindWindow(CAboutDlg::kVersionText));
        ASSERT_NE(version, nullptr);
        EXPECT_EQ(version->GetLabel(), "1.04.0.1");

        // Every text the box shows: no link field, no web or mail address.
        size_t texts = 0;
        for (wxWindow* child : about.GetChildren()) {
            EXPECT_EQ(dynamic_cast<wxTextCtrl*>(child), nullptr) << "a link field";
            const wxString label = child->GetLabel();
            ++texts;
            for (const char* address : {"example", "http", "www.", "@"})
                EXPECT_EQ(label.Find(address), wxNOT_FOUND) << label;
        }
        EXPECT_GE(texts, 4U);
    }

    // Help > About shows the box modally.
    wxTEST_DIALOG(Command(ID_APP_ABOUT), wxExpectDismissableModal<CAboutDlg>(wxID_OK));

    CVersionInfo info;
    EXPECT_EQ(info.GetModuleString("ProductName"), "Skerrow");
    EXPECT_EQ(info.GetModuleString("OriginalFilename"), "Skerrow.EXE");
    EXPECT_EQ(info.GetModuleString("NoSuchString"), "Failure getting NoSuchString");
    EXPECT_EQ(info.GetFileString("/bin/sh", "FileVersion"), "Failure getting FileVersion");
}
