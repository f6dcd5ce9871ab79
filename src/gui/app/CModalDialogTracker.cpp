#include "app/CModalDialogTracker.h"

#include <algorithm>

#include "app/CMessageBoxIcons.h"
#include "platform/CNativeWindow.h"

#include <wx/dialog.h>

CModalDialogTracker& CModalDialogTracker::Get()
{
    static CModalDialogTracker* tracker = [] {
        // Both live as long as the program. Hooks registered later are asked first: the boxes
        // are replaced before the tracker sees a dialog, so it sees only those shown.
        auto* made = new CModalDialogTracker;
        made->Register();
        (new CMessageBoxIcons)->Register();
        return made;
    }();
    return *tracker;
}

wxDialog* CModalDialogTracker::Topmost() const
{
    return m_open.empty() ? nullptr : m_open.back();
}

int CModalDialogTracker::Enter(wxDialog* dialog)
{
    m_open.push_back(dialog);
    return wxID_NONE; // the dialog shows as usual
}

void CModalDialogTracker::Exit(wxDialog* dialog)
{
    const auto found = std::find(m_open.rbegin(), m_open.rend(), dialog);
    if (found != m_open.rend())
        m_open.erase(std::next(found).base());
}

void CModalDialogTracker::EndTopmost()
{
    wxDialog* dialog = Topmost();
    if (!dialog)
        return;
    if (dialog->IsModal()) {
        dialog->EndModal(wxID_CANCEL);
        return;
    }
    // A native message box runs a loop of its own.
    CNativeWindow::CloseNativeDialog(dialog);
}
