#include "settings/CPCDirDlg.h"

#include <wx/bmpbuttn.h>
#include <wx/button.h>
#include <wx/checkbox.h>
#include <wx/sizer.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>

#include "app/CStringTable.h"
#include "app/StringIds.h"
#include "settings/CFolderBrowser.h"
#include "settings/CHelpLauncher.h"
#include "settings/CPathFieldCheck.h"
#include "settings/CSettingsAlert.h"
#include "settings/CSettingsFile.h"
#include "settings/CSingleLineFilter.h"

using namespace skerrow;

namespace {

wxString Wx(const std::string& text)
{
    return wxString::FromUTF8(text);
}

} // namespace

CPCDirDlg::CPCDirDlg(wxWindow* parent)
    : wxDialog(parent, wxID_ANY, Wx(Tr("D136.Caption", "Select the PC \"Web Directory\"")))
{
    CreateControls();
    Bind(wxEVT_INIT_DIALOG, &CPCDirDlg::OnInitDialog, this);
    Bind(wxEVT_BUTTON, &CPCDirDlg::OnBrowse, this, ID_BROWSE);
    Bind(wxEVT_BUTTON, &CPCDirDlg::OnHelp, this, ID_HELP_BUTTON);
    CHelpLauncher::HelpOnF1(*this, ID_HELP_BUTTON);
}

// In tab order: PC Dir, browse, Select ALL files, OK, Help, Cancel.
void CPCDirDlg::CreateControls()
{
    auto* row = new wxBoxSizer(wxHORIZONTAL);
    row->Add(new wxStaticText(this, wxID_ANY, Wx(Tr("D136.1005", "&PC Dir"))), 0, wxALIGN_CENTER_VERTICAL | wxRIGHT, 6);
    m_pcDir = new wxTextCtrl(this, ID_PC_DIR);
    CSingleLineFilter::Attach(m_pcDir);
    m_pcDir->SetInitialSize(wxSize(m_pcDir->GetCharWidth() * 40, -1));
    row->Add(m_pcDir, 1, wxALIGN_CENTER_VERTICAL);
    row->Add(CFolderBrowser::CreateButton(this, ID_BROWSE), 0, wxALIGN_CENTER_VERTICAL | wxLEFT, 4);

    auto* fields = new wxBoxSizer(wxVERTICAL);
    fields->Add(row, 0, wxEXPAND);
    m_selectAll = new wxCheckBox(this, ID_SELECT_ALL, Wx(Tr("D136.1002", "&Select ALL files")));
    fields->Add(m_selectAll, 0, wxTOP, 8);

    auto* buttons = new wxBoxSizer(wxVERTICAL);
    auto* ok = new wxButton(this, wxID_OK, Wx(Tr("D136.1", "&OK")));
    ok->SetDefault();
    buttons->Add(ok, 0, wxEXPAND);
    buttons->Add(new wxButton(this, ID_HELP_BUTTON, Wx(Tr("D136.3", "&Help"))), 0, wxEXPAND | wxTOP, 6);
    buttons->Add(new wxButton(this, wxID_CANCEL, Wx(Tr("D136.2", "&Cancel"))), 0, wxEXPAND | wxTOP, 6);

    auto* top = new wxBoxSizer(wxHORIZONTAL);
    top->Add(fields, 1, wxALL, 10);
    top->Add(buttons, 0, wxTOP | wxRIGHT | wxBOTTOM, 10);
    SetSizerAndFit(top);
}

void CPCDirDlg::OnInitDialog(wxInitDialogEvent& event)
{
    CSettingsFile settings;
    settings.GetPath(".ini");
    m_pcDirStored.Load(settings.ReadString(ini::kConfigure, ini::kPcDir));
    m_pcDirValue = m_pcDirStored.Shown();
    m_selectAllValue = settings.ReadInt(ini::kConfigure, ini::kUploadAllFiles, 0) != 0;
    m_pcDir->SetFocus();
    event.Skip(); // the default handler puts the values into the controls
}

bool CPCDirDlg::TransferDataToWindow()
{
    m_pcDir->ChangeValue(m_pcDirValue);
    m_selectAll->SetValue(m_selectAllValue);
    return true;
}

bool CPCDirDlg::TransferDataFromWindow()
{
    if (!CPathFieldCheck::AcceptsFolder(m_pcDir, m_pcDirStored.Shown()))
        return false;
    m_pcDirValue = m_pcDir->GetValue();
    m_selectAllValue = m_selectAll->GetValue();
    CSettingsFile settings;
    settings.GetPath(".ini");
    if (!settings.WriteString(ini::kConfigure, ini::kPcDir, m_pcDirStored.ToStore(m_pcDirValue)) ||
        !settings.WriteInt(ini::kConfigure, ini::kUploadAllFiles, m_selectAllValue ? 1 : 0)) {
        CSettingsAlert::ShowWriteFailure(this, settings.CurrentPath());
        return false;
    }
    return true;
}

void CPCDirDlg::OnBrowse(wxCommandEvent&)
{
    wxString folder = m_pcDir->GetValue();
    if (CFolderBrowser().Browse(this, folder, wxString::FromUTF8(LoadString(IDS_SELECT_PC_DIR)), folder))
        m_pcDir->ChangeValue(folder);
}

void CPCDirDlg::OnHelp(wxCommandEvent&)
{
    ShowHelpTopic(this, "index.html");
}
