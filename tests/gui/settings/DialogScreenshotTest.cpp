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
#include "gui/CScreenshot.h"

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

    void Capture(wxDialog& dlg, const std::string& name) { CaptureDialog(dlg, m_outDir + "/" + name + m_suffix + ".png"); }

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

TEST_F(DialogScreenshotTest, AdvancedDialogOverSftp)
{
    CIniFile::WriteString(m_iniPath, "Advanced", "Protocol", "1");
    CIniFile::WriteString(m_iniPath, "Advanced", "Port", "22");
    CAdvancedDlg dlg(nullptr);
    Capture(dlg, "advanced-dialog-sftp");
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
