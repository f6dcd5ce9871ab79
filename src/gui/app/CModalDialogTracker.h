#pragma once
// Keeps the stack of modal dialogs that are open, native ones (message boxes, file and folder
// choosers) included, which the list of top-level windows does not hold.

#include <vector>

#include <wx/modalhook.h>

class wxDialog;

class CModalDialogTracker : public wxModalDialogHook {
public:
    // The one tracker of the program, registered on first use.
    static CModalDialogTracker& Get();

    // The modal dialog opened last and still open; null when none is.
    wxDialog* Topmost() const;
    // Ends the topmost modal dialog as Cancel would (a native message box as its close box would).
    void EndTopmost();

protected:
    int Enter(wxDialog* dialog) override;
    void Exit(wxDialog* dialog) override;

private:
    CModalDialogTracker() = default;

    std::vector<wxDialog*> m_open;
};
