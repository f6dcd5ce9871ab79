#include "transfer/CSkerrowDoc.h"

#include <cerrno>
#include <cstring>
#include <exception>
#include <vector>

#include <wx/filedlg.h>
#include <wx/filename.h>
#include <wx/utils.h>

#include "app/CMainFrame.h"
#include "app/CStringTable.h"
#include "app/CommandIds.h"
#include "app/StringIds.h"
#include "settings/CSettingsFile.h"
#include "list/CSavedListFile.h"
#include "transfer/CSkerrowView.h"

using namespace skerrow;

wxIMPLEMENT_DYNAMIC_CLASS(CSkerrowDoc, wxDocument);

CSkerrowDoc::CSkerrowDoc()
{
    Bind(wxEVT_MENU, &CSkerrowDoc::OnFileOpen, this, WxCommandId(ID_FILE_OPEN));
    Bind(wxEVT_MENU, &CSkerrowDoc::OnFileSave, this, WxCommandId(ID_FILE_SAVE));
}

CSkerrowView* CSkerrowDoc::GetSkerrowView() const
{
    return dynamic_cast<CSkerrowView*>(GetFirstView());
}

bool CSkerrowDoc::OnSaveModified()
{
    CSkerrowView* view = GetSkerrowView();
    // Asked whenever something would be lost: a run under way, a run state to come back to, or
    // rows listed and not yet sent (also after a Stop).
    if (!view || (!view->Run().IsRunActive() && view->GetRunState() == 0 && !view->Run().HasUnfinishedRows()))
        return true;
    if (view->QuitConfirmed()) {
        view->StopActivity();
        return true;
    }
    if (!view->AskYesNo(LoadString(IDS_QUIT_CONFIRM), PromptIcon::Stop))
        return false;
    view->StopActivity();
    return true;
}

// --- File dialog --------------------------------------------------------------------------------

wxString CSkerrowDoc::FileWildcard()
{
    wxString filter = wxString::FromUTF8(LoadString(IDS_SAVE_FILTER));
    // The string table's form ends the list of pairs with "||"; wx wants no closing bars.
    while (filter.EndsWith("|"))
        filter.RemoveLast();
    return filter;
}

wxString CSkerrowDoc::AskPath(long style) const
{
    CSkerrowView* view = GetSkerrowView();
    wxWindow* parent = view ? view->GetMainFrame() : nullptr;
    const wxFileName defaultFile(wxString::FromUTF8(CSettingsFile().GetPath(".txt")));
    const wxString title = wxString::FromUTF8((style & wxFD_SAVE) ? Tr("T.SaveListTitle", "Save As")
                                                                   : Tr("T.OpenListTitle", "Open"));
    const wxString folder = m_lastFolder.empty() ? wxGetHomeDir() : m_lastFolder;
    wxFileDialog dialog(parent, title, folder, defaultFile.GetFullName(), FileWildcard(), style);
    if (dialog.ShowModal() != wxID_OK)
        return wxString();
    wxString path = dialog.GetPath();
    // GTK's chooser reports a path set by the program (SetPath) only after its own events have
    // run; the directory and the name are there at once.
    if (path.empty() && !dialog.GetFilename().empty())
        path = wxFileName(dialog.GetDirectory(), dialog.GetFilename()).GetFullPath();
    if (!path.empty())
        m_lastFolder = wxFileName(path).GetPath();
    return (style & wxFD_SAVE) ? WithDefaultExtension(path) : path;
}

wxString CSkerrowDoc::WithDefaultExtension(const wxString& path)
{
    wxFileName name(path);
    if (!name.IsOk() || name.HasExt() || name.FileExists())
        return path;
    // The dialog asked before replacing the name as typed, not the name with ".txt": an existing
    // file of that name is never replaced unasked, so the name stays as typed then.
    wxFileName withExt(name);
    withExt.SetExt("txt");
    return withExt.FileExists() ? path : withExt.GetFullPath();
}

// --- Reading and writing the file --------------------------------------------------------------

namespace {

// The reason a path cannot be a saved list file at all: a directory opens for reading on POSIX
// and only fails once read.
std::string NotAFile(const wxString& path)
{
    return wxDirExists(path) ? std::string(std::strerror(EISDIR)) : std::string();
}

// Runs a read or write of the saved list file; false with the system's reason in failure when the
// file cannot be read or written, a stream exception included.
template <typename Operation>
bool UseListFile(const wxString& path, std::string& failure, Operation operation)
{
    failure = NotAFile(path);
    if (!failure.empty())
        return false;
    CSavedListFile file;
    try {
        if (operation(file, path.utf8_string()))
            return true;
        failure = file.error();
    } catch (const std::exception& error) {
        failure = error.what();
    }
    return false;
}

// The message that a saved list file could not be opened, with the system's reason.
void ShowFileFailure(CSkerrowView& view, const std::string& reason)
{
    std::string text = LoadString(IDS_FILE_OPEN_FAILED);
    if (!reason.empty())
        text += "\n" + reason;
    view.ShowMessage(text, PromptIcon::Stop);
}

// Why a file is no saved list, for the message.
std::string RefusalText(CSavedListFile::Refusal refusal)
{
    if (refusal == CSavedListFile::Refusal::TooLarge)
        return Tr("T.ListTooLarge", "The file is larger than 1 GiB: it is not a saved list.");
    return Tr("T.ListNotText", "The file holds binary data: it is not a saved list.");
}

} // namespace

// --- Save -------------------------------------------------------------------------------------

void CSkerrowDoc::OnFileSave(wxCommandEvent&)
{
    // The wait cursor lasts the whole command, the dialog included.
    wxBusyCursor wait;
    const wxString path = AskPath(wxFD_SAVE | wxFD_OVERWRITE_PROMPT);
    if (!path.empty())
        SaveTo(path);
}

bool CSkerrowDoc::SaveTo(const wxString& path)
{
    CSkerrowView* view = GetSkerrowView();
    if (!view)
        return false;
    wxBusyCursor wait;
    const std::string remembered = view->GetStatusText();
    view->SetStatusText(Tr("T.SavingFile", "Saving File"));
    const int runState = view->GetRunState();
    const std::vector<CPackedRow> rows = view->List().PackedSnapshot();
    std::string failure;
    const bool written = UseListFile(path, failure, [&](CSavedListFile& file, const std::string& name) {
        return file.Write(name, runState, rows);
    });
    if (written)
        view->ShowMessage(LoadString(IDS_FILE_SAVED), PromptIcon::Information);
    else
        ShowFileFailure(*view, failure);
    view->SetStatusText(remembered);
    return written;
}

// --- Open -------------------------------------------------------------------------------------

void CSkerrowDoc::OnFileOpen(wxCommandEvent&)
{
    CSkerrowView* view = GetSkerrowView();
    if (view && view->Run().RefuseDuringRun())
        return;
    const wxString path = AskPath(wxFD_OPEN | wxFD_FILE_MUST_EXIST);
    if (!path.empty())
        OpenFrom(path);
}

bool CSkerrowDoc::OpenFrom(const wxString& path)
{
    CSkerrowView* view = GetSkerrowView();
    if (!view || view->Run().RefuseDuringRun())
        return false;
    wxBusyCursor wait;
    const std::string remembered = view->GetStatusText();
    view->SetStatusText(LoadString(IDS_LOADING_FILE));
    int runState = 0;
    std::vector<CPackedRow> rows;
    std::string failure;
    CSavedListFile::Refusal refusal = CSavedListFile::Refusal::None;
    const bool read = UseListFile(path, failure, [&](CSavedListFile& file, const std::string& name) {
        const bool done = file.Read(name, runState, rows);
        refusal = file.refusal();
        return done;
    });
    if (!read) {
        // A file that cannot be read leaves the list empty; one that is no saved list at all
        // leaves it as it was.
        if (refusal == CSavedListFile::Refusal::None)
            view->List().DeleteAll();
        ShowFileFailure(*view, refusal == CSavedListFile::Refusal::None ? failure : RefusalText(refusal));
        view->SetStatusText(remembered);
        return false;
    }
    view->SetRunState(runState);
    view->List().Replace(std::move(rows));
    view->ListReplaced();
    view->SetStatusText(remembered);
    return true;
}
