#pragma once
// The details of one row of the list: its name and the full text of its last error, which the
// Errors column may show only in part. The text can be selected and copied.

#include <wx/dialog.h>

class wxTextCtrl;

class CRowDetailsDlg : public wxDialog {
public:
    CRowDetailsDlg(wxWindow* parent, const wxString& name, const wxString& error);
    ~CRowDetailsDlg() override = default;

    const wxTextCtrl* ErrorField() const { return m_error; }

private:
    wxTextCtrl* m_error = nullptr;
};
