#include "settings/CNumberExchange.h"

#include <wx/msgdlg.h>
#include <wx/textctrl.h>

#include <limits>

#include "app/CStringTable.h"
#include "app/StringIds.h"

bool CNumberExchange::TakeUInt(wxTextCtrl* field, unsigned& value)
{
    if (!ParseUInt(field->GetValue(), value))
        return Refuse(field, wxString::FromUTF8(skerrow::LoadString(skerrow::IDS_POSITIVE_INTEGER)));
    return true;
}

bool CNumberExchange::TakeUInt(wxTextCtrl* field, unsigned& value, unsigned low, unsigned high)
{
    if (!TakeUInt(field, value))
        return false;
    if (value < low || value > high)
        return Refuse(field, RangeMessage(low, high));
    return true;
}

void CNumberExchange::PutNumber(wxTextCtrl* field, long long value)
{
    field->ChangeValue(wxString::Format("%lld", value));
}

bool CNumberExchange::ParseUInt(const wxString& text, unsigned& value)
{
    const std::string s = text.utf8_string();
    size_t pos = s.find_first_not_of(" \t");
    const size_t end = s.find_last_not_of(" \t");
    if (pos == std::string::npos)
        return false;
    unsigned long long number = 0;
    for (; pos <= end; ++pos) {
        const char c = s[pos];
        if (c < '0' || c > '9')
            return false;
        number = number * 10 + static_cast<unsigned>(c - '0');
        if (number > std::numeric_limits<unsigned>::max())
            return false;
    }
    value = static_cast<unsigned>(number);
    return true;
}

wxString CNumberExchange::RangeMessage(unsigned low, unsigned high)
{
    wxString message = wxString::FromUTF8(skerrow::LoadString(skerrow::IDS_INTEGER_RANGE));
    message.Replace("%1", wxString::Format("%u", low));
    message.Replace("%2", wxString::Format("%u", high));
    return message;
}

bool CNumberExchange::Refuse(wxTextCtrl* field, const wxString& message)
{
    wxMessageBox(message, wxString::FromUTF8(skerrow::LoadString(skerrow::IDS_APP_TITLE)),
                 wxOK | wxICON_EXCLAMATION, wxGetTopLevelParent(field));
    field->SetFocus();
    field->SelectAll();
    return false;
}
