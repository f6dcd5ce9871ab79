#include "app/CLinkEdit.h"

#include <wx/utils.h>

namespace {

CLinkEdit::Opener& CurrentOpener()
{
    static CLinkEdit::Opener opener = [](const wxString& target) { wxLaunchDefaultBrowser(target); };
    return opener;
}

} // namespace

CLinkEdit::CLinkEdit(wxWindow* parent, wxWindowID id, const wxString& address)
    : wxTextCtrl(parent, id, address, wxDefaultPosition, wxDefaultSize, wxTE_READONLY | wxBORDER_NONE)
{
    SetForegroundColour(*wxBLUE);
    SetCursor(wxCursor(wxCURSOR_HAND));
    Bind(wxEVT_LEFT_DCLICK, &CLinkEdit::OnDoubleClick, this);
}

wxString CLinkEdit::TargetOf(const wxString& text, const wxString& fixedAddress)
{
    wxString target = text;
    if (text.Contains("@"))
        target = "mailto:" + text;
    if (!fixedAddress.empty() && text.Contains(fixedAddress))
        target = fixedAddress;
    return target;
}

CLinkEdit::Opener CLinkEdit::SetOpener(Opener opener)
{
    Opener previous = std::move(CurrentOpener());
    CurrentOpener() = std::move(opener);
    return previous;
}

void CLinkEdit::OpenLink()
{
    if (CurrentOpener())
        CurrentOpener()(TargetOf(GetValue(), m_fixedAddress));
}

void CLinkEdit::OnDoubleClick(wxMouseEvent& event)
{
    OpenLink();
    event.Skip(); // the text field's own double-click selects the word
}
