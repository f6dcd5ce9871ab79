// The Advanced dialog's choices stored as numbers (protocol, encryption, uploads under a temporary
// name): what each shows for a stored value, absent or unknown, and what OK stores; and what
// choosing SFTP does to the port and to the controls that only FTP uses.

#include <filesystem>
#include <string>
#include <vector>

#include <wx/choice.h>

#include "settings/CAdvancedDlg.h"
#include "SettingsDialogTest.h"

namespace skerrow::test {
namespace {

class AdvancedChoicesTest : public CSettingsDialogTest {};

TEST_F(AdvancedChoicesTest, ShowTheStoredChoiceOrTheFirstAndStoreWhatIsChosen)
{
    struct Case {
        const char* stored; // nullptr: no key
        int shown;
        int chosen; // -1: left as shown
        const char* written;
    };
    const struct {
        const char* key;
        int control;
        unsigned count;
        const char* first;
        const char* last;
        std::vector<Case> cases;
    } choices[] = {
        {"TempNameUpload", CAdvancedDlg::ID_TEMP_NAME, 3, "Files of 1 MiB and more", "None",
         {{nullptr, 0, -1, "0"}, {"1", 1, -1, "1"}, {"2", 2, 0, "0"}, {"9", 0, 2, "2"}, {"-1", 0, 1, "1"}}},
        {"Protocol", CAdvancedDlg::ID_PROTOCOL, 2, "FTP", "SFTP (SSH)",
         {{nullptr, 0, 1, "1"}, {"1", 1, -1, "1"}, {"7", 0, -1, "0"}}},
        {"Encryption", CAdvancedDlg::ID_ENCRYPTION, 4, "Use explicit TLS if available", "Plain FTP only (insecure)",
         {{nullptr, 0, 2, "2"}, {"3", 3, 1, "1"}, {"9", 0, 3, "3"}, {"1", 1, 0, "0"}}},
    };
    for (const auto& kind : choices) {
        for (const Case& c : kind.cases) {
            SCOPED_TRACE(std::string(kind.key) + "=" + (c.stored ? c.stored : "absent"));
            std::filesystem::remove(m_iniPath);
            if (c.stored)
                CIniFile::WriteString(m_iniPath, "Advanced", kind.key, c.stored);
            CAdvancedDlg dlg(nullptr);
            dlg.InitDialog();
            auto* choice = Control<wxChoice>(dlg, kind.control);
            ASSERT_EQ(choice->GetCount(), kind.count);
            EXPECT_EQ(choice->GetString(0), kind.first);
            EXPECT_EQ(choice->GetString(kind.count - 1), kind.last);
            EXPECT_EQ(choice->GetSelection(), c.shown);
            if (c.chosen >= 0)
                choice->SetSelection(c.chosen);
            bool accepted = false;
            EXPECT_NO_DIALOG(accepted = dlg.TransferDataFromWindow());
            EXPECT_TRUE(accepted);
            EXPECT_EQ(Read("Advanced", kind.key), c.written);
        }
    }
}

// Choosing a protocol proposes its port while the field holds the other's usual one, and greys (or
// enables again) what only FTP uses; greyed values are kept and stored.
TEST_F(AdvancedChoicesTest, SftpProposesItsPortAndGreysWhatOnlyFtpUses)
{
    CIniFile::WriteString(m_iniPath, "Advanced", "PASV", "1");
    const struct {
        int encryption;   // shown before the protocol is chosen
        const char* port; // typed before; nullptr: left as it stands
        int protocol;
        const char* portAfter;
    } steps[] = {{0, nullptr, 1, "22"}, {0, nullptr, 0, "21"}, {0, "2222", 1, "2222"}, {0, nullptr, 0, "2222"},
                 {2, "990", 1, "22"},   {2, nullptr, 0, "990"}, {0, "21", 1, "22"}};
    const auto expectFtpOnly = [](wxWindow& dlg, bool enabled) {
        for (int id : {CAdvancedDlg::ID_PASV, CAdvancedDlg::ID_ENCRYPTION, CAdvancedDlg::ID_SUFFIXES, CAdvancedDlg::ID_ADD,
                       CAdvancedDlg::ID_DELETE})
            EXPECT_EQ(dlg.FindWindow(id)->IsEnabled(), enabled) << id;
        EXPECT_TRUE(dlg.FindWindow(CAdvancedDlg::ID_EXCLUSIONS)->IsEnabled());
    };
    CAdvancedDlg dlg(nullptr);
    dlg.InitDialog();
    auto* protocol = Control<wxChoice>(dlg, CAdvancedDlg::ID_PROTOCOL);
    for (const auto& step : steps) {
        SCOPED_TRACE(std::to_string(step.protocol) + (step.port ? step.port : ""));
        Control<wxChoice>(dlg, CAdvancedDlg::ID_ENCRYPTION)->SetSelection(step.encryption);
        if (step.port)
            Edit(dlg, CAdvancedDlg::ID_PORT)->SetValue(step.port);
        protocol->SetSelection(step.protocol);
        wxCommandEvent chosen(wxEVT_CHOICE, CAdvancedDlg::ID_PROTOCOL);
        protocol->GetEventHandler()->ProcessEvent(chosen);
        EXPECT_EQ(Edit(dlg, CAdvancedDlg::ID_PORT)->GetValue(), step.portAfter);
        expectFtpOnly(dlg, step.protocol == 0);
    }
    EXPECT_NO_DIALOG(EXPECT_TRUE(dlg.TransferDataFromWindow()));
    EXPECT_EQ(Read("Advanced", "Protocol"), "1");
    EXPECT_EQ(Read("Advanced", "Port"), "22");
    EXPECT_EQ(Read("Advanced", "PASV"), "1"); // greyed, not cleared

    CAdvancedDlg reopened(nullptr);
    reopened.InitDialog();
    EXPECT_EQ(Control<wxChoice>(reopened, CAdvancedDlg::ID_PROTOCOL)->GetSelection(), 1);
    expectFtpOnly(reopened, false);
}

} // namespace
} // namespace skerrow::test
