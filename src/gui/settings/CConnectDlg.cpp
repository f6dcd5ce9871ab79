#include "settings/CConnectDlg.h"

#include <wx/bmpbuttn.h>
#include <wx/button.h>
#include <wx/checkbox.h>
#include <wx/filedlg.h>
#include <wx/filename.h>
#include <wx/msgdlg.h>
#include <wx/sizer.h>
#include <wx/statbox.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>

#include "app/CStringTable.h"
#include "app/StringIds.h"
#include "settings/CAdvancedDlg.h"
#include "settings/CDateTime.h"
#include "settings/CFolderBrowser.h"
#include "settings/CGroupMnemonic.h"
#include "settings/CHelpLauncher.h"
#include "settings/CNumberExchange.h"
#include "settings/CPasswordCodec.h"
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

wxTextCtrl* AddLabelledEdit(wxWindow* parent, wxSizer* grid, int id, const wxString& label, long style = 0)
{
    grid->Add(new wxStaticText(parent, wxID_ANY, label), 0, wxALIGN_CENTER_VERTICAL);
    auto* edit = new wxTextCtrl(parent, id, wxString(), wxDefaultPosition, wxDefaultSize, style);
    CSingleLineFilter::Attach(edit);
    grid->Add(edit, 1, wxEXPAND);
    return edit;
}

wxTextCtrl* AddDateEdit(wxWindow* parent, wxSizer* grid, int id, const wxString& label)
{
    grid->Add(new wxStaticText(parent, wxID_ANY, label), 0, wxALIGN_CENTER_VERTICAL);
    auto* edit = new wxTextCtrl(parent, id);
    CSingleLineFilter::Attach(edit);
    edit->SetInitialSize(wxSize(edit->GetCharWidth() * 7, -1));
    grid->Add(edit, 0);
    return edit;
}

} // namespace

CConnectDlg::CConnectDlg(wxWindow* parent)
    : wxDialog(parent, wxID_ANY, Wx(Tr("D130.Caption", "Connect")), wxDefaultPosition, wxDefaultSize,
               wxDEFAULT_DIALOG_STYLE)
{
    CreateControls();
    Bind(wxEVT_INIT_DIALOG, &CConnectDlg::OnInitDialog, this);
    Bind(wxEVT_CHECKBOX, &CConnectDlg::OnNever, this, ID_NEVER);
    Bind(wxEVT_BUTTON, &CConnectDlg::OnBrowse, this, ID_BROWSE);
    Bind(wxEVT_BUTTON, &CConnectDlg::OnBrowseKey, this, ID_KEY_BROWSE);
    Bind(wxEVT_BUTTON, &CConnectDlg::OnAdvanced, this, ID_ADVANCED);
    Bind(wxEVT_BUTTON, &CConnectDlg::OnHelp, this, ID_HELP_BUTTON);
    CHelpLauncher::HelpOnF1(*this, ID_HELP_BUTTON);
}

// Controls are made in tab order: Site, Start Dir, User Name, Password, Private key file, its
// Browse, Key passphrase, PC Dir, browse, Upload ALL, Never, Day, Month, Year, Hour, Minutes, then
// the buttons.
void CConnectDlg::CreateControls()
{
    auto* fields = new wxBoxSizer(wxVERTICAL);
    fields->Add(CreateSiteGroup(), 0, wxEXPAND);
    fields->Add(CreatePcDirRow(), 0, wxEXPAND | wxTOP, 8);
    m_uploadAll = new wxCheckBox(this, ID_UPLOAD_ALL, Wx(Tr("D130.1002", "Upload ALL &files")));
    fields->Add(m_uploadAll, 0, wxTOP, 8);
    fields->Add(CreateDateGroup(), 0, wxEXPAND | wxTOP, 8);

    auto* top = new wxBoxSizer(wxHORIZONTAL);
    top->Add(fields, 1, wxEXPAND | wxALL, 10);
    top->Add(CreateButtons(), 0, wxTOP | wxRIGHT | wxBOTTOM, 10);
    SetSizerAndFit(top);
}

wxStaticBoxSizer* CConnectDlg::CreateSiteGroup()
{
    auto* group = new wxStaticBoxSizer(wxVERTICAL, this, Wx(Tr("D130.FtpSite", "FTP Site")));
    wxWindow* box = group->GetStaticBox();
    auto* grid = new wxFlexGridSizer(2, 6, 8);
    grid->AddGrowableCol(1);
    m_site = AddLabelledEdit(box, grid, ID_SITE, Wx(Tr("D130.1001", "&Site")));
    m_site->SetInitialSize(wxSize(m_site->GetCharWidth() * 40, -1));
    m_startDir = AddLabelledEdit(box, grid, ID_START_DIR, Wx(Tr("D130.1004", "Start &Dir")));
    m_user = AddLabelledEdit(box, grid, ID_USER, Wx(Tr("D130.1006", "&User Name")));
    m_password = AddLabelledEdit(box, grid, ID_PASSWORD, Wx(Tr("D130.1007", "&Password")), wxTE_PASSWORD);
    CreateKeyFields(box, grid);
    group->Add(grid, 1, wxEXPAND | wxALL, 6);
    return group;
}

void CConnectDlg::CreateKeyFields(wxWindow* box, wxSizer* grid)
{
    grid->Add(new wxStaticText(box, wxID_ANY, Wx(Tr("D130.KeyFile", "Private &key file"))), 0,
              wxALIGN_CENTER_VERTICAL);
    auto* row = new wxBoxSizer(wxHORIZONTAL);
    m_keyFile = new wxTextCtrl(box, ID_KEY_FILE);
    CSingleLineFilter::Attach(m_keyFile);
    m_keyFile->SetHint(Wx(Tr("D130.KeyFileHint", "SFTP only; may stay empty")));
    row->Add(m_keyFile, 1, wxALIGN_CENTER_VERTICAL);
    row->Add(new wxButton(box, ID_KEY_BROWSE, Wx(Tr("D130.KeyBrowse", "&Browse..."))), 0,
             wxALIGN_CENTER_VERTICAL | wxLEFT, 4);
    grid->Add(row, 1, wxEXPAND);
    m_keyPassphrase =
        AddLabelledEdit(box, grid, ID_KEY_PASSPHRASE, Wx(Tr("D130.KeyPassphrase", "K&ey passphrase")), wxTE_PASSWORD);
}

wxSizer* CConnectDlg::CreatePcDirRow()
{
    auto* row = new wxBoxSizer(wxHORIZONTAL);
    row->Add(new wxStaticText(this, wxID_ANY, Wx(Tr("D130.1005", "PC Di&r"))), 0, wxALIGN_CENTER_VERTICAL | wxRIGHT, 6);
    m_pcDir = new wxTextCtrl(this, ID_PC_DIR);
    CSingleLineFilter::Attach(m_pcDir);
    row->Add(m_pcDir, 1, wxALIGN_CENTER_VERTICAL);
    m_browse = CFolderBrowser::CreateButton(this, ID_BROWSE);
    row->Add(m_browse, 0, wxALIGN_CENTER_VERTICAL | wxLEFT, 4);
    return row;
}

wxStaticBoxSizer* CConnectDlg::CreateDateGroup()
{
    auto* group = new wxStaticBoxSizer(wxVERTICAL, this, Wx(Tr("D130.LastUpload", "&Last Upload Date")));
    wxWindow* box = group->GetStaticBox();
    m_never = new wxCheckBox(box, ID_NEVER, Wx(Tr("D130.Never", "&Never (every file counts as changed)")));
    group->Add(m_never, 0, wxLEFT | wxRIGHT | wxTOP, 6);
    auto* grid = new wxFlexGridSizer(6, 6, 8);
    m_day = AddDateEdit(box, grid, ID_DAY, Wx(Tr("D130.1010", "Day")));
    m_month = AddDateEdit(box, grid, ID_MONTH, Wx(Tr("D130.1009", "Month")));
    m_year = AddDateEdit(box, grid, ID_YEAR, Wx(Tr("D130.1008", "Year")));
    m_hour = AddDateEdit(box, grid, ID_HOUR, Wx(Tr("D130.1012", "Hour")));
    m_minutes = AddDateEdit(box, grid, ID_MINUTES, Wx(Tr("D130.1011", "Minutes")));
    CGroupMnemonic::Attach(this, group->GetStaticBox(), m_never);
    group->Add(grid, 0, wxALL, 6);
    return group;
}

wxSizer* CConnectDlg::CreateButtons()
{
    auto* column = new wxBoxSizer(wxVERTICAL);
    auto* ok = new wxButton(this, wxID_OK, Wx(Tr("D130.1", "&OK")));
    ok->SetDefault();
    column->Add(ok, 0, wxEXPAND);
    column->Add(new wxButton(this, wxID_CANCEL, Wx(Tr("D130.2", "&Cancel"))), 0, wxEXPAND | wxTOP, 6);
    column->Add(new wxButton(this, ID_HELP_BUTTON, Wx(Tr("D130.4", "&Help"))), 0, wxEXPAND | wxTOP, 6);
    column->AddStretchSpacer();
    column->Add(new wxButton(this, ID_ADVANCED, Wx(Tr("D130.3", "&Advanced"))), 0, wxEXPAND | wxTOP, 6);
    return column;
}

void CConnectDlg::OnInitDialog(wxInitDialogEvent& event)
{
    LoadSettings();
    ApplyMode();
    m_site->SetFocus();
    event.Skip(); // the default handler puts the values into the controls
}

void CConnectDlg::LoadSettings()
{
    CSettingsFile settings;
    settings.GetPath(".ini");
    auto load = [](CStoredTextField& stored, wxString& value, const std::string& text) {
        stored.Load(text);
        value = stored.Shown();
    };
    load(m_startDirStored, m_startDirValue, settings.ReadString(ini::kConfigure, ini::kFtpStartDir));
    load(m_siteStored, m_siteValue, settings.ReadString(ini::kConfigure, ini::kFtpUrl));
    load(m_pcDirStored, m_pcDirValue, settings.ReadString(ini::kConfigure, ini::kPcDir));
    load(m_userStored, m_userValue, settings.ReadString(ini::kConfigure, ini::kUser));
    std::string password;
    CPasswordCodec().Decode(settings.ReadString(ini::kConfigure, ini::kPwd), password);
    load(m_passwordStored, m_passwordValue, password);
    load(m_keyFileStored, m_keyFileValue, settings.ReadString(ini::kConfigure, ini::kKeyFile));
    std::string passphrase;
    CPasswordCodec().Decode(settings.ReadString(ini::kConfigure, ini::kKeyPassphrase), passphrase);
    load(m_keyPassphraseStored, m_keyPassphraseValue, passphrase);
    m_uploadAllValue = settings.ReadInt(ini::kConfigure, ini::kUploadAllFiles, 0) != 0;

    // Fields that do not scan show 0. The loader's preset date, which lies before every file, is
    // what a first start holds: shown as Never.
    const std::string stored = settings.ReadString(ini::kData, ini::kLastRun, ini::kDefaultLastRun);
    const CDateTime lastRun = ParseLastRun(stored, CDateTime{0, 0, 0, 0, 0, 0});
    m_neverValue = lastRun == ParseLastRun(ini::kDefaultLastRun, CDateTime{});
    m_yearValue = lastRun.year;
    m_monthValue = lastRun.month;
    m_dayValue = lastRun.day;
    m_hourValue = lastRun.hour;
    m_minutesValue = lastRun.minute;
}

void CConnectDlg::ApplyMode()
{
    if (!m_deleting)
        return;
    for (wxWindow* window : std::initializer_list<wxWindow*>{m_startDir, m_pcDir, m_browse, m_uploadAll, m_never,
                                                             m_year, m_month, m_day, m_hour, m_minutes})
        window->Disable();
    SetTitle(Wx(Tr("D130.CaptionDeleting", "Connect - Deleting")));
}

bool CConnectDlg::TransferDataToWindow()
{
    m_startDir->ChangeValue(m_startDirValue);
    m_site->ChangeValue(m_siteValue);
    m_pcDir->ChangeValue(m_pcDirValue);
    m_user->ChangeValue(m_userValue);
    m_password->ChangeValue(m_passwordValue);
    m_keyFile->ChangeValue(m_keyFileValue);
    m_keyPassphrase->ChangeValue(m_keyPassphraseValue);
    m_uploadAll->SetValue(m_uploadAllValue);
    CNumberExchange::PutNumber(m_day, m_dayValue);
    CNumberExchange::PutNumber(m_hour, m_hourValue);
    CNumberExchange::PutNumber(m_minutes, m_minutesValue);
    CNumberExchange::PutNumber(m_month, m_monthValue);
    CNumberExchange::PutNumber(m_year, m_yearValue);
    m_never->SetValue(m_neverValue);
    ShowNever(m_neverValue);
    return true;
}

// Never empties and greys the date; taking it off proposes the present time to edit.
void CConnectDlg::ShowNever(bool never)
{
    const CDateTime now = CDateTime::Now();
    const std::pair<wxTextCtrl*, int> fields[] = {
        {m_day, now.day}, {m_month, now.month}, {m_year, now.year}, {m_hour, now.hour}, {m_minutes, now.minute}};
    for (const auto& [edit, value] : fields) {
        if (never)
            edit->ChangeValue(wxString());
        else if (edit->IsEmpty())
            CNumberExchange::PutNumber(edit, value);
        edit->Enable(!never && !m_deleting);
    }
}

void CConnectDlg::OnNever(wxCommandEvent& event)
{
    ShowNever(event.IsChecked());
}

// In the exchange order: the texts as they stand, then Day, Hour, Minutes, Month, Year; the first
// number that fails stops the exchange.
bool CConnectDlg::TakeValues()
{
    m_startDirValue = m_startDir->GetValue();
    m_siteValue = m_site->GetValue();
    m_pcDirValue = m_pcDir->GetValue();
    m_userValue = m_user->GetValue();
    m_passwordValue = m_password->GetValue();
    m_keyFileValue = m_keyFile->GetValue();
    m_keyPassphraseValue = m_keyPassphrase->GetValue();
    m_uploadAllValue = m_uploadAll->GetValue();
    m_neverValue = m_never->GetValue();
    if (m_neverValue)
        return true;
    unsigned day = 0, hour = 0, minutes = 0, month = 0, year = 0;
    if (!CNumberExchange::TakeUInt(m_day, day, 1, 31) || !CNumberExchange::TakeUInt(m_hour, hour, 0, 24) ||
        !CNumberExchange::TakeUInt(m_minutes, minutes, 0, 60) || !CNumberExchange::TakeUInt(m_month, month, 1, 12) ||
        !CNumberExchange::TakeUInt(m_year, year, 1000, 9999))
        return false;
    m_dayValue = static_cast<int>(day);
    m_hourValue = static_cast<int>(hour);
    m_minutesValue = static_cast<int>(minutes);
    m_monthValue = static_cast<int>(month);
    m_yearValue = static_cast<int>(year);
    return true;
}

bool CConnectDlg::TransferDataFromWindow()
{
    return TakeValues() && (m_deleting || CPathFieldCheck::AcceptsFolder(m_pcDir, m_pcDirStored.Shown())) &&
           CPathFieldCheck::AcceptsFile(m_keyFile, m_keyFileStored.Shown()) && StoreConfigure() && StoreLastRun();
}

// Stops at the first write that fails, reports it and keeps the dialog open. The password and the
// key's passphrase are stored encoded.
bool CConnectDlg::StoreConfigure()
{
    CSettingsFile settings;
    settings.GetPath(".ini");
    const auto text = [&settings](const char* key, const CStoredTextField& stored, const wxString& value) {
        return settings.WriteString(ini::kConfigure, key, stored.ToStore(value));
    };
    const auto secret = [&settings](const char* key, const CStoredTextField& stored, const wxString& value) {
        std::string encoded = stored.ToStore(value);
        CPasswordCodec().Encode(encoded);
        return settings.WriteString(ini::kConfigure, key, encoded);
    };
    const bool stored = text(ini::kFtpStartDir, m_startDirStored, m_startDirValue) &&
                        text(ini::kFtpUrl, m_siteStored, m_siteValue) &&
                        text(ini::kPcDir, m_pcDirStored, m_pcDirValue) &&
                        text(ini::kUser, m_userStored, m_userValue) &&
                        secret(ini::kPwd, m_passwordStored, m_passwordValue) &&
                        text(ini::kKeyFile, m_keyFileStored, m_keyFileValue) &&
                        secret(ini::kKeyPassphrase, m_keyPassphraseStored, m_keyPassphraseValue) &&
                        settings.WriteInt(ini::kConfigure, ini::kUploadAllFiles, m_uploadAllValue ? 1 : 0);
    if (!stored)
        CSettingsAlert::ShowWriteFailure(this, settings.CurrentPath());
    return stored;
}

// Hour 24 and Minutes 60 pass the range checks and are refused here, as is a day the month lacks.
bool CConnectDlg::StoreLastRun()
{
    std::string text = ini::kDefaultLastRun;
    if (!m_neverValue) {
        const CDateTime date{m_yearValue, m_monthValue, m_dayValue, m_hourValue, m_minutesValue, 0};
        if (!date.IsValid()) {
            wxMessageBox(Wx(LoadString(IDS_INCORRECT_DATE)), Wx(LoadString(IDS_APP_TITLE)), wxOK | wxICON_ERROR,
                         this);
            m_day->SetFocus();
            m_day->ShowPosition(m_day->GetLastPosition());
            m_day->SelectAll();
            return false;
        }
        text = FormatLastRun(date);
    }
    CSettingsFile settings;
    settings.GetPath(".ini");
    if (!settings.WriteString(ini::kData, ini::kLastRun, text)) {
        CSettingsAlert::ShowWriteFailure(this, settings.CurrentPath());
        return false;
    }
    return true;
}

// Only the PC directory matters to the browser, so the other fields are neither checked nor
// touched: a half-typed date does not stand in the way of choosing a folder.
void CConnectDlg::OnBrowse(wxCommandEvent&)
{
    wxString folder = m_pcDir->GetValue();
    if (CFolderBrowser().Browse(this, folder, wxString::FromUTF8(LoadString(IDS_SELECT_PC_DIR)), folder)) {
        m_pcDirValue = folder;
        m_pcDir->ChangeValue(folder);
    }
}

// Opens where the key typed lies, or in ~/.ssh while the field is empty. As with the folder, the
// other fields are neither checked nor touched.
void CConnectDlg::OnBrowseKey(wxCommandEvent&)
{
    const wxFileName typed(m_keyFile->GetValue());
    const wxString folder = typed.GetFullPath().empty() ? wxGetHomeDir() + "/.ssh" : typed.GetPath();
    wxFileDialog dialog(this, Wx(Tr("D130.KeyFileTitle", "Choose your private key file")), folder,
                        typed.GetFullName(), wxFileSelectorDefaultWildcardStr, wxFD_OPEN | wxFD_FILE_MUST_EXIST);
    if (dialog.ShowModal() != wxID_OK || dialog.GetPath().empty())
        return;
    m_keyFileValue = dialog.GetPath();
    m_keyFile->ChangeValue(m_keyFileValue);
}

void CConnectDlg::OnAdvanced(wxCommandEvent&)
{
    CAdvancedDlg advanced(this);
    advanced.ShowModal();
}

void CConnectDlg::OnHelp(wxCommandEvent&)
{
    ShowHelpTopic(this, "configure/index.html");
}
