// Pictures of the settings dialogs for the documentation and for checking that the
// translated labels fit. Runs only when SKERROW_SCREENSHOT_DIR names where to put them
// (scripts/dialog-screenshots.sh sets it); needs ImageMagick's import.

#include <wx/app.h>
#include <wx/utils.h>

#include <cstdlib>

#include "settings/CAdvancedDlg.h"
#include "settings/CConnectDlg.h"
#include "settings/CPCDirDlg.h"
#include "settings/CTreeDeleteDlg.h"
#include "SettingsDialogTest.h"

namespace skerrow::test {
namespace {

class DialogScreenshotTest : public CSettingsDialogTest {
protected:
    void SetUp() override
    {
        const char* dir = std::getenv("SKERROW_SCREENSHOT_DIR");
        if (!dir || !*dir)
            GTEST_SKIP() << "SKERROW_SCREENSHOT_DIR is not set";
        m_outDir = dir;
        CSettingsDialogTest::SetUp();
        const char* lang = std::getenv("SKERROW_SCREENSHOT_LANG");
        m_suffix = lang && *lang ? std::string("-") + lang : std::string();
        if (m_suffix == "-de") {
            ASSERT_TRUE(CStringTable::LoadCatalog(SKERROW_BIN_DIR "/LangGER.mo"));
        } else if (m_suffix == "-fr") {
            ASSERT_TRUE(CStringTable::LoadCatalog(SKERROW_BIN_DIR "/LangFRA.mo"));
        }
    }

    void TearDown() override
    {
        CStringTable::Unload();
        CSettingsDialogTest::TearDown();
    }

    // Shows the dialog, lets it paint, and grabs its part of the screen.
    void Capture(wxDialog& dlg, const std::string& name)
    {
        dlg.InitDialog();
        dlg.CentreOnScreen();
        dlg.Show();
        for (int i = 0; i < 200 && !dlg.IsShownOnScreen(); ++i)
            wxTheApp->Yield(true);
        // Painting happens on GTK's frame clock; give it a few rounds.
        for (int i = 0; i < 10; ++i) {
            dlg.Update();
            wxTheApp->Yield(true);
            wxMilliSleep(50);
        }
        const wxRect r = dlg.GetScreenRect();
        const std::string out = m_outDir + "/" + name + m_suffix + ".png";
        const std::string command = "import -window root -crop " + std::to_string(r.width) + "x" +
                                    std::to_string(r.height) + "+" + std::to_string(r.x) + "+" +
                                    std::to_string(r.y) + " +repage '" + out + "'";
        EXPECT_EQ(std::system(command.c_str()), 0) << command;
        dlg.Hide();
    }

    std::string m_outDir;
    std::string m_suffix;
};

TEST_F(DialogScreenshotTest, ConnectDialog)
{
    CIniFile::WriteString(m_iniPath, "Configure", "FTPURL", "ftp.example.org");
    CIniFile::WriteString(m_iniPath, "Configure", "FTPStartDir", "/public_html");
    CIniFile::WriteString(m_iniPath, "Configure", "User", "webmaster");
    CIniFile::WriteString(m_iniPath, "Configure", "PWD", "0063006f00640065");
    CIniFile::WriteString(m_iniPath, "Configure", "PCDir", "/home/anna/site");
    CIniFile::WriteString(m_iniPath, "Data", "LastRun", "2005\\03\\14 09:05");
    CConnectDlg dlg(nullptr);
    Capture(dlg, "connect-dialog");
}

TEST_F(DialogScreenshotTest, AdvancedDialog)
{
    CAdvancedDlg dlg(nullptr);
    Capture(dlg, "advanced-dialog");
}

TEST_F(DialogScreenshotTest, TreeDeleteDialog)
{
    CIniFile::WriteString(m_iniPath, "Configure", "FTPDirTreeDel", "public_html/old");
    CTreeDeleteDlg dlg(nullptr);
    Capture(dlg, "tree-delete-dialog");
}

TEST_F(DialogScreenshotTest, PcDirectoryDialog)
{
    CIniFile::WriteString(m_iniPath, "Configure", "PCDir", "/home/anna/site");
    CPCDirDlg dlg(nullptr);
    Capture(dlg, "pc-directory-dialog");
}

} // namespace
} // namespace skerrow::test
