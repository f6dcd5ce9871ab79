#include "settings/CTreeDeleteDlg.h"

#include <wx/button.h>
#include <wx/sizer.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>

#include "app/CStringTable.h"
#include "settings/CHelpLauncher.h"
#include "settings/CSettingsAlert.h"
#include "settings/CSettingsFile.h"
#include "settings/CSingleLineFilter.h"
#include "settings/CTreeDeletePath.h"

using namespace skerrow;

namespace {

wxString Wx(const std::string& text)
{
    return wxString::FromUTF8(text);
}

} // namespace

CTreeDeleteDlg::CTreeDeleteDlg(wxWindow* parent)
    : wxDialog(parent, wxID_ANY, Wx(Tr("D149.Caption", "FTP Directory Tree Delete")))
{
    CreateControls();
    Bind(wxEVT_INIT_DIALOG, &CTreeDeleteDlg::OnInitDialog, this);
    Bind(wxEVT_BUTTON, &CTreeDeleteDlg::OnHelp, this, ID_HELP_BUTTON);
    CHelpLauncher::HelpOnF1(*this, ID_HELP_BUTTON);
}

void CTreeDeleteDlg::CreateControls()
{
    auto* fields = new wxBoxSizer(wxVERTICAL);
    fields->Add(new wxStaticText(this, wxID_ANY, Wx(Tr("D149.Label", "&Server directory to empty (it stays, what is below it goes)"))));
    m_directory = new wxTextCtrl(this, ID_DIRECTORY);
    CSingleLineFilter::Attach(m_directory);
    m_directory->SetInitialSize(wxSize(m_directory->GetCharWidth() * 40, -1));
    fields->Add(m_directory, 0, wxEXPAND | wxTOP, 4);

    auto* buttons = new wxBoxSizer(wxVERTICAL);
    auto* ok = new wxButton(this, wxID_OK, Wx(Tr("D149.1", "&OK")));
    ok->SetDefault();
    buttons->Add(ok, 0, wxEXPAND);
    buttons->Add(new wxButton(this, ID_HELP_BUTTON, Wx(Tr("D149.3", "&Help"))), 0, wxEXPAND | wxTOP, 6);
    buttons->Add(new wxButton(this, wxID_CANCEL, Wx(Tr("D149.2", "&Cancel"))), 0, wxEXPAND | wxTOP, 6);

    auto* top = new wxBoxSizer(wxHORIZONTAL);
    top->Add(fields, 1, wxALL, 10);
    top->Add(buttons, 0, wxTOP | wxRIGHT | wxBOTTOM, 10);
    SetSizerAndFit(top);
}

void CTreeDeleteDlg::OnInitDialog(wxInitDialogEvent& event)
{
    CSettingsFile settings;
    settings.GetPath(".ini");
    m_directoryStored.Load(settings.ReadString(ini::kConfigure, ini::kFtpDirTreeDel));
    m_directoryValue = m_directoryStored.Shown();
    m_directory->SetFocus();
    event.Skip(); // the default handler puts the value into the control
}

bool CTreeDeleteDlg::TransferDataToWindow()
{
    m_directory->ChangeValue(m_directoryValue);
    return true;
}

bool CTreeDeleteDlg::TransferDataFromWindow()
{
    const std::string stored = NormaliseTreeDeletePath(m_directoryStored.ToStore(m_directory->GetValue()));
    CSettingsFile settings;
    settings.GetPath(".ini");
    if (!settings.WriteString(ini::kConfigure, ini::kFtpDirTreeDel, stored)) {
        CSettingsAlert::ShowWriteFailure(this, settings.CurrentPath());
        return false;
    }
    m_directoryStored.Load(stored);
    m_directoryValue = m_directoryStored.Shown();
    m_directory->ChangeValue(m_directoryValue);
    return true;
}

void CTreeDeleteDlg::OnHelp(wxCommandEvent&)
{
    ShowHelpTopic(this, "index.html");
}
