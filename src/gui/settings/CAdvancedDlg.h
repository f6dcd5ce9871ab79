#pragma once
// The Advanced dialog: port, stop timeout, error limit, passive mode, the protocol (FTP or SFTP),
// encryption, the interface language, the list of text-file suffixes and the exclusion rules. Reads the settings file when it
// opens, writes it on OK.

#include <wx/dialog.h>

#include <string>
#include <vector>

class CListEditor;
class CProtocolChoice;
class wxCheckBox;
class wxChoice;
class wxRadioButton;
class wxSizer;
class wxTextCtrl;

class CAdvancedDlg : public wxDialog {
public:
    enum ControlId {
        ID_PORT = 1009,
        ID_TIMEOUT = 1010,
        ID_MAX_ERRORS = 1011,
        ID_HELP_BUTTON = 1012,
        ID_ADD = 1016,
        ID_DELETE = 1017,
        ID_SUFFIXES = 1018,
        ID_LANGUAGE_DEFAULT = 1019,
        ID_LANGUAGE_ENGLISH = 1020,
        ID_LANGUAGE_FRENCH = 1021,
        ID_PASV = 1022,
        ID_LANGUAGE_GERMAN = 1023,
        ID_EXCLUSIONS = 1040,
        ID_EXCLUSION_ADD = 1041,
        ID_EXCLUSION_DELETE = 1042,
        ID_ENCRYPTION = 1043,
        ID_CONNECTIONS = 1044,
        ID_TEMP_NAME = 1045,
        ID_TRIES = 1046,
        ID_PROTOCOL = 1047,
    };

    explicit CAdvancedDlg(wxWindow* parent);

    bool TransferDataToWindow() override;
    // OK: takes the values with their checks, writes the settings; false keeps the dialog open.
    bool TransferDataFromWindow() override;

    // Add: appends an empty suffix and starts editing it.
    void AddItem();
    // Delete: removes the first selected suffix, if any.
    void DeleteSelected();

    // The TextSuffices lines for the items typed: leading white space removed, empty items
    // skipped, one leading "." dropped when more follows, then "." + text + "=1".
    static std::vector<std::string> SuffixLines(const std::vector<std::string>& items);

private:
    void CreateControls();
    wxSizer* CreateFields();
    wxSizer* CreateSuffixGroup();
    wxSizer* CreateLanguageGroup();
    wxSizer* CreateButtons();
    wxWindow* CreateIcon();

    void OnInitDialog(wxInitDialogEvent& event);
    void LoadSettings();
    void FillSuffixes();
    bool TakeValues();
    bool StoreSettings();
    bool StoreSuffixes();

    // The exclusion rules: their group, filling and storing.
    wxSizer* CreateExclusionGroup();
    void FillExclusions();
    bool StoreExclusions();
    // Ends the edits still open in the lists, keeping what was typed.
    void FinishListEdits();
    // Tells the user that the lists could not be written; the dialog stays open.
    void ReportListsNotSaved();

    // FTP or SFTP: its choice, read and written with the other settings; SFTP greys what only FTP
    // uses (passive mode, encryption, the text-file suffixes).
    wxSizer* CreateProtocolChoice();

    // The encryption of the connection: its choice, read and written with the other settings.
    wxSizer* CreateEncryptionChoice();
    // Implicit TLS has a port of its own: the port follows the choice while it is a default one.
    void OnEncryptionChosen(wxCommandEvent& event);

    // Which uploads go under a temporary name first: its choice, read and written with the others.
    wxSizer* CreateTempNameChoice();

    // A choice stored in [Advanced] as the number of its item; an absent or unknown value shows
    // the first item. A failed write is reported and the dialog stays open.
    void LoadChoice(wxChoice* choice, const char* key);
    bool StoreChoice(wxChoice* choice, const char* key);

    void OnHelp(wxCommandEvent& event);

    wxTextCtrl* m_port = nullptr;
    wxTextCtrl* m_timeout = nullptr;
    wxTextCtrl* m_maxErrors = nullptr;
    wxTextCtrl* m_connections = nullptr;
    wxTextCtrl* m_tries = nullptr;
    CListEditor* m_suffixes = nullptr;
    CListEditor* m_exclusions = nullptr;
    wxRadioButton* m_language[4] = {};
    wxCheckBox* m_pasv = nullptr;
    CProtocolChoice* m_protocol = nullptr;
    wxWindow* m_encryptionLabel = nullptr;
    wxChoice* m_encryption = nullptr;
    wxWindow* m_suffixGroup = nullptr;
    int m_encryptionShown = 0;
    wxChoice* m_tempName = nullptr;

    unsigned m_portValue = 0;
    unsigned m_maxErrorsValue = 0;
    unsigned m_triesValue = 3;
    unsigned m_connectionsValue = 4;
    unsigned m_timeoutValue = 0;
    int m_languageValue = -1;
    bool m_pasvValue = false;
};
