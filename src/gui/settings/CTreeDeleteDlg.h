#pragma once
// The Tree Delete dialog: the FTP directory whose whole tree is to be deleted
// (Configure/FTPDirTreeDel), stored normalised on OK.

#include <wx/dialog.h>

#include "settings/CStoredTextField.h"

class wxTextCtrl;

class CTreeDeleteDlg : public wxDialog {
public:
    enum ControlId {
        ID_HELP_BUTTON = 3,
        ID_DIRECTORY = 1006,
    };

    explicit CTreeDeleteDlg(wxWindow* parent);

    bool TransferDataToWindow() override;
    // OK: normalises the directory, writes it and shows the stored form; false (dialog open) when
    // the write failed.
    bool TransferDataFromWindow() override;

private:
    void CreateControls();
    void OnInitDialog(wxInitDialogEvent& event);
    void OnHelp(wxCommandEvent& event);

    wxTextCtrl* m_directory = nullptr;
    wxString m_directoryValue;
    CStoredTextField m_directoryStored;
};
