#pragma once
// One running copy per user and executable file name (letter case aside: Skerrow and skerrow are
// one program). The first copy holds a lock named after its executable's file name and listens on
// a local socket, both in the user's private runtime directory; a later copy with the same file
// name finds the lock, asks the first copy to come to the front and ends. A copy under another
// file name has its own lock and runs beside it.

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <thread>

#include <wx/string.h>

class wxTopLevelWindow;

class CSingleInstance {
public:
    CSingleInstance();
    virtual ~CSingleInstance();
    CSingleInstance(const CSingleInstance&) = delete;
    CSingleInstance& operator=(const CSingleInstance&) = delete;

    // True when start-up may go on (this is the first copy, and now listens for later ones);
    // false when a copy of the same executable runs already: it has been asked to raise itself,
    // and RunningCopyNotice() tells what the user should hear of it.
    bool IsOnlyInstance(const wxString& title, const wxString& exeFileName);
    // After IsOnlyInstance said false: "" when the running copy came to the front on this display,
    // else a line for standard error (the copy runs on another display, or did not answer).
    wxString RunningCopyNotice() const;

    // Asks the copy running under exeFileName to raise its window. The answer is the display the
    // running copy shows on ("" when it has none); nothing when no copy answered.
    static std::optional<wxString> SendRaise(const wxString& exeFileName);

    // What a raise request does, on the UI thread. By default the main window is restored if
    // minimised, and the dialog open over it, or the window itself, comes to the front.
    void SetRaiseHandler(std::function<void()> handler);
    static void RaiseRunningWindow();
    // The window a raise request brings to the front: the modal dialog opened last (a native
    // message box or file chooser too), else the last dialog shown, else the main window.
    static wxTopLevelWindow* WindowToRaise();

    // The executable's file name in lower case: the name of the lock and the socket.
    static wxString LockName(const wxString& exeFileName);
    // The user's private directory for them: $XDG_RUNTIME_DIR when it is the user's own and
    // private, else "skerrow-<uid>" in the temporary directory, else ~/.cache/skerrow-run, each
    // made with mode 0700 and used only if it is the user's and private. "" when none is.
    static wxString RuntimeDir();
    static wxString LockPath(const wxString& exeFileName);
    static wxString SocketPath(const wxString& exeFileName);
    // The display this copy shows on ($DISPLAY, or $WAYLAND_DISPLAY).
    static wxString DisplayName();

private:
    enum class LockResult { kTaken, kHeldElsewhere, kUnavailable };
    LockResult TakeLock(const wxString& exeFileName);
    bool StartListening(const wxString& exeFileName);
    void StopListening();
    void Listen();
    bool WaitReadable(int fd, int timeoutMs) const;

    int m_lockFd = -1;
    int m_listenSocket = -1;
    int m_wakeRead = -1; // a byte written to m_wakeWrite ends the listener's waits
    int m_wakeWrite = -1;
    std::string m_socketPath;
    std::string m_answer;
    std::thread m_listener;
    std::shared_ptr<std::function<void()>> m_raiseHandler;
    std::optional<wxString> m_runningDisplay;
};
