#include <wx/checkbox.h>

#include <filesystem>
#include <fstream>

#include "app/StringIds.h"
#include "settings/CConnectDlg.h"
#include "settings/CDateTime.h"
#include "settings/CNumberExchange.h"
#include "settings/CPasswordCodec.h"
#include "SettingsDialogTest.h"

namespace skerrow::test {
namespace {

class ConnectDlgTest : public CSettingsDialogTest {
protected:
    void SetDate(CConnectDlg& dlg, const char* day, const char* month, const char* year, const char* hour,
                 const char* minutes)
    {
        Control<wxCheckBox>(dlg, CConnectDlg::ID_NEVER)->SetValue(false);
        Edit(dlg, CConnectDlg::ID_DAY)->SetValue(day);
        Edit(dlg, CConnectDlg::ID_MONTH)->SetValue(month);
        Edit(dlg, CConnectDlg::ID_YEAR)->SetValue(year);
        Edit(dlg, CConnectDlg::ID_HOUR)->SetValue(hour);
        Edit(dlg, CConnectDlg::ID_MINUTES)->SetValue(minutes);
    }
};

// A first start shows Never with the date greyed; taking Never off proposes the present time.
TEST_F(ConnectDlgTest, NoSettingsFileOpensWithNeverAndOkStoresThePresetDate)
{
    CConnectDlg dlg(nullptr);
    dlg.InitDialog();
    EXPECT_EQ(dlg.GetTitle(), "Connect");
    EXPECT_EQ(Edit(dlg, CConnectDlg::ID_SITE)->GetValue(), "");
    EXPECT_EQ(Edit(dlg, CConnectDlg::ID_PASSWORD)->GetValue(), "");
    EXPECT_FALSE(Control<wxCheckBox>(dlg, CConnectDlg::ID_UPLOAD_ALL)->GetValue());
    auto* never = Control<wxCheckBox>(dlg, CConnectDlg::ID_NEVER);
    EXPECT_TRUE(never->GetValue());
    const int dateFields[] = {CConnectDlg::ID_DAY, CConnectDlg::ID_MONTH, CConnectDlg::ID_YEAR, CConnectDlg::ID_HOUR,
                              CConnectDlg::ID_MINUTES};
    for (int id : dateFields) {
        EXPECT_EQ(Edit(dlg, id)->GetValue(), "") << id;
        EXPECT_FALSE(Edit(dlg, id)->IsEnabled()) << id;
    }

    bool accepted = false;
    EXPECT_NO_DIALOG(accepted = dlg.TransferDataFromWindow());
    EXPECT_TRUE(accepted);
    EXPECT_EQ(Read("Data", "LastRun"), "1000\\01\\01 01:01");
    EXPECT_EQ(Read("Configure", "FTPURL"), "");
    EXPECT_EQ(Read("Configure", "UploadAllFiles"), "0");

    never->SetValue(false);
    wxCommandEvent click(wxEVT_CHECKBOX, CConnectDlg::ID_NEVER);
    click.SetInt(0);
    never->GetEventHandler()->ProcessEvent(click);
    EXPECT_EQ(Edit(dlg, CConnectDlg::ID_YEAR)->GetValue(), std::to_string(CDateTime::Now().year));
    EXPECT_TRUE(Edit(dlg, CConnectDlg::ID_DAY)->IsEnabled());
    EXPECT_NO_DIALOG(accepted = dlg.TransferDataFromWindow());
    EXPECT_NE(Read("Data", "LastRun").substr(0, 4), "1000");
    CConnectDlg reopened(nullptr);
    reopened.InitDialog();
    EXPECT_FALSE(Control<wxCheckBox>(reopened, CConnectDlg::ID_NEVER)->GetValue());
}

// A folder typed that is not there is refused before anything is written; one left as stored
// passes (it may be on a drive not mounted now).
TEST_F(ConnectDlgTest, APcFolderThatIsNotThereIsRefusedWhenTyped)
{
    CIniFile::WriteString(m_iniPath, "Configure", "PCDir", "/not/mounted/now");
    CConnectDlg dlg(nullptr);
    dlg.InitDialog();
    EXPECT_NO_DIALOG(EXPECT_TRUE(dlg.TransferDataFromWindow()));
    Edit(dlg, CConnectDlg::ID_SITE)->SetValue("ftp.example.org");
    const std::string missing = m_dir.Str() + "/site";
    Edit(dlg, CConnectDlg::ID_PC_DIR)->SetValue(missing);
    bool accepted = true;
    wxTEST_DIALOG(accepted = dlg.TransferDataFromWindow(),
                  CExpectMessage("The PC folder \"" + missing +
                                     "\" does not exist. Choose the folder that holds your site.",
                                 wxICON_ERROR));
    EXPECT_FALSE(accepted);
    EXPECT_EQ(Read("Configure", "FTPURL"), "");
    EXPECT_EQ(Edit(dlg, CConnectDlg::ID_PC_DIR)->GetStringSelection(), missing);
    std::filesystem::create_directory(missing);
    EXPECT_NO_DIALOG(EXPECT_TRUE(dlg.TransferDataFromWindow()));
    EXPECT_EQ(Read("Configure", "PCDir"), missing);
}

TEST_F(ConnectDlgTest, OkThroughTheModalLoopWritesWhatWasTyped)
{
    CConnectDlg dlg(nullptr);
    dlg.CallAfter([&] {
        Edit(dlg, CConnectDlg::ID_SITE)->SetValue("ftp.example.org");
        Edit(dlg, CConnectDlg::ID_START_DIR)->SetValue(" /www ");
        Edit(dlg, CConnectDlg::ID_USER)->SetValue("anna");
        Edit(dlg, CConnectDlg::ID_PC_DIR)->SetValue("/tmp");
        Control<wxCheckBox>(dlg, CConnectDlg::ID_UPLOAD_ALL)->SetValue(true);
        SetDate(dlg, "14", "3", "2005", "9", "5");
        wxCommandEvent ok(wxEVT_BUTTON, wxID_OK);
        dlg.GetEventHandler()->ProcessEvent(ok);
    });
    EXPECT_EQ(dlg.ShowModal(), wxID_OK);
    EXPECT_EQ(Read("Configure", "FTPURL"), "ftp.example.org");
    EXPECT_EQ(Read("Configure", "FTPStartDir"), "/www"); // the settings file keeps no surrounding blanks
    EXPECT_EQ(Read("Configure", "User"), "anna");
    EXPECT_EQ(Read("Configure", "PCDir"), "/tmp");
    EXPECT_EQ(Read("Configure", "UploadAllFiles"), "1");
    EXPECT_EQ(Read("Data", "LastRun"), "2005\\03\\14 09:05");
}

TEST_F(ConnectDlgTest, ImpossibleDateIsRefusedAfterTheOtherKeysAreWritten)
{
    CIniFile::WriteString(m_iniPath, "Data", "LastRun", "2005\\03\\14 09:05");
    CConnectDlg dlg(nullptr);
    dlg.InitDialog();
    EXPECT_EQ(Edit(dlg, CConnectDlg::ID_DAY)->GetValue(), "14");
    Edit(dlg, CConnectDlg::ID_SITE)->SetValue("ftp.example.org");

    // 31 April.
    SetDate(dlg, "31", "4", "2020", "10", "30");
    bool accepted = true;
    wxTEST_DIALOG(accepted = dlg.TransferDataFromWindow(), CExpectMessage(IDS_INCORRECT_DATE, wxICON_ERROR));
    EXPECT_FALSE(accepted);
    EXPECT_EQ(Read("Configure", "FTPURL"), "ftp.example.org");
    EXPECT_EQ(Read("Configure", "UploadAllFiles"), "0");
    EXPECT_EQ(Read("Data", "LastRun"), "2005\\03\\14 09:05");
    EXPECT_EQ(Edit(dlg, CConnectDlg::ID_DAY)->GetStringSelection(), "31");

    // Hour 24 and Minutes 60 pass the range checks; the date check refuses them.
    SetDate(dlg, "1", "5", "2020", "24", "0");
    wxTEST_DIALOG(accepted = dlg.TransferDataFromWindow(), CExpectMessage(IDS_INCORRECT_DATE, wxICON_ERROR));
    EXPECT_FALSE(accepted);
    SetDate(dlg, "1", "5", "2020", "23", "60");
    wxTEST_DIALOG(accepted = dlg.TransferDataFromWindow(), CExpectMessage(IDS_INCORRECT_DATE, wxICON_ERROR));
    EXPECT_FALSE(accepted);
    EXPECT_EQ(Read("Data", "LastRun"), "2005\\03\\14 09:05");

    // 29 February only in a leap year.
    SetDate(dlg, "29", "2", "2100", "0", "0");
    wxTEST_DIALOG(accepted = dlg.TransferDataFromWindow(), CExpectMessage(IDS_INCORRECT_DATE, wxICON_ERROR));
    SetDate(dlg, "29", "2", "2000", "0", "0");
    EXPECT_NO_DIALOG(accepted = dlg.TransferDataFromWindow());
    EXPECT_TRUE(accepted);
    EXPECT_EQ(Read("Data", "LastRun"), "2000\\02\\29 00:00");
}

TEST_F(ConnectDlgTest, NumberChecksStopBeforeAnythingIsWritten)
{
    CConnectDlg dlg(nullptr);
    dlg.InitDialog();
    Edit(dlg, CConnectDlg::ID_SITE)->SetValue("ftp.example.org");
    bool accepted = true;

    SetDate(dlg, "0", "1", "2000", "1", "1");
    wxTEST_DIALOG(accepted = dlg.TransferDataFromWindow(),
                  CExpectMessage(CNumberExchange::RangeMessage(1, 31), wxICON_EXCLAMATION));
    EXPECT_FALSE(accepted);
    EXPECT_EQ(Edit(dlg, CConnectDlg::ID_DAY)->GetStringSelection(), "0");

    SetDate(dlg, "1", "1", "999", "1", "1");
    wxTEST_DIALOG(accepted = dlg.TransferDataFromWindow(),
                  CExpectMessage("Please enter an integer between 1000 and 9999.", wxICON_EXCLAMATION));
    EXPECT_FALSE(accepted);
    EXPECT_EQ(Edit(dlg, CConnectDlg::ID_YEAR)->GetStringSelection(), "999");

    SetDate(dlg, "1", "13", "2000", "1", "1");
    wxTEST_DIALOG(accepted = dlg.TransferDataFromWindow(),
                  CExpectMessage(CNumberExchange::RangeMessage(1, 12), wxICON_EXCLAMATION));

    // Not a number, a sign, or too big for 32 bits: the positive-integer message.
    for (const char* bad : {"", "x", "-5", "1 2", "4294967296"}) {
        SetDate(dlg, "1", "1", "2000", "1", bad);
        wxTEST_DIALOG(accepted = dlg.TransferDataFromWindow(),
                      CExpectMessage(IDS_POSITIVE_INTEGER, wxICON_EXCLAMATION));
        EXPECT_FALSE(accepted) << bad;
    }
    EXPECT_FALSE(SettingsFileExists());

    // Blanks around a number are fine.
    SetDate(dlg, " 2", "1 ", "2000", "1", "1");
    EXPECT_NO_DIALOG(accepted = dlg.TransferDataFromWindow());
    EXPECT_TRUE(accepted);
    EXPECT_EQ(Read("Data", "LastRun"), "2000\\01\\02 01:01");
}

TEST_F(ConnectDlgTest, LastRunThatDoesNotScanOpensWithZeros)
{
    CIniFile::WriteString(m_iniPath, "Data", "LastRun", "never");
    CConnectDlg dlg(nullptr);
    dlg.InitDialog();
    for (int id : {CConnectDlg::ID_DAY, CConnectDlg::ID_MONTH, CConnectDlg::ID_YEAR, CConnectDlg::ID_HOUR,
                   CConnectDlg::ID_MINUTES})
        EXPECT_EQ(Edit(dlg, id)->GetValue(), "0") << id;
    wxTEST_DIALOG(dlg.TransferDataFromWindow(),
                  CExpectMessage(CNumberExchange::RangeMessage(1, 31), wxICON_EXCLAMATION));
}

TEST_F(ConnectDlgTest, DeletingModeLeavesOnlyTheLoginFields)
{
    CConnectDlg dlg(nullptr);
    dlg.SetDeletingMode(true);
    dlg.InitDialog();
    EXPECT_EQ(dlg.GetTitle(), "Connect - Deleting");
    for (int id : {CConnectDlg::ID_START_DIR, CConnectDlg::ID_PC_DIR, CConnectDlg::ID_BROWSE,
                   CConnectDlg::ID_UPLOAD_ALL, CConnectDlg::ID_DAY, CConnectDlg::ID_MONTH, CConnectDlg::ID_YEAR,
                   CConnectDlg::ID_HOUR, CConnectDlg::ID_MINUTES})
        EXPECT_FALSE(dlg.FindWindow(id)->IsEnabled()) << id;
    for (int id : {int(CConnectDlg::ID_SITE), int(CConnectDlg::ID_USER), int(CConnectDlg::ID_PASSWORD),
                   int(CConnectDlg::ID_KEY_FILE), int(CConnectDlg::ID_KEY_BROWSE), int(CConnectDlg::ID_KEY_PASSPHRASE),
                   int(wxID_OK), int(wxID_CANCEL), int(CConnectDlg::ID_HELP_BUTTON), int(CConnectDlg::ID_ADVANCED)})
        EXPECT_TRUE(dlg.FindWindow(id)->IsEnabled()) << id;
}

TEST_F(ConnectDlgTest, LongPasswordSurvivesASaveAndAReopen)
{
    const wxString password = "0123456789abcdefghijKLMNOPQRST!\"#$%&'()*"; // 40 characters
    ASSERT_EQ(password.length(), 40u);
    {
        CConnectDlg dlg(nullptr);
        dlg.InitDialog();
        Edit(dlg, CConnectDlg::ID_PASSWORD)->SetValue(password);
        EXPECT_NO_DIALOG(EXPECT_TRUE(dlg.TransferDataFromWindow()));
    }
    const std::string stored = Read("Configure", "PWD");
    EXPECT_EQ(stored.size(), 160u);
    std::string decoded;
    CPasswordCodec().Decode(stored, decoded);
    EXPECT_EQ(decoded, password.utf8_string()); // stored scrambled, not in plain
    EXPECT_NE(stored, decoded);

    CConnectDlg reopened(nullptr);
    reopened.InitDialog();
    EXPECT_EQ(Edit(reopened, CConnectDlg::ID_PASSWORD)->GetValue(), password);
}

// The key file is stored as typed and its passphrase encoded as the password is; a key file typed
// that is not there is refused before anything is written, one left as stored passes.
TEST_F(ConnectDlgTest, KeyFileAndPassphraseAreStoredAndAMissingKeyFileIsRefused)
{
    const std::string key = m_dir.Str() + "/id_ed25519", missing = m_dir.Str() + "/id_rsa";
    std::ofstream(key) << "key\n";
    CConnectDlg dlg(nullptr);
    dlg.InitDialog();
    Edit(dlg, CConnectDlg::ID_KEY_PASSPHRASE)->SetValue("sea spray");
    Edit(dlg, CConnectDlg::ID_KEY_FILE)->SetValue(missing);
    wxTEST_DIALOG(EXPECT_FALSE(dlg.TransferDataFromWindow()),
                  CExpectMessage("The private key file \"" + missing +
                                     "\" does not exist. Choose the file of your SSH key, or leave the field empty.",
                                 wxICON_ERROR));
    EXPECT_FALSE(SettingsFileExists());
    EXPECT_EQ(Edit(dlg, CConnectDlg::ID_KEY_FILE)->GetStringSelection(), missing);
    Edit(dlg, CConnectDlg::ID_KEY_FILE)->SetValue(key);
    EXPECT_NO_DIALOG(EXPECT_TRUE(dlg.TransferDataFromWindow()));
    std::string encoded = "sea spray";
    CPasswordCodec().Encode(encoded);
    EXPECT_EQ(Read("Configure", "KeyFile"), key);
    EXPECT_EQ(Read("Configure", "KeyPassphrase"), encoded);

    std::filesystem::remove(key);
    CConnectDlg reopened(nullptr);
    reopened.InitDialog();
    EXPECT_TRUE(Edit(reopened, CConnectDlg::ID_KEY_PASSPHRASE)->HasFlag(wxTE_PASSWORD));
    EXPECT_EQ(Edit(reopened, CConnectDlg::ID_KEY_PASSPHRASE)->GetValue(), "sea spray");
    EXPECT_NO_DIALOG(EXPECT_TRUE(reopened.TransferDataFromWindow()));
}

} // namespace
} // namespace skerrow::test
