#pragma once
// The About box: icon, name, version and notice.

#include <wx/dialog.h>

class CAboutDlg : public wxDialog {
public:
    enum ControlId : int { kVersionText = 1004 };

    explicit CAboutDlg(wxWindow* parent);
    ~CAboutDlg() override = default;

private:
    wxSizer* CreateHeader();
};
