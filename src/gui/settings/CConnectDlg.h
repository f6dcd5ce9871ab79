#pragma once
// The Connect dialog: FTP site, start directory, user, password, the private key file and its
// passphrase (for SFTP), PC directory, Upload ALL and the date of the last upload (or Never). Reads the settings file when it opens, writes it on OK.

#include <wx/dialog.h>

#include "settings/CStoredTextField.h"

class wxBitmapButton;
class wxCheckBox;
class wxSizer;
class wxStaticBoxSizer;
class wxTextCtrl;

class CConnectDlg : public wxDialog {
public:
    enum ControlId {
        ID_ADVANCED = 3,
        ID_HELP_BUTTON = 4,
        ID_SITE = 1001,
        ID_UPLOAD_ALL = 1002,
        ID_BROWSE = 1003,
        ID_START_DIR = 1004,
        ID_PC_DIR = 1005,
        ID_USER = 1006,
        ID_PASSWORD = 1007,
        ID_YEAR = 1008,
        ID_MONTH = 1009,
        ID_DAY = 1010,
        ID_MINUTES = 1011,
        ID_HOUR = 1012,
        ID_NEVER = 1013,
        ID_KEY_FILE = 1014,
        ID_KEY_BROWSE = 1015,
        ID_KEY_PASSPHRASE = 1016,
    };

    explicit CConnectDlg(wxWindow* parent);

    // Deleting mode (set before showing): only Site, User Name, Password and the key fields can be
    // changed.
    void SetDeletingMode(bool deleting) { m_deleting = deleting; }

    // Values to the controls (no range checks).
    bool TransferDataToWindow() override;
    // OK: takes the values with their checks, writes the settings; false keeps the dialog open.
    bool TransferDataFromWindow() override;

private:
    void CreateControls();
    wxStaticBoxSizer* CreateSiteGroup();
    // The private key file with its Browse button, and the key's passphrase, in the site's grid.
    void CreateKeyFields(wxWindow* box, wxSizer* grid);
    wxSizer* CreatePcDirRow();
    wxStaticBoxSizer* CreateDateGroup();
    wxSizer* CreateButtons();

    void OnInitDialog(wxInitDialogEvent& event);
    void LoadSettings();
    void ApplyMode();
    bool TakeValues();
    bool StoreConfigure();
    bool StoreLastRun();
    void ShowNever(bool never);

    void OnNever(wxCommandEvent& event);
    void OnBrowse(wxCommandEvent& event);
    void OnBrowseKey(wxCommandEvent& event);
    void OnAdvanced(wxCommandEvent& event);
    void OnHelp(wxCommandEvent& event);

    wxTextCtrl* m_site = nullptr;
    wxTextCtrl* m_startDir = nullptr;
    wxTextCtrl* m_user = nullptr;
    wxTextCtrl* m_password = nullptr;
    wxTextCtrl* m_keyFile = nullptr;
    wxTextCtrl* m_keyPassphrase = nullptr;
    wxTextCtrl* m_pcDir = nullptr;
    wxBitmapButton* m_browse = nullptr;
    wxCheckBox* m_uploadAll = nullptr;
    wxCheckBox* m_never = nullptr;
    wxTextCtrl* m_day = nullptr;
    wxTextCtrl* m_month = nullptr;
    wxTextCtrl* m_year = nullptr;
    wxTextCtrl* m_hour = nullptr;
    wxTextCtrl* m_minutes = nullptr;

    wxString m_startDirValue;
    wxString m_siteValue;
    wxString m_pcDirValue;
    wxString m_userValue;
    wxString m_passwordValue;
    wxString m_keyFileValue;
    wxString m_keyPassphraseValue;
    bool m_uploadAllValue = false;
    bool m_neverValue = false; // no upload yet: the date fields stand empty and every file counts
    int m_dayValue = 0;
    int m_hourValue = 0;
    int m_minutesValue = 0;
    int m_monthValue = 0;
    int m_yearValue = 0;
    bool m_deleting = false;

    // The stored bytes of the texts, written back as they were unless the user changed them.
    CStoredTextField m_startDirStored;
    CStoredTextField m_siteStored;
    CStoredTextField m_pcDirStored;
    CStoredTextField m_userStored;
    CStoredTextField m_passwordStored;
    CStoredTextField m_keyFileStored;
    CStoredTextField m_keyPassphraseStored;
};
