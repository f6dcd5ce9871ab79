#include "settings/CStoredTextField.h"

#include "settings/CDisplayText.h"

void CStoredTextField::Load(const std::string& stored)
{
    m_stored = stored;
    m_shown = wxString::FromUTF8(skerrow::CDisplayText::FromStored(stored));
}

std::string CStoredTextField::ToStore(const wxString& current) const
{
    if (current == m_shown)
        return m_stored;
    return current.utf8_string();
}
