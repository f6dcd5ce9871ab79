#pragma once
// Opens a topic of the help book (skerrow.htb beside the executable) in the help viewer: one viewer
// for the program's life, its window maximised with the contents pane collapsed. Failures are
// shown to the user.

#include <wx/string.h>

class wxHtmlHelpController;
class wxWindow;

class CHelpLauncher {
public:
    CHelpLauncher();
    virtual ~CHelpLauncher() = default;

    // Opens topic (a page of the book, such as "configure/index.html"); parent owns the messages.
    void ShowTopic(wxWindow* parent, const wxString& topic);
    // Opens the topic this launcher holds, "index.html".
    void Show(wxWindow* parent);

    // The help book: skerrow.htb in the executable's directory, unless SetBookPath named another
    // ("" restores the default).
    static wxString BookPath();
    static void SetBookPath(const wxString& path);

    // The viewer kept for the program's life; null until help was first opened.
    static wxHtmlHelpController* Controller();

    // The notice shown when opening help raised an exception, in French or English.
    static wxString FailureNotice(bool french);

private:
    static bool OpenTopic(const wxString& book, const wxString& topic, wxString& description);
    static bool SystemLanguageIsFrench();

    wxString m_topic;
};

// What the main window's Help command and F1 call, with "index.html".
void ShowHelpTopic(wxWindow* parent, const wxString& topic);
