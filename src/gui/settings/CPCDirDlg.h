#pragma once
// The PC-directory dialog shown before a find: the PC directory (Configure/PCDir) and whether every
// file is to be listed (Configure/UploadAllFiles).

#include <wx/dialog.h>

#include "settings/CStoredTextField.h"

class wxCheckBox;
class wxTextCtrl;

class CPCDirDlg : public wxDialog {
public:
    enum ControlId {
        ID_HELP_BUTTON = 3,
        ID_SELECT_ALL = 1002,
        ID_BROWSE = 1003,
        ID_PC_DIR = 1005,
    };

    explicit CPCDirDlg(wxWindow* parent);

    bool TransferDataToWindow() override;
    // OK: writes PCDir as typed, then UploadAllFiles; false (dialog open) when a write failed.
    bool TransferDataFromWindow() override;

private:
    void CreateControls();
    void OnInitDialog(wxInitDialogEvent& event);
    void OnBrowse(wxCommandEvent& event);
    void OnHelp(wxCommandEvent& event);

    wxTextCtrl* m_pcDir = nullptr;
    wxCheckBox* m_selectAll = nullptr;
    wxString m_pcDirValue;
    CStoredTextField m_pcDirStored;
    bool m_selectAllValue = false;
};
