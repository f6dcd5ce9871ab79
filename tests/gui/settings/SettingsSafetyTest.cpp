// What the settings dialogs do with what a user really pastes and really has stored: line breaks,
// text that is not UTF-8, empty numbers, a port no server listens on, and a settings file that
// cannot be written.

#include <cerrno>
#include <functional>
#include <memory>

#include "app/StringIds.h"
#include "settings/CAdvancedDlg.h"
#include "settings/CConnectDlg.h"
#include "settings/CNumberExchange.h"
#include "settings/CPCDirDlg.h"
#include "settings/CPasswordCodec.h"
#include "settings/CSettingsAlert.h"
#include "settings/CTreeDeleteDlg.h"
#include "SettingsDialogTest.h"

namespace skerrow::test {
namespace {

enum class Kind { Connect, Advanced, TreeDelete, PcDir };

std::unique_ptr<wxDialog> Make(Kind kind)
{
    switch (kind) {
    case Kind::Connect:
        return std::make_unique<CConnectDlg>(nullptr);
    case Kind::Advanced:
        return std::make_unique<CAdvancedDlg>(nullptr);
    case Kind::TreeDelete:
        return std::make_unique<CTreeDeleteDlg>(nullptr);
    case Kind::PcDir:
        break;
    }
    return std::make_unique<CPCDirDlg>(nullptr);
}

// Replaces the field's text as a paste does.
void Paste(wxTextCtrl* field, const wxString& text)
{
    field->SelectAll();
    field->WriteText(text);
}

std::string Encoded(std::string password)
{
    CPasswordCodec().Encode(password);
    return password;
}

class SettingsSafetyTest : public CSettingsDialogTest {};

TEST_F(SettingsSafetyTest, LineBreaksArePastedAway)
{
    const struct {
        Kind kind;
        int field;
        const char* key; // in Configure, or Advanced for Port
        const char* pasted;
        const char* stored;
    } cases[] = {
        {Kind::TreeDelete, CTreeDeleteDlg::ID_DIRECTORY, "FTPDirTreeDel", "new/site\n", "new/site"},
        {Kind::PcDir, CPCDirDlg::ID_PC_DIR, "PCDir", "/tmp\r\n", "/tmp"},
        {Kind::Connect, CConnectDlg::ID_SITE, "FTPURL", "ftp.new.org\n", "ftp.new.org"},
        {Kind::Connect, CConnectDlg::ID_START_DIR, "FTPStartDir", "\n/www\n", "/www"},
        {Kind::Connect, CConnectDlg::ID_USER, "User", "an\nna", "anna"},
        {Kind::Connect, CConnectDlg::ID_PC_DIR, "PCDir", "/tmp\n", "/tmp"},
        {Kind::Advanced, CAdvancedDlg::ID_PORT, "Port", "2121\n", "2121"},
    };
    for (const auto& test : cases) {
        SCOPED_TRACE(test.pasted);
        const char* section = test.kind == Kind::Advanced ? "Advanced" : "Configure";
        CIniFile::WriteString(m_iniPath, section, test.key, "old/site");
        const auto dialog = Make(test.kind);
        dialog->InitDialog();
        Paste(Edit(*dialog, test.field), test.pasted);
        EXPECT_EQ(Edit(*dialog, test.field)->GetValue(), test.stored);
        bool accepted = false;
        EXPECT_NO_DIALOG(accepted = dialog->TransferDataFromWindow());
        EXPECT_TRUE(accepted);
        EXPECT_EQ(Read(section, test.key), test.stored);
    }
}

TEST_F(SettingsSafetyTest, AFailedWriteIsReportedAndTheDialogStaysOpen)
{
    const std::string unwritable = m_dir.Str() + "/gone/s.ini";
    CSettingsFile::SetOverridePath(unwritable);
    const wxString message = CSettingsAlert::WriteFailureText(unwritable, {CIniFile::Error::kSystem, ENOENT});
    for (const Kind kind : {Kind::Connect, Kind::Advanced, Kind::TreeDelete, Kind::PcDir}) {
        SCOPED_TRACE(static_cast<int>(kind));
        const auto dialog = Make(kind);
        dialog->InitDialog();
        bool accepted = true;
        wxTEST_DIALOG(accepted = dialog->TransferDataFromWindow(), CExpectMessage(message, wxICON_ERROR));
        EXPECT_FALSE(accepted);
    }
}

TEST_F(SettingsSafetyTest, TextThatIsNotUtf8ShowsAndGoesBackByteForByte)
{
    const std::string password = "p\xE4ss";
    m_dir.WriteFile("s.ini", "[Configure]\nFTPURL=ftp.example.org\nFTPStartDir=/d\xE9p\xF4t\nUser=j\xFCrgen\nPWD=" +
                                 Encoded(password) + "\nPCDir=/srv/caf\xE9\nFTPDirTreeDel=d\xE9j\xE0\n");
    {
        CConnectDlg dlg(nullptr);
        dlg.InitDialog();
        EXPECT_EQ(Edit(dlg, CConnectDlg::ID_START_DIR)->GetValue(), wxString::FromUTF8("/dépôt"));
        EXPECT_EQ(Edit(dlg, CConnectDlg::ID_USER)->GetValue(), wxString::FromUTF8("jürgen"));
        EXPECT_EQ(Edit(dlg, CConnectDlg::ID_PASSWORD)->GetValue(), wxString::FromUTF8("päss"));
        EXPECT_EQ(Edit(dlg, CConnectDlg::ID_PC_DIR)->GetValue(), wxString::FromUTF8("/srv/café"));
        EXPECT_NO_DIALOG(EXPECT_TRUE(dlg.TransferDataFromWindow()));
    }
    for (const Kind kind : {Kind::PcDir, Kind::TreeDelete}) {
        const auto dialog = Make(kind);
        dialog->InitDialog();
        const int field = kind == Kind::PcDir ? int(CPCDirDlg::ID_PC_DIR) : int(CTreeDeleteDlg::ID_DIRECTORY);
        EXPECT_EQ(Edit(*dialog, field)->GetValue(), wxString::FromUTF8(kind == Kind::PcDir ? "/srv/café" : "déjà"));
        EXPECT_NO_DIALOG(EXPECT_TRUE(dialog->TransferDataFromWindow()));
    }
    EXPECT_EQ(Read("Configure", "FTPStartDir"), "/d\xE9p\xF4t");
    EXPECT_EQ(Read("Configure", "User"), "j\xFCrgen");
    EXPECT_EQ(Read("Configure", "PWD"), Encoded(password));
    EXPECT_EQ(Read("Configure", "PCDir"), "/srv/caf\xE9");
    EXPECT_EQ(Read("Configure", "FTPDirTreeDel"), "d\xE9j\xE0");

    // A field the user changes is stored as typed, in UTF-8.
    CConnectDlg dlg(nullptr);
    dlg.InitDialog();
    Edit(dlg, CConnectDlg::ID_USER)->SetValue(wxString::FromUTF8("jürgen2"));
    EXPECT_NO_DIALOG(EXPECT_TRUE(dlg.TransferDataFromWindow()));
    EXPECT_EQ(Read("Configure", "User"), "j\xC3\xBCrgen2");
    EXPECT_EQ(Read("Configure", "PCDir"), "/srv/caf\xE9");
}

TEST_F(SettingsSafetyTest, EmptyNumbersShowTheDefaultAndThePortMustBeOne)
{
    m_dir.WriteFile("s.ini", "[Advanced]\nPort=\nStopTimeout=\nMaxErrors=x\n");
    {
        CAdvancedDlg dlg(nullptr);
        dlg.InitDialog();
        EXPECT_EQ(Edit(dlg, CAdvancedDlg::ID_PORT)->GetValue(), "21");
        EXPECT_EQ(Edit(dlg, CAdvancedDlg::ID_TIMEOUT)->GetValue(), "3");
        EXPECT_EQ(Edit(dlg, CAdvancedDlg::ID_MAX_ERRORS)->GetValue(), "32000");
    }
    const std::string before = m_dir.ReadFile("s.ini");
    for (const char* port : {"0", "65536", "3000000000"}) {
        CAdvancedDlg dlg(nullptr);
        dlg.InitDialog();
        Edit(dlg, CAdvancedDlg::ID_PORT)->SetValue(port);
        bool accepted = true;
        wxTEST_DIALOG(accepted = dlg.TransferDataFromWindow(),
                      CExpectMessage(CNumberExchange::RangeMessage(1, 65535), wxICON_EXCLAMATION));
        EXPECT_FALSE(accepted) << port;
        EXPECT_EQ(m_dir.ReadFile("s.ini"), before) << port;
    }
}

} // namespace
} // namespace skerrow::test
