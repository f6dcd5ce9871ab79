#pragma once
// The mnemonic of a group box moves the focus to the first control of its group. Left to the
// toolkit, a box's mnemonic goes to whatever control it finds next, which on GTK can be a button
// after the box: Alt+letter would then press it.

#include <wx/string.h>

class wxStaticBox;
class wxWindow;

class CGroupMnemonic {
public:
    virtual ~CGroupMnemonic() = default;

    // Alt with the mnemonic of the box's label, pressed anywhere in the dialog, focuses target.
    static void Attach(wxWindow* dialog, wxStaticBox* box, wxWindow* target);

    // The mnemonic of a label in lower case (the character after a single "&"; "&&" is a plain
    // "&"), or 0 when it has none.
    static wxUniChar MnemonicOf(const wxString& label);
};
