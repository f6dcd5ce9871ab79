#include "ftp/CFtpConnection.h"

#include <curl/curl.h>
#include <fnmatch.h>
#include <sstream>
#include <strings.h>

#include "app/CStringTable.h"
#include "ftp/CFtpListParser.h"
#include "ftp/CTlsCertificateCheck.h"
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

// A listed name must name an entry of the listed directory and nothing else: never "." or ".."
// (which "LIST -a" names on some servers), nor a path.
bool IsSafeEntryName(const std::string& name)
{
    return !name.empty() && name != "." && name != ".." && name.find_first_of("/\\") == std::string::npos &&
           !HasUnsafeCharacters(name);
}

} // namespace

// The longest a call sleeps in one wait for its sockets. curl 7.88 sometimes sets no timer while a
// data connection's host is resolved and would then sleep a whole second per file.
constexpr int kMaxWaitMs = 10;

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
    std::atomic<bool> abortRequested{false};

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

    // Encryption: the mode, the certificate check, and what the last login's AUTH was answered.
    FtpEncryption encryption = FtpEncryption::ExplicitIfAvailable;
    CTlsCertificateCheck tlsCheck;
    std::string rememberedFingerprint;
    CertificateCheck certificateCheck;
    bool awaitingAuth = false;
    bool authAccepted = false;
    std::atomic<bool> encrypted{false};
    std::atomic<bool> fellBack{false};
    CCertificateInfo refusedCertificate; // guarded by resultMutex

    bool sawLogin = false; // the call (re)connected and logged in
    // What FEAT announced, read before the first listing: MLSD lists with exact names and types.
    bool featuresRead = false;
    bool useMlsd = false;
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
        if (log)
            log("< " + line);
        if (!replyOpen) {
            replyLines.clear();
            replyOpen = true;
        }
        replyLines += line;
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
        if (awaitingAuth) {
            awaitingAuth = false;
            authAccepted = performReplyCode == 234 || performReplyCode == 334;
        }
        if (awaitingQuote) {
            quoteReplyCode = performReplyCode;
            quoteReply = replyLines;
            awaitingQuote = false;
        }
        std::lock_guard lock(resultMutex);
        lastResponse = replyLines;
    }

    void OnCommand(std::string line)
    {
        while (!line.empty() && (line.back() == '\n' || line.back() == '\r'))
            line.pop_back();
        ++commandsSent;
        awaitingPwd = line == "PWD";
        awaitingAuth = line.compare(0, 5, "AUTH ") == 0;
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
        if (self->inTransferStatus && ulnow != self->lastReportedBytes) {
            self->lastReportedBytes = ulnow;
            if (self->status)
                self->status(kStatusRequestSent, static_cast<uint64_t>(ulnow));
        }
        return 0;
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
        case CURLE_USE_SSL_FAILED: return kErrorTlsNotOffered;
        case CURLE_PEER_FAILED_VERIFICATION: return tlsCheck.HasRefused() ? kErrorInvalidCa : kErrorSecureChannel;
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
            inTransfer = true;
            abortRequested = false;
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
        {
            std::lock_guard lock(abortMutex);
            inTransfer = false;
            abortRequested = false;
        }
        if (notify && status)
            status(kStatusHandleClosing, 0);
        if (raw)
            *raw = result;
        const int code = MapCurlCode(result);
        SetResult(code);
        return code;
    }

    // MLSD of the server's current directory when FEAT announced it, else "LIST -a" (hidden
    // entries too; some servers hide them from a plain LIST).
    int ListCurrent(std::string& listing, CURLcode& raw)
    {
        listing.clear();
        ResetRequest();
        curl_easy_setopt(curl, CURLOPT_FTP_FILEMETHOD, static_cast<long>(CURLFTPMETHOD_NOCWD));
        curl_easy_setopt(curl, CURLOPT_CUSTOMREQUEST, useMlsd ? "MLSD" : "LIST -a");
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

    // Asks FEAT once per connection. MLST in the list (RFC 3659) announces MLSD as well. A server
    // that refuses FEAT is listed with LIST.
    void ReadFeatures()
    {
        if (featuresRead)
            return;
        featuresRead = true;
        useMlsd = false;
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
            }
        }
        SetResult(kErrorNone);
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

    // URL of an absolute directory, ending in "/": curl enters it with one CWD.
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
        if (dir.size() <= 1)
            url += '/';
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
        curl_easy_setopt(curl, CURLOPT_USERNAME, user.empty() ? "anonymous" : user.c_str());
        curl_easy_setopt(curl, CURLOPT_PASSWORD, password.c_str());
        curl_easy_setopt(curl, CURLOPT_FTPPORT, passive ? nullptr : "-");
        curl_easy_setopt(curl, CURLOPT_FTP_CREATE_MISSING_DIRS, static_cast<long>(CURLFTP_CREATE_DIR_NONE));
        curl_easy_setopt(curl, CURLOPT_UPLOAD_BUFFERSIZE, 512L * 1024L);
        curl_easy_setopt(curl, CURLOPT_BUFFERSIZE, 256L * 1024L);
        curl_easy_setopt(curl, CURLOPT_TCP_KEEPALIVE, 1L);
        ApplyTimeouts();
        SetupTls();
    }

    static CURLcode SslContext(CURL*, void* sslContext, void* data)
    {
        return static_cast<CTlsCertificateCheck*>(data)->InstallOnContext(sslContext) ? CURLE_OK
                                                                                       : CURLE_SSL_CERTPROBLEM;
    }

    // PROT P on the data connections comes with CURLUSESSL_TRY and _ALL alike; curl resumes the
    // control connection's TLS session on them (servers such as vsftpd insist on it).
    void SetupTls()
    {
        long use = CURLUSESSL_NONE;
        switch (encryption) {
        case FtpEncryption::ExplicitIfAvailable: use = CURLUSESSL_TRY; break;
        case FtpEncryption::RequireExplicit:
        case FtpEncryption::Implicit: use = CURLUSESSL_ALL; break;
        case FtpEncryption::Plain: use = CURLUSESSL_NONE; break;
        }
        curl_easy_setopt(curl, CURLOPT_USE_SSL, use);
        if (use == CURLUSESSL_NONE)
            return;
        curl_easy_setopt(curl, CURLOPT_FTPSSLAUTH, static_cast<long>(CURLFTPAUTH_TLS));
        // TLS 1.2 only: under TLS 1.3 a data connection's new session ticket replaces the control
        // connection's session in curl's cache, and servers that insist on the control session
        // being resumed (vsftpd) then refuse the next data connection.
        constexpr long kTls12 = CURL_SSLVERSION_TLSv1_2;
        curl_easy_setopt(curl, CURLOPT_SSLVERSION, kTls12 | (kTls12 << 16)); // at least and at most 1.2
        curl_easy_setopt(curl, CURLOPT_SSL_SESSIONID_CACHE, 1L);
        // The certificate check verifies the chain against the system's store and the host name,
        // and fails the handshake unless both pass or the fingerprint is trusted; curl's own
        // checks stay off, so that curl does not read the whole trust store for every connection.
        curl_easy_setopt(curl, CURLOPT_SSL_VERIFYPEER, 0L);
        curl_easy_setopt(curl, CURLOPT_SSL_VERIFYHOST, 0L);
        curl_easy_setopt(curl, CURLOPT_SSL_CTX_FUNCTION, &Impl::SslContext);
        curl_easy_setopt(curl, CURLOPT_SSL_CTX_DATA, &tlsCheck);
    }

    // One attempt to connect and log in; the caller has reset the certificate check.
    bool OpenOnce(const std::string& host, int port, const std::string& user, const std::string& password,
                  bool passive)
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
        baseUrl = BaseUrl(host, EffectivePort(port, encryption), encryption == FtpEncryption::Implicit);
        SetupHandle(user, password, passive);
        ResetRequest();
        entryDirectory.clear();
        curl_easy_setopt(curl, CURLOPT_NOBODY, 1L);
        curl_easy_setopt(curl, CURLOPT_FTP_FILEMETHOD, static_cast<long>(CURLFTPMETHOD_NOCWD));
        if (Perform(baseUrl) != kErrorNone) {
            Cleanup();
            return false;
        }
        encrypted = encryption == FtpEncryption::Implicit || (encryption != FtpEncryption::Plain && authAccepted);
        fellBack = encryption == FtpEncryption::ExplicitIfAvailable && !authAccepted;
        if (fellBack && log)
            log("! " + PlainFallbackText());
        return true;
    }

    static std::string BaseUrl(const std::string& server, int port, bool implicitTls)
    {
        std::string host = HostName(server);
        if (host.find(':') != std::string::npos && host.front() != '[')
            host = "[" + host + "]";
        return (implicitTls ? "ftps://" : "ftp://") + host + ":" + std::to_string(port) + "/";
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
    d.encrypted = false;
    d.fellBack = false;
    {
        std::lock_guard result(d.resultMutex);
        d.refusedCertificate = CCertificateInfo();
    }
    if (HasUnsafeCharacters(host) || HasUnsafeCharacters(user) || HasUnsafeCharacters(password)) {
        d.SetResult(kErrorInvalidName);
        return false;
    }
    d.tlsCheck.Reset(HostName(host), EffectivePort(port, d.encryption), d.rememberedFingerprint);
    // A certificate the user trusts is accepted on a new attempt; a server that shows yet another
    // one then is asked about again, a few times at most.
    for (int attempt = 0; !d.OpenOnce(host, port, user, password, passive); ++attempt) {
        if (!d.tlsCheck.HasRefused())
            return false;
        const CCertificateInfo info = d.tlsCheck.Refused();
        {
            std::lock_guard result(d.resultMutex);
            d.refusedCertificate = info;
        }
        const CertificateTrust trust =
            attempt < 3 && d.certificateCheck ? d.certificateCheck(info) : CertificateTrust::Reject;
        if (trust == CertificateTrust::Reject) {
            d.SetResult(kErrorInvalidCa);
            return false;
        }
        d.tlsCheck.Accept(info.fingerprint);
    }
    {
        std::lock_guard result(d.resultMutex);
        d.refusedCertificate = CCertificateInfo();
    }
    d.currentDir = d.entryDirectory.empty() || d.entryDirectory[0] != '/' ? "/" : ResolvePath("/", d.entryDirectory);
    d.currentVerified = false;
    d.featuresRead = false;
    d.useMlsd = false;
    d.open = true;
    return true;
}

void CFtpConnection::Close()
{
    Abort();
    std::lock_guard lock(m_impl->opMutex);
    m_impl->Cleanup();
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
    d.ReadFeatures();
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
    for (CFindRecord& record : CFtpListParser::ParseListing(listing, d.useMlsd)) {
        if (!IsSafeEntryName(record.name))
            continue;
        if (pattern.empty() || pattern == "*" || fnmatch(pattern.c_str(), record.name.c_str(), FNM_PERIOD) == 0)
            records.push_back(std::move(record));
    }
    return true;
}

void CFtpConnection::SetEncryption(FtpEncryption encryption)
{
    std::lock_guard lock(m_impl->opMutex);
    m_impl->encryption = encryption;
}

void CFtpConnection::SetCertificateCheck(const std::string& remembered, CertificateCheck check)
{
    std::lock_guard lock(m_impl->opMutex);
    m_impl->rememberedFingerprint = remembered;
    m_impl->certificateCheck = std::move(check);
}

bool CFtpConnection::IsEncrypted() const
{
    return m_impl->encrypted.load();
}

bool CFtpConnection::FellBackToPlain() const
{
    return m_impl->fellBack.load();
}

CCertificateInfo CFtpConnection::RefusedCertificate() const
{
    std::lock_guard lock(m_impl->resultMutex);
    return m_impl->refusedCertificate;
}

int CFtpConnection::EffectivePort(int port, FtpEncryption encryption)
{
    if (port > 0)
        return port;
    return encryption == FtpEncryption::Implicit ? 990 : 21;
}

std::string CFtpConnection::HostName(const std::string& server)
{
    std::string host = server;
    if (host.compare(0, 6, "ftp://") == 0)
        host.erase(0, 6);
    else if (host.compare(0, 7, "ftps://") == 0)
        host.erase(0, 7);
    while (!host.empty() && host.back() == '/')
        host.pop_back();
    return host;
}

std::string CFtpConnection::PlainFallbackText()
{
    return Tr("FTP.PlainFallback", "The server does not offer TLS: this connection is not encrypted.");
}

void CFtpConnection::Abort()
{
    std::lock_guard lock(m_impl->abortMutex);
    if (m_impl->inTransfer)
        m_impl->abortRequested = true;
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
