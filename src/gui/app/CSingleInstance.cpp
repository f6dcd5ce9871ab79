#include "app/CSingleInstance.h"

#include <cstring>

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <wx/app.h>
#include <wx/dialog.h>
#include <wx/filename.h>
#include <wx/snglinst.h>
#include <wx/toplevel.h>
#include <wx/utils.h>

namespace {

const char kRaise[] = "raise";
const char kAnswer[] = "ok";

// The per-user directory for the socket: $XDG_RUNTIME_DIR when set, else the temporary directory.
wxString RuntimeDir()
{
    wxString dir;
    if (wxGetEnv("XDG_RUNTIME_DIR", &dir) && !dir.empty() && wxFileName::DirExists(dir))
        return dir;
    return wxFileName::GetTempDir();
}

bool MakeAddress(const std::string& path, sockaddr_un& address)
{
    std::memset(&address, 0, sizeof address);
    address.sun_family = AF_UNIX;
    if (path.size() >= sizeof address.sun_path)
        return false;
    std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
    return true;
}

wxDialog* LastShownDialog()
{
    for (auto node = wxTopLevelWindows.GetLast(); node; node = node->GetPrevious()) {
        auto* dialog = dynamic_cast<wxDialog*>(node->GetData());
        if (dialog && dialog->IsShown())
            return dialog;
    }
    return nullptr;
}

// Reads a short message; "" on failure.
std::string ReadMessage(int fd)
{
    char buffer[16] = {};
    const ssize_t got = read(fd, buffer, sizeof buffer - 1);
    return got > 0 ? std::string(buffer, static_cast<size_t>(got)) : std::string();
}

} // namespace

CSingleInstance::CSingleInstance()
    : m_raiseHandler(std::make_shared<std::function<void()>>(&CSingleInstance::RaiseRunningWindow))
{
}

CSingleInstance::~CSingleInstance()
{
    StopListening();
}

wxString CSingleInstance::LockName(const wxString& exeFileName)
{
    return exeFileName + "-" + wxGetUserId();
}

wxString CSingleInstance::SocketPath(const wxString& exeFileName)
{
    return wxFileName(RuntimeDir(), "." + LockName(exeFileName) + ".sock").GetFullPath();
}

bool CSingleInstance::IsOnlyInstance(const wxString&, const wxString& exeFileName)
{
    auto checker = std::make_unique<wxSingleInstanceChecker>();
    if (!checker->Create(LockName(exeFileName)))
        return true; // no lock to be had: do not stand in the user's way
    if (checker->IsAnotherRunning()) {
        SendRaise(exeFileName);
        return false;
    }
    m_checker = std::move(checker);
    StartListening(exeFileName);
    return true;
}

bool CSingleInstance::StartListening(const wxString& exeFileName)
{
    StopListening();
    const std::string path = SocketPath(exeFileName).utf8_string();
    sockaddr_un address;
    if (!MakeAddress(path, address))
        return false;
    // We hold the lock, so a socket file left there belongs to a copy that has died.
    unlink(path.c_str());
    const int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return false;
    if (bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 || listen(fd, 4) != 0) {
        close(fd);
        return false;
    }
    m_listenSocket = fd;
    m_socketPath = path;
    m_listener = std::thread(&CSingleInstance::Listen, this);
    return true;
}

void CSingleInstance::Listen()
{
    std::weak_ptr<std::function<void()>> handler = m_raiseHandler;
    for (;;) {
        const int client = accept4(m_listenSocket, nullptr, nullptr, SOCK_CLOEXEC);
        if (client < 0) {
            if (errno == EINTR || errno == ECONNABORTED)
                continue;
            return; // the socket was shut down
        }
        if (ReadMessage(client) == kRaise) {
            if (wxTheApp)
                wxTheApp->CallAfter([handler] {
                    if (auto h = handler.lock(); h && *h)
                        (*h)();
                });
            [[maybe_unused]] const ssize_t sent = write(client, kAnswer, sizeof kAnswer - 1);
        }
        close(client);
    }
}

void CSingleInstance::StopListening()
{
    if (m_listenSocket < 0)
        return;
    shutdown(m_listenSocket, SHUT_RDWR); // wakes the accept
    if (m_listener.joinable())
        m_listener.join();
    close(m_listenSocket);
    m_listenSocket = -1;
    unlink(m_socketPath.c_str());
    m_socketPath.clear();
}

bool CSingleInstance::SendRaise(const wxString& exeFileName)
{
    sockaddr_un address;
    if (!MakeAddress(SocketPath(exeFileName).utf8_string(), address))
        return false;
    const int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return false;
    bool answered = false;
    if (connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0) {
        timeval timeout{5, 0}; // a hung first copy must not hang this one
        setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &timeout, sizeof timeout);
        if (write(fd, kRaise, sizeof kRaise - 1) == static_cast<ssize_t>(sizeof kRaise - 1))
            answered = ReadMessage(fd) == kAnswer;
    }
    close(fd);
    return answered;
}

void CSingleInstance::SetRaiseHandler(std::function<void()> handler)
{
    *m_raiseHandler = std::move(handler);
}

void CSingleInstance::RaiseRunningWindow()
{
    auto* top = dynamic_cast<wxTopLevelWindow*>(wxTheApp->GetTopWindow());
    if (!top)
        return;
    if (top->IsIconized())
        top->Iconize(false);
    if (wxDialog* dialog = LastShownDialog())
        dialog->Raise();
    else
        top->Raise();
}
