#include "settings/CAdvancedDlg.h"

#include <wx/artprov.h>
#include <wx/button.h>
#include <wx/checkbox.h>
#include <wx/choice.h>
#include <wx/listctrl.h>
#include <wx/msgdlg.h>
#include <wx/radiobut.h>
#include <wx/sizer.h>
#include <wx/statbmp.h>
#include <wx/statbox.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>

#include <algorithm>
#include <cctype>

#include "app/CStringTable.h"
#include "app/StringIds.h"
#include "settings/CExclusionList.h"
#include "settings/CGroupMnemonic.h"
#include "settings/CHelpLauncher.h"
#include "settings/CIniFile.h"
#include "settings/CListEditor.h"
#include "settings/CNumberExchange.h"
#include "settings/CProtocolChoice.h"
#include "settings/CSettingsAlert.h"
#include "settings/CSettingsFile.h"
#include "settings/CSingleLineFilter.h"
#include "settings/CTextSuffixList.h"

#if __has_include("skerrow.xpm")
#include "skerrow.xpm"
#define SKERROW_HAVE_APP_ICON 1
#endif

using namespace skerrow;

namespace {

wxString Wx(const std::string& text)
{
    return wxString::FromUTF8(text);
}

wxString Text(int id)
{
    return wxString::FromUTF8(LoadString(id));
}

wxTextCtrl* AddLabelledEdit(wxWindow* parent, wxSizer* grid, int id, const wxString& label)
{
    grid->Add(new wxStaticText(parent, wxID_ANY, label), 0, wxALIGN_CENTER_VERTICAL);
    auto* edit = new wxTextCtrl(parent, id);
    CSingleLineFilter::Attach(edit);
    edit->SetInitialSize(wxSize(edit->GetCharWidth() * 10, -1));
    grid->Add(edit, 0);
    return edit;
}

} // namespace

CAdvancedDlg::CAdvancedDlg(wxWindow* parent)
    : wxDialog(parent, wxID_ANY, Wx(Tr("D150.Caption", "Advanced")), wxDefaultPosition, wxDefaultSize,
               wxDEFAULT_DIALOG_STYLE)
{
    CreateControls();
    Bind(wxEVT_INIT_DIALOG, &CAdvancedDlg::OnInitDialog, this);
    Bind(wxEVT_BUTTON, &CAdvancedDlg::OnHelp, this, ID_HELP_BUTTON);
    CHelpLauncher::HelpOnF1(*this, ID_HELP_BUTTON);
}

// Controls are made in tab order: Port, Timeout, Max Errors, Connections, Tries, the protocol, the
// encryption, the temporary names, the list, Add, Delete, the exclusion rules with their two
// buttons, the four language buttons, OK, Help, Cancel, Use PASV Mode.
void CAdvancedDlg::CreateControls()
{
    auto* left = new wxBoxSizer(wxVERTICAL);
    left->Add(CreateFields(), 0, wxEXPAND);
    left->Add(CreateProtocolChoice(), 0, wxEXPAND | wxTOP, 8);
    left->Add(CreateEncryptionChoice(), 0, wxEXPAND | wxTOP, 8);
    left->Add(CreateTempNameChoice(), 0, wxEXPAND | wxTOP, 8);
    auto* lists = new wxBoxSizer(wxHORIZONTAL);
    lists->Add(CreateSuffixGroup(), 0, wxEXPAND);
    lists->Add(CreateExclusionGroup(), 1, wxEXPAND | wxLEFT, 8);
    left->Add(lists, 1, wxEXPAND | wxTOP, 8);

    auto* right = new wxBoxSizer(wxVERTICAL);
    right->Add(CreateLanguageGroup(), 0, wxEXPAND);
    wxSizer* buttons = CreateButtons();
    m_pasv = new wxCheckBox(this, ID_PASV, Wx(Tr("D150.1022", "Use PASV Mode")), wxDefaultPosition, wxDefaultSize,
                            wxALIGN_RIGHT);
    right->Add(m_pasv, 0, wxALIGN_RIGHT | wxTOP, 8);
    right->Add(buttons, 0, wxEXPAND | wxTOP, 12);
    right->AddStretchSpacer();
    right->Add(CreateIcon(), 0, wxALIGN_RIGHT | wxTOP, 8);
    m_protocol->Relate(m_port, m_encryption, {m_pasv, m_encryptionLabel, m_encryption, m_suffixGroup});

    auto* top = new wxBoxSizer(wxHORIZONTAL);
    top->Add(left, 1, wxEXPAND | wxALL, 10);
    top->Add(right, 0, wxEXPAND | wxTOP | wxRIGHT | wxBOTTOM, 10);
    SetSizerAndFit(top);
}

wxSizer* CAdvancedDlg::CreateFields()
{
    auto* grid = new wxFlexGridSizer(3, 6, 8);
    m_port = AddLabelledEdit(this, grid, ID_PORT, Wx(Tr("D150.1009", "&Port")));
    grid->AddSpacer(0);
    m_timeout = AddLabelledEdit(this, grid, ID_TIMEOUT, Wx(Tr("D150.1010", "&Timeout")));
    grid->Add(new wxStaticText(this, wxID_ANY, Wx(Tr("D150.Seconds", "Seconds"))), 0, wxALIGN_CENTER_VERTICAL);
    m_maxErrors = AddLabelledEdit(this, grid, ID_MAX_ERRORS, Wx(Tr("D150.1011", "&Max Errors")));
    grid->AddSpacer(0);
    // How many connections a run uses at once (1 to 8).
    m_connections = AddLabelledEdit(this, grid, ID_CONNECTIONS, Wx(Tr("D150.Connections", "Connect&ions")));
    grid->Add(new wxStaticText(this, wxID_ANY, Wx(Tr("D150.ConnectionsRange", "1 to 8"))), 0, wxALIGN_CENTER_VERTICAL);
    // How many times an upload tries a file whose failure may pass (a dropped connection).
    m_tries = AddLabelledEdit(this, grid, ID_TRIES, Wx(Tr("D150.Tries", "T&ries per file")));
    grid->Add(new wxStaticText(this, wxID_ANY, Wx(Tr("D150.TriesRange", "1 to 5"))), 0, wxALIGN_CENTER_VERTICAL);
    return grid;
}

wxSizer* CAdvancedDlg::CreateSuffixGroup()
{
    auto* group = new wxStaticBoxSizer(wxHORIZONTAL, this, Wx(Tr("D150.Extensions", "Te&xt file extensions")));
    const CListEditor::Labels labels{Text(IDS_EXTENSIONS), Wx(Tr("D150.1016", "&Add")), Wx(Tr("D150.1017", "&Delete")),
                                     Text(IDS_SUFFIX_DELETE_FAILED)};
    m_suffixGroup = group->GetStaticBox(); // greying the box greys the list and its buttons
    m_suffixes = new CListEditor(group->GetStaticBox(), ID_SUFFIXES, ID_ADD, ID_DELETE, labels);
    CGroupMnemonic::Attach(this, group->GetStaticBox(), m_suffixes);
    group->Add(m_suffixes, 1, wxEXPAND | wxALL, 6);
    return group;
}

wxSizer* CAdvancedDlg::CreateLanguageGroup()
{
    auto* group = new wxStaticBoxSizer(wxVERTICAL, this, Wx(Tr("D150.Language", "Language")));
    wxWindow* box = group->GetStaticBox();
    const wxString labels[4] = {Wx(Tr("D150.1019", "Defau&lt")), Wx(Tr("D150.1020", "&English")),
                                Wx(Tr("D150.1021", "&French")), Wx(Tr("D150.1023", "&German"))};
    const int ids[4] = {ID_LANGUAGE_DEFAULT, ID_LANGUAGE_ENGLISH, ID_LANGUAGE_FRENCH, ID_LANGUAGE_GERMAN};
    for (int i = 0; i < 4; ++i) {
        m_language[i] = new wxRadioButton(box, ids[i], labels[i], wxDefaultPosition, wxDefaultSize,
                                          i == 0 ? wxRB_GROUP : 0);
        group->Add(m_language[i], 0, wxALL, 3);
    }
    return group;
}

wxSizer* CAdvancedDlg::CreateButtons()
{
    auto* column = new wxBoxSizer(wxVERTICAL);
    auto* ok = new wxButton(this, wxID_OK, Wx(Tr("D150.1", "&OK")));
    ok->SetDefault();
    column->Add(ok, 0, wxEXPAND);
    column->Add(new wxButton(this, ID_HELP_BUTTON, Wx(Tr("D150.1012", "&Help"))), 0, wxEXPAND | wxTOP, 6);
    column->Add(new wxButton(this, wxID_CANCEL, Wx(Tr("D150.2", "&Cancel"))), 0, wxEXPAND | wxTOP, 6);
    return column;
}

wxWindow* CAdvancedDlg::CreateIcon()
{
#ifdef SKERROW_HAVE_APP_ICON
    const wxBitmap icon(skerrow_xpm);
#else
    const wxBitmap icon = wxArtProvider::GetBitmap(wxART_EXECUTABLE_FILE, wxART_OTHER, wxSize(32, 32));
#endif
    return new wxStaticBitmap(this, wxID_ANY, icon);
}

void CAdvancedDlg::OnInitDialog(wxInitDialogEvent& event)
{
    LoadSettings();
    LoadChoice(m_protocol, ini::kProtocol);
    m_protocol->ShowApplicable();
    LoadChoice(m_encryption, ini::kEncryption);
    m_encryptionShown = m_encryption->GetSelection();
    LoadChoice(m_tempName, ini::kTempNameUpload);
    FillSuffixes();
    FillExclusions();
    m_port->SetFocus();
    event.Skip(); // the default handler puts the values into the controls
}

void CAdvancedDlg::LoadSettings()
{
    CSettingsFile settings;
    settings.GetPath(".ini");
    m_portValue = static_cast<unsigned>(settings.ReadInt(ini::kAdvanced, ini::kPort, 21));
    m_timeoutValue = static_cast<unsigned>(settings.ReadInt(ini::kAdvanced, ini::kStopTimeout, 3));
    m_maxErrorsValue = static_cast<unsigned>(settings.ReadInt(ini::kAdvanced, ini::kMaxErrors, 32000));
    m_languageValue = settings.ReadInt(ini::kAdvanced, ini::kLanguage, 0);
    m_pasvValue = settings.ReadInt(ini::kAdvanced, ini::kPasv, 0) != 0;
    m_connectionsValue = static_cast<unsigned>(
        std::clamp(settings.ReadInt(ini::kAdvanced, ini::kConnections, ini::kDefaultConnections), 1, ini::kMostConnections));
    m_triesValue = static_cast<unsigned>(
        std::clamp(settings.ReadInt(ini::kAdvanced, ini::kTriesPerFile, ini::kDefaultTries), 1, ini::kMostTries));
}

// Each suffix shows without its first character, normally the dot.
void CAdvancedDlg::FillSuffixes()
{
    CTextSuffixList list;
    list.Load();
    std::vector<std::string> items;
    for (const std::string& suffix : list.Suffixes()) {
        if (!suffix.empty())
            items.push_back(suffix.substr(1));
    }
    m_suffixes->SetItems(items);
}

bool CAdvancedDlg::TransferDataToWindow()
{
    CNumberExchange::PutNumber(m_port, m_portValue);
    CNumberExchange::PutNumber(m_maxErrors, m_maxErrorsValue);
    CNumberExchange::PutNumber(m_timeout, m_timeoutValue);
    CNumberExchange::PutNumber(m_connections, m_connectionsValue);
    CNumberExchange::PutNumber(m_tries, m_triesValue);
    for (int i = 0; i < 4; ++i)
        m_language[i]->SetValue(i == m_languageValue);
    m_pasv->SetValue(m_pasvValue);
    return true;
}

// In the exchange order: Port, Max Errors, Timeout, the language, PASV. A port outside 1 to 65535
// names no TCP port, and the connection could only fail with it.
bool CAdvancedDlg::TakeValues()
{
    unsigned port = 0, maxErrors = 0, timeout = 0, connections = 0, tries = 0;
    if (!CNumberExchange::TakeUInt(m_port, port, 1, 65535) ||
        !CNumberExchange::TakeUInt(m_maxErrors, maxErrors, 1, 32000) ||
        !CNumberExchange::TakeUInt(m_timeout, timeout, 1, 300) ||
        !CNumberExchange::TakeUInt(m_connections, connections, 1, ini::kMostConnections) ||
        !CNumberExchange::TakeUInt(m_tries, tries, 1, ini::kMostTries))
        return false;
    m_connectionsValue = connections;
    m_triesValue = tries;
    m_portValue = port;
    m_maxErrorsValue = maxErrors;
    m_timeoutValue = timeout;
    m_languageValue = -1;
    for (int i = 0; i < 4; ++i) {
        if (m_language[i]->GetValue())
            m_languageValue = i;
    }
    m_pasvValue = m_pasv->GetValue();
    return true;
}

bool CAdvancedDlg::TransferDataFromWindow()
{
    FinishListEdits();
    if (!TakeValues() || !StoreSettings() || !StoreChoice(m_protocol, ini::kProtocol) ||
        !StoreChoice(m_encryption, ini::kEncryption) ||
        !StoreChoice(m_tempName, ini::kTempNameUpload))
        return false;
    const bool suffixesStored = StoreSuffixes();
    if (!StoreExclusions() || !suffixesStored) {
        ReportListsNotSaved();
        return false;
    }
    return true;
}

// Stops at the first write that fails, reports it and keeps the dialog open.
bool CAdvancedDlg::StoreSettings()
{
    CSettingsFile settings;
    settings.GetPath(".ini");
    const bool stored = settings.WriteUInt(ini::kAdvanced, ini::kPort, m_portValue) &&
                        settings.WriteUInt(ini::kAdvanced, ini::kStopTimeout, m_timeoutValue) &&
                        settings.WriteUInt(ini::kAdvanced, ini::kMaxErrors, m_maxErrorsValue) &&
                        settings.WriteUInt(ini::kAdvanced, ini::kLanguage, static_cast<unsigned>(m_languageValue)) &&
                        settings.WriteUInt(ini::kAdvanced, ini::kPasv, m_pasvValue ? 1u : 0u) &&
                        settings.WriteUInt(ini::kAdvanced, ini::kConnections, m_connectionsValue) &&
                        settings.WriteUInt(ini::kAdvanced, ini::kTriesPerFile, m_triesValue);
    if (!stored)
        CSettingsAlert::ShowWriteFailure(this, settings.CurrentPath());
    return stored;
}

bool CAdvancedDlg::StoreSuffixes()
{
    CSettingsFile settings;
    return CIniFile::WriteSection(settings.GetPath(".ini"), ini::kTextSuffices, SuffixLines(m_suffixes->Items()));
}

std::vector<std::string> CAdvancedDlg::SuffixLines(const std::vector<std::string>& items)
{
    std::vector<std::string> lines;
    for (const std::string& item : items) {
        size_t start = 0;
        while (start < item.size() && std::isspace(static_cast<unsigned char>(item[start])))
            ++start;
        std::string suffix = item.substr(start);
        if (suffix.empty())
            continue;
        if (suffix.size() >= 2 && suffix[0] == '.')
            suffix.erase(0, 1);
        lines.push_back("." + suffix + "=1");
    }
    return lines;
}

void CAdvancedDlg::AddItem()
{
    m_suffixes->AddItem();
}

void CAdvancedDlg::DeleteSelected()
{
    m_suffixes->DeleteSelected();
}

void CAdvancedDlg::OnHelp(wxCommandEvent&)
{
    ShowHelpTopic(this, "configure/index.html");
}

wxSizer* CAdvancedDlg::CreateExclusionGroup()
{
    auto* group =
        new wxStaticBoxSizer(wxVERTICAL, this, Wx(Tr("D150.Exclusions", "Files never uploaded")));
    const CListEditor::Labels labels{Wx(Tr("D150.ExclusionColumn", "Pattern")), Wx(Tr("D150.ExclusionAdd", "Ne&w pattern")),
                                     Wx(Tr("D150.ExclusionDelete", "Remo&ve pattern")),
                                     Wx(Tr("D150.ExclusionDeleteFailed", "The pattern could not be deleted."))};
    m_exclusions = new CListEditor(group->GetStaticBox(), ID_EXCLUSIONS, ID_EXCLUSION_ADD, ID_EXCLUSION_DELETE, labels);
    m_exclusions->List()->SetColumnWidth(0, 150);
    group->Add(m_exclusions, 1, wxEXPAND | wxALL, 6);
    auto* hint = new wxStaticText(group->GetStaticBox(), wxID_ANY,
                                  Wx(Tr("D150.ExclusionHint", "Written as in .gitignore. A .skerrowignore file at the "
                                                              "top of the folder adds its own.")));
    hint->Wrap(m_exclusions->GetBestSize().x);
    group->Add(hint, 0, wxLEFT | wxRIGHT | wxBOTTOM, 6);
    return group;
}

// The rules in force, the defaults included, so that the user sees them and can remove them.
void CAdvancedDlg::FillExclusions()
{
    CExclusionList list;
    list.Load();
    m_exclusions->SetItems(list.Patterns());
}

bool CAdvancedDlg::StoreExclusions()
{
    CSettingsFile settings;
    return CExclusionList::Store(settings.GetPath(".ini"), m_exclusions->Items());
}

void CAdvancedDlg::FinishListEdits()
{
    m_suffixes->FinishEdit();
    m_exclusions->FinishEdit();
}

void CAdvancedDlg::ReportListsNotSaved()
{
    CSettingsFile settings;
    const std::string text = FormatText(Tr("D150.ListsNotSaved", "The lists could not be saved in %s.").c_str(),
                                        settings.GetPath(".ini").c_str());
    wxMessageBox(Wx(text), Text(IDS_APP_TITLE), wxOK | wxICON_ERROR, this);
}

// Protocol -----------------------------------------------------------------------------------------

// The choices in the order of their stored values (0 FTP, 1 SFTP).
wxSizer* CAdvancedDlg::CreateProtocolChoice()
{
    auto* row = new wxBoxSizer(wxHORIZONTAL);
    row->Add(new wxStaticText(this, wxID_ANY, Wx(Tr("D150.Protocol", "Tran&sfer protocol"))), 0,
             wxALIGN_CENTER_VERTICAL | wxRIGHT, 6);
    m_protocol = new CProtocolChoice(this, ID_PROTOCOL);
    row->Add(m_protocol, 1, wxALIGN_CENTER_VERTICAL);
    return row;
}

// Encryption ---------------------------------------------------------------------------------------

// The choices in the order of their stored values (0 to 3).
wxSizer* CAdvancedDlg::CreateEncryptionChoice()
{
    auto* row = new wxBoxSizer(wxHORIZONTAL);
    m_encryptionLabel = new wxStaticText(this, wxID_ANY, Wx(Tr("D150.Encryption", "E&ncryption")));
    row->Add(m_encryptionLabel, 0, wxALIGN_CENTER_VERTICAL | wxRIGHT, 6);
    wxArrayString choices;
    choices.Add(Wx(Tr("D150.EncIfAvailable", "Use explicit TLS if available")));
    choices.Add(Wx(Tr("D150.EncRequire", "Require explicit TLS")));
    choices.Add(Wx(Tr("D150.EncImplicit", "Implicit TLS")));
    choices.Add(Wx(Tr("D150.EncPlain", "Plain FTP only (insecure)")));
    m_encryption = new wxChoice(this, ID_ENCRYPTION, wxDefaultPosition, wxDefaultSize, choices);
    m_encryption->Bind(wxEVT_CHOICE, &CAdvancedDlg::OnEncryptionChosen, this);
    row->Add(m_encryption, 1, wxALIGN_CENTER_VERTICAL);
    return row;
}

void CAdvancedDlg::OnEncryptionChosen(wxCommandEvent&)
{
    constexpr int kImplicit = 2;
    const int chosen = m_encryption->GetSelection();
    const wxString port = m_port->GetValue().Strip(wxString::both);
    if (chosen == kImplicit && m_encryptionShown != kImplicit && (port == "21" || port.empty()))
        m_port->SetValue("990");
    else if (chosen != kImplicit && m_encryptionShown == kImplicit && port == "990")
        m_port->SetValue("21");
    m_encryptionShown = chosen;
}

// Uploads under a temporary name -------------------------------------------------------------------

// The choices in the order of their stored values (0 to 2).
wxSizer* CAdvancedDlg::CreateTempNameChoice()
{
    auto* row = new wxBoxSizer(wxHORIZONTAL);
    row->Add(new wxStaticText(this, wxID_ANY, Wx(Tr("D150.TempName", "&Upload under a temporary name, then rename"))),
             0, wxALIGN_CENTER_VERTICAL | wxRIGHT, 6);
    wxArrayString choices;
    choices.Add(Wx(Tr("D150.TempNameLarge", "Files of 1 MiB and more")));
    choices.Add(Wx(Tr("D150.TempNameAll", "All files")));
    choices.Add(Wx(Tr("D150.TempNameNone", "None")));
    m_tempName = new wxChoice(this, ID_TEMP_NAME, wxDefaultPosition, wxDefaultSize, choices);
    row->Add(m_tempName, 1, wxALIGN_CENTER_VERTICAL);
    return row;
}

// The choices' stored values -----------------------------------------------------------------

void CAdvancedDlg::LoadChoice(wxChoice* choice, const char* key)
{
    CSettingsFile settings;
    settings.GetPath(".ini");
    const int value = settings.ReadInt(ini::kAdvanced, key, 0);
    choice->SetSelection(value >= 0 && value < static_cast<int>(choice->GetCount()) ? value : 0);
}

bool CAdvancedDlg::StoreChoice(wxChoice* choice, const char* key)
{
    CSettingsFile settings;
    settings.GetPath(".ini");
    const unsigned value = static_cast<unsigned>(std::max(0, choice->GetSelection()));
    const bool stored = settings.WriteUInt(ini::kAdvanced, key, value);
    if (!stored)
        CSettingsAlert::ShowWriteFailure(this, settings.CurrentPath());
    return stored;
}
