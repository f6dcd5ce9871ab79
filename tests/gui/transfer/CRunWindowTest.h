#pragma once
// The real main window over a local site and a real FTP server on 127.0.0.1: what the run tests
// through the menus and the end-to-end tests share. The site is written an hour ago, so that a
// find after a run lists only what changed since.

#include <chrono>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include <wx/filedlg.h>
#include <wx/modalhook.h>

#include "gui/app/CMainWindowTest.h"
#include "support/CFtpServerProcess.h"
#include "support/CTempDir.h"

// Any modal dialog that no expectation answered fails the test and is cancelled, instead of
// waiting for a user who never comes. The expectations of wxTEST_DIALOG are asked first.
class CUnexpectedDialogs : public wxModalDialogHook {
protected:
    int Enter(wxDialog* dialog) override;
    void Exit(wxDialog*) override {}
};

// Expects a modal dialog of class T and lets the test act on it as the user would; the answer is
// what ShowModal returns.
template <class T>
class CExpectDialogDoing : public wxExpectModalBase<T, CExpectDialogDoing<T>> {
public:
    explicit CExpectDialogDoing(std::function<int(T&)> act) : m_act(std::move(act)) {}

protected:
    int OnInvoked(T* dialog) const override { return m_act(*dialog); }

private:
    std::function<int(T&)> m_act;
};

// Answers the file dialog with a path.
class CExpectFilePath : public wxExpectModalBase<wxFileDialog, CExpectFilePath> {
public:
    explicit CExpectFilePath(const wxString& path) : m_path(path) {}

protected:
    int OnInvoked(wxFileDialog* dialog) const override;

private:
    wxString m_path;
};

// A message box: its text and style as shown, answered with the given button.
struct CMessageShown {
    wxString text;
    long style = 0;
};

class CExpectBox : public wxExpectModalBase<wxMessageDialog, CExpectBox> {
public:
    CExpectBox(CMessageShown* shown, int answer = wxID_OK) : m_shown(shown), m_answer(answer) {}

protected:
    int OnInvoked(wxMessageDialog* dialog) const override;

private:
    CMessageShown* m_shown;
    int m_answer;
};

class CRunWindowTest : public CMainWindowTest {
protected:
    using Tree = std::map<std::string, std::string>;

    void SetUp() override;
    void TearDown() override;

    // index.html, img/logo.gif, about/team/people.htm and _drafts/secret.html (left out by a find),
    // all written an hour ago.
    void MakeSite();
    // Every file of the site written an hour ago.
    void BackDateSite();
    // The site, a 50 MiB big.bin and a server that reads uploads at bytesPerSecond: a run that is
    // still sending when the test acts. False when the server could not start.
    bool SiteWithASlowBigUpload(int bytesPerSecond = 20000);
    // Starts a server over the served directory (its "site" is the start directory). False, with
    // the test skipped, when the server cannot run on this machine.
    bool StartServer(skerrow::test::FtpServerKind kind, const std::vector<std::string>& args = {});
    // Settings naming the server, the site, the start directory "site", a 1-second stop timeout;
    // plainAllowed: the user has let the server in without TLS for good (the test servers mostly
    // offer none).
    std::string SettingsText(int language = 1, bool plainAllowed = true) const;
    // The window over SettingsText; connections give up after 10 s.
    void StartWindow(int language = 1);
    void StartWindowOver(const std::string& iniText);

    void WriteSetting(const char* section, const char* key, const std::string& value);
    std::string ReadSetting(const char* section, const char* key) const;

    // Sends a menu command without pumping afterwards: what the handler left is still there.
    void CommandOnly(int commandId);
    // Pumps until the view holds no running worker and the calls it queued have reached the window.
    bool AwaitWorkerEnd(std::chrono::milliseconds limit = std::chrono::seconds(30));

    // The commands that SetRunning greys, in the menus and on the toolbar: true when all are
    // enabled, false when all are greyed; a mixture fails the test.
    bool RunCommandsEnabled();

    // The files below a directory by relative path ("img/logo.gif") with their contents; files lying
    // directly in a directory whose name begins with "_" are left out when asked.
    static Tree FilesBelow(const std::filesystem::path& root, bool skipUnderscore = false);
    Tree LocalSite() const { return FilesBelow(m_site.Path(), true); }
    Tree ServedSite() const { return FilesBelow(m_served.Path() / "site"); }
    // Equal trees; otherwise names the files that differ (without their contents).
    static testing::AssertionResult SameFiles(const Tree& served, const Tree& local);
    std::filesystem::file_time_type ServedTime(const std::string& relative) const;
    // Bytes of a served file so far; 0 while the server has not created it.
    uintmax_t ServedSize(const std::string& relative) const;
    // Where big.bin (1 MiB and more) is written while it is on its way: under a temporary name.
    static constexpr const char* kBigPart = ".big.bin.skerrow-part";

    // The row of the list with this name, or -1.
    long RowNamed(const std::string& name) const;
    std::string CellText(long row, long column) const;
    int RowImage(long row) const;

    skerrow::test::CTempDir m_site;
    skerrow::test::CTempDir m_served;
    std::unique_ptr<skerrow::test::CFtpServerProcess> m_server;

private:
    CUnexpectedDialogs m_unexpected;
};
