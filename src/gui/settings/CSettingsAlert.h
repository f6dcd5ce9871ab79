#pragma once
// Tells the user when the settings file cannot be used: a write that failed, or a file that exists
// but cannot be read (the program then runs on its defaults and leaves that file alone).

#include <wx/string.h>

#include <string>

#include "settings/CIniFile.h"

class wxWindow;

class CSettingsAlert {
public:
    virtual ~CSettingsAlert() = default;

    // After a settings write returned false on this thread: an error box naming the file and the
    // reason. Nothing of the write was stored.
    static void ShowWriteFailure(wxWindow* parent, const std::string& path);

    // One error box for the settings files found unreadable and not reported yet; false when
    // there were none.
    static bool ShowUnreadable(wxWindow* parent);

    static wxString WriteFailureText(const std::string& path, const skerrow::CIniFile::Error& error);
    static wxString UnreadableText(const skerrow::CIniFile::Unreadable& file);

private:
    // The system's reason for an error number; our own words when the path is no regular file.
    static wxString Reason(int code);
};
