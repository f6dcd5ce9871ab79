#pragma once
// Opens a topic of the program's help book (beside the executable, or in the installed data
// directory: see CProgramFiles) in the help viewer: one viewer for the program's life, its window
// maximised with the contents pane collapsed and the page ready for the keyboard. The book is the
// one in the interface's language (skerrow_fr.htb, skerrow_de.htb), else the English skerrow.htb.
// Failures are shown to the user.

#include <wx/string.h>

class wxDialog;
class wxHtmlHelpController;
class wxTopLevelWindow;
class wxWindow;

class CHelpLauncher {
public:
    CHelpLauncher();
    virtual ~CHelpLauncher() = default;

    // Opens topic (a page of the book, such as "configure/index.html"); parent owns the messages.
    void ShowTopic(wxWindow* parent, const wxString& topic);
    // Opens the topic this launcher holds, "index.html".
    void Show(wxWindow* parent);
    // F1 in dialog presses its Help button (the accelerator sends the button's id).
    static void HelpOnF1(wxDialog& dialog, int helpButtonId);

    // The help book: the interface language's book in the program's data directory when there is
    // one, else skerrow.htb there, unless SetBookPath named another ("" restores the default).
    static wxString BookPath();
    static void SetBookPath(const wxString& path);
    // The interface's language as a two-letter code ("fr", "de"; "" or "en" for English).
    static void SetLanguage(const wxString& code);

    // The viewer kept for the program's life; null until help was first opened.
    static wxHtmlHelpController* Controller();

    // A help window opened afresh: a normal size, beside the main window.
    static void PlaceBesideMainWindow(wxTopLevelWindow& help);
    // The notice shown when opening help raised an exception, in French or English.
    static wxString FailureNotice(bool french);

private:
    static bool OpenTopic(const wxString& book, const wxString& topic, wxString& description);
    static bool SystemLanguageIsFrench();

    wxString m_topic;
};

// What the main window's Help command and F1 call, with "index.html".
void ShowHelpTopic(wxWindow* parent, const wxString& topic);
