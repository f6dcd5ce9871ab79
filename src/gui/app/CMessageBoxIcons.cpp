#include "app/CMessageBoxIcons.h"

#include <wx/msgdlg.h>
#include <wx/generic/msgdlgg.h>

int CMessageBoxIcons::Enter(wxDialog* dialog)
{
#ifdef __WXGTK__
    auto* native = dynamic_cast<wxMessageDialog*>(dialog);
    if (!native)
        return wxID_NONE;
    wxGenericMessageDialog box(native->GetParent(), native->GetMessage(), native->GetCaption(),
                               native->GetMessageDialogStyle());
    box.SetExtendedMessage(native->GetExtendedMessage());
    if (native->HasCustomLabels()) {
        box.SetYesNoCancelLabels(native->GetYesLabel(), native->GetNoLabel(), native->GetCancelLabel());
        box.SetOKCancelLabels(native->GetOKLabel(), native->GetCancelLabel());
        box.SetHelpLabel(native->GetHelpLabel());
    }
    return box.ShowModal();
#else
    (void)dialog;
    return wxID_NONE; // the system's own boxes show their icons
#endif
}
