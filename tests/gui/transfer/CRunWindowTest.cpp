#include "gui/transfer/CRunWindowTest.h"

#include <fstream>
#include <iterator>

#include <wx/menu.h>
#include <wx/toolbar.h>

#include "app/CMainFrame.h"
#include "app/CommandIds.h"
#include "app/StringIds.h"
#include "settings/CIniFile.h"
#include "settings/CPasswordCodec.h"
#include "transfer/CSkerrowView.h"
#include "transfer/CTransferListCtrl.h"

using namespace skerrow;
using skerrow::test::CFtpServerProcess;
using skerrow::test::FtpServerKind;

namespace {

// New, Find Files & Transfer, Find Files, Find Files and Server Leftovers, Transfer/Delete, Tree
// Delete, Re-set.
const int kRunCommands[] = {ID_FILE_NEW,        ID_FIND_FILES_TRANSFER, ID_FIND_FILES, ID_FIND_LEFTOVERS,
                            ID_TRANSFER_DELETE, ID_TREE_DELETE,         ID_RESET,      ID_FILE_OPEN};

std::string ReadBytes(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

} // namespace

int CUnexpectedDialogs::Enter(wxDialog* dialog)
{
    ADD_FAILURE() << "unexpected dialog \"" << dialog->GetTitle() << "\" (" << dialog->GetClassInfo()->GetClassName()
                  << ")";
    return wxID_CANCEL;
}

int CExpectFilePath::OnInvoked(wxFileDialog* dialog) const
{
    dialog->SetPath(m_path);
    return wxID_OK;
}

int CExpectBox::OnInvoked(wxMessageDialog* dialog) const
{
    if (m_shown) {
        m_shown->text = dialog->GetMessage();
        m_shown->style = dialog->GetMessageDialogStyle();
    }
    return m_answer;
}

void CRunWindowTest::SetUp()
{
    CMainWindowTest::SetUp();
    m_unexpected.Register();
    m_served.MakeDir("site");
}

void CRunWindowTest::TearDown()
{
    CMainWindowTest::TearDown();
    m_unexpected.Unregister();
}

void CRunWindowTest::MakeSite()
{
    m_site.WriteFile("index.html", "<html>home</html>\n");
    std::string logo;
    for (int i = 0; i < 3000; ++i)
        logo += static_cast<char>(i * 7 % 256);
    m_site.WriteFile("img/logo.gif", logo);
    m_site.WriteFile("about/team/people.htm", "<p>people</p>\n");
    m_site.WriteFile("_drafts/secret.html", "not for the server\n");
    BackDateSite();
}

bool CRunWindowTest::SiteWithASlowBigUpload(int bytesPerSecond)
{
    MakeSite();
    m_site.MakeFileOfSize("big.bin", 50u * 1024 * 1024);
    BackDateSite();
    return StartServer(skerrow::test::FtpServerKind::Misbehaving, {"--slow-stor", std::to_string(bytesPerSecond)});
}

void CRunWindowTest::BackDateSite()
{
    const auto hourAgo = std::filesystem::file_time_type::clock::now() - std::chrono::hours(1);
    for (const auto& entry : std::filesystem::recursive_directory_iterator(m_site.Path()))
        std::filesystem::last_write_time(entry.path(), hourAgo);
}

bool CRunWindowTest::StartServer(FtpServerKind kind, const std::vector<std::string>& args)
{
    m_server = std::make_unique<CFtpServerProcess>(kind, m_served.Str(), args);
    if (!m_server->Started()) {
        [this] { GTEST_SKIP() << m_server->Error(); }();
        return false;
    }
    return true;
}

std::string CRunWindowTest::SettingsText(int language, bool plainAllowed) const
{
    std::string password = m_server ? m_server->Password() : std::string();
    CPasswordCodec().Encode(password);
    return "[Configure]\nFTPURL=127.0.0.1\nUser=" + (m_server ? m_server->User() : std::string()) + "\nPWD=" +
           password + "\nPCDir=" + m_site.Str() + "\nFTPStartDir=site\n[Advanced]\nPort=" +
           std::to_string(m_server ? m_server->Port() : 21) + "\nPASV=1\nStopTimeout=1\nLanguage=" +
           std::to_string(language) + "\n" +
           (plainAllowed ? "[Plain FTP Servers]\n127.0.0.1:" + std::to_string(m_server ? m_server->Port() : 21) + "=1\n"
                         : std::string());
}

void CRunWindowTest::StartWindow(int language)
{
    StartWindowOver(SettingsText(language));
}

void CRunWindowTest::StartWindowOver(const std::string& iniText)
{
    Start(iniText);
    if (View())
        View()->Run().SetConnectionTimeouts(10, 10);
}

void CRunWindowTest::WriteSetting(const char* section, const char* key, const std::string& value)
{
    ASSERT_TRUE(CIniFile::WriteString(IniPath(), section, key, value));
}

std::string CRunWindowTest::ReadSetting(const char* section, const char* key) const
{
    return CIniFile::GetString(IniPath(), section, key, "<absent>");
}

void CRunWindowTest::CommandOnly(int commandId)
{
    wxCommandEvent event(wxEVT_MENU, WxCommandId(commandId));
    event.SetEventObject(Frame());
    Frame()->ProcessWindowEvent(event);
}

bool CRunWindowTest::AwaitWorkerEnd(std::chrono::milliseconds limit)
{
    CSkerrowView* view = View();
    if (!PumpUntil([view] { return !view->Run().IsRunActive(); }, limit))
        return false;
    PumpPending(); // the worker's last calls (greying, pane 0) were queued before it ended
    return true;
}

bool CRunWindowTest::RunCommandsEnabled()
{
    wxMenuBar* bar = Frame()->GetMenuBar();
    wxToolBar* toolBar = Frame()->GetToolBar();
    std::set<bool> states;
    for (int id : kRunCommands) {
        wxMenuItem* item = bar->FindItem(WxCommandId(id));
        if (item)
            states.insert(item->IsEnabled());
        if (toolBar->FindById(WxCommandId(id)))
            states.insert(toolBar->GetToolEnabled(WxCommandId(id)));
    }
    // Stop is never greyed.
    EXPECT_TRUE(bar->FindItem(WxCommandId(ID_STOP))->IsEnabled());
    EXPECT_EQ(states.size(), 1u) << "some run commands are greyed, others not";
    return states.size() == 1 && *states.begin();
}

CRunWindowTest::Tree CRunWindowTest::FilesBelow(const std::filesystem::path& root, bool skipUnderscore)
{
    Tree files;
    if (!std::filesystem::exists(root))
        return files;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(root)) {
        if (!entry.is_regular_file())
            continue;
        if (skipUnderscore && entry.path().parent_path().filename().string().starts_with("_"))
            continue;
        files[entry.path().lexically_relative(root).generic_string()] = ReadBytes(entry.path());
    }
    return files;
}

testing::AssertionResult CRunWindowTest::SameFiles(const Tree& served, const Tree& local)
{
    std::string differences;
    for (const auto& [name, contents] : local) {
        const auto found = served.find(name);
        if (found == served.end())
            differences += " missing " + name + ";";
        else if (found->second != contents)
            differences += " " + name + " has " + std::to_string(found->second.size()) + " bytes, not " +
                           std::to_string(contents.size()) + " or not the same ones;";
    }
    for (const auto& [name, contents] : served) {
        if (!local.count(name))
            differences += " extra " + name + ";";
    }
    if (differences.empty())
        return testing::AssertionSuccess() << local.size() << " files";
    return testing::AssertionFailure() << "the server's files differ:" << differences;
}

std::filesystem::file_time_type CRunWindowTest::ServedTime(const std::string& relative) const
{
    return std::filesystem::last_write_time(m_served.Path() / "site" / relative);
}

uintmax_t CRunWindowTest::ServedSize(const std::string& relative) const
{
    std::error_code error;
    const uintmax_t size = std::filesystem::file_size(m_served.Path() / "site" / relative, error);
    return error ? 0 : size;
}

long CRunWindowTest::RowNamed(const std::string& name) const
{
    PumpPending(); // the control learns of a new row count on the UI thread's next turn
    CTransferListCtrl* list = ListCtrl();
    for (long row = 0; row < list->GetItemCount(); ++row) {
        if (list->OnGetItemText(row, kColName).utf8_string() == name)
            return row;
    }
    return -1;
}

std::string CRunWindowTest::CellText(long row, long column) const
{
    return ListCtrl()->OnGetItemText(row, column).utf8_string();
}

int CRunWindowTest::RowImage(long row) const
{
    return ListCtrl()->OnGetItemImage(row);
}
