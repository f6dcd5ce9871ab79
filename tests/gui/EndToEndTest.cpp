// The program as a new user meets it, in English and in French: the first run from a fresh
// settings file through the Connect dialog and the next run that sends only what changed; a saved
// list with a failed row sent again after a restart; a tree deletion; closing during a run.

#include <wx/app.h>
#include <wx/textctrl.h>

#include "app/CMainFrame.h"
#include "app/CSkerrowApp.h"
#include "app/CStringTable.h"
#include "app/CommandIds.h"
#include "app/StringIds.h"
#include "ftp/CPlainFtpDlg.h"
#include "gui/transfer/CRunWindowTest.h"
#include "settings/CConnectDlg.h"
#include "settings/CDateTime.h"
#include "settings/CTreeDeleteDlg.h"
#include "transfer/CSkerrowView.h"
#include "transfer/CTransferListCtrl.h"
#include "list/RowWord.h"

using namespace skerrow;
using skerrow::test::FtpServerKind;

namespace {

constexpr int kEnglish = 1;
constexpr int kFrench = 2;

wxString Utf8(const std::string& text)
{
    return wxString::FromUTF8(text);
}

void Type(wxDialog& dialog, int controlId, const std::string& text)
{
    auto* field = dynamic_cast<wxTextCtrl*>(dialog.FindWindow(controlId));
    ASSERT_NE(field, nullptr) << "no field " << controlId;
    field->SetValue(Utf8(text));
}

// Runs the dialog's own OK handling, as the OK button would.
int PressOk(wxDialog& dialog)
{
    return dialog.Validate() && dialog.TransferDataFromWindow() ? wxID_OK : wxID_CANCEL;
}

class EndToEndTest : public CRunWindowTest, public testing::WithParamInterface<int> {
protected:
    int Language() const { return GetParam(); }

    // A text the window showed: the string of the current language, which in French is not the
    // English one.
    void ExpectText(const wxString& shown, int stringId, const std::string& english)
    {
        EXPECT_EQ(shown, Utf8(FormatText(LoadString(stringId).c_str(), 1)));
        ExpectLanguageOf(shown, english);
    }
    void ExpectLanguageOf(const wxString& shown, const std::string& english)
    {
        if (Language() == kFrench)
            EXPECT_NE(shown, Utf8(english)) << "shown in English";
        else
            EXPECT_EQ(shown, Utf8(english));
    }
    wxString Pane() const { return Utf8(PaneText(CMainFrame::kMessagePane)); }
};

} // namespace

TEST_P(EndToEndTest, TheFirstRunAsksForTheSiteAndTheNextSendsOnlyWhatChanged)
{
    MakeSite();
    if (!StartServer(FtpServerKind::Pyftpdlib))
        return;
    // A fresh settings file: the port set earlier in the Advanced dialog, and the language.
    StartWindowOver("[Advanced]\nPort=" + std::to_string(m_server->Port()) +
                    "\nLanguage=" + std::to_string(Language()) + "\n");

    const std::string beforeFind = FormatLastRun(CDateTime::Now());
    bool deleting = true;
    wxTEST_DIALOG(
        {
            Command(ID_FIND_FILES_TRANSFER);
            ASSERT_TRUE(AwaitWorkerEnd());
        },
        CExpectDialogDoing<CConnectDlg>([this, &deleting](CConnectDlg& dialog) {
            dialog.InitDialog();
            deleting = !dialog.FindWindow(CConnectDlg::ID_PC_DIR)->IsEnabled();
            Type(dialog, CConnectDlg::ID_SITE, "127.0.0.1");
            Type(dialog, CConnectDlg::ID_START_DIR, "site");
            Type(dialog, CConnectDlg::ID_USER, m_server->User());
            Type(dialog, CConnectDlg::ID_PASSWORD, m_server->Password());
            Type(dialog, CConnectDlg::ID_PC_DIR, m_site.Str());
            return PressOk(dialog);
        }),
        // The test server offers no TLS: asked before the password goes, and let in for good.
        CExpectDialog<CPlainFtpDlg>(CPlainFtpDlg::ID_ALWAYS));
    EXPECT_FALSE(deleting);
    EXPECT_TRUE(SameFiles(ServedSite(), LocalSite()));
    EXPECT_EQ(ServedSite().size(), 3u);
    EXPECT_GE(ReadSetting("Data", "LastRun"), beforeFind);
    EXPECT_EQ(View()->GetRunState(), 0);
    ExpectText(Pane(), IDS_FINISHED, "Finished");

    // One page changes; the next run sends it alone and leaves the other files on the server alone.
    const auto logoTime = ServedTime("img/logo.gif");
    const auto indexTime = ServedTime("index.html");
    m_site.WriteFile("about/team/people.htm", "<p>new people</p>\n");
    Command(ID_FIND_FILES_TRANSFER); // the site is known now: no dialog
    ASSERT_TRUE(AwaitWorkerEnd());
    EXPECT_EQ(ListCtrl()->GetItemCount(), 1);
    EXPECT_TRUE(SameFiles(ServedSite(), LocalSite()));
    EXPECT_EQ(ServedSite()["about/team/people.htm"], "<p>new people</p>\n");
    EXPECT_EQ(ServedTime("img/logo.gif"), logoTime);
    EXPECT_EQ(ServedTime("index.html"), indexTime);
    EXPECT_EQ(View()->GetRunState(), 0);
}

TEST_P(EndToEndTest, ASavedListWithAFailedRowIsSentAgainAfterARestart)
{
    MakeSite();
    if (!StartServer(FtpServerKind::Pyftpdlib, {"--refuse", "logo.gif"}))
        return;
    StartWindow(Language());
    CMessageShown report;
    wxTEST_DIALOG(
        {
            Command(ID_FIND_FILES_TRANSFER);
            ASSERT_TRUE(AwaitWorkerEnd());
        },
        CExpectBox(&report));
    ExpectText(report.text, IDS_TRANSMISSION_FAILURE, "Transmission failure, 1 errors have been found.");
    ASSERT_EQ(View()->GetRunState(), 1);

    const wxString listPath = Utf8(m_dir.Str() + "/failed.txt");
    CMessageShown saved;
    wxTEST_DIALOG(Command(ID_FILE_SAVE), CExpectFilePath(listPath), CExpectBox(&saved));
    ExpectText(saved.text, IDS_FILE_SAVED, "The file has been saved succesfully");

    // The program ends; later it starts again, the server now takes the file.
    const std::string settings = ReadIni();
    SkerrowApp().DestroyMainWindow();
    CStringTable::Unload();
    std::filesystem::remove(m_served.Path() / "site/index.html");
    if (!StartServer(FtpServerKind::Pyftpdlib))
        return;
    StartWindowOver(settings);
    WriteSetting("Advanced", "Port", std::to_string(m_server->Port()));
    WriteSetting("Plain FTP Servers", ("127.0.0.1:" + std::to_string(m_server->Port())).c_str(), "1");
    EXPECT_EQ(ListCtrl()->GetItemCount(), 0);

    wxTEST_DIALOG(Command(ID_FILE_OPEN), CExpectFilePath(listPath));
    EXPECT_EQ(View()->GetRunState(), 1);
    const long logo = RowNamed("/img/logo.gif");
    ASSERT_GE(logo, 0);
    EXPECT_EQ(RowImage(logo), 2);
    EXPECT_NE(CellText(logo, kColErrors), "");

    Command(ID_TRANSFER_DELETE);
    ASSERT_TRUE(AwaitWorkerEnd());
    EXPECT_TRUE(ServedSite()["img/logo.gif"] == LocalSite()["img/logo.gif"]);
    EXPECT_FALSE(std::filesystem::exists(m_served.Path() / "site/index.html")); // Done rows stay done
    EXPECT_EQ(RowImage(logo), 1);
    EXPECT_EQ(View()->GetRunState(), 0);
    ExpectText(Pane(), IDS_FINISHED, "Finished");
}

TEST_P(EndToEndTest, TreeDeleteRemovesAThreeLevelTreeAndKeepsItsStart)
{
    m_served.WriteFile("site/www/index.html", "home");
    m_served.WriteFile("site/www/img/logo.gif", "logo");
    m_served.WriteFile("site/www/img/icons/home.png", "icon");
    m_served.MakeDir("site/www/img/empty");
    if (!StartServer(FtpServerKind::Pyftpdlib))
        return;
    StartWindow(Language());

    bool deleting = false;
    CMessageShown question;
    wxTEST_DIALOG(
        {
            Command(ID_TREE_DELETE);
            ASSERT_TRUE(AwaitWorkerEnd());
        },
        CExpectDialogDoing<CTreeDeleteDlg>([](CTreeDeleteDlg& dialog) {
            dialog.InitDialog();
            Type(dialog, CTreeDeleteDlg::ID_DIRECTORY, "site/www");
            return PressOk(dialog);
        }),
        CExpectDialogDoing<CConnectDlg>([&deleting](CConnectDlg& dialog) {
            dialog.InitDialog();
            deleting = !dialog.FindWindow(CConnectDlg::ID_PC_DIR)->IsEnabled();
            return PressOk(dialog);
        }),
        CExpectBox(&question, wxID_YES));
    EXPECT_TRUE(deleting);
    // The question, and below it what goes, in the window's language.
    const std::string what = FormatText(Tr("T.TreeDeleteWhat", "%s entries below %s: %s files and %s folders").c_str(),
                                        "6", "/site/www", "3", "3");
    EXPECT_EQ(question.text, Utf8(LoadString(IDS_CONFIRM_DELETE) + "\n\n" + what));
    ExpectLanguageOf(Utf8(what), "6 entries below /site/www: 3 files and 3 folders");
    EXPECT_TRUE(question.style & wxICON_QUESTION);
    ExpectLanguageOf(Pane(), "Tree Deletion Finished");
    EXPECT_EQ(Pane(), Utf8(Tr("T.TreeDeletionFinished", "Tree Deletion Finished")));
    EXPECT_EQ(View()->GetRunState(), 0);
    EXPECT_EQ(View()->List().CountInState(kRowDone), View()->List().Count());
    ASSERT_TRUE(std::filesystem::is_directory(m_served.Path() / "site/www"));
    EXPECT_TRUE(std::filesystem::is_empty(m_served.Path() / "site/www"));
}

TEST_P(EndToEndTest, ClosingDuringARunAsksAndYesStopsAndCloses)
{
    MakeSite();
    m_site.MakeFileOfSize("big.bin", 50u * 1024 * 1024);
    BackDateSite();
    if (!StartServer(FtpServerKind::Misbehaving, {"--slow-stor", "20000"}))
        return;
    StartWindow(Language());
    Command(ID_FIND_FILES_TRANSFER);
    ASSERT_TRUE(PumpUntil([this] { return ServedSize(kBigPart) > 0; }, std::chrono::seconds(20)));

    // No: the window stays and the upload goes on.
    CMessageShown question;
    wxTEST_DIALOG(EXPECT_FALSE(Frame()->Close()), CExpectBox(&question, wxID_NO));
    ExpectText(question.text, IDS_QUIT_CONFIRM, EnglishString(IDS_QUIT_CONFIRM));
    EXPECT_TRUE(question.style & wxYES_NO);
    EXPECT_TRUE(question.style & wxICON_ERROR);
    ASSERT_NE(View(), nullptr);
    EXPECT_TRUE(Frame()->IsShown());
    EXPECT_TRUE(View()->Run().IsRunActive());
    EXPECT_EQ(View()->GetRunState(), 1);

    // Yes: the run stops, the worker ends, the window goes.
    CMainFrame* frame = Frame();
    wxTEST_DIALOG(EXPECT_TRUE(frame->Close()), CExpectBox(&question, wxID_YES));
    EXPECT_EQ(SkerrowApp().GetView(), nullptr);
    EXPECT_TRUE(wxPendingDelete.Member(frame));
    EXPECT_LT(ServedSize("big.bin"), 50u * 1024 * 1024);
}

INSTANTIATE_TEST_SUITE_P(Languages, EndToEndTest, testing::Values(kEnglish, kFrench),
                         [](const testing::TestParamInfo<int>& language) {
                             return std::string(language.param == kFrench ? "French" : "English");
                         });
