#include "settings/CHelpFrame.h"

#include <algorithm>

#include <wx/html/helpwnd.h>
#include <wx/html/htmlwin.h>
#include <wx/listbox.h>
#include <wx/textctrl.h>
#include <wx/treectrl.h>

CHelpFrame::CHelpFrame(wxHtmlHelpData* data) : wxHtmlHelpFrame(data)
{
    Bind(wxEVT_CHAR_HOOK, &CHelpFrame::OnCharHook, this);
}

void CHelpFrame::OnCharHook(wxKeyEvent& event)
{
    const int key = event.GetKeyCode();
    const bool plain = event.GetModifiers() == wxMOD_NONE;
    if ((plain && key == WXK_ESCAPE) || (event.GetModifiers() == wxMOD_CONTROL && (key == 'W' || key == 'w'))) {
        Close();
        return;
    }
    // The contents tree, the index list and the search field use these keys themselves.
    wxWindow* focus = FindFocus();
    const bool focusTakesKeys = dynamic_cast<wxTextCtrl*>(focus) || dynamic_cast<wxTreeCtrl*>(focus) ||
                                dynamic_cast<wxListBox*>(focus);
    if (plain && !focusTakesKeys && ScrollPage(key))
        return;
    event.Skip();
}

bool CHelpFrame::ScrollPage(int keyCode)
{
    wxHtmlWindow* page = GetHelpWindow() ? GetHelpWindow()->GetHtmlWindow() : nullptr;
    if (!page)
        return false;
    int unitX = 0;
    int unitY = 0;
    page->GetScrollPixelsPerUnit(&unitX, &unitY);
    if (unitY <= 0)
        return false;
    const int x = page->GetViewStart().x;
    const int y = page->GetViewStart().y;
    const int line = std::max(1, page->GetCharHeight() / unitY);
    const int screen = std::max(1, page->GetClientSize().GetHeight() / unitY - line);
    const int last = std::max(0, page->GetVirtualSize().GetHeight() / unitY);
    int target = y;
    switch (keyCode) {
    case WXK_UP: target = y - line; break;
    case WXK_DOWN: target = y + line; break;
    case WXK_PAGEUP: target = y - screen; break;
    case WXK_PAGEDOWN:
    case WXK_SPACE: target = y + screen; break;
    case WXK_HOME: target = 0; break;
    case WXK_END: target = last; break;
    default: return false;
    }
    page->Scroll(x, std::clamp(target, 0, last));
    return true;
}
