#include "app/CLinkEdit.h"

#include <wx/log.h>
#include <wx/msgdlg.h>
#include <wx/utils.h>

#include "app/CStringTable.h"

using skerrow::Tr;

namespace {

CLinkEdit::Opener& CurrentOpener()
{
    static CLinkEdit::Opener opener = [](const wxString& target) {
        wxLogNull quiet; // wx's own failure message is English and modal; ours follows
        return wxLaunchDefaultBrowser(target);
    };
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
    const wxString target = TargetOf(GetValue(), m_fixedAddress);
    if (CurrentOpener() && !CurrentOpener()(target))
        wxMessageBox(FailureText(target), wxGetTopLevelParent(this)->GetLabel(), wxOK | wxICON_ERROR, this);
}

wxString CLinkEdit::FailureText(const wxString& target)
{
    return wxString::Format(
        wxString::FromUTF8(Tr("T.LinkFailed", "No program on this computer could open %s.")), target);
}

void CLinkEdit::OnDoubleClick(wxMouseEvent& event)
{
    OpenLink();
    event.Skip(); // the text field's own double-click selects the word
}
