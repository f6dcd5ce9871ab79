// A server that offers no TLS, in the window: the question comes before the password would
// travel in clear; Cancel sends nothing and says why; "Always for this server" is remembered and
// the title shows that the connection is not encrypted until it is closed.

#include "app/CMainFrame.h"
#include "app/CommandIds.h"
#include "app/StringIds.h"
#include "ftp/CPlainFtpDlg.h"
#include "gui/transfer/CRunWindowTest.h"
#include "transfer/CSkerrowView.h"

using namespace skerrow;

namespace {

using skerrow::test::FtpServerKind;
using PlainFtpRunTest = CRunWindowTest;

TEST_F(PlainFtpRunTest, TheWindowAsksBeforeThePasswordTravelsInClear)
{
    MakeSite();
    if (!StartServer(FtpServerKind::Pyftpdlib))
        return;
    StartWindowOver(SettingsText(1, false));
    const wxString bareTitle = Frame()->GetTitle();
    CMessageShown refused;
    wxTEST_DIALOG(
        {
            Command(ID_FIND_FILES_TRANSFER);
            ASSERT_TRUE(AwaitWorkerEnd());
        },
        CExpectDialog<CPlainFtpDlg>(wxID_CANCEL), CExpectBox(&refused));
    EXPECT_NE(refused.text.find("was not allowed without it. The password was not sent."), std::string::npos)
        << refused.text;
    EXPECT_TRUE(ServedSite().empty());
    EXPECT_EQ(Frame()->GetTitle(), bareTitle);

    // answer: what the question gets; none: no question comes (the kept connection, or a server let
    // in for good). Each run sends a changed page.
    const std::string key = "127.0.0.1:" + std::to_string(m_server->Port());
    const struct {
        int answer; // 0: not asked
        bool closeAfter;
        const char* remembered;
    } runs[] = {{CPlainFtpDlg::ID_THIS_TIME, false, "<absent>"}, {0, true, "<absent>"}, {CPlainFtpDlg::ID_ALWAYS, true, "1"}, {0, true, "1"}};
    int round = 0;
    for (const auto& run : runs) {
        m_site.WriteFile("index.html", "<html>" + std::to_string(++round) + "</html>");
        if (run.answer) {
            wxTEST_DIALOG(
                {
                    Command(ID_FIND_FILES_TRANSFER);
                    ASSERT_TRUE(AwaitWorkerEnd());
                },
                CExpectDialog<CPlainFtpDlg>(run.answer));
        } else {
            Command(ID_FIND_FILES_TRANSFER);
            ASSERT_TRUE(AwaitWorkerEnd());
        }
        EXPECT_TRUE(SameFiles(ServedSite(), LocalSite())) << round;
        EXPECT_TRUE(Frame()->GetTitle().EndsWith(bareTitle + " - not encrypted")) << Frame()->GetTitle();
        EXPECT_EQ(ReadSetting("Plain FTP Servers", key.c_str()), run.remembered) << round;
        if (run.closeAfter) {
            Command(ID_SHUTDOWN_CONNECTION);
            EXPECT_TRUE(Frame()->GetTitle().EndsWith(bareTitle)) << Frame()->GetTitle();
        }
    }
}

} // namespace
