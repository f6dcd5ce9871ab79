#pragma once
// One text setting as a dialog shows it. The stored bytes are kept, so that a value that is not
// valid UTF-8 (shown as well as it can be) goes back to the file byte for byte unless the user
// changes it.

#include <wx/string.h>

#include <string>

class CStoredTextField {
public:
    virtual ~CStoredTextField() = default;

    // Remembers the stored bytes; Shown() is then their text for the field.
    void Load(const std::string& stored);
    const wxString& Shown() const { return m_shown; }

    // What to store for the text the field holds: the bytes as they were read while the field
    // still shows them, else the field's text as UTF-8.
    std::string ToStore(const wxString& current) const;

private:
    std::string m_stored;
    wxString m_shown;
};
