#include "ftp/CFtpConnectionImpl.h"

#include "app/CStringTable.h"

#include <poll.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <unistd.h>
#include <utility>
#if defined(__linux__)
#include <linux/sockios.h>
#endif

#include <fnmatch.h>

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <sstream>
#include <strings.h>

#include "ftp/CFtpListParser.h"

namespace skerrow {
namespace {

// The longest a call sleeps in one wait for its sockets. curl 7.88 sometimes sets no timer while a
// data connection's host is resolved and would then sleep a whole second per file.
constexpr int kMaxWaitMs = 10;
// How long a closing connection waits for the server's answer to its last commands.
constexpr long kQuitWaitSeconds = 2;

} // namespace

bool CFtpConnection::Impl::HasUnsafeCharacters(const std::string& text)
{
    return text.find_first_of(std::string("\r\n\0", 3)) != std::string::npos;
}

bool CFtpConnection::Impl::IsSafeEntryName(const std::string& name)
{
    return !name.empty() && name != "." && name != ".." && name.find_first_of("/\\") == std::string::npos &&
           !HasUnsafeCharacters(name);
}

void CFtpConnection::Impl::OnReplyLine(std::string line)
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
    // A reply before the call sent anything is a greeting: a new control connection logs in.
    loginBegun = loginBegun || callCommands == 0;
    loginDone = loginDone || performReplyCode == 230;
    if (performReplyCode == 220 && greeted)
        std::exchange(greeted, nullptr)();
    if ((performReplyCode == 331 || performReplyCode == 332) && userSent && passwordGate)
        HoldPassword();
    if (awaitingPwd && performReplyCode == 257) {
        entryDirectory = ParsePwdReply(line);
        awaitingPwd = false;
    }
    if (awaitingAuth) {
        awaitingAuth = false;
        authAccepted = performReplyCode == 234 || performReplyCode == 334;
    }
    if (awaitingBefore) {
        beforeReplyCode = performReplyCode;
        awaitingBefore = false;
    }
    if (awaitingQuote) {
        quoteReplyCode = performReplyCode;
        quoteReply = replyLines;
        awaitingQuote = false;
    }
    std::lock_guard lock(resultMutex);
    lastResponse = replyLines;
}

void CFtpConnection::Impl::OnCommand(std::string line)
{
    while (!line.empty() && (line.back() == '\n' || line.back() == '\r'))
        line.pop_back();
    ++commandsSent;
    ++callCommands;
    awaitingPwd = line == "PWD";
    awaitingAuth = line.compare(0, 5, "AUTH ") == 0;
    userSent = line.compare(0, 5, "USER ") == 0;
    if (userSent) {
        sawLogin = true;
        loginBegun = true;
        ++logins;
    }
    awaitingQuote = !quoteCommand.empty() && line == quoteCommand;
    awaitingBefore = !beforeCommand.empty() && line == beforeCommand;
    if (!log)
        return;
    if (line.compare(0, 5, "PASS ") == 0)
        line = "PASS ****";
    log("> " + line);
}

void CFtpConnection::Impl::HoldPassword()
{
    if (passwordGate->Wait([this] { return abortRequested.load(); }))
        return;
    // curl sends PASS as soon as this returns: the connection is cut first, and is done for.
    {
        std::lock_guard lock(abortMutex);
        abortRequested = true;
    }
    if (loginSocket >= 0)
        ::shutdown(loginSocket, SHUT_RDWR);
    if (log)
        log("* " + Tr("FTP.PasswordHeld", "The password was not sent: the run's first login did not succeed."));
}

std::string CFtpConnection::Impl::ParsePwdReply(const std::string& line)
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

int CFtpConnection::Impl::Debug(CURL*, curl_infotype type, char* data, size_t size, void* userdata)
{
    auto* self = static_cast<Impl*>(userdata);
    self->Moved();
    if (type == CURLINFO_TEXT && self->IsSftp()) {
        if (self->sftp.OnInfo(std::string(data, size))) {
            self->sawLogin = true;
            ++self->logins;
        }
    } else if (type == CURLINFO_HEADER_IN)
        self->OnReplyLine(std::string(data, size));
    else if (type == CURLINFO_HEADER_OUT)
        self->OnCommand(std::string(data, size));
    return 0;
}

int CFtpConnection::Impl::Progress(void* userdata, curl_off_t, curl_off_t dlnow, curl_off_t, curl_off_t ulnow)
{
    auto* self = static_cast<Impl*>(userdata);
    if (self->abortRequested.load())
        return 1;
    if (dlnow != self->lastDownloaded || ulnow != self->lastUploaded) {
        self->lastDownloaded = dlnow;
        self->lastUploaded = ulnow;
        self->Moved();
    }
    const curl_off_t taken = self->BytesTaken(ulnow);
    if (self->inTransferStatus && taken != self->lastReportedBytes) {
        self->lastReportedBytes = taken;
        if (self->status)
            self->status(kStatusRequestSent, static_cast<uint64_t>(taken));
    }
    return 0;
}

std::string CFtpConnection::Impl::Masked(std::string line) const
{
    if (secret.empty())
        return line;
    for (size_t at = line.find(secret); at != std::string::npos; at = line.find(secret, at + 4))
        line.replace(at, secret.size(), "****");
    return line;
}

int CFtpConnection::Impl::OnSocketOpened(void* userdata, curl_socket_t socket, curlsocktype)
{
    auto* self = static_cast<Impl*>(userdata);
    if (self->IsSftp())
        self->sshSocket = static_cast<int>(socket);
    else if (self->inTransferStatus) {
        self->ReleaseDataSocket();
        self->dataSocket = static_cast<int>(socket);
    } else if (self->loginSocket < 0) {
        self->loginSocket = static_cast<int>(socket);
    }
    return CURL_SOCKOPT_OK;
}

int CFtpConnection::Impl::OnSocketClosing(void* userdata, curl_socket_t socket)
{
    auto* self = static_cast<Impl*>(userdata);
    if (static_cast<int>(socket) == self->sshSocket)
        self->sshSocket = -1;
    else if (static_cast<int>(socket) == self->dataSocket && self->inTransferStatus && !self->dataSocketHeld) {
        ::shutdown(socket, SHUT_WR);
        self->dataSocketHeld = true;
        return 0;
    }
    return ::close(socket);
}

void CFtpConnection::Impl::ReleaseDataSocket()
{
    if (dataSocketHeld)
        ::close(dataSocket);
    dataSocket = -1;
    dataSocketHeld = false;
}

curl_off_t CFtpConnection::Impl::BytesTaken(curl_off_t handed) const
{
    int queued = 0;
#if defined(__linux__)
    if (dataSocket < 0 || ::ioctl(dataSocket, SIOCOUTQ, &queued) != 0)
        queued = 0;
#endif
    return handed > queued ? handed - queued : 0;
}

size_t CFtpConnection::Impl::Collect(char* data, size_t size, size_t count, void* userdata)
{
    auto* sink = static_cast<ListingSink*>(userdata);
    sink->lines += static_cast<size_t>(std::count(data, data + size * count, '\n'));
    if (sink->lines > kMostListedEntries) {
        sink->tooLong = true;
        return 0; // curl ends the transfer
    }
    sink->text->append(data, size * count);
    return size * count;
}

void CFtpConnection::Impl::SetResult(int code)
{
    std::lock_guard lock(resultMutex);
    lastError = code;
}

int CFtpConnection::Impl::MapCurlCode(CURLcode code) const
{
    const bool serverRefused = performReplyCode >= 400;
    switch (code) {
    case CURLE_OK: return kErrorNone;
    case CURLE_COULDNT_RESOLVE_HOST:
    case CURLE_COULDNT_RESOLVE_PROXY: return kErrorNameNotResolved;
    case CURLE_COULDNT_CONNECT: return serverRefused ? kErrorExtended : kErrorCannotConnect;
    // curl ends a call on a 421 at any point (a greeting that refuses the login, an idle session
    // closed) as if it had timed out: it is the server's refusal, and its reply says why.
    case CURLE_OPERATION_TIMEDOUT: return performReplyCode == 421 ? kErrorExtended : kErrorTimeout;
    case CURLE_FTP_ACCEPT_TIMEOUT: return kErrorTimeout;
    case CURLE_ABORTED_BY_CALLBACK: return kErrorOperationCancelled;
    case CURLE_USE_SSL_FAILED: return kErrorTlsNotOffered;
    case CURLE_PEER_FAILED_VERIFICATION:
    case CURLE_SSL_CONNECT_ERROR:
    case CURLE_SSL_CERTPROBLEM:
    case CURLE_SSL_CIPHER:
    case CURLE_SSL_CACERT_BADFILE:
    case CURLE_SSL_ENGINE_INITFAILED:
    case CURLE_SSL_SHUTDOWN_FAILED: return tlsCheck.HasRefused() ? kErrorInvalidCa : kErrorSecureChannel;
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

void CFtpConnection::Impl::ResetRequest()
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

int CFtpConnection::Impl::Perform(const std::string& url, bool notify, CURLcode* raw)
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
    sftp.ResetError();
    performReplyCode = 0;
    replyOpen = false;
    sawLogin = false;
    callCommands = 0;
    loginBegun = false;
    loginDone = false;
    lastDownloaded = -1;
    lastUploaded = -1;
    stallCut = false;
    Moved();
    const CURLcode result = Run();
    if (sawLogin && open && !IsSftp()) {
        // A new control connection starts in the login directory: ours is entered again before
        // anything depends on the server's own idea of it (a listing).
        currentAssumed = true;
        currentVerified = false;
    }
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
    const int code = IsSftp() ? MapSftpCode(result) : MapCurlCode(result);
    SetResult(code);
    std::lock_guard lock(resultMutex);
    loginRefused = code != kErrorNone && code != kErrorOperationCancelled && !IsSftp() && loginBegun && !loginDone;
    return code;
}

int CFtpConnection::Impl::MapSftpCode(CURLcode result)
{
    int code = kErrorNone;
    std::string text = sftp.ErrorText();
    switch (result) {
    case CURLE_OK: return kErrorNone;
    case CURLE_PEER_FAILED_VERIFICATION: {
        std::lock_guard lock(resultMutex);
        refusedHostKey = sftp.RefusedHostKey();
        return kErrorHostKeyRefused;
    }
    case CURLE_LOGIN_DENIED:
        code = kErrorExtended;
        text = sftp.LoginRefusedText();
        break;
    // The server answered the operation with an SFTP status: a refusal that would come again.
    case CURLE_QUOTE_ERROR:
    case CURLE_REMOTE_ACCESS_DENIED:
    case CURLE_REMOTE_FILE_NOT_FOUND:
    case CURLE_REMOTE_DISK_FULL:
    case CURLE_REMOTE_FILE_EXISTS:
    case CURLE_UPLOAD_FAILED: code = kErrorExtended; break;
    case CURLE_OPERATION_TIMEDOUT:
        code = kErrorTimeout;
        if (stallCut)
            text = FormatText(Tr("SFTP.NoAnswer", "The server did not answer for %ld s: the connection was cut.").c_str(),
                              stallSeconds);
        break;
    // A key file that cannot be read or a passphrase that does not open it.
    case CURLE_SSH:
        code = sawLogin || open ? kErrorConnectionAborted : kErrorExtended;
        break;
    default: code = MapCurlCode(result); break;
    }
    if (!text.empty()) {
        std::lock_guard lock(resultMutex);
        lastResponse = text;
    }
    return code;
}

bool CFtpConnection::Impl::CapTlsAfter(int code)
{
    // The refusal is a 522 reply; but the server drops the data connection's handshake as it sends
    // that reply, and curl may see the dropped handshake first, while the last reply it read is the
    // 150 that opened the data connection.
    const bool refused = performReplyCode == 522 ||
                         (performReplyCode == 150 && (code == kErrorConnectionAborted || code == kErrorSecureChannel));
    if (code == kErrorNone || !encrypted.load() || tls12Cap || !refused || abortRequested.load())
        return false;
    tls12Cap = true;
    std::string reply;
    {
        std::lock_guard lock(resultMutex);
        reply = lastResponse;
    }
    while (!reply.empty() && (reply.back() == '\n' || reply.back() == '\r'))
        reply.pop_back();
    if (log)
        log("! " + FormatText(Tr("FTP.Tls12Fallback", "The server refused a TLS 1.3 data connection (%s): this "
                                                      "connection speaks TLS 1.2 from now on.")
                                  .c_str(),
                              reply.c_str()));
    const std::string directory = currentDir;
    if (!OpenOnce(openHost, openPort, openUser, secret, openPassive))
        return false;
    open = true;
    currentDir = directory;
    currentVerified = false;
    currentAssumed = true; // the new login starts elsewhere: a listing enters the directory first
    return true;
}

int CFtpConnection::Impl::ListCurrent(const char* command, std::string& listing, CURLcode& raw)
{
    listing.clear();
    ResetRequest();
    curl_easy_setopt(curl, CURLOPT_FTP_FILEMETHOD, static_cast<long>(CURLFTPMETHOD_NOCWD));
    if (!IsSftp())
        curl_easy_setopt(curl, CURLOPT_CUSTOMREQUEST, command);
    else if (log)
        log("> ls " + currentDir);
    ListingSink sink{&listing};
    curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, &Impl::Collect);
    curl_easy_setopt(curl, CURLOPT_WRITEDATA, &sink);
    curl_easy_setopt(curl, CURLOPT_LOW_SPEED_LIMIT, kSlowestListing);
    int code = Perform(IsSftp() ? SftpUrl(currentDir, true) : baseUrl, true, &raw);
    curl_easy_setopt(curl, CURLOPT_LOW_SPEED_LIMIT, 1L);
    curl_easy_setopt(curl, CURLOPT_WRITEDATA, nullptr);
    if (sink.tooLong) {
        listing.clear();
        code = kErrorListingTooLong;
        SetResult(code);
    }
    return code;
}

bool CFtpConnection::Impl::EnterAssumed()
{
    if (!currentAssumed)
        return true;
    if (!Quote("CWD " + currentDir))
        return false;
    currentVerified = true;
    currentAssumed = false;
    return true;
}

bool CFtpConnection::Impl::ListDirectory(const char* command, bool walk, std::string& listing)
{
    if (IsSftp()) {
        // The path is in the URL: no directory to enter, and one that is missing is no empty one.
        CURLcode raw = CURLE_OK;
        const int code = ListCurrent(command, listing, raw);
        if (code == kErrorNone && log)
            log("< " + std::to_string(std::count(listing.begin(), listing.end(), '\n')) + " entries");
        else
            LogSftpOutcome(code);
        return code == kErrorNone;
    }
    // A listing is of the server's directory: one only assumed is entered first.
    if (!EnterAssumed())
        return false;
    if (walk)
        UniqueFactOn();
    CURLcode raw = CURLE_OK;
    int code = ListCurrent(command, listing, raw);
    if (CapTlsAfter(code)) {
        if (!EnterAssumed())
            return false;
        code = ListCurrent(command, listing, raw);
    }
    if (sawLogin && code == kErrorNone) {
        // A new control connection starts in the login directory: enter ours and list again.
        if (!Quote("CWD " + currentDir))
            return false;
        if (walk)
            UniqueFactOn();
        code = ListCurrent(command, listing, raw);
    }
    if (walk && code == kErrorNone && performReplyCode == 450) {
        SetResult(kErrorExtended); // refused for now ("file busy"): no empty directory for a walk
        return false;
    }
    if (raw == CURLE_REMOTE_FILE_NOT_FOUND) {
        listing.clear();
        SetResult(kErrorNone); // an empty directory
        return true;
    }
    return code == kErrorNone;
}

std::vector<CFindRecord> CFtpConnection::Impl::KeepEntries(std::vector<CFindRecord> parsed, const std::string& pattern)
{
    std::vector<CFindRecord> records;
    for (CFindRecord& record : parsed) {
        if (!IsSafeEntryName(record.name))
            continue;
        if (pattern.empty() || pattern == "*" || fnmatch(pattern.c_str(), record.name.c_str(), FNM_PERIOD) == 0)
            records.push_back(std::move(record));
    }
    return records;
}

bool CFtpConnection::Impl::UniqueFactOn()
{
    if (!useMlsd || !uniqueOffered)
        return false;
    if (uniqueSentUnasked)
        return true;
    if (uniqueLogin != logins) {
        // Refused, it leaves the facts as they were: the walk then goes by the paths PWD reports.
        uniqueEnabled = Quote("OPTS MLST " + mlstFactsOn + "unique;");
        uniqueLogin = logins; // read after the call, which may have logged in again itself
    }
    return uniqueEnabled;
}

void CFtpConnection::Impl::ReadMlstFacts(const std::string& facts)
{
    std::istringstream list(facts);
    std::string fact;
    while (std::getline(list, fact, ';')) {
        const bool on = !fact.empty() && fact.back() == '*';
        if (on)
            fact.pop_back();
        if (fact.empty())
            continue;
        if (strcasecmp(fact.c_str(), "unique") == 0) {
            uniqueOffered = true;
            uniqueSentUnasked = on;
        } else if (on) {
            mlstFactsOn += fact + ";";
        }
    }
}

CURLcode CFtpConnection::Impl::Run()
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
        const auto now = std::chrono::steady_clock::now();
        if (running && !stallCut && IsSftp() && now - lastMove > std::chrono::seconds(stallSeconds)) {
            CutStalled();
            lastMove = now;
        }
        // A cut connection ends the call at once; should curl still wait for something, it is
        // dropped as an abort drops it.
        if (running && stallCut && now - lastMove > std::chrono::seconds(kQuitWaitSeconds)) {
            curl_multi_remove_handle(multi, curl);
            controlSocket = -1;
            return CURLE_OPERATION_TIMEDOUT;
        }
        if (running)
            curl_multi_poll(multi, nullptr, 0, kMaxWaitMs, nullptr);
    }
    int left = 0;
    while (CURLMsg* message = curl_multi_info_read(multi, &left)) {
        if (message->msg == CURLMSG_DONE && message->easy_handle == curl)
            result = message->data.result;
    }
    if (stallCut)
        result = CURLE_OPERATION_TIMEDOUT; // whatever curl made of the cut connection
    curl_socket_t socket = CURL_SOCKET_BAD;
    if (curl_easy_getinfo(curl, CURLINFO_ACTIVESOCKET, &socket) != CURLE_OK)
        socket = CURL_SOCKET_BAD;
    controlSocket = socket == CURL_SOCKET_BAD ? -1 : static_cast<int>(socket);
    curl_multi_remove_handle(multi, curl);
    return result;
}

void CFtpConnection::Impl::CutStalled()
{
    stallCut = true;
    // Shut, not closed (curl owns the socket): the SSH library fails at once on it, and curl ends
    // the call and closes the connection without waiting for a goodbye from a silent server.
    if (sshSocket >= 0)
        ::shutdown(sshSocket, SHUT_RDWR);
}

bool CFtpConnection::Impl::Quote(const std::string& command, const std::string& before)
{
    if (!CheckOpen())
        return false;
    ResetRequest();
    curl_slist* list = before.empty() ? nullptr : curl_slist_append(nullptr, before.c_str());
    list = curl_slist_append(list, ("*" + command).c_str());
    quoteCommand = command;
    quoteReplyCode = 0;
    beforeCommand = before;
    beforeReplyCode = 0;
    curl_easy_setopt(curl, CURLOPT_QUOTE, list);
    curl_easy_setopt(curl, CURLOPT_NOBODY, 1L);
    curl_easy_setopt(curl, CURLOPT_FTP_FILEMETHOD, static_cast<long>(CURLFTPMETHOD_NOCWD));
    int code = Perform(baseUrl);
    curl_easy_setopt(curl, CURLOPT_QUOTE, nullptr);
    curl_slist_free_all(list);
    quoteCommand.clear();
    beforeCommand.clear();
    if (code == kErrorNone && (quoteReplyCode >= 400 || quoteReplyCode == 0)) {
        code = quoteReplyCode == 0 ? kErrorConnectionAborted : kErrorExtended;
        std::lock_guard lock(resultMutex);
        lastError = code;
        if (quoteReplyCode != 0)
            lastResponse = quoteReply;
    }
    return code == kErrorNone;
}

void CFtpConnection::Impl::ReadFeatures()
{
    if (featuresRead)
        return;
    featuresRead = true;
    useMlsd = false;
    if (IsSftp())
        return;
    mlstFactsOn.clear();
    uniqueOffered = false;
    uniqueSentUnasked = false;
    uniqueLogin = -1;
    if (Quote("FEAT")) {
        std::istringstream lines(quoteReply);
        std::string line;
        while (std::getline(lines, line)) {
            if (line.empty() || line[0] != ' ')
                continue; // the "211-" and "211 " lines; features start with a blank
            const size_t start = line.find_first_not_of(' ');
            const std::string name = start == std::string::npos ? "" : line.substr(start, 4);
            if (strncasecmp(name.c_str(), "MLST", 4) == 0 || strncasecmp(name.c_str(), "MLSD", 4) == 0)
                useMlsd = true;
            if (strncasecmp(name.c_str(), "MLST", 4) == 0 && line.size() > start + 5)
                ReadMlstFacts(line.substr(start + 5));
        }
    }
    SetResult(kErrorNone);
}

bool CFtpConnection::Impl::CheckOpen()
{
    if (curl && open)
        return true;
    SetResult(kErrorIncorrectHandleState);
    return false;
}

bool CFtpConnection::Impl::CheckPath(const std::string& path)
{
    if (!HasUnsafeCharacters(path))
        return true;
    SetResult(kErrorInvalidName);
    return false;
}

std::string CFtpConnection::Impl::Escape(const std::string& segment) const
{
    char* escaped = curl_easy_escape(curl, segment.c_str(), static_cast<int>(segment.size()));
    std::string text = escaped ? escaped : "";
    curl_free(escaped);
    return text;
}

std::string CFtpConnection::Impl::DirectoryUrl(const std::string& dir) const
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

void CFtpConnection::Impl::ApplyTimeouts()
{
    curl_easy_setopt(curl, CURLOPT_CONNECTTIMEOUT, connectSeconds);
    curl_easy_setopt(curl, CURLOPT_ACCEPTTIMEOUT_MS, connectSeconds * 1000);
    curl_easy_setopt(curl, CURLOPT_LOW_SPEED_LIMIT, 1L);
    curl_easy_setopt(curl, CURLOPT_LOW_SPEED_TIME, stallSeconds);
    curl_easy_setopt(curl, CURLOPT_SERVER_RESPONSE_TIMEOUT, stallSeconds);
}

void CFtpConnection::Impl::SetupHandle(const std::string& user, const std::string& password, bool passive)
{
    // What both protocols share: our callbacks, the buffers, the keep-alive and the time-outs.
    curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(curl, CURLOPT_VERBOSE, 1L);
    curl_easy_setopt(curl, CURLOPT_DEBUGFUNCTION, &Impl::Debug);
    curl_easy_setopt(curl, CURLOPT_DEBUGDATA, this);
    curl_easy_setopt(curl, CURLOPT_NOPROGRESS, 0L);
    curl_easy_setopt(curl, CURLOPT_XFERINFOFUNCTION, &Impl::Progress);
    curl_easy_setopt(curl, CURLOPT_XFERINFODATA, this);
    curl_easy_setopt(curl, CURLOPT_UPLOAD_BUFFERSIZE, 512L * 1024L);
    curl_easy_setopt(curl, CURLOPT_BUFFERSIZE, 256L * 1024L);
    curl_easy_setopt(curl, CURLOPT_TCP_KEEPALIVE, 1L);
    ApplyTimeouts();
    curl_easy_setopt(curl, CURLOPT_SOCKOPTFUNCTION, &Impl::OnSocketOpened);
    curl_easy_setopt(curl, CURLOPT_SOCKOPTDATA, this);
    curl_easy_setopt(curl, CURLOPT_CLOSESOCKETFUNCTION, &Impl::OnSocketClosing);
    curl_easy_setopt(curl, CURLOPT_CLOSESOCKETDATA, this);
    if (IsSftp()) {
        curl_easy_setopt(curl, CURLOPT_NEW_DIRECTORY_PERMS, 0755L);
        curl_easy_setopt(curl, CURLOPT_NEW_FILE_PERMS, 0644L);
        tlsSetupFailed = !sftp.Setup(curl, user, password);
        return;
    }
    // FTP: the data connection's socket is followed (see BytesTaken), the login, the mode.
    curl_easy_setopt(curl, CURLOPT_USERNAME, user.empty() ? "anonymous" : user.c_str());
    curl_easy_setopt(curl, CURLOPT_PASSWORD, password.c_str());
    curl_easy_setopt(curl, CURLOPT_FTPPORT, passive ? nullptr : "-");
    curl_easy_setopt(curl, CURLOPT_FTP_CREATE_MISSING_DIRS, static_cast<long>(CURLFTP_CREATE_DIR_NONE));
    SetupTls();
}

CURLcode CFtpConnection::Impl::SslContext(CURL*, void* sslContext, void* data)
{
    return static_cast<CTlsCertificateCheck*>(data)->InstallOnContext(sslContext) ? CURLE_OK
                                                                                   : CURLE_SSL_CERTPROBLEM;
}

void CFtpConnection::Impl::SetupTls()
{
    long use = CURLUSESSL_NONE;
    switch (encryption) {
    case FtpEncryption::ExplicitIfAvailable:
        use = tlsKnownAbsent || plainConsented ? CURLUSESSL_NONE : CURLUSESSL_ALL;
        break;
    case FtpEncryption::RequireExplicit:
    case FtpEncryption::Implicit: use = CURLUSESSL_ALL; break;
    case FtpEncryption::Plain: use = CURLUSESSL_NONE; break;
    }
    // Every option that protects the connection is checked: one that does not take fails the
    // connection rather than letting it go on with less protection than asked for.
    tlsSetupFailed = curl_easy_setopt(curl, CURLOPT_USE_SSL, use) != CURLE_OK;
    if (use == CURLUSESSL_NONE)
        return;
    tlsSetupFailed = tlsSetupFailed ||
                     curl_easy_setopt(curl, CURLOPT_FTPSSLAUTH, static_cast<long>(CURLFTPAUTH_TLS)) != CURLE_OK;
    // TLS 1.2 at least, 1.3 when the server speaks it. Under TLS 1.3 a data connection's new
    // session ticket replaces the control connection's session in curl's cache, and servers that
    // insist on the control session being resumed (vsftpd) then refuse the next data connection:
    // CapTlsAfter caps such a connection at 1.2.
    const long range = static_cast<long>(CURL_SSLVERSION_TLSv1_2) |
                       (tls12Cap ? static_cast<long>(CURL_SSLVERSION_MAX_TLSv1_2) : static_cast<long>(CURL_SSLVERSION_MAX_DEFAULT));
    tlsSetupFailed = tlsSetupFailed || curl_easy_setopt(curl, CURLOPT_SSLVERSION, range) != CURLE_OK;
    curl_easy_setopt(curl, CURLOPT_SSL_SESSIONID_CACHE, 1L);
    // curl's own checks of the chain and the host name are on unless ours is installed: a curl
    // built on another TLS library, which has no SSL_CTX for us, verifies as curl does.
    tlsSetupFailed = tlsSetupFailed || curl_easy_setopt(curl, CURLOPT_SSL_VERIFYPEER, 1L) != CURLE_OK ||
                     curl_easy_setopt(curl, CURLOPT_SSL_VERIFYHOST, 2L) != CURLE_OK;
    // Ours verifies the chain against the system's store and the host name, and fails the
    // handshake unless both pass or the fingerprint is trusted; with it, curl's checks go off, so
    // that curl does not read the whole trust store for every connection.
    if (curl_easy_setopt(curl, CURLOPT_SSL_CTX_DATA, &tlsCheck) == CURLE_OK &&
        curl_easy_setopt(curl, CURLOPT_SSL_CTX_FUNCTION, &Impl::SslContext) == CURLE_OK) {
        curl_easy_setopt(curl, CURLOPT_SSL_VERIFYPEER, 0L);
        curl_easy_setopt(curl, CURLOPT_SSL_VERIFYHOST, 0L);
    }
}

bool CFtpConnection::Impl::OpenOnce(const std::string& host, int port, const std::string& user,
                                    const std::string& password, bool passive)
{
    Cleanup();
    tlsCheck.ClearRefused();
    curl = curl_easy_init();
    if (!curl) {
        SetResult(kErrorInternal);
        return false;
    }
    commandsSent = 0;
    authAccepted = false;
    loginSocket = -1;
    if (log)
        log("* " + FormatText(Tr("FTP.Connecting", "Connecting to %s:%d ...").c_str(), HostName(host).c_str(),
                              EffectivePort(port, encryption, protocol)));
    baseUrl = IsSftp() ? "sftp://" + BracketedHost(host) + ":" + std::to_string(EffectivePort(port, encryption, protocol))
                       : BaseUrl(host, EffectivePort(port, encryption), encryption == FtpEncryption::Implicit);
    SetupHandle(user, password, passive);
    if (tlsSetupFailed) {
        SetResult(kErrorSecureChannel);
        Cleanup();
        return false;
    }
    ResetRequest();
    entryDirectory.clear();
    curl_easy_setopt(curl, CURLOPT_NOBODY, 1L);
    curl_easy_setopt(curl, CURLOPT_FTP_FILEMETHOD, static_cast<long>(CURLFTPMETHOD_NOCWD));
    // Over SFTP the login is followed by "pwd", which names the directory the login is in.
    curl_slist* pwd = IsSftp() ? curl_slist_append(nullptr, "pwd") : nullptr;
    curl_easy_setopt(curl, CURLOPT_QUOTE, pwd);
    // curl's "pwd" names the URL's path: "/~/" is the login directory.
    const int opened = Perform(IsSftp() ? baseUrl + "/~/" : baseUrl);
    curl_easy_setopt(curl, CURLOPT_QUOTE, nullptr);
    curl_slist_free_all(pwd);
    if (opened != kErrorNone) {
        if (IsSftp())
            LogSftpOutcome(opened);
        Cleanup();
        return false;
    }
    passwordGate.reset(); // the first login's word counted for this one only
    if (IsSftp()) {
        encrypted = true;
        fellBack = false;
        return true;
    }
    encrypted = encryption == FtpEncryption::Implicit || (encryption != FtpEncryption::Plain && authAccepted);
    fellBack = encryption == FtpEncryption::ExplicitIfAvailable && !authAccepted;
    if (fellBack && log)
        log("! " + PlainFallbackText(HostName(host), EffectivePort(port, encryption)));
    if (encrypted && plainPolicy.offered)
        plainPolicy.offered(HostName(host), EffectivePort(port, encryption));
    return true;
}

int CFtpConnection::Impl::LastErrorCode() const
{
    std::lock_guard lock(resultMutex);
    return lastError;
}

bool CFtpConnection::Impl::PlainAllowed(const std::string& host, int port)
{
    if (plainPolicy.tlsExpected) {
        SetResult(kErrorTlsWithdrawn);
        return false;
    }
    if ((plainPolicy.consent ? plainPolicy.consent(host, port) : PlainConsent::Refuse) == PlainConsent::Refuse) {
        SetResult(kErrorPlainNotAllowed);
        return false;
    }
    plainConsented = true;
    return true;
}

std::string CFtpConnection::Impl::BracketedHost(const std::string& server)
{
    std::string host = HostName(server);
    if (host.find(':') != std::string::npos && host.front() != '[')
        host = "[" + host + "]";
    return host;
}

std::string CFtpConnection::Impl::BaseUrl(const std::string& server, int port, bool implicitTls)
{
    return (implicitTls ? "ftps://" : "ftp://") + BracketedHost(server) + ":" + std::to_string(port) + "/";
}

bool CFtpConnection::Impl::ControlLooksAlive() const
{
    if (controlSocket < 0)
        return false;
    pollfd probe{controlSocket, POLLIN, 0};
    return ::poll(&probe, 1, 0) == 0;
}

void CFtpConnection::Impl::CloseBounded()
{
    // The closing commands report nothing; the callbacks stay for a later Open.
    StatusCallback keptStatus = std::move(status);
    LogCallback keptLog = std::move(log);
    status = nullptr;
    log = nullptr;
    if (IsSftp() && curl && open && !abortRequested.load() && ControlLooksAlive()) {
        // curl says goodbye to the SSH server itself; the reply time-out bounds the wait.
        curl_easy_setopt(curl, CURLOPT_SERVER_RESPONSE_TIMEOUT, kQuitWaitSeconds);
    } else if (curl && open && !abortRequested.load() && ControlLooksAlive()) {
        // The reply time-out of the last call is the one the QUIT is awaited with.
        curl_easy_setopt(curl, CURLOPT_SERVER_RESPONSE_TIMEOUT, kQuitWaitSeconds);
        if (!Quote("NOOP") && controlSocket >= 0)
            ::shutdown(controlSocket, SHUT_RDWR);
    } else if (controlSocket >= 0) {
        ::shutdown(controlSocket, SHUT_RDWR);
    }
    Cleanup();
    status = std::move(keptStatus);
    log = std::move(keptLog);
}

std::string CFtpConnection::Impl::SftpUrl(const std::string& path, bool dir) const
{
    return CSftpSession::Url(baseUrl, path, dir);
}

void CFtpConnection::Impl::LogSftpOutcome(int code)
{
    // An abort is ours (Stop, or a login nobody needed any more): the server said nothing.
    if (!log || code == kErrorOperationCancelled)
        return;
    if (code == kErrorNone) {
        log("< " + Tr("SFTP.Done", "done"));
        return;
    }
    std::string text;
    {
        std::lock_guard lock(resultMutex);
        text = code == kErrorExtended || stallCut ? lastResponse : sftp.ErrorText();
    }
    log("< " + (text.empty() ? "error " + std::to_string(code) : text));
}

bool CFtpConnection::Impl::SftpOperation(const std::string& name, const std::string& path, const std::string& to)
{
    if (!CheckOpen())
        return false;
    std::string command = name + " " + CSftpSession::QuotedPath(path);
    if (!to.empty())
        command += " " + CSftpSession::QuotedPath(to);
    ResetRequest();
    curl_slist* list = curl_slist_append(nullptr, command.c_str());
    curl_easy_setopt(curl, CURLOPT_QUOTE, list);
    curl_easy_setopt(curl, CURLOPT_NOBODY, 1L);
    ++commandsSent;
    if (log)
        log("> " + name + " " + path + (to.empty() ? "" : " " + to));
    const int code = Perform(baseUrl + "/");
    curl_easy_setopt(curl, CURLOPT_QUOTE, nullptr);
    curl_slist_free_all(list);
    LogSftpOutcome(code);
    return code == kErrorNone;
}

bool CFtpConnection::Impl::SftpIsDirectory(const std::string& path)
{
    if (!CheckOpen())
        return false;
    ResetRequest();
    curl_easy_setopt(curl, CURLOPT_DIRLISTONLY, 1L);
    ++commandsSent;
    if (log)
        log("> opendir " + path);
    const int code = Perform(SftpUrl(path, true));
    curl_easy_setopt(curl, CURLOPT_DIRLISTONLY, 0L);
    LogSftpOutcome(code);
    return code == kErrorNone;
}

void CFtpConnection::Impl::Cleanup()
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

} // namespace skerrow
