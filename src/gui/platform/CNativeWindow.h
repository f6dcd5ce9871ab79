#pragma once
// The few things wxWidgets offers no call for, done on the toolkit's own windows. Each answers
// false where the toolkit lacks them (or is not GTK), and the caller goes on without.

class wxWindow;

class CNativeWindow {
public:
    virtual ~CNativeWindow() = default;

    // Closes a native message box that waits in its own loop, as its close box would (the box
    // answers Cancel).
    static bool CloseNativeDialog(wxWindow* window);
    // Puts a top-level window in an input group of its own, so that a modal dialog open elsewhere
    // in the program does not take its mouse and keyboard away.
    static bool DetachFromModalGroup(wxWindow* window);
};
