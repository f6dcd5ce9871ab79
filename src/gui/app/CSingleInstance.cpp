#include "app/CSingleInstance.h"

#include <cerrno>
#include <cstring>

#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <wx/app.h>
#include <wx/dialog.h>
#include <wx/filename.h>
#include <wx/toplevel.h>
#include <wx/utils.h>

#include "app/CModalDialogTracker.h"
#include "app/CStringTable.h"

using skerrow::Tr;

namespace {

const char kRaise[] = "raise";
const char kAnswer[] = "ok";

// A directory only this user can enter: ours, not a link, no rights for group or others.
bool IsPrivateDir(const wxString& path)
{
    struct stat info {};
    if (path.empty() || lstat(path.utf8_str(), &info) != 0)
        return false;
    return S_ISDIR(info.st_mode) && info.st_uid == getuid() && (info.st_mode & 077) == 0;
}

// path when it is (or could be made) a private directory; "" otherwise. An existing directory is
// never changed: one that is not private may belong to someone who waits for us to use it.
wxString MakePrivateDir(const wxString& path)
{
    if (mkdir(path.utf8_str(), 0700) != 0 && errno != EEXIST)
        return wxString();
    return IsPrivateDir(path) ? path : wxString();
}

bool MakeAddress(const std::string& path, sockaddr_un& address)
{
    std::memset(&address, 0, sizeof address);
    address.sun_family = AF_UNIX;
    if (path.empty() || path.size() >= sizeof address.sun_path)
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

// How long a later copy has to say what it wants once connected: a local process that connects and
// says nothing is dropped after this, so that it holds neither the next copy nor the window's close.
constexpr int kClientWaitMs = 2000;

// Reads a short message; "" on failure.
std::string ReadMessage(int fd)
{
    char buffer[256] = {};
    const ssize_t got = read(fd, buffer, sizeof buffer - 1);
    return got > 0 ? std::string(buffer, static_cast<size_t>(got)) : std::string();
}

} // namespace

CSingleInstance::CSingleInstance()
    : m_raiseHandler(std::make_shared<std::function<void()>>(&CSingleInstance::RaiseRunningWindow))
{
    CModalDialogTracker::Get(); // dialogs opened from now on are known to WindowToRaise
}

CSingleInstance::~CSingleInstance()
{
    StopListening();
    if (m_lockFd >= 0)
        close(m_lockFd); // the lock goes with the descriptor; the empty file may stay
}

wxString CSingleInstance::LockName(const wxString& exeFileName)
{
    return exeFileName.Lower();
}

wxString CSingleInstance::RuntimeDir()
{
    wxString dir;
    if (wxGetEnv("XDG_RUNTIME_DIR", &dir) && IsPrivateDir(dir))
        return dir;
    const wxString user = wxString::Format("skerrow-%lu", static_cast<unsigned long>(getuid()));
    dir = MakePrivateDir(wxFileName(wxFileName::GetTempDir(), "").GetPathWithSep() + user);
    if (!dir.empty())
        return dir;
    wxString cache;
    if (!wxGetEnv("XDG_CACHE_HOME", &cache) || cache.empty())
        cache = wxGetHomeDir() + "/.cache";
    if (mkdir(cache.utf8_str(), 0700) != 0 && errno != EEXIST)
        return wxString();
    return MakePrivateDir(cache + "/skerrow-run");
}

wxString CSingleInstance::LockPath(const wxString& exeFileName)
{
    const wxString dir = RuntimeDir();
    return dir.empty() ? wxString() : dir + "/" + LockName(exeFileName) + ".lock";
}

wxString CSingleInstance::SocketPath(const wxString& exeFileName)
{
    const wxString dir = RuntimeDir();
    return dir.empty() ? wxString() : dir + "/" + LockName(exeFileName) + ".sock";
}

wxString CSingleInstance::DisplayName()
{
    wxString display;
    if (wxGetEnv("DISPLAY", &display) && !display.empty())
        return display;
    if (wxGetEnv("WAYLAND_DISPLAY", &display))
        return display;
    return wxString();
}

bool CSingleInstance::IsOnlyInstance(const wxString&, const wxString& exeFileName)
{
    m_runningDisplay.reset();
    switch (TakeLock(exeFileName)) {
    case LockResult::kTaken: StartListening(exeFileName); return true;
    case LockResult::kUnavailable: return true; // no lock to be had: do not stand in the user's way
    case LockResult::kHeldElsewhere: break;
    }
    m_runningDisplay = SendRaise(exeFileName);
    if (!m_runningDisplay)
        m_runningDisplay = wxString("\n"); // no answer: no display name holds a line break
    return false;
}

CSingleInstance::LockResult CSingleInstance::TakeLock(const wxString& exeFileName)
{
    const wxString path = LockPath(exeFileName);
    if (path.empty())
        return LockResult::kUnavailable;
    const int fd = open(path.utf8_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (fd < 0)
        return LockResult::kUnavailable;
    if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
        const bool held = errno == EWOULDBLOCK;
        close(fd);
        return held ? LockResult::kHeldElsewhere : LockResult::kUnavailable;
    }
    m_lockFd = fd;
    return LockResult::kTaken;
}

wxString CSingleInstance::RunningCopyNotice() const
{
    if (!m_runningDisplay || *m_runningDisplay == DisplayName())
        return wxString();
    if (*m_runningDisplay == "\n")
        return wxString::FromUTF8(Tr("T.RunningNoAnswer", "Skerrow is already running but did not answer."));
    return wxString::Format(
        wxString::FromUTF8(Tr("T.RunningElsewhere",
                              "Skerrow is already running on display %s: it has been brought to the front there.")),
        *m_runningDisplay);
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
    int wake[2] = {-1, -1};
    if (bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 || listen(fd, 4) != 0 ||
        pipe2(wake, O_CLOEXEC) != 0) {
        close(fd);
        return false;
    }
    m_listenSocket = fd;
    m_wakeRead = wake[0];
    m_wakeWrite = wake[1];
    m_socketPath = path;
    m_answer = std::string(kAnswer) + "\n" + DisplayName().utf8_string();
    m_listener = std::thread(&CSingleInstance::Listen, this);
    return true;
}

// Waits until fd can be read or the listener is told to stop (false then, and on a time-out).
bool CSingleInstance::WaitReadable(int fd, int timeoutMs) const
{
    pollfd watched[2] = {{fd, POLLIN, 0}, {m_wakeRead, POLLIN, 0}};
    for (;;) {
        const int ready = poll(watched, 2, timeoutMs);
        if (ready < 0 && errno == EINTR)
            continue;
        return ready > 0 && watched[1].revents == 0 && watched[0].revents != 0;
    }
}

void CSingleInstance::Listen()
{
    std::weak_ptr<std::function<void()>> handler = m_raiseHandler;
    while (WaitReadable(m_listenSocket, -1)) {
        const int client = accept4(m_listenSocket, nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK);
        if (client < 0) {
            if (errno == EINTR || errno == ECONNABORTED || errno == EAGAIN)
                continue;
            return;
        }
        if (WaitReadable(client, kClientWaitMs) && ReadMessage(client) == kRaise) {
            if (wxTheApp)
                wxTheApp->CallAfter([handler] {
                    if (auto h = handler.lock(); h && *h)
                        (*h)();
                });
            // A few bytes into an empty socket buffer: a non-blocking write that cannot wait.
            [[maybe_unused]] const ssize_t sent = send(client, m_answer.data(), m_answer.size(), MSG_NOSIGNAL);
        }
        close(client);
    }
}

void CSingleInstance::StopListening()
{
    if (m_listenSocket < 0)
        return;
    [[maybe_unused]] const ssize_t woken = write(m_wakeWrite, "x", 1); // ends any wait of the listener
    if (m_listener.joinable())
        m_listener.join();
    close(m_listenSocket);
    close(m_wakeRead);
    close(m_wakeWrite);
    m_listenSocket = m_wakeRead = m_wakeWrite = -1;
    unlink(m_socketPath.c_str());
    m_socketPath.clear();
}

std::optional<wxString> CSingleInstance::SendRaise(const wxString& exeFileName)
{
    sockaddr_un address;
    if (!MakeAddress(SocketPath(exeFileName).utf8_string(), address))
        return std::nullopt;
    const int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return std::nullopt;
    std::optional<wxString> display;
    if (connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0) {
        timeval timeout{5, 0}; // a hung first copy must not hang this one
        setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &timeout, sizeof timeout);
        if (write(fd, kRaise, sizeof kRaise - 1) == static_cast<ssize_t>(sizeof kRaise - 1)) {
            const std::string answer = ReadMessage(fd);
            // "ok", then the display on a line of its own.
            if (answer.rfind(kAnswer, 0) == 0) {
                const size_t lineEnd = answer.find('\n');
                display = lineEnd == std::string::npos ? wxString() : wxString::FromUTF8(answer.substr(lineEnd + 1));
            }
        }
    }
    close(fd);
    return display;
}

void CSingleInstance::SetRaiseHandler(std::function<void()> handler)
{
    *m_raiseHandler = std::move(handler);
}

wxTopLevelWindow* CSingleInstance::WindowToRaise()
{
    if (wxDialog* modal = CModalDialogTracker::Get().Topmost())
        return modal;
    if (wxDialog* dialog = LastShownDialog())
        return dialog;
    return dynamic_cast<wxTopLevelWindow*>(wxTheApp->GetTopWindow());
}

void CSingleInstance::RaiseRunningWindow()
{
    auto* top = dynamic_cast<wxTopLevelWindow*>(wxTheApp->GetTopWindow());
    if (top && top->IsIconized())
        top->Iconize(false);
    if (wxTopLevelWindow* window = WindowToRaise())
        window->Raise();
}
