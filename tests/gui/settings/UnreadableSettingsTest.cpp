// A settings file that exists but cannot be read: the user is told once, when the window is up,
// with the path and the reason; the program runs on its defaults and never writes over it.

#include <cerrno>

#include "app/CMainFrame.h"
#include "app/CSkerrowApp.h"
#include "gui/app/CMainWindowTest.h"
#include "settings/CConnectDlg.h"
#include "settings/CSettingsAlert.h"
#include "settings/CSettingsFile.h"
#include "transfer/CSkerrowView.h"

namespace {

TEST_F(CMainWindowTest, AnUnreadableSettingsFileIsReportedOnceAndNeverWritten)
{
    // Where the settings file belongs stands a directory: it exists, and reading it fails.
    const std::string path = m_dir.MakeDir("skerrow.ini").string();
    m_dir.WriteFile("skerrow.ini/keep", "x");
    skerrow::CSettingsFile::SetOverridePath(path);

    wxString text;
    long style = 0;
    bool created = false;
    wxTEST_DIALOG(created = SkerrowApp().CreateMainWindow(), CExpectMessage(wxID_OK, &text, &style));
    ASSERT_TRUE(created);
    EXPECT_EQ(text, CSettingsAlert::UnreadableText({path, EISDIR}));
    EXPECT_TRUE(text.Contains(wxString::FromUTF8(path)));
    EXPECT_TRUE(style & wxICON_ERROR);
    EXPECT_TRUE(Frame()->IsShown());

    // Told once: nothing more to report.
    EXPECT_FALSE(CSettingsAlert::ShowUnreadable(Frame()));

    // A dialog's OK is refused with the reason and keeps the dialog open.
    CConnectDlg dialog(Frame());
    dialog.InitDialog();
    bool accepted = true;
    wxTEST_DIALOG(accepted = dialog.TransferDataFromWindow(), CExpectMessage(wxID_OK, &text));
    EXPECT_FALSE(accepted);
    EXPECT_EQ(text, CSettingsAlert::WriteFailureText(path, {skerrow::CIniFile::Error::kUnreadable, EISDIR}));
    EXPECT_EQ(m_dir.ReadFile("skerrow.ini/keep"), "x");
}

} // namespace
