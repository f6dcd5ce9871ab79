// The Encryption choice's port in the Advanced dialog, and the certificate and host-key questions;
// with SKERROW_SCREENSHOT_DIR set, pictures of them as the user sees them.

#include <wx/app.h>
#include <wx/choice.h>
#include <wx/stattext.h>
#include <wx/utils.h>

#include <cstdlib>

#include "../settings/SettingsDialogTest.h"
#include "ftp/CCertificateDlg.h"
#include "ftp/CHostKeyDlg.h"
#include "ftp/CPlainFtpDlg.h"
#include "gui/CExpectModal.h"
#include "gui/CScreenshot.h"
#include "settings/CAdvancedDlg.h"

namespace skerrow::test {
namespace {

using EncryptionDialogsTest = CSettingsDialogTest;

const char kOtherFingerprint[] =
    "00:11:22:33:44:55:66:77:88:99:AA:BB:CC:DD:EE:FF:00:11:22:33:44:55:66:77:88:99:AA:BB:CC:DD:EE:FF";

CCertificateInfo Certificate(const std::string& remembered)
{
    CCertificateInfo info;
    info.host = "ftp.example.org";
    info.port = 21;
    info.subject = "CN = ftp.example.org, O = Example Hosting";
    info.issuer = info.subject;
    info.validFrom = "2026-12-01 00:00:00 UTC";
    info.validUntil = "2027-12-01 00:00:00 UTC";
    info.fingerprint = "3A:1F:9C:00:B2:7E:45:D1:0C:88:6A:F3:21:9B:5E:C4:7D:02:E9:63:AA:18:4F:B0:95:3C:D6:71:0E:8B:F2:4C";
    info.problem = "self-signed certificate";
    info.remembered = remembered;
    return info;
}

CHostKeyQuestion HostKey(bool changed)
{
    CHostKeyQuestion question;
    question.host = "sftp.example.org";
    question.port = 22;
    question.key = {"ssh-ed25519", "SHA256:r2D+9qYQwYjTVe4m2aM1d3cI9e7n0W5mO2l1GkXh3kE"};
    question.changed = changed;
    question.before = changed ? "SHA256:Jx0cVq1mWbZ7mJ3o2bq8kEo3r8F1uTn9Q2Kx7hVd5sI" : "";
    return question;
}

TEST_F(EncryptionDialogsTest, ImplicitTlsBringsItsPortWhileThePortIsADefaultOne)
{
    CAdvancedDlg dlg(nullptr);
    dlg.InitDialog();
    wxChoice* choice = Control<wxChoice>(dlg, CAdvancedDlg::ID_ENCRYPTION);
    wxTextCtrl* port = Edit(dlg, CAdvancedDlg::ID_PORT);
    auto choose = [&](int selection) {
        choice->SetSelection(selection);
        wxCommandEvent event(wxEVT_CHOICE, CAdvancedDlg::ID_ENCRYPTION);
        event.SetInt(selection);
        choice->GetEventHandler()->ProcessEvent(event);
        return port->GetValue();
    };
    EXPECT_EQ(choose(2), "990");
    EXPECT_EQ(choose(1), "21");
    port->SetValue("2121");
    EXPECT_EQ(choose(2), "2121"); // a port of the user's own stays
    EXPECT_EQ(choose(3), "2121");
}

TEST_F(EncryptionDialogsTest, CertificateDialogShowsTheCertificateAndReturnsTheAnswer)
{
    const CCertificateInfo fresh = Certificate("");
    const CCertificateInfo changed = Certificate(kOtherFingerprint);
    for (const CCertificateInfo* info : {&fresh, &changed}) {
        CCertificateDlg dlg(nullptr, *info);
        EXPECT_EQ(Edit(dlg, CCertificateDlg::ID_FINGERPRINT)->GetValue(), info->fingerprint);
        const wxString warning = Control<wxStaticText>(dlg, CCertificateDlg::ID_WARNING)->GetLabel();
        EXPECT_EQ(warning.StartsWith("WARNING"), info->Changed()) << warning;
        EXPECT_NE(warning.Find("ftp.example.org:21"), wxNOT_FOUND);
        bool showsRemembered = false;
        for (wxWindow* child : dlg.GetChildren()) {
            if (auto* field = dynamic_cast<wxTextCtrl*>(child))
                showsRemembered = showsRemembered || field->GetValue() == info->remembered;
        }
        EXPECT_EQ(showsRemembered, info->Changed());
    }
    const struct {
        int button;
        CertificateTrust trust;
    } answers[] = {{CCertificateDlg::ID_TRUST_ONCE, CertificateTrust::Once},
                   {CCertificateDlg::ID_TRUST_ALWAYS, CertificateTrust::Always},
                   {wxID_CANCEL, CertificateTrust::Reject}};
    for (const auto& answer : answers) {
        CertificateTrust trust = CertificateTrust::Reject;
        wxTEST_DIALOG(trust = CCertificateDlg::AskFromAnyThread({}, fresh),
                      CExpectDialog<CCertificateDlg>(answer.button));
        EXPECT_EQ(trust, answer.trust) << answer.button;
    }
}

// The host-key question shares the certificate question's layout and answers: what differs is what
// it shows.
TEST_F(EncryptionDialogsTest, HostKeyDialogShowsTheKeyAndWarnsOfAChange)
{
    for (const bool changed : {false, true}) {
        const CHostKeyQuestion question = HostKey(changed);
        CHostKeyDlg dlg(nullptr, question);
        EXPECT_EQ(Edit(dlg, CHostKeyDlg::ID_FINGERPRINT)->GetValue(), question.key.fingerprint);
        EXPECT_EQ(Edit(dlg, CHostKeyDlg::ID_KEY_TYPE)->GetValue(), "ssh-ed25519");
        auto* warning = Control<wxStaticText>(dlg, CHostKeyDlg::ID_WARNING);
        EXPECT_EQ(warning->GetLabel().StartsWith("WARNING"), changed) << warning->GetLabel();
        EXPECT_EQ(warning->GetFont().GetWeight() == wxFONTWEIGHT_BOLD, changed);
        EXPECT_NE(warning->GetLabel().Find("sftp.example.org:22"), wxNOT_FOUND);
        bool showsBefore = false;
        for (wxWindow* child : dlg.GetChildren()) {
            if (auto* field = dynamic_cast<wxTextCtrl*>(child))
                showsBefore = showsBefore || (changed && field->GetValue() == question.before);
        }
        EXPECT_EQ(showsBefore, changed);
        CertificateTrust trust = CertificateTrust::Once;
        wxTEST_DIALOG(trust = CHostKeyDlg::AskFromAnyThread({}, question), CExpectDialog<CHostKeyDlg>(wxID_CANCEL));
        EXPECT_EQ(trust, CertificateTrust::Reject);
    }
}

TEST_F(EncryptionDialogsTest, Screenshots)
{
    const char* dir = std::getenv("SKERROW_SCREENSHOT_DIR");
    if (!dir || !*dir)
        GTEST_SKIP() << "SKERROW_SCREENSHOT_DIR is not set";
    const char* lang = std::getenv("SKERROW_SCREENSHOT_LANG");
    const std::string suffix = lang && *lang ? std::string("-") + lang : std::string();
    if (suffix == "-de") {
        ASSERT_TRUE(CStringTable::LoadCatalog(SKERROW_BIN_DIR "/LangGER.mo"));
    } else if (suffix == "-fr") {
        ASSERT_TRUE(CStringTable::LoadCatalog(SKERROW_BIN_DIR "/LangFRA.mo"));
    }
    const std::string names[] = {"certificate-dialog", "certificate-changed-dialog", "advanced-encryption-dialog",
                                 "plain-ftp-dialog", "hostkey-dialog", "hostkey-changed-dialog"};
    for (int i = 0; i < 6; ++i) {
        std::unique_ptr<wxDialog> dlg;
        if (i < 2)
            dlg = std::make_unique<CCertificateDlg>(nullptr, Certificate(i ? kOtherFingerprint : ""));
        else if (i >= 4)
            dlg = std::make_unique<CHostKeyDlg>(nullptr, HostKey(i == 5));
        else if (i == 2)
            dlg = std::make_unique<CAdvancedDlg>(nullptr);
        else
            dlg = std::make_unique<CPlainFtpDlg>(nullptr, "ftp.example.org", 21);
        CaptureDialog(*dlg, std::string(dir) + "/" + names[i] + suffix + ".png");
    }
    CStringTable::Unload();
}

} // namespace
} // namespace skerrow::test
