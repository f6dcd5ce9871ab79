#pragma once
// The About box: icon, name, version, notice and three link fields.

#include <wx/dialog.h>

class CAboutDlg : public wxDialog {
public:
    enum ControlId : int { kVersionText = 1004, kWebSite = 1005, kSupport = 1006, kDonate = 1008 };

    static const char* const kWebSiteAddress;
    static const char* const kSupportAddress;
    static const char* const kDonateAddress;

    explicit CAboutDlg(wxWindow* parent);
    ~CAboutDlg() override = default;

private:
    wxSizer* CreateHeader();
    wxSizer* CreateLinks();
};
