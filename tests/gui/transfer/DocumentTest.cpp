// The document: File Save writes the list and the run state to a saved list file, File Open reads
// one back into the list, and closing the window while a run is set up asks first.

#include <filesystem>
#include <fstream>
#include <iterator>

#include <wx/filedlg.h>
#include <wx/modalhook.h>
#include <wx/statusbr.h>
#include <wx/utils.h>

#include "app/CMainFrame.h"
#include "app/CSkerrowApp.h"
#include "app/CStringTable.h"
#include "app/CommandIds.h"
#include "app/StringIds.h"
#include "gui/app/CMainWindowTest.h"
#include "transfer/CSkerrowDoc.h"
#include "transfer/CSkerrowView.h"
#include "transfer/CTransferListCtrl.h"
#include "list/RowWord.h"
#include "support/CScopedEnv.h"

using namespace skerrow;

namespace {

wxString PaneZero()
{
    return SkerrowApp().GetMainFrame()->GetStatusBar()->GetStatusText(CMainFrame::kMessagePane);
}

// What the file dialog was opened with.
struct CFileDialogSeen {
    wxString directory;
    wxString name;
    wxString wildcard;
    long style = 0;
    bool busy = false;
};

// Answers the file dialog with a path (or Cancel) and notes how it was opened.
class CExpectFileDialog : public wxExpectModalBase<wxFileDialog, CExpectFileDialog> {
public:
    CExpectFileDialog(const wxString& path, CFileDialogSeen* seen = nullptr, int answer = wxID_OK)
        : m_path(path), m_seen(seen), m_answer(answer) {}

protected:
    int OnInvoked(wxFileDialog* dialog) const override
    {
        if (m_seen) {
            m_seen->directory = dialog->GetDirectory();
            m_seen->name = dialog->GetFilename();
            m_seen->wildcard = dialog->GetWildcard();
            m_seen->style = dialog->GetWindowStyle();
            m_seen->busy = wxIsBusy();
        }
        if (m_answer == wxID_OK)
            dialog->SetPath(m_path);
        return m_answer;
    }

private:
    wxString m_path;
    CFileDialogSeen* m_seen;
    int m_answer;
};

// A message box answered OK, with its text, style and the text of pane 0 while it is up.
struct CMessageSeen {
    wxString text;
    long style = 0;
    wxString pane;
};

class CExpectNotice : public wxExpectModalBase<wxMessageDialog, CExpectNotice> {
public:
    explicit CExpectNotice(CMessageSeen* seen) : m_seen(seen) {}

protected:
    int OnInvoked(wxMessageDialog* dialog) const override
    {
        m_seen->text = dialog->GetMessage();
        m_seen->style = dialog->GetMessageDialogStyle();
        m_seen->pane = PaneZero();
        return wxID_OK;
    }

private:
    CMessageSeen* m_seen;
};

// While it lives, any modal dialog fails the test and is cancelled instead of waiting for a user.
class CNoDialogs : public wxModalDialogHook {
public:
    CNoDialogs() { Register(); }
    ~CNoDialogs() override { Unregister(); }

protected:
    int Enter(wxDialog* dialog) override
    {
        ADD_FAILURE() << "unexpected dialog: " << dialog->GetTitle() << " / " << dialog->GetName();
        return wxID_CANCEL;
    }
    void Exit(wxDialog*) override {}
};

std::string ReadBytes(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

wxString Utf8(const std::string& text)
{
    return wxString::FromUTF8(text);
}

class DocumentTest : public CMainWindowTest {
protected:
    void StartEnglish() { Start("[Advanced]\nLanguage=1\n"); }

    CSkerrowDoc* Doc() const { return dynamic_cast<CSkerrowDoc*>(View()->GetDocument()); }
    wxString PathOf(const std::string& relative) const { return Utf8((m_dir.Path() / relative).string()); }

    // The rows as the list control shows them: "image|name|size|errors" per row.
    std::vector<std::string> Shown() const
    {
        PumpPending(); // the control learns of a new count on the UI thread's next turn
        std::vector<std::string> rows;
        CTransferListCtrl* list = ListCtrl();
        for (long row = 0; row < list->GetItemCount(); ++row) {
            std::string line = std::to_string(list->OnGetItemImage(row));
            for (long column : {kColName, kColSize, kColErrors})
                line += "|" + list->OnGetItemText(row, column).utf8_string();
            rows.push_back(line);
        }
        return rows;
    }
};

} // namespace

TEST_F(DocumentTest, SaveWritesTheRunStateAndTheRows)
{
    StartEnglish();
    View()->SetStatusText("Before");

    // An empty list: the run state alone.
    CMessageSeen seen;
    wxTEST_DIALOG(EXPECT_TRUE(Doc()->SaveTo(PathOf("empty.txt"))), CExpectNotice(&seen));
    EXPECT_EQ(ReadBytes(m_dir.Path() / "empty.txt"), "0\r\n");
    EXPECT_EQ(seen.text, "The file has been saved succesfully");
    EXPECT_TRUE(seen.style & wxICON_INFORMATION);
    EXPECT_EQ(seen.pane, "Saving File");
    EXPECT_EQ(PaneZero(), "Before");

    // Through File Save: the dialog opens on skerrow.txt in the home folder (not the hidden settings
    // folder), in save mode with the overwrite question, under the wait cursor.
    test::CScopedEnv home;
    home.Set("HOME", m_dir.MakeDir("home").string());
    View()->SetRunState(1);
    View()->List().Insert(0, kRowPending, "/img/logo.gif", "5");
    View()->List().Insert(1, (kKindFtpEntry << 4) | kRowFailed, "/old/a b.html", "12", "550 refused");
    CFileDialogSeen dialog;
    wxTEST_DIALOG(Command(ID_FILE_SAVE), CExpectFileDialog(PathOf("list.txt"), &dialog), CExpectNotice(&seen));
    EXPECT_EQ(ReadBytes(m_dir.Path() / "list.txt"), "1\r\n0\t/img/logo.gif\t5\t\r\n50\t/old/a b.html\t12\t550 refused\r\n");
    EXPECT_EQ(dialog.directory, Utf8((m_dir.Path() / "home").string()));
    EXPECT_EQ(dialog.name, "skerrow.txt");
    EXPECT_EQ(dialog.wildcard, "Text Files (*.txt)|*.txt|All Files (*.*)|*.*");
    EXPECT_TRUE(dialog.style & wxFD_SAVE);
    EXPECT_TRUE(dialog.style & wxFD_OVERWRITE_PROMPT);
    EXPECT_TRUE(dialog.busy);
    EXPECT_EQ(seen.text, "The file has been saved succesfully");

    // A name typed without an extension gets ".txt", but never replaces a file unasked. The dialog
    // opens where the last list went.
    wxTEST_DIALOG(Command(ID_FILE_SAVE), CExpectFileDialog(PathOf("typed"), &dialog), CExpectNotice(&seen));
    EXPECT_EQ(dialog.directory, Utf8(m_dir.Str()));
    EXPECT_TRUE(std::filesystem::exists(m_dir.Path() / "typed.txt"));
    wxTEST_DIALOG(Command(ID_FILE_SAVE), CExpectFileDialog(PathOf("list"), &dialog), CExpectNotice(&seen));
    EXPECT_TRUE(std::filesystem::exists(m_dir.Path() / "list"));
    EXPECT_EQ(ReadBytes(m_dir.Path() / "list.txt"), ReadBytes(m_dir.Path() / "list"));

    // Cancel writes nothing.
    {
        CNoDialogs noMessage;
        wxTEST_DIALOG(Command(ID_FILE_SAVE), CExpectFileDialog(PathOf("cancelled.txt"), nullptr, wxID_CANCEL));
    }
    EXPECT_FALSE(std::filesystem::exists(m_dir.Path() / "cancelled.txt"));

    // A file that cannot be created: the stop icon, our text and the system's reason.
    wxTEST_DIALOG(EXPECT_FALSE(Doc()->SaveTo(PathOf("missing/list.txt"))), CExpectNotice(&seen));
    EXPECT_EQ(seen.text, "The file could not be opened.\nNo such file or directory");
    EXPECT_TRUE(seen.style & wxICON_ERROR);
    EXPECT_EQ(PaneZero(), "Before");
    EXPECT_EQ(View()->List().Count(), 2u);
}

TEST_F(DocumentTest, OpenRestoresTheRowsAndTheRunState)
{
    StartEnglish();
    View()->List().Insert(0, kRowPending, "/left/over.txt", "1");
    View()->SetStatusText("Before");
    m_dir.WriteFile("saved.txt", "1\r\n2\t/a.html\t3\t550 refused\r\n1\t/b.gif\t7\t\r\n48\t/www\t1\t\r\n");

    CFileDialogSeen dialog;
    {
        CNoDialogs noMessage;
        wxTEST_DIALOG(Command(ID_FILE_OPEN), CExpectFileDialog(PathOf("saved.txt"), &dialog));
    }
    EXPECT_TRUE(dialog.style & wxFD_OPEN);
    EXPECT_TRUE(dialog.style & wxFD_FILE_MUST_EXIST);
    EXPECT_FALSE(dialog.busy);
    EXPECT_EQ(dialog.name, "skerrow.txt");
    EXPECT_EQ(dialog.wildcard, "Text Files (*.txt)|*.txt|All Files (*.*)|*.*");

    EXPECT_EQ(View()->GetRunState(), 1);
    // Images follow the row word: Failed and Done rows show their own icons at once.
    EXPECT_EQ(Shown(), (std::vector<std::string>{"2|/a.html|3|550 refused", "1|/b.gif|7|", "3|/www|1|"}));
    EXPECT_EQ(PaneZero(), "Before");

    // Saved again, the file is the same.
    CMessageSeen seen;
    wxTEST_DIALOG(Doc()->SaveTo(PathOf("again.txt")), CExpectNotice(&seen));
    EXPECT_EQ(ReadBytes(m_dir.Path() / "again.txt"), ReadBytes(m_dir.Path() / "saved.txt"));
}

TEST_F(DocumentTest, CancelledOpenKeepsTheListAndAFailedOneEmptiesIt)
{
    StartEnglish();
    View()->SetRunState(2);
    View()->List().Insert(0, kKindFtpEntry << 4, "/www/old.html", "2");
    View()->SetStatusText("Before");

    {
        CNoDialogs noMessage;
        wxTEST_DIALOG(Command(ID_FILE_OPEN), CExpectFileDialog(PathOf("x.txt"), nullptr, wxID_CANCEL));
    }
    EXPECT_EQ(Shown(), (std::vector<std::string>{"3|/www/old.html|2|"}));
    EXPECT_EQ(View()->GetRunState(), 2);

    // A directory cannot be read as a file: the list is gone, the run state stays.
    m_dir.MakeDir("folder.txt");
    CMessageSeen seen;
    wxTEST_DIALOG(EXPECT_FALSE(Doc()->OpenFrom(PathOf("folder.txt"))), CExpectNotice(&seen));
    EXPECT_TRUE(seen.text.StartsWith("The file could not be opened.\n")) << seen.text;
    EXPECT_GT(seen.text.length(), wxString("The file could not be opened.\n").length());
    EXPECT_TRUE(seen.style & wxICON_ERROR);
    EXPECT_EQ(seen.pane, Utf8(LoadString(IDS_LOADING_FILE)));
    EXPECT_EQ(Shown(), std::vector<std::string>{});
    EXPECT_EQ(View()->GetRunState(), 2);
    EXPECT_EQ(PaneZero(), "Before");

    // So does a file that went away after it was chosen.
    View()->List().Insert(0, kRowPending, "/index.html", "1");
    wxTEST_DIALOG(EXPECT_FALSE(Doc()->OpenFrom(PathOf("gone.txt"))), CExpectNotice(&seen));
    EXPECT_EQ(seen.text, "The file could not be opened.\nNo such file or directory");
    EXPECT_EQ(View()->List().Count(), 0u);
    EXPECT_EQ(View()->GetRunState(), 2);
}

TEST_F(DocumentTest, AFileThatIsNoSavedListIsRefusedAndTheListStays)
{
    StartEnglish();
    View()->SetRunState(2);
    View()->List().Insert(0, kKindFtpEntry << 4, "/www/old.html", "2");
    View()->SetStatusText("Before");
    struct Case {
        const char* name;
        std::string contents;
        uintmax_t sparseSize; // zero bytes that take no disk space
        const char* reason;
    };
    const Case cases[] = {
        {"picture.txt", std::string("\x89PNG\r\n\x1a\n\0\0\0\rIHDR", 16), 0,
         "The file holds binary data: it is not a saved list."},
        {"huge.txt", "1\r\n", (uintmax_t(1) << 30) + 1, "The file is larger than 1 GiB: it is not a saved list."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::filesystem::path path = m_dir.WriteFile(c.name, c.contents);
        if (c.sparseSize)
            std::filesystem::resize_file(path, c.sparseSize);
        CMessageSeen seen;
        wxTEST_DIALOG(EXPECT_FALSE(Doc()->OpenFrom(PathOf(c.name))), CExpectNotice(&seen));
        EXPECT_EQ(seen.text, wxString("The file could not be opened.\n") + c.reason);
        EXPECT_TRUE(seen.style & wxICON_ERROR);
        EXPECT_EQ(Shown(), (std::vector<std::string>{"3|/www/old.html|2|"}));
        EXPECT_EQ(View()->GetRunState(), 2);
        EXPECT_EQ(PaneZero(), "Before");
    }
}

TEST_F(DocumentTest, QuitAsksOnlyWhileARunIsSetUp)
{
    StartEnglish();
    {
        CNoDialogs noQuestion;
        EXPECT_TRUE(Doc()->OnSaveModified());
    }

    View()->SetRunState(1);
    View()->List().Insert(0, kRowPending, "/index.html", "1");
    wxString text;
    long style = 0;
    // No, from the window's close box: the window stays and the run is untouched.
    wxTEST_DIALOG(Frame()->Close(), CExpectMessage(wxID_NO, &text, &style));
    PumpPending();
    ASSERT_NE(Frame(), nullptr);
    EXPECT_TRUE(Frame()->IsShown());
    EXPECT_EQ(text, Utf8(LoadString(IDS_QUIT_CONFIRM)));
    EXPECT_TRUE(text.StartsWith("Warning. You are still connected to the FTP"));
    EXPECT_TRUE(style & wxYES_NO);
    EXPECT_TRUE(style & wxICON_ERROR);
    EXPECT_TRUE(style & wxNO_DEFAULT);
    EXPECT_EQ(View()->GetRunState(), 1);
    EXPECT_EQ(View()->List().Count(), 1u);
    EXPECT_FALSE(View()->Run().IsStopping());

    // Yes: Stop runs to its end, then the window may close.
    bool answer = false;
    wxTEST_DIALOG(answer = Doc()->OnSaveModified(), CExpectMessage(wxID_YES, &text, &style));
    EXPECT_TRUE(answer);
    EXPECT_FALSE(wxIsBusy());
}

TEST_F(DocumentTest, SaveInFrenchTakesTheCatalogTexts)
{
    Start("[Advanced]\nLanguage=2\n");
    CMessageSeen seen;
    wxTEST_DIALOG(Doc()->SaveTo(PathOf("liste.txt")), CExpectNotice(&seen));
    EXPECT_EQ(seen.text, wxString::FromUTF8("Le fichier a été enregistré"));
    EXPECT_EQ(seen.pane, "Enregistrement du fichier");
    EXPECT_EQ(Doc()->FileWildcard(), "Fichiers texte (*.txt)|*.txt|Tous les fichiers (*.*)|*.*");
}
