#pragma once
// The help viewer: wx's HTML help over the book, with our own window (CHelpFrame), which stays
// usable beside a modal dialog.

#include <wx/html/helpctrl.h>

class CHelpController : public wxHtmlHelpController {
public:
    CHelpController();
    ~CHelpController() override = default;

protected:
    wxHtmlHelpFrame* CreateHelpFrame(wxHtmlHelpData* data) override;
};
