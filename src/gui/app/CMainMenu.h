#pragma once
// Menu 128, the program's command vocabulary, and the prompt and tooltip of each command.
//
// The prompt and the tooltip are the two "\n"-separated parts of the string whose id is the
// command id: the text before the first "\n" goes to status pane 0, the text after it, up to the
// next "\n", is the tooltip.

#include <wx/string.h>

class wxMenuBar;

class CMainMenu {
public:
    virtual ~CMainMenu() = default;

    // A fresh menu bar from the current texts, every item enabled.
    static wxMenuBar* Build();

    static wxString Prompt(int commandId);
    static wxString Tooltip(int commandId);
};
