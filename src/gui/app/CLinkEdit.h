#pragma once
// A read-only, borderless text field drawn in blue with a hand cursor: double-clicking it opens its
// address with the system's default handler, then selects the word as a text field does.

#include <functional>

#include <wx/textctrl.h>

class CLinkEdit : public wxTextCtrl {
public:
    // Opens a target with the system's handler; false when that failed.
    using Opener = std::function<bool(const wxString& target)>;

    CLinkEdit(wxWindow* parent, wxWindowID id, const wxString& address);
    ~CLinkEdit() override = default;

    // A field whose text contains this address opens exactly this address.
    void SetFixedAddress(const wxString& address) { m_fixedAddress = address; }

    // What the field opens for its text: "mailto:" + text when it holds "@", the fixed address
    // when it holds that, else the text as it stands.
    static wxString TargetOf(const wxString& text, const wxString& fixedAddress);

    // How targets are opened (wxLaunchDefaultBrowser unless replaced); returns the previous opener.
    static Opener SetOpener(Opener opener);

    // The double-click's action: opens the target; when that fails the user is told, in the
    // interface's language, and the box stays open.
    void OpenLink();
    // The message shown when target could not be opened.
    static wxString FailureText(const wxString& target);

private:
    void OnDoubleClick(wxMouseEvent& event);

    wxString m_fixedAddress;
};
