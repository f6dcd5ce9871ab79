#pragma once
// The help viewer's window. Unlike the stock one it never takes the input of the whole program
// while a dialog is open (the user reads the help beside the dialog), it closes with Escape or
// Ctrl+W, and the page scrolls with the arrow, page and Home/End keys wherever the focus is.

#include <wx/html/helpfrm.h>

class wxKeyEvent;

class CHelpFrame : public wxHtmlHelpFrame {
public:
    explicit CHelpFrame(wxHtmlHelpData* data);
    ~CHelpFrame() override = default;

#ifdef __WXGTK__
    // The stock viewer grabs the input and runs a loop of its own until it is closed whenever a
    // modal dialog is open; this one stays an ordinary window.
    void AddGrab() override {}
    void RemoveGrab() override {}
#endif

    // Moves the page for a key as the viewer does; false when the key is not one of them.
    bool ScrollPage(int keyCode);

private:
    void OnCharHook(wxKeyEvent& event);
};
