#include "settings/CSingleLineFilter.h"

#include <wx/textctrl.h>

namespace {

bool IsLineBreak(wxUniChar c)
{
    return c == '\n' || c == '\r';
}

void OnText(wxCommandEvent& event)
{
    event.Skip();
    auto* field = dynamic_cast<wxTextCtrl*>(event.GetEventObject());
    if (!field)
        return;
    const wxString text = field->GetValue();
    if (text.find_first_of("\r\n") == wxString::npos)
        return;
    // The caret stays after the same character it followed.
    const long caret = field->GetInsertionPoint();
    long removedBeforeCaret = 0;
    for (long i = 0; i < caret && i < static_cast<long>(text.length()); ++i) {
        if (IsLineBreak(text[static_cast<size_t>(i)]))
            ++removedBeforeCaret;
    }
    field->ChangeValue(CSingleLineFilter::WithoutLineBreaks(text));
    field->SetInsertionPoint(caret - removedBeforeCaret);
}

} // namespace

void CSingleLineFilter::Attach(wxTextCtrl* field)
{
    field->Bind(wxEVT_TEXT, &OnText);
}

wxString CSingleLineFilter::WithoutLineBreaks(const wxString& text)
{
    wxString result;
    result.reserve(text.length());
    for (const wxUniChar c : text) {
        if (!IsLineBreak(c))
            result += c;
    }
    return result;
}
