#pragma once
// One FTP control connection for a whole run, over libcurl.
//
// Every call works on absolute paths that this object resolves against the current directory it
// tracks, so a control connection that died (and that curl opens again, logging in afresh) still
// lands every command in the right place. curl keeps the connection alive between calls, sends
// TYPE only when the type changes and skips a CWD to the directory it is already in, which keeps an
// upload at about two commands per file (EPSV + STOR).
//
// Failures give a WinINet-style code (LastError) and the server's last reply (LastResponse).
// One worker thread uses the connection at a time; Abort, IsOpen and Close may be called from any
// thread.
//
// SFTP: the same calls over one SSH connection (SetProtocol), with the host key checked by a
// CSshHostKeyCheck and a login by password, private key or the user's SSH agent. Paths are absolute
// on the server, so no directory is entered; SFTP has no ASCII mode (text files go byte for byte).
//
// Encryption: explicit TLS (AUTH TLS) when the server offers it, explicit TLS or nothing, implicit
// TLS, or plain FTP. "When the server offers it" never sends the password in clear on its own: the
// login stops at a refused AUTH, and goes on without TLS only as the plain-FTP policy allows. Whenever TLS is used the data connections are protected too (PROT P) and
// resume the control connection's TLS session. Certificates are checked against the system's
// trust store and the host name; one that fails passes only when its fingerprint was trusted
// before for this host and port, or when the certificate check says so.

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "ftp/CCertificateInfo.h"
#include "ftp/CFindRecord.h"
#include "ftp/CPlainFtpPolicy.h"
#include "ftp/CSshHostKey.h"

namespace skerrow {

// Error codes, WinINet's numbers.
enum FtpError : int {
    kErrorNone = 0,
    kErrorFileNotFound = 2,
    kErrorAccessDenied = 5,
    kErrorReadFault = 30,
    kErrorInvalidName = 123,
    kErrorNotRegularFile = 222, // a pipe, socket, device or directory: never sent
    kErrorTimeout = 12002,
    kErrorExtended = 12003,
    kErrorInternal = 12004,
    kErrorNameNotResolved = 12007,
    kErrorOperationCancelled = 12017,
    kErrorIncorrectHandleState = 12019,
    kErrorCannotConnect = 12029,
    kErrorConnectionAborted = 12030,
    kErrorInvalidCa = 12045,          // a certificate that was not trusted
    kErrorSecureChannel = 12157,      // TLS could not be set up
    kErrorTlsNotOffered = 12158,      // TLS is required and the server does not offer it (ours)
    kErrorListingTooLong = 12159,     // a directory listing past kMostListedEntries lines (ours)
    kErrorTlsWithdrawn = 12160,       // a server known to speak TLS refused it (ours)
    kErrorPlainNotAllowed = 12161,    // no TLS offered, and no consent to go on without (ours)
    kErrorHostKeyRefused = 12162,     // an SFTP server's host key that was not trusted (ours)
};

// The values stored in the settings file (Advanced/Protocol).
enum class FtpProtocol : int { Ftp = 0, Sftp = 1 };

class CPasswordGate;
class CSshHostKeyCheck;

// The values stored in the settings file.
enum class FtpEncryption : int { ExplicitIfAvailable = 0, RequireExplicit = 1, Implicit = 2, Plain = 3 };

// Status notifications of an upload or a listing, delivered on the calling thread.
enum FtpStatus : int { kStatusRequestSent = 31, kStatusHandleCreated = 60, kStatusHandleClosing = 70 };

enum FtpTransferType : int { kTransferAscii = 1, kTransferBinary = 2 };

class CFtpConnection {
public:
    // A listing of more lines than this is not read: it would only eat the memory.
    static constexpr size_t kMostListedEntries = 2000000;
    // A listing that arrives slower than this many bytes a second for the stall time is cut: a
    // server that drips it would otherwise hold the run for ever.
    static constexpr long kSlowestListing = 1024;
    // status is one of FtpStatus; info is the number of bytes sent so far for kStatusRequestSent.
    using StatusCallback = std::function<void(int status, uint64_t info)>;
    // Every command sent ("> ...", the password masked) and every reply line ("< ...").
    using LogCallback = std::function<void(const std::string& line)>;

    CFtpConnection();
    virtual ~CFtpConnection();
    CFtpConnection(const CFtpConnection&) = delete;
    CFtpConnection& operator=(const CFtpConnection&) = delete;

    // Connects and logs in (port 0 = 21); the initial directory is read with PWD.
    bool Open(const std::string& host, int port, const std::string& user, const std::string& password, bool passive);
    // Called once, on the thread of the next Open, when the server greets it ("220"): the server
    // has counted the session, and the login goes on. Not called when the server refuses it.
    void SetGreetedCallback(std::function<void()> callback);
    // The next Open sends the password only once gate opens (see CPasswordGate); null: at once.
    void SetPasswordGate(std::shared_ptr<CPasswordGate> gate);
    // Closes the connection, after the call in progress on another thread (if any) has ended. A
    // healthy connection says QUIT and waits for the answer a short while; an aborted or silent one
    // is cut at once. Never waits as long as the stall time-out.
    void Close();
    bool IsOpen() const;

    bool GetCurrentDirectory(std::string& directory);
    // The directory the server put the last login in (its PWD reply); "/" when it named none.
    std::string LoginDirectory() const;
    // Absolute or relative; checked on the server unless it is the directory already entered.
    bool SetCurrentDirectory(const std::string& path);
    // Takes path as the current directory without asking the server: for a directory known to
    // exist (uploads name their target in full, so nothing depends on the server's own idea). A
    // listing enters it first.
    void AssumeDirectory(const std::string& path);
    bool CreateDirectory(const std::string& path);
    bool RemoveDirectory(const std::string& path);
    bool DeleteFile(const std::string& path);
    // What a rename came to: done; refused by the server at RNFR (from is missing, or may not be
    // renamed) or at RNTO (to may not be taken: some servers never rename over a file); or failed
    // otherwise, with nothing known of what the server did (a lost connection, an abort, a bad
    // path). LastError and LastResponse tell the rest.
    enum class RenameResult { Done, FromRefused, ToRefused, Failed };
    // RNFR from, then RNTO to (absolute or relative), in one call with nothing sent between them;
    // whether the server replaces an existing file of that name is up to the server.
    RenameResult Rename(const std::string& from, const std::string& to);
    // Sends a local file into the current directory; transferType is FtpTransferType.
    bool PutFile(const std::string& localPath, const std::string& remoteName, int transferType);
    // Lists the current directory (hidden entries too), keeping the names that match pattern.
    bool List(const std::string& pattern, std::vector<CFindRecord>& records);
    // Lists the current directory as List does, for a walk that enters the directories it finds:
    // each entry that is a link is marked so. MLSD describes a link as what it points to on some
    // servers, so with MLSD in use the directory is listed with "LIST -a" as well (see
    // CFtpListParser::MarkLinks). Where the server offers the MLSD "unique" fact, the entries carry
    // it (enabled with OPTS MLST once per login when the server does not send it unasked).
    bool ListForWalk(const std::string& pattern, std::vector<CFindRecord>& records);
    // The server's own path of its current directory (PWD, without a trailing "/"; over SFTP the
    // path entered) in reported, for a walk that checks it entered what a listing promised; and,
    // when identity is given, what names the directory for a walk that must not enter one twice:
    // "unique:" and its unique fact (MLST) where the server offers that fact, else "path:" and
    // reported.
    bool CurrentDirectoryIdentity(std::string& reported, std::string* identity);

    // The protocol of the next Open (FTP by default).
    void SetProtocol(FtpProtocol protocol);
    FtpProtocol Protocol() const;
    // For the next Open over SFTP: the private key file to log in with ("" for none) and its
    // passphrase (the password is tried too, and the SSH agent when one runs), and what decides on
    // the server's host key (none: only a key the user's known_hosts holds passes).
    void SetSshKey(const std::string& keyFile, const std::string& passphrase);
    void SetHostKeyCheck(std::shared_ptr<CSshHostKeyCheck> check);
    // The host key the last Open refused (LastError kErrorHostKeyRefused); empty if none.
    CSshHostKey RefusedHostKey() const;

    // How the next Open protects the connection (default: explicit TLS if available).
    void SetEncryption(FtpEncryption encryption);
    // For the next Open: the fingerprint trusted before for this host and port ("" for none), and
    // what decides on a certificate the trust store refuses (none: the certificate is refused).
    void SetCertificateCheck(const std::string& remembered, CertificateCheck check);
    // For the next Open with explicit TLS if available: what a refused AUTH TLS leads to (by
    // default, a failed Open with kErrorPlainNotAllowed).
    void SetPlainFtpPolicy(CPlainFtpPolicy policy);
    // For the next Open with explicit TLS if available: another connection of the same run has just
    // found that the server offers no TLS and was allowed on without it, so the login asks for none
    // and goes on in plain FTP at once (still reported by FellBackToPlain and the log). The other
    // encryption settings ignore it.
    void SetTlsKnownAbsent(bool absent);
    // After Open: whether the connection is encrypted, and whether it is not only because the
    // server does not offer TLS and the policy allowed it (the log says so too).
    bool IsEncrypted() const;
    bool FellBackToPlain() const;
    // The certificate the last Open refused (LastError kErrorInvalidCa); empty fingerprint if none.
    CCertificateInfo RefusedCertificate() const;
    // The port Open uses: port, or the default of the encryption (990 implicit, else 21) for 0.
    static int EffectivePort(int port, FtpEncryption encryption, FtpProtocol protocol = FtpProtocol::Ftp);
    // The host name in a server setting (without "ftp://", "ftps://", "sftp://" or a trailing "/").
    static std::string HostName(const std::string& server);
    // The notice of a connection that went on without TLS: host and port, and what travels in clear.
    static std::string PlainFallbackText(const std::string& host, int port);

    // Makes the call in progress, and every later call, fail promptly with kErrorOperationCancelled;
    // any thread. An aborted connection stays aborted: open a new one.
    void Abort();
    bool IsAborted() const;
    // True while a call is talking to the server (what Stop aborts); any thread.
    bool IsTransferring() const;

    int LastError() const;
    std::string LastResponse() const;
    // The last call failed while logging in again (curl logs in afresh inside a call when the
    // control connection was lost): a greeting came or USER went, and no 230 followed. The server
    // refuses new logins for now (LastResponse names its reply, "421 ..." or "530 ...").
    bool LoginRefused() const;

    void SetStatusCallback(StatusCallback callback);
    void SetLogCallback(LogCallback callback);
    // Puts a line of our own into the log, between the commands and replies ("* " + line).
    void LogNote(const std::string& line);
    // Connect time-out, and the time without progress (or without a reply) after which a call
    // fails with kErrorTimeout. Defaults 30 s and 60 s.
    void SetTimeouts(long connectSeconds, long stallSeconds);
    // FTP commands sent since Open (login included).
    int CommandsSent() const;

    // Resolves path against base: "." and ".." handled, repeated and trailing "/" dropped.
    static std::string ResolvePath(const std::string& base, const std::string& path);

private:
    // A command on one path: the FTP command, or the SFTP operation.
    bool Operation(const char* ftp, const char* sftp, const std::string& path);
    // List and ListForWalk: walk asks for the links too, and fails on every refused listing.
    bool ListEntries(const std::string& pattern, std::vector<CFindRecord>& records, bool walk);

    struct Impl;
    std::unique_ptr<Impl> m_impl;
};

} // namespace skerrow
