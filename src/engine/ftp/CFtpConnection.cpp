#include "ftp/CFtpConnection.h"

#include <curl/curl.h>
#include <fnmatch.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <unistd.h>
#if defined(__linux__)
#include <linux/sockios.h>
#endif

#include "ftp/CFtpListParser.h"
#include "ftp/CFtpUploadReader.h"

namespace skerrow {
namespace {

void GlobalInit()
{
    static std::once_flag once;
    std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

bool HasUnsafeCharacters(const std::string& path)
{
    return path.find_first_of(std::string("\r\n\0", 3)) != std::string::npos;
}

} // namespace

// The longest a call sleeps in one wait for its sockets. curl 7.88 sometimes sets no timer while a
// data connection's host is resolved and would then sleep a whole second per file.
constexpr int kMaxWaitMs = 10;
// How long a closing connection waits for the server's answer to its last commands.
constexpr long kQuitWaitSeconds = 2;

struct CFtpConnection::Impl {
    CURL* curl = nullptr;
    CURLM* multi = nullptr; // holds the control connection between calls
    std::string baseUrl; // "ftp://host:port/"
    std::string currentDir;
    bool currentVerified = false; // currentDir was entered on the server (not only read with PWD)
    std::atomic<bool> open{false};

    // Serialises the operations; Close takes it after aborting whatever runs.
    std::mutex opMutex;
    // Guards the abort flag against a transfer starting or ending.
    std::mutex abortMutex;
    bool inTransfer = false;
    // Set by Abort and never cleared: an aborted connection is done for.
    std::atomic<bool> abortRequested{false};
    // The control connection's socket as curl left it after the last call (-1: none); only used
    // under opMutex, while no curl call can close it.
    int controlSocket = -1;

    mutable std::mutex resultMutex;
    int lastError = 0;
    std::string lastResponse;

    // Reply being read (its lines), and the code of the last reply of the current call.
    std::string replyLines;
    bool replyOpen = false;
    int performReplyCode = 0;
    std::string entryDirectory;
    bool awaitingPwd = false;
    // The command of a quote call, and its own reply (curl may send a CWD after it).
    std::string quoteCommand;
    bool awaitingQuote = false;
    int quoteReplyCode = 0;
    std::string quoteReply;

    bool sawLogin = false; // the call (re)connected and logged in
    std::atomic<int> commandsSent{0};
    StatusCallback status;
    LogCallback log;
    long connectSeconds = 30;
    long stallSeconds = 60;
    curl_off_t lastReportedBytes = -1;

    // Replies and commands ---------------------------------------------------------------------

    void OnReplyLine(std::string line)
    {
        while (!line.empty() && (line.back() == '\n' || line.back() == '\r'))
            line.pop_back();
        // What is kept or logged is masked; the reply's code and a directory are read unmasked.
        const std::string shown = Masked(line);
        if (log)
            log("< " + shown);
        if (!replyOpen) {
            replyLines.clear();
            replyOpen = true;
        }
        replyLines += shown;
        replyLines += '\n';
        const bool last = line.size() >= 3 && std::isdigit(static_cast<unsigned char>(line[0])) &&
                          std::isdigit(static_cast<unsigned char>(line[1])) &&
                          std::isdigit(static_cast<unsigned char>(line[2])) && (line.size() == 3 || line[3] == ' ');
        if (!last)
            return;
        replyOpen = false;
        performReplyCode = std::atoi(line.substr(0, 3).c_str());
        if (awaitingPwd && performReplyCode == 257) {
            entryDirectory = ParsePwdReply(line);
            awaitingPwd = false;
        }
        if (awaitingQuote) {
            quoteReplyCode = performReplyCode;
            quoteReply = replyLines;
            awaitingQuote = false;
        }
        std::lock_guard lock(resultMutex);
        lastResponse = replyLines;
    }

    // The password, masked in every reply this object keeps or logs: a server that echoes it
    // shows it neither in the log nor in a row's error text.
    std::string secret;

    std::string Masked(std::string line) const
    {
        if (secret.empty())
            return line;
        for (size_t at = line.find(secret); at != std::string::npos; at = line.find(secret, at + 4))
            line.replace(at, secret.size(), "****");
        return line;
    }

    void OnCommand(std::string line)
    {
        while (!line.empty() && (line.back() == '\n' || line.back() == '\r'))
            line.pop_back();
        ++commandsSent;
        awaitingPwd = line == "PWD";
        if (line.compare(0, 5, "USER ") == 0)
            sawLogin = true;
        awaitingQuote = !quoteCommand.empty() && line == quoteCommand;
        if (!log)
            return;
        if (line.compare(0, 5, "PASS ") == 0)
            line = "PASS ****";
        log("> " + line);
    }

    static std::string ParsePwdReply(const std::string& line)
    {
        const size_t first = line.find('"');
        if (first == std::string::npos)
            return std::string();
        std::string dir;
        for (size_t i = first + 1; i < line.size(); ++i) {
            if (line[i] == '"') {
                if (i + 1 < line.size() && line[i + 1] == '"') {
                    dir += '"';
                    ++i;
                    continue;
                }
                break;
            }
            dir += line[i];
        }
        return dir;
    }

    static int Debug(CURL*, curl_infotype type, char* data, size_t size, void* userdata)
    {
        auto* self = static_cast<Impl*>(userdata);
        if (type == CURLINFO_HEADER_IN)
            self->OnReplyLine(std::string(data, size));
        else if (type == CURLINFO_HEADER_OUT)
            self->OnCommand(std::string(data, size));
        return 0;
    }

    static int Progress(void* userdata, curl_off_t, curl_off_t, curl_off_t, curl_off_t ulnow)
    {
        auto* self = static_cast<Impl*>(userdata);
        if (self->abortRequested.load())
            return 1;
        const curl_off_t taken = self->BytesTaken(ulnow);
        if (self->inTransferStatus && taken != self->lastReportedBytes) {
            self->lastReportedBytes = taken;
            if (self->status)
                self->status(kStatusRequestSent, static_cast<uint64_t>(taken));
        }
        return 0;
    }

    // Progress counts what the server has taken, not what was handed to the kernel: the upload's
    // data socket is remembered when curl opens it, what it still holds unsent is subtracted, and
    // when curl lets it go it is only shut for writing (the server sees the end of the file all
    // the same) and kept until the reply to the upload has come.
    int dataSocket = -1;
    bool dataSocketHeld = false;

    static int OnSocketOpened(void* userdata, curl_socket_t socket, curlsocktype)
    {
        auto* self = static_cast<Impl*>(userdata);
        if (self->inTransferStatus) {
            self->ReleaseDataSocket();
            self->dataSocket = static_cast<int>(socket);
        }
        return CURL_SOCKOPT_OK;
    }

    static int OnSocketClosing(void* userdata, curl_socket_t socket)
    {
        auto* self = static_cast<Impl*>(userdata);
        if (static_cast<int>(socket) == self->dataSocket && self->inTransferStatus && !self->dataSocketHeld) {
            ::shutdown(socket, SHUT_WR);
            self->dataSocketHeld = true;
            return 0;
        }
        return ::close(socket);
    }

    void ReleaseDataSocket()
    {
        if (dataSocketHeld)
            ::close(dataSocket);
        dataSocket = -1;
        dataSocketHeld = false;
    }

    curl_off_t BytesTaken(curl_off_t handed) const
    {
        int queued = 0;
#if defined(__linux__)
        if (dataSocket < 0 || ::ioctl(dataSocket, SIOCOUTQ, &queued) != 0)
            queued = 0;
#endif
        return handed > queued ? handed - queued : 0;
    }

    static size_t Discard(char*, size_t size, size_t count, void*) { return size * count; }

    static size_t Collect(char* data, size_t size, size_t count, void* userdata)
    {
        static_cast<std::string*>(userdata)->append(data, size * count);
        return size * count;
    }

    bool inTransferStatus = false;

    // Results -------------------------------------------------------------------------------------

    void SetResult(int code)
    {
        std::lock_guard lock(resultMutex);
        lastError = code;
    }

    int MapCurlCode(CURLcode code) const
    {
        const bool serverRefused = performReplyCode >= 400;
        switch (code) {
        case CURLE_OK: return kErrorNone;
        case CURLE_COULDNT_RESOLVE_HOST:
        case CURLE_COULDNT_RESOLVE_PROXY: return kErrorNameNotResolved;
        case CURLE_COULDNT_CONNECT: return serverRefused ? kErrorExtended : kErrorCannotConnect;
        case CURLE_OPERATION_TIMEDOUT:
        case CURLE_FTP_ACCEPT_TIMEOUT: return kErrorTimeout;
        case CURLE_ABORTED_BY_CALLBACK: return kErrorOperationCancelled;
        case CURLE_READ_ERROR: return kErrorReadFault;
        case CURLE_GOT_NOTHING:
        case CURLE_RECV_ERROR:
        case CURLE_SEND_ERROR:
        case CURLE_PARTIAL_FILE: return kErrorConnectionAborted;
        default: break;
        }
        if (serverRefused)
            return kErrorExtended;
        if (code == CURLE_FTP_WEIRD_SERVER_REPLY)
            return kErrorConnectionAborted;
        return kErrorInternal;
    }

    // curl calls ------------------------------------------------------------------------------------

    void ResetRequest()
    {
        curl_easy_setopt(curl, CURLOPT_NOBODY, 0L);
        curl_easy_setopt(curl, CURLOPT_UPLOAD, 0L);
        curl_easy_setopt(curl, CURLOPT_QUOTE, nullptr);
        curl_easy_setopt(curl, CURLOPT_CUSTOMREQUEST, nullptr);
        curl_easy_setopt(curl, CURLOPT_TRANSFERTEXT, 0L);
        curl_easy_setopt(curl, CURLOPT_INFILESIZE_LARGE, static_cast<curl_off_t>(-1));
        curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, &Impl::Discard);
        curl_easy_setopt(curl, CURLOPT_WRITEDATA, nullptr);
        curl_easy_setopt(curl, CURLOPT_READFUNCTION, nullptr);
        curl_easy_setopt(curl, CURLOPT_READDATA, nullptr);
        curl_easy_setopt(curl, CURLOPT_FTP_FILEMETHOD, static_cast<long>(CURLFTPMETHOD_SINGLECWD));
    }

    // Runs the prepared request; records and returns the error code (0 on success). An upload or a
    // listing (notify) reports its start, progress and end through the status callback.
    int Perform(const std::string& url, bool notify = false, CURLcode* raw = nullptr)
    {
        {
            std::lock_guard lock(abortMutex);
            if (abortRequested) {
                // Aborted for good: no call of this connection talks to the server any more.
                SetResult(kErrorOperationCancelled);
                return kErrorOperationCancelled;
            }
            inTransfer = true;
        }
        lastReportedBytes = -1;
        inTransferStatus = notify;
        if (notify && status)
            status(kStatusHandleCreated, 0);
        curl_easy_setopt(curl, CURLOPT_URL, url.c_str());
        performReplyCode = 0;
        replyOpen = false;
        sawLogin = false;
        const CURLcode result = Run();
        inTransferStatus = false;
        ReleaseDataSocket();
        {
            std::lock_guard lock(abortMutex);
            inTransfer = false;
        }
        if (notify && status)
            status(kStatusHandleClosing, 0);
        if (raw)
            *raw = result;
        const int code = MapCurlCode(result);
        SetResult(code);
        return code;
    }

    // "LIST -a" of the server's current directory (hidden entries too; some servers hide them
    // from a plain LIST).
    int ListCurrent(std::string& listing, CURLcode& raw)
    {
        listing.clear();
        ResetRequest();
        curl_easy_setopt(curl, CURLOPT_FTP_FILEMETHOD, static_cast<long>(CURLFTPMETHOD_NOCWD));
        curl_easy_setopt(curl, CURLOPT_CUSTOMREQUEST, "LIST -a");
        curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, &Impl::Collect);
        curl_easy_setopt(curl, CURLOPT_WRITEDATA, &listing);
        const int code = Perform(baseUrl, true, &raw);
        curl_easy_setopt(curl, CURLOPT_WRITEDATA, nullptr);
        return code;
    }

    // curl_easy_perform on our own multi handle, with a bounded wait.
    CURLcode Run()
    {
        if (!multi)
            multi = curl_multi_init();
        if (!multi || curl_multi_add_handle(multi, curl) != CURLM_OK)
            return CURLE_OUT_OF_MEMORY;
        CURLcode result = CURLE_OK;
        int running = 1;
        while (running) {
            if (abortRequested.load()) {
                // Whatever curl is waiting for (a reply, a connect, a slow reader), it ends now;
                // removing the handle mid-transfer drops the connection without a QUIT.
                curl_multi_remove_handle(multi, curl);
                controlSocket = -1;
                return CURLE_ABORTED_BY_CALLBACK;
            }
            if (curl_multi_perform(multi, &running) != CURLM_OK) {
                result = CURLE_OUT_OF_MEMORY;
                break;
            }
            if (running)
                curl_multi_poll(multi, nullptr, 0, kMaxWaitMs, nullptr);
        }
        int left = 0;
        while (CURLMsg* message = curl_multi_info_read(multi, &left)) {
            if (message->msg == CURLMSG_DONE && message->easy_handle == curl)
                result = message->data.result;
        }
        curl_socket_t socket = CURL_SOCKET_BAD;
        if (curl_easy_getinfo(curl, CURLINFO_ACTIVESOCKET, &socket) != CURLE_OK)
            socket = CURL_SOCKET_BAD;
        controlSocket = socket == CURL_SOCKET_BAD ? -1 : static_cast<int>(socket);
        curl_multi_remove_handle(multi, curl);
        return result;
    }

    // One command through the quote list; a refusal is read from its reply code.
    bool Quote(const std::string& command)
    {
        if (!CheckOpen())
            return false;
        ResetRequest();
        curl_slist* list = curl_slist_append(nullptr, ("*" + command).c_str());
        quoteCommand = command;
        quoteReplyCode = 0;
        curl_easy_setopt(curl, CURLOPT_QUOTE, list);
        curl_easy_setopt(curl, CURLOPT_NOBODY, 1L);
        curl_easy_setopt(curl, CURLOPT_FTP_FILEMETHOD, static_cast<long>(CURLFTPMETHOD_NOCWD));
        int code = Perform(baseUrl);
        curl_easy_setopt(curl, CURLOPT_QUOTE, nullptr);
        curl_slist_free_all(list);
        quoteCommand.clear();
        if (code == kErrorNone && (quoteReplyCode >= 400 || quoteReplyCode == 0)) {
            code = quoteReplyCode == 0 ? kErrorConnectionAborted : kErrorExtended;
            std::lock_guard lock(resultMutex);
            lastError = code;
            if (quoteReplyCode != 0)
                lastResponse = quoteReply;
        }
        return code == kErrorNone;
    }

    bool CheckOpen()
    {
        if (curl && open)
            return true;
        SetResult(kErrorIncorrectHandleState);
        return false;
    }

    bool CheckPath(const std::string& path)
    {
        if (!HasUnsafeCharacters(path))
            return true;
        SetResult(kErrorInvalidName);
        return false;
    }

    std::string Escape(const std::string& segment) const
    {
        char* escaped = curl_easy_escape(curl, segment.c_str(), static_cast<int>(segment.size()));
        std::string text = escaped ? escaped : "";
        curl_free(escaped);
        return text;
    }

    // URL of an absolute directory, to which a file name is appended: the file's full path. The
    // root is "%2F" alone, so that a file there is "/name", never "//name".
    std::string DirectoryUrl(const std::string& dir) const
    {
        std::string url = baseUrl + "%2F";
        size_t pos = 1;
        while (pos < dir.size()) {
            size_t next = dir.find('/', pos);
            if (next == std::string::npos)
                next = dir.size();
            url += Escape(dir.substr(pos, next - pos));
            url += '/';
            pos = next + 1;
        }
        return url;
    }

    void ApplyTimeouts()
    {
        curl_easy_setopt(curl, CURLOPT_CONNECTTIMEOUT, connectSeconds);
        curl_easy_setopt(curl, CURLOPT_ACCEPTTIMEOUT_MS, connectSeconds * 1000);
        curl_easy_setopt(curl, CURLOPT_LOW_SPEED_LIMIT, 1L);
        curl_easy_setopt(curl, CURLOPT_LOW_SPEED_TIME, stallSeconds);
        curl_easy_setopt(curl, CURLOPT_SERVER_RESPONSE_TIMEOUT, stallSeconds);
    }

    void SetupHandle(const std::string& user, const std::string& password, bool passive)
    {
        curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
        curl_easy_setopt(curl, CURLOPT_VERBOSE, 1L);
        curl_easy_setopt(curl, CURLOPT_DEBUGFUNCTION, &Impl::Debug);
        curl_easy_setopt(curl, CURLOPT_DEBUGDATA, this);
        curl_easy_setopt(curl, CURLOPT_NOPROGRESS, 0L);
        curl_easy_setopt(curl, CURLOPT_XFERINFOFUNCTION, &Impl::Progress);
        curl_easy_setopt(curl, CURLOPT_XFERINFODATA, this);
        curl_easy_setopt(curl, CURLOPT_SOCKOPTFUNCTION, &Impl::OnSocketOpened);
        curl_easy_setopt(curl, CURLOPT_SOCKOPTDATA, this);
        curl_easy_setopt(curl, CURLOPT_CLOSESOCKETFUNCTION, &Impl::OnSocketClosing);
        curl_easy_setopt(curl, CURLOPT_CLOSESOCKETDATA, this);
        curl_easy_setopt(curl, CURLOPT_USERNAME, user.empty() ? "anonymous" : user.c_str());
        curl_easy_setopt(curl, CURLOPT_PASSWORD, password.c_str());
        curl_easy_setopt(curl, CURLOPT_FTPPORT, passive ? nullptr : "-");
        curl_easy_setopt(curl, CURLOPT_FTP_CREATE_MISSING_DIRS, static_cast<long>(CURLFTP_CREATE_DIR_NONE));
        curl_easy_setopt(curl, CURLOPT_UPLOAD_BUFFERSIZE, 512L * 1024L);
        curl_easy_setopt(curl, CURLOPT_BUFFERSIZE, 256L * 1024L);
        curl_easy_setopt(curl, CURLOPT_TCP_KEEPALIVE, 1L);
        ApplyTimeouts();
    }

    static std::string BaseUrl(std::string host, int port)
    {
        if (host.compare(0, 6, "ftp://") == 0)
            host.erase(0, 6);
        while (!host.empty() && host.back() == '/')
            host.pop_back();
        if (host.find(':') != std::string::npos && host.front() != '[')
            host = "[" + host + "]";
        return "ftp://" + host + ":" + std::to_string(port > 0 ? port : 21) + "/";
    }

    // True when the control connection looks alive: no end of file, error or unread reply (an
    // idle server that closes it sends 421 first).
    bool ControlLooksAlive() const
    {
        if (controlSocket < 0)
            return false;
        pollfd probe{controlSocket, POLLIN, 0};
        return ::poll(&probe, 1, 0) == 0;
    }

    // Ends the connection without ever waiting long for the server: a live, healthy connection
    // gets its QUIT, its answer awaited a short while; any other is cut at once.
    void CloseBounded()
    {
        // Whoever set the callbacks may be going away too: the closing commands report nothing.
        status = nullptr;
        log = nullptr;
        if (curl && open && !abortRequested.load() && ControlLooksAlive()) {
            // The reply time-out of the last call is the one the QUIT is awaited with.
            curl_easy_setopt(curl, CURLOPT_SERVER_RESPONSE_TIMEOUT, kQuitWaitSeconds);
            if (!Quote("NOOP") && controlSocket >= 0)
                ::shutdown(controlSocket, SHUT_RDWR);
        } else if (controlSocket >= 0) {
            ::shutdown(controlSocket, SHUT_RDWR);
        }
        Cleanup();
    }

    void Cleanup()
    {
        if (multi)
            curl_multi_cleanup(multi); // closes the cached control connection (QUIT)
        if (curl)
            curl_easy_cleanup(curl);
        multi = nullptr;
        curl = nullptr;
        open = false;
        controlSocket = -1;
    }
};

CFtpConnection::CFtpConnection() : m_impl(std::make_unique<Impl>())
{
    GlobalInit();
}

CFtpConnection::~CFtpConnection()
{
    Close();
}

bool CFtpConnection::Open(const std::string& host, int port, const std::string& user, const std::string& password,
                          bool passive)
{
    Impl& d = *m_impl;
    std::lock_guard lock(d.opMutex);
    d.Cleanup();
    if (HasUnsafeCharacters(host) || HasUnsafeCharacters(user) || HasUnsafeCharacters(password)) {
        d.SetResult(kErrorInvalidName);
        return false;
    }
    d.curl = curl_easy_init();
    if (!d.curl) {
        d.SetResult(kErrorInternal);
        return false;
    }
    d.commandsSent = 0;
    d.baseUrl = Impl::BaseUrl(host, port);
    d.secret = password;
    d.SetupHandle(user, password, passive);
    d.ResetRequest();
    d.entryDirectory.clear();
    curl_easy_setopt(d.curl, CURLOPT_NOBODY, 1L);
    curl_easy_setopt(d.curl, CURLOPT_FTP_FILEMETHOD, static_cast<long>(CURLFTPMETHOD_NOCWD));
    if (d.Perform(d.baseUrl) != kErrorNone) {
        d.Cleanup();
        return false;
    }
    d.currentDir = d.entryDirectory.empty() || d.entryDirectory[0] != '/' ? "/" : ResolvePath("/", d.entryDirectory);
    d.currentVerified = false;
    d.open = true;
    return true;
}

void CFtpConnection::Close()
{
    // A call in progress on another thread ends first (it holds opMutex): abort it before when it
    // must not be waited for.
    std::lock_guard lock(m_impl->opMutex);
    m_impl->CloseBounded();
}

bool CFtpConnection::IsOpen() const
{
    return m_impl->open.load();
}

bool CFtpConnection::GetCurrentDirectory(std::string& directory)
{
    std::lock_guard lock(m_impl->opMutex);
    if (!m_impl->CheckOpen())
        return false;
    directory = m_impl->currentDir;
    m_impl->SetResult(kErrorNone);
    return true;
}

bool CFtpConnection::SetCurrentDirectory(const std::string& path)
{
    Impl& d = *m_impl;
    std::lock_guard lock(d.opMutex);
    if (!d.CheckOpen() || !d.CheckPath(path))
        return false;
    const std::string target = ResolvePath(d.currentDir, path);
    if (target == d.currentDir && d.currentVerified) {
        d.SetResult(kErrorNone);
        return true;
    }
    if (!d.Quote("CWD " + target))
        return false;
    d.currentDir = target;
    d.currentVerified = true;
    return true;
}

bool CFtpConnection::CreateDirectory(const std::string& path)
{
    std::lock_guard lock(m_impl->opMutex);
    return m_impl->CheckPath(path) && m_impl->Quote("MKD " + ResolvePath(m_impl->currentDir, path));
}

bool CFtpConnection::RemoveDirectory(const std::string& path)
{
    std::lock_guard lock(m_impl->opMutex);
    return m_impl->CheckPath(path) && m_impl->Quote("RMD " + ResolvePath(m_impl->currentDir, path));
}

bool CFtpConnection::DeleteFile(const std::string& path)
{
    std::lock_guard lock(m_impl->opMutex);
    return m_impl->CheckPath(path) && m_impl->Quote("DELE " + ResolvePath(m_impl->currentDir, path));
}

bool CFtpConnection::PutFile(const std::string& localPath, const std::string& remoteName, int transferType)
{
    Impl& d = *m_impl;
    std::lock_guard lock(d.opMutex);
    if (!d.CheckOpen() || !d.CheckPath(remoteName))
        return false;
    if (remoteName.empty() || remoteName.find('/') != std::string::npos) {
        d.SetResult(kErrorInvalidName);
        return false;
    }
    const bool ascii = transferType == kTransferAscii;
    CFtpUploadReader reader;
    if (const int code = reader.Open(localPath, ascii); code != 0) {
        d.SetResult(code);
        return false;
    }
    d.ResetRequest();
    curl_easy_setopt(d.curl, CURLOPT_UPLOAD, 1L);
    curl_easy_setopt(d.curl, CURLOPT_TRANSFERTEXT, ascii ? 1L : 0L);
    curl_easy_setopt(d.curl, CURLOPT_READFUNCTION, &CFtpUploadReader::CurlRead);
    curl_easy_setopt(d.curl, CURLOPT_READDATA, &reader);
    if (!ascii)
        curl_easy_setopt(d.curl, CURLOPT_INFILESIZE_LARGE, static_cast<curl_off_t>(reader.Size()));
    // STOR with the full path: right even when curl had to log in again on a new connection.
    curl_easy_setopt(d.curl, CURLOPT_FTP_FILEMETHOD, static_cast<long>(CURLFTPMETHOD_NOCWD));
    const int code = d.Perform(d.DirectoryUrl(d.currentDir) + d.Escape(remoteName), true);
    curl_easy_setopt(d.curl, CURLOPT_READDATA, nullptr);
    return code == kErrorNone;
}

bool CFtpConnection::List(const std::string& pattern, std::vector<CFindRecord>& records)
{
    Impl& d = *m_impl;
    std::lock_guard lock(d.opMutex);
    records.clear();
    if (!d.CheckOpen())
        return false;
    std::string listing;
    CURLcode raw = CURLE_OK;
    int code = d.ListCurrent(listing, raw);
    if (d.sawLogin && code == kErrorNone) {
        // A new control connection starts in the login directory: enter ours and list again.
        if (!d.Quote("CWD " + d.currentDir))
            return false;
        code = d.ListCurrent(listing, raw);
    }
    if (raw == CURLE_REMOTE_FILE_NOT_FOUND) {
        d.SetResult(kErrorNone); // an empty directory
        return true;
    }
    if (code != kErrorNone)
        return false;
    for (CFindRecord& record : CFtpListParser::ParseListing(listing)) {
        if (record.name == "." || record.name == "..")
            continue; // "LIST -a" names them on some servers
        if (pattern.empty() || pattern == "*" || fnmatch(pattern.c_str(), record.name.c_str(), FNM_PERIOD) == 0)
            records.push_back(std::move(record));
    }
    return true;
}

void CFtpConnection::Abort()
{
    std::lock_guard lock(m_impl->abortMutex);
    m_impl->abortRequested = true;
}

bool CFtpConnection::IsAborted() const
{
    return m_impl->abortRequested.load();
}

bool CFtpConnection::IsTransferring() const
{
    std::lock_guard lock(m_impl->abortMutex);
    return m_impl->inTransfer;
}

int CFtpConnection::LastError() const
{
    std::lock_guard lock(m_impl->resultMutex);
    return m_impl->lastError;
}

std::string CFtpConnection::LastResponse() const
{
    std::lock_guard lock(m_impl->resultMutex);
    return m_impl->lastResponse;
}

void CFtpConnection::SetStatusCallback(StatusCallback callback)
{
    std::lock_guard lock(m_impl->opMutex);
    m_impl->status = std::move(callback);
}

void CFtpConnection::SetLogCallback(LogCallback callback)
{
    std::lock_guard lock(m_impl->opMutex);
    m_impl->log = std::move(callback);
}

void CFtpConnection::SetTimeouts(long connectSeconds, long stallSeconds)
{
    std::lock_guard lock(m_impl->opMutex);
    m_impl->connectSeconds = connectSeconds;
    m_impl->stallSeconds = stallSeconds;
    if (m_impl->curl)
        m_impl->ApplyTimeouts();
}

int CFtpConnection::CommandsSent() const
{
    return m_impl->commandsSent.load();
}

std::string CFtpConnection::ResolvePath(const std::string& base, const std::string& path)
{
    std::vector<std::string> parts;
    auto add = [&parts](const std::string& text) {
        size_t pos = 0;
        while (pos <= text.size()) {
            size_t next = text.find('/', pos);
            if (next == std::string::npos)
                next = text.size();
            const std::string part = text.substr(pos, next - pos);
            if (part == "..") {
                if (!parts.empty())
                    parts.pop_back();
            } else if (!part.empty() && part != ".") {
                parts.push_back(part);
            }
            pos = next + 1;
        }
    };
    if (path.empty() || path[0] != '/')
        add(base);
    add(path);
    std::string result;
    for (const std::string& part : parts)
        result += "/" + part;
    return result.empty() ? "/" : result;
}

} // namespace skerrow
