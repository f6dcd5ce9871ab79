#include "settings/CHelpLauncher.h"

#include <algorithm>

#include <wx/accel.h>
#include <wx/app.h>
#include <wx/dialog.h>
#include <wx/display.h>
#include <wx/fileconf.h>
#include <wx/filesys.h>
#include <wx/fs_arc.h>
#include <wx/filename.h>
#include <wx/html/helpctrl.h>
#include <wx/html/helpfrm.h>
#include <wx/html/helpwnd.h>
#include <wx/intl.h>
#include <wx/log.h>
#include <wx/module.h>
#include <wx/msgdlg.h>
#include <wx/sstream.h>
#include <wx/stdpaths.h>

#include "app/CStringTable.h"
#include "settings/CHelpController.h"
#include "settings/CProgramFiles.h"
#include "settings/CSettingsFile.h"

using skerrow::Tr;

namespace {

// The viewer and its settings live from the first Help until the program ends.
struct CHelpViewerState {
    wxString bookOverride;
    wxString language;
    wxString loadedBook;
    wxFileConfig* config = nullptr;
    wxHtmlHelpController* controller = nullptr;

    void Reset()
    {
        delete controller; // writes its window settings into config, so goes first
        controller = nullptr;
        delete config;
        config = nullptr;
        loadedBook.clear();
    }
};

CHelpViewerState g_viewer;

wxString Wx(const std::string& text)
{
    return wxString::FromUTF8(text);
}

// A viewer whose window opens with the navigation pane collapsed. The viewer reads that from its
// configuration ("hcNavigPanel"), which we keep in memory only.
wxHtmlHelpController* CreateViewer()
{
    // The book is a zip archive, which the viewer reads through wxFileSystem.
    static bool archivesReadable = false;
    if (!archivesReadable) {
        wxFileSystem::AddHandler(new wxArchiveFSHandler);
        archivesReadable = true;
    }
    wxStringInputStream empty(wxString{});
    g_viewer.config = new wxFileConfig(empty);
    g_viewer.config->Write("/Help/hcNavigPanel", 0L);
    auto* controller = new CHelpController;
    controller->SetShouldPreventAppExit(false);
    controller->UseConfig(g_viewer.config, "/Help");
    return controller;
}

// Frees the viewer before wxWidgets shuts down.
class CHelpViewerModule : public wxModule {
public:
    bool OnInit() override { return true; }
    void OnExit() override { g_viewer.Reset(); }

private:
    wxDECLARE_DYNAMIC_CLASS(CHelpViewerModule);
};

wxIMPLEMENT_DYNAMIC_CLASS(CHelpViewerModule, wxModule);

} // namespace

CHelpLauncher::CHelpLauncher() : m_topic("index.html") {}

void CHelpLauncher::Show(wxWindow* parent)
{
    ShowTopic(parent, m_topic);
}

void CHelpLauncher::ShowTopic(wxWindow* parent, const wxString& topic)
{
    try {
        const wxString book = BookPath();
        wxString description;
        if (!OpenTopic(book, topic, description))
            wxMessageBox(wxString::Format("%s\n%s", description, book), Wx(Tr("T.HelpError", "Help Error")),
                         wxOK | wxICON_ERROR, parent);
    } catch (...) {
        wxMessageBox(FailureNotice(SystemLanguageIsFrench()), wxMessageBoxCaptionStr, wxOK | wxICON_INFORMATION,
                     parent);
    }
}

void CHelpLauncher::PlaceBesideMainWindow(wxTopLevelWindow& help)
{
    // A normal size, beside the main window where the screen has room, so that both can be read.
    const wxRect area = wxGetClientDisplayRect();
    const wxSize size(std::min(area.width / 2, 900), std::min(area.height * 3 / 4, 800));
    wxPoint at(area.GetRight() - size.x, area.y);
    if (const wxWindow* main = wxTheApp ? wxTheApp->GetTopWindow() : nullptr; main && main != &help) {
        const wxRect beside = main->GetScreenRect();
        const bool right = beside.GetRight() + size.x <= area.GetRight();
        at = wxPoint(right ? beside.GetRight() + 1 : std::max(area.x, beside.x - size.x),
                     std::clamp(beside.y, area.y, std::max(area.y, area.GetBottom() - size.y)));
    }
    help.Maximize(false);
    help.SetSize(wxRect(at, size));
}

void CHelpLauncher::HelpOnF1(wxDialog& dialog, int helpButtonId)
{
    wxAcceleratorEntry f1(wxACCEL_NORMAL, WXK_F1, helpButtonId);
    dialog.SetAcceleratorTable(wxAcceleratorTable(1, &f1));
    dialog.Bind(
        wxEVT_MENU,
        [&dialog, helpButtonId](wxCommandEvent&) {
            wxCommandEvent click(wxEVT_BUTTON, helpButtonId);
            click.SetEventObject(&dialog);
            dialog.ProcessWindowEvent(click);
        },
        helpButtonId);
}

bool CHelpLauncher::OpenTopic(const wxString& book, const wxString& topic, wxString& description)
{
    if (!wxFileName::FileExists(book)) {
        description = Wx(Tr("T.HelpNotFound", "The help file was not found."));
        return false;
    }
    if (g_viewer.controller && g_viewer.loadedBook != book)
        g_viewer.Reset();
    if (!g_viewer.controller) {
        g_viewer.controller = CreateViewer();
        wxLogNull quiet; // failures are reported below, in our own words
        if (!g_viewer.controller->AddBook(wxFileName(book))) {
            g_viewer.Reset();
            description = Wx(Tr("T.HelpUnreadable", "The help file could not be read."));
            return false;
        }
        g_viewer.loadedBook = book;
    }
    const bool wasOpen = g_viewer.controller->GetFrame() && g_viewer.controller->GetFrame()->IsShown();
    bool shown = false;
    {
        wxLogNull quiet;
        shown = g_viewer.controller->Display(topic);
    }
    if (!shown) {
        description = Wx(Tr("T.HelpNoTopic", "The help file has no such topic."));
        return false;
    }
    if (wxHtmlHelpFrame* frame = g_viewer.controller->GetFrame()) {
        if (!wasOpen)
            PlaceBesideMainWindow(*frame);
        frame->Raise();
        // The page takes the keyboard, not the toolbar.
        if (wxHtmlHelpWindow* window = frame->GetHelpWindow(); window && window->GetHtmlWindow())
            window->GetHtmlWindow()->SetFocus();
    }
    return true;
}

wxString CHelpLauncher::BookPath()
{
    if (!g_viewer.bookOverride.empty())
        return g_viewer.bookOverride;
    wxFileName path;
    path.AssignDir(wxString::FromUTF8(skerrow::CProgramFiles(skerrow::CSettingsFile::ExecutablePath()).DataDir().string()));
    if (!g_viewer.language.empty() && g_viewer.language != "en") {
        path.SetFullName("skerrow_" + g_viewer.language + ".htb");
        if (path.FileExists())
            return path.GetFullPath();
    }
    path.SetFullName("skerrow.htb");
    return path.GetFullPath();
}

void CHelpLauncher::SetLanguage(const wxString& code)
{
    g_viewer.language = code;
}

void CHelpLauncher::SetBookPath(const wxString& path)
{
    g_viewer.bookOverride = path;
}

wxHtmlHelpController* CHelpLauncher::Controller()
{
    return g_viewer.controller;
}

wxString CHelpLauncher::FailureNotice(bool french)
{
    // Chosen by the system's language, not the program's catalog: this is what shows when the
    // program's own machinery failed.
    return french ? wxString::FromUTF8("N'a pas ouvert l'aide automatiquement, l'ouvrent svp manuellement")
                  : wxString("Failed to open the Help automatically, please open it manually");
}

bool CHelpLauncher::SystemLanguageIsFrench()
{
    return wxLocale::GetLanguageCanonicalName(wxLocale::GetSystemLanguage()).StartsWith("fr");
}

void ShowHelpTopic(wxWindow* parent, const wxString& topic)
{
    CHelpLauncher().ShowTopic(parent, topic);
}
