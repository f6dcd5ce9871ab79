#pragma once
// Message boxes with their icon. GTK 3 no longer draws the error, question or information icon in
// its own message box, so a failure does not look like one; each wxMessageDialog is shown instead
// as wx's own message box, with the same texts, buttons and answer, which draws the icon from the
// desktop's icon theme.

#include <wx/modalhook.h>

class CMessageBoxIcons : public wxModalDialogHook {
public:
    CMessageBoxIcons() = default;
    ~CMessageBoxIcons() override = default;

protected:
    int Enter(wxDialog* dialog) override;
    void Exit(wxDialog*) override {}
};
