#pragma once
// The inside of CFtpConnection: one curl easy handle on a multi handle of its own that keeps the
// control connection between calls, the replies and commands read from curl's debug stream, the
// result of the last call, and the encryption of the connection. Only CFtpConnection uses it.

#include <curl/curl.h>

#include <atomic>
#include <chrono>
#include <mutex>
#include <string>

#include "ftp/CFtpConnection.h"
#include "ftp/CSftpSession.h"
#include "ftp/CPasswordGate.h"
#include "ftp/CTlsCertificateCheck.h"

namespace skerrow {

struct CFtpConnection::Impl {
    // Whether a path, name or login text holds characters that would end an FTP command.
    static bool HasUnsafeCharacters(const std::string& text);
    // A listed name must name an entry of the listed directory and nothing else: never "." or
    // ".." (which "LIST -a" names on some servers), nor a path.
    static bool IsSafeEntryName(const std::string& name);

    CURL* curl = nullptr;
    CURLM* multi = nullptr; // holds the control connection between calls
    std::string baseUrl; // "ftp://host:port/"
    std::string currentDir;
    bool currentVerified = false; // currentDir was entered on the server (not only read with PWD)
    bool currentAssumed = false;  // currentDir was named by AssumeDirectory: the server is elsewhere
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
    // The command sent before it in the same call (RNFR before RNTO), and the code of its reply.
    std::string beforeCommand;
    bool awaitingBefore = false;
    int beforeReplyCode = 0;

    // SFTP in place of FTP, and what it needs (the login, the host-key check, curl's error text).
    std::atomic<FtpProtocol> protocol{FtpProtocol::Ftp};
    CSftpSession sftp;
    bool IsSftp() const { return protocol.load() == FtpProtocol::Sftp; }
    CSshHostKey refusedHostKey; // guarded by resultMutex

    // Encryption: the mode, the certificate check, and what the last login's AUTH was answered.
    FtpEncryption encryption = FtpEncryption::ExplicitIfAvailable;
    CTlsCertificateCheck tlsCheck;
    std::string rememberedFingerprint;
    CertificateCheck certificateCheck;
    bool tlsKnownAbsent = false; // explicit TLS if available: skip the AUTH the server refuses
    CPlainFtpPolicy plainPolicy;
    bool plainConsented = false; // this Open goes on without TLS: the policy allowed it
    bool tlsSetupFailed = false; // an option that protects the connection did not take
    // TLS 1.3 is used unless a data connection under it was refused (vsftpd's session reuse): from
    // then on this connection speaks TLS 1.2, logging in again with what Open was given.
    bool tls12Cap = false;
    std::string openHost;
    int openPort = 0;
    std::string openUser;
    bool openPassive = true;
    bool awaitingAuth = false;
    bool authAccepted = false;
    std::atomic<bool> encrypted{false};
    std::atomic<bool> fellBack{false};
    CCertificateInfo refusedCertificate; // guarded by resultMutex
    std::string loginDirectory = "/";     // guarded by resultMutex

    bool sawLogin = false; // the call (re)connected and logged in
    // The login of the call: begun (a greeting came before any command of the call, or USER was
    // sent) and ended with 230; a failed call whose login began and did not end was refused at
    // the login (loginRefused, guarded by resultMutex).
    int callCommands = 0;
    bool loginBegun = false;
    bool loginDone = false;
    bool loginRefused = false;
    // What FEAT announced, read before the first listing: MLSD lists with exact names and types.
    bool featuresRead = false;
    bool useMlsd = false;
    // The MLST facts FEAT announced: those sent unasked ("type;size;" of "type*;size*;"), whether
    // "unique" is offered and whether it is sent unasked.
    std::string mlstFactsOn;
    bool uniqueOffered = false;
    bool uniqueSentUnasked = false;
    // Logins of this connection (curl logs in again on a new control connection, which forgets
    // OPTS): the one on which OPTS MLST was last answered, and whether it enabled "unique".
    int logins = 0;
    int uniqueLogin = -1;
    bool uniqueEnabled = false;
    std::atomic<int> commandsSent{0};
    StatusCallback status;
    LogCallback log;
    std::function<void()> greeted; // once, then cleared
    // The run's first login, which this one waits for at the password prompt (none: it does not);
    // the control socket of the login under way, cut when the password is not to go.
    std::shared_ptr<CPasswordGate> passwordGate;
    int loginSocket = -1;
    bool userSent = false; // the last command was USER
    long connectSeconds = 30;
    long stallSeconds = 60;
    curl_off_t lastReportedBytes = -1;

    // Replies and commands ---------------------------------------------------------------------

    void OnReplyLine(std::string line);
    void OnCommand(std::string line);
    static std::string ParsePwdReply(const std::string& line);
    // At the password prompt: waits for the run's first login; cuts the connection before PASS
    // when that login did not succeed or this one was aborted meanwhile.
    void HoldPassword();
    static int Debug(CURL*, curl_infotype type, char* data, size_t size, void* userdata);
    static int Progress(void* userdata, curl_off_t, curl_off_t dlnow, curl_off_t, curl_off_t ulnow);

    // The password, masked in every reply this object keeps or logs: a server that echoes it
    // shows it neither in the log nor in a row's error text.
    std::string secret;
    std::string Masked(std::string line) const;

    // Progress counts what the server has taken, not what was handed to the kernel: the upload's
    // data socket is remembered when curl opens it, what it still holds unsent is subtracted, and
    // when curl lets it go it is only shut for writing (the server sees the end of the file all
    // the same) and kept until the reply to the upload has come.
    int dataSocket = -1;
    bool dataSocketHeld = false;
    // SFTP: the socket of the SSH connection while curl has it open (-1: none).
    int sshSocket = -1;
    static int OnSocketOpened(void* userdata, curl_socket_t socket, curlsocktype);
    static int OnSocketClosing(void* userdata, curl_socket_t socket);
    void ReleaseDataSocket();
    curl_off_t BytesTaken(curl_off_t handed) const;

    static size_t Discard(char*, size_t size, size_t count, void*) { return size * count; }

    // Where a listing goes while it arrives, and how many lines it has so far.
    struct ListingSink {
        std::string* text = nullptr;
        size_t lines = 0;
        bool tooLong = false;
    };
    static size_t Collect(char* data, size_t size, size_t count, void* userdata);
    bool inTransferStatus = false;

    // Results -------------------------------------------------------------------------------------

    void SetResult(int code);
    int LastErrorCode() const;
    // After a refused AUTH TLS: asks the plain-FTP policy; true when the login may go on without
    // TLS, else the result says why not.
    bool PlainAllowed(const std::string& host, int port);
    int MapCurlCode(CURLcode code) const;

    // curl calls ------------------------------------------------------------------------------------

    void ResetRequest();

    // One STOR of localPath as remoteName in the current directory; the error code.
    int PutOnce(const std::string& localPath, const std::string& remoteName, bool ascii);
    // After a failed call: when the server refused a TLS 1.3 data connection (reply 522, or the data
    // connection dropped right after the 150 that opened it), caps the connection at TLS 1.2, logs
    // in again and says so in the log; true when the call may be repeated.
    bool CapTlsAfter(int code);

    // Runs the prepared request; records and returns the error code (0 on success). An upload or a
    // listing (notify) reports its start, progress and end through the status callback.
    int Perform(const std::string& url, bool notify = false, CURLcode* raw = nullptr);

    // The listing command on the server's current directory: MLSD, or "LIST -a" (hidden entries
    // too; some servers hide them from a plain LIST).
    int ListCurrent(const char* command, std::string& listing, CURLcode& raw);
    const char* ListCommand() const { return useMlsd ? "MLSD" : "LIST -a"; }
    // Enters the current directory on the server when it was only assumed.
    bool EnterAssumed();
    // Lists the current directory with command, again after a new login (in the current directory
    // then). A "file not found" is an empty directory. For a walk, the unique fact is enabled first
    // on each login, and a 450 (which curl reads as "no files") fails the listing.
    bool ListDirectory(const char* command, bool walk, std::string& listing);
    // The entries of a parsed listing that name entries of the listed directory and match pattern.
    static std::vector<CFindRecord> KeepEntries(std::vector<CFindRecord> parsed, const std::string& pattern);
    // Whether MLSD entries carry the unique fact on this login; when the server offers it without
    // sending it unasked, OPTS MLST enables it (with the facts already on) once per login.
    bool UniqueFactOn();
    void ReadMlstFacts(const std::string& facts);

    // SFTP ---------------------------------------------------------------------------------------------

    // The URL of an absolute path on the SFTP server (a directory's ends in "/").
    std::string SftpUrl(const std::string& path, bool dir) const;
    // One SFTP operation through curl's quote list ("mkdir", "rmdir", "rm", "rename"), logged as a
    // line with its outcome; a refusal gives kErrorExtended with curl's text as the response.
    bool SftpOperation(const std::string& name, const std::string& path, const std::string& to = std::string());
    // Whether path is a directory the server lets us read: it is opened for a listing of names.
    bool SftpIsDirectory(const std::string& path);
    // Logs the outcome of an SFTP call ("< done", or the text of its failure).
    void LogSftpOutcome(int code);
    // The error code of a finished SFTP call, with the failure's text kept as the response.
    int MapSftpCode(CURLcode code);

    // curl_easy_perform on our own multi handle, with a bounded wait. Over SFTP, a call in which
    // nothing moves (no byte, no word from curl) for the stall time is cut and times out: curl
    // itself bounds only the transfers of file bytes, never an operation or a listing whose
    // answer does not come.
    CURLcode Run();
    // Something moved on the connection: the stall time starts again.
    void Moved() { lastMove = std::chrono::steady_clock::now(); }
    std::chrono::steady_clock::time_point lastMove;
    curl_off_t lastDownloaded = -1;
    curl_off_t lastUploaded = -1;
    // The call was cut by Run for want of progress: its connection is shut for curl to find dead
    // (without a socket to shut, Run drops the call a moment later).
    bool stallCut = false;
    void CutStalled();

    // One command through the quote list; a refusal is read from its reply code. A command given
    // as before goes first, right before it with nothing in between, and a refusal of it ends the
    // call (RNFR before RNTO; beforeReplyCode tells it).
    bool Quote(const std::string& command, const std::string& before = std::string());

    // Asks FEAT once per connection. MLST in the list (RFC 3659) announces MLSD as well. A server
    // that refuses FEAT is listed with LIST.
    void ReadFeatures();
    bool CheckOpen();
    bool CheckPath(const std::string& path);
    std::string Escape(const std::string& segment) const;

    // URL of an absolute directory, to which a file name is appended: the file's full path. The
    // root is "%2F" alone, so that a file there is "/name", never "//name".
    std::string DirectoryUrl(const std::string& dir) const;
    void ApplyTimeouts();
    void SetupHandle(const std::string& user, const std::string& password, bool passive);
    static CURLcode SslContext(CURL*, void* sslContext, void* data);

    // PROT P on the data connections comes with CURLUSESSL_TRY and _ALL alike; curl resumes the
    // control connection's TLS session on them (servers such as vsftpd insist on it).
    void SetupTls();

    // One attempt to connect and log in; the caller has reset the certificate check.
    bool OpenOnce(const std::string& host, int port, const std::string& user, const std::string& password,
                  bool passive);

    static std::string BaseUrl(const std::string& server, int port, bool implicitTls);
    // The host of a server setting as a URL names it (an IPv6 address in brackets).
    static std::string BracketedHost(const std::string& server);
    // True when the control connection looks alive: no end of file, error or unread reply (an
    // idle server that closes it sends 421 first).
    bool ControlLooksAlive() const;
    // Ends the connection without ever waiting long for the server: a live, healthy connection
    // gets its QUIT, its answer awaited a short while; any other is cut at once.
    void CloseBounded();
    // Closes the connection (QUIT) and frees the handles.
    void Cleanup();
};

} // namespace skerrow
