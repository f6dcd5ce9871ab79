#include "settings/CGroupMnemonic.h"

#include <wx/event.h>
#include <wx/statbox.h>
#include <wx/weakref.h>
#include <wx/window.h>

wxUniChar CGroupMnemonic::MnemonicOf(const wxString& label)
{
    for (size_t i = 0; i + 1 < label.length(); ++i) {
        if (label[i] != '&')
            continue;
        if (label[i + 1] == '&') {
            ++i;
            continue;
        }
        return wxString(label[i + 1]).Lower()[0];
    }
    return 0;
}

void CGroupMnemonic::Attach(wxWindow* dialog, wxStaticBox* box, wxWindow* target)
{
    // The dialog sees every key before the focused control and before the toolkit's own mnemonic
    // handling.
    dialog->Bind(wxEVT_CHAR_HOOK, [box = wxWeakRef<wxStaticBox>(box), target = wxWeakRef<wxWindow>(target)](
                                      wxKeyEvent& event) {
        const wxUniChar key = event.GetUnicodeKey();
        if (event.GetModifiers() != wxMOD_ALT || key == WXK_NONE || !box || !target) {
            event.Skip();
            return;
        }
        const wxUniChar mnemonic = MnemonicOf(box->GetLabel());
        if (mnemonic == 0 || wxString(key).Lower()[0] != mnemonic) {
            event.Skip();
            return;
        }
        if (target->IsEnabled())
            target->SetFocus();
    });
}
