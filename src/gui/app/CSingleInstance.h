#pragma once
// One running copy per user and executable file name. The first copy holds a per-user lock named
// after its executable's file name and listens on a per-user local socket; a later copy with the
// same file name finds the lock, asks the first copy to come to the front and ends. A copy under
// another file name has its own lock and runs beside it.

#include <atomic>
#include <functional>
#include <memory>
#include <thread>

#include <wx/string.h>

#include <string>

class wxSingleInstanceChecker;

class CSingleInstance {
public:
    CSingleInstance();
    virtual ~CSingleInstance();
    CSingleInstance(const CSingleInstance&) = delete;
    CSingleInstance& operator=(const CSingleInstance&) = delete;

    // True when start-up may go on (this is the first copy, and now listens for later ones);
    // false when a copy of the same executable runs already: it has been asked to raise itself.
    bool IsOnlyInstance(const wxString& title, const wxString& exeFileName);

    // Asks the copy running under exeFileName to raise its window; true when one answered.
    static bool SendRaise(const wxString& exeFileName);

    // What a raise request does, on the UI thread. By default the main window is restored if
    // minimised, and its last active dialog, or the window itself, comes to the front.
    void SetRaiseHandler(std::function<void()> handler);
    static void RaiseRunningWindow();

    // "<exe file name>-<user>": the lock's name.
    static wxString LockName(const wxString& exeFileName);
    // The local socket a running copy listens on.
    static wxString SocketPath(const wxString& exeFileName);

private:
    bool StartListening(const wxString& exeFileName);
    void StopListening();
    void Listen();

    std::unique_ptr<wxSingleInstanceChecker> m_checker;
    int m_listenSocket = -1;
    std::string m_socketPath;
    std::thread m_listener;
    std::shared_ptr<std::function<void()>> m_raiseHandler;
};
