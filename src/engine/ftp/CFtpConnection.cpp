#include "ftp/CFtpConnection.h"

#include <chrono>
#include <thread>

#include "app/CStringTable.h"
#include "ftp/CFtpConnectionImpl.h"
#include "ftp/CFtpListParser.h"
#include "ftp/CFtpUploadReader.h"

namespace skerrow {
namespace {

void GlobalInit()
{
    static std::once_flag once;
    std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

} // namespace

CFtpConnection::CFtpConnection() : m_impl(std::make_unique<Impl>())
{
    GlobalInit();
}

CFtpConnection::~CFtpConnection()
{
    // Whoever set the callbacks may be going away too.
    m_impl->status = nullptr;
    m_impl->log = nullptr;
    Close();
}

bool CFtpConnection::Open(const std::string& host, int port, const std::string& user, const std::string& password,
                          bool passive)
{
    Impl& d = *m_impl;
    std::lock_guard lock(d.opMutex);
    // The greeting callback is for this Open only, never for a reconnection later on.
    struct ForgetGreeted {
        Impl& d;
        ~ForgetGreeted() { d.greeted = nullptr; }
    } forget{d};
    d.Cleanup();
    d.encrypted = false;
    d.fellBack = false;
    {
        std::lock_guard result(d.resultMutex);
        d.refusedCertificate = CCertificateInfo();
        d.refusedHostKey = CSshHostKey();
    }
    if (Impl::HasUnsafeCharacters(host) || Impl::HasUnsafeCharacters(user) || Impl::HasUnsafeCharacters(password)) {
        d.SetResult(kErrorInvalidName);
        return false;
    }
    d.secret = password;
    d.openHost = host;
    d.openPort = port;
    d.openUser = user;
    d.openPassive = passive;
    d.tls12Cap = false;
    d.tlsCheck.Reset(HostName(host), EffectivePort(port, d.encryption), d.rememberedFingerprint);
    d.plainConsented = false;
    // A certificate the user trusts is accepted on a new attempt; a server that shows yet another
    // one then is asked about again, a few times at most. A refused AUTH TLS is put to the plain-FTP
    // policy, and the login runs again without TLS if it allows.
    int busyRetries = 0;
    for (int attempt = 0; !d.OpenOnce(host, port, user, password, passive); ++attempt) {
        if (d.IsSftp())
            return false; // the host key was decided on during the attempt itself
        if (d.LastErrorCode() == kErrorTlsNotOffered && d.encryption == FtpEncryption::ExplicitIfAvailable &&
            !d.plainConsented) {
            if (!d.PlainAllowed(HostName(host), EffectivePort(port, d.encryption)))
                return false;
            continue;
        }
        // The login without TLS follows right on the session that asked for TLS: a server that
        // counts sessions ("421 Too many connections") may not have let that one go yet.
        if (d.plainConsented && LastResponse().rfind("421", 0) == 0 && busyRetries < 3 && !d.abortRequested.load()) {
            ++busyRetries;
            std::this_thread::sleep_for(std::chrono::milliseconds(300));
            continue;
        }
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
    {
        std::lock_guard result(d.resultMutex);
        d.loginDirectory = d.currentDir;
    }
    // A server that says it put the login in the root is there: entering "/" again is no news.
    d.currentVerified = d.entryDirectory == "/";
    d.currentAssumed = false;
    d.featuresRead = false;
    d.useMlsd = false;
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

std::string CFtpConnection::LoginDirectory() const
{
    std::lock_guard lock(m_impl->resultMutex);
    return m_impl->loginDirectory;
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
    if (d.IsSftp() ? !d.SftpIsDirectory(target) : !d.Quote("CWD " + target))
        return false;
    d.currentDir = target;
    d.currentVerified = true;
    d.currentAssumed = false;
    return true;
}

void CFtpConnection::AssumeDirectory(const std::string& path)
{
    Impl& d = *m_impl;
    std::lock_guard lock(d.opMutex);
    const std::string target = ResolvePath(d.currentDir, path);
    if (target != d.currentDir) {
        d.currentDir = target;
        d.currentVerified = false;
        d.currentAssumed = true;
    }
}

bool CFtpConnection::CreateDirectory(const std::string& path)
{
    return Operation("MKD", "mkdir", path);
}

bool CFtpConnection::RemoveDirectory(const std::string& path)
{
    return Operation("RMD", "rmdir", path);
}

bool CFtpConnection::DeleteFile(const std::string& path)
{
    return Operation("DELE", "rm", path);
}

bool CFtpConnection::Operation(const char* ftp, const char* sftp, const std::string& path)
{
    Impl& d = *m_impl;
    std::lock_guard lock(d.opMutex);
    if (!d.CheckPath(path))
        return false;
    const std::string target = ResolvePath(d.currentDir, path);
    return d.IsSftp() ? d.SftpOperation(sftp, target) : d.Quote(std::string(ftp) + " " + target);
}

CFtpConnection::RenameResult CFtpConnection::Rename(const std::string& from, const std::string& to)
{
    Impl& d = *m_impl;
    std::lock_guard lock(d.opMutex);
    if (!d.CheckPath(from) || !d.CheckPath(to))
        return RenameResult::Failed;
    if (d.IsSftp()) {
        // One operation, so nothing to lose between two commands. A refusal does not say which
        // name was at fault: SFTP servers of version 3 refuse to rename over an existing file, and
        // the sender then moves the old file aside (a refused "from" only makes that fail too).
        if (d.SftpOperation("rename", ResolvePath(d.currentDir, from), ResolvePath(d.currentDir, to)))
            return RenameResult::Done;
        return LastError() == kErrorExtended ? RenameResult::ToRefused : RenameResult::Failed;
    }
    // RNFR and RNTO in one call, back to back: curl sends its quote list before any command of its
    // own (such as the CWD it may send on a connection it had to open again), and servers such as
    // proftpd forget an RNFR that anything but RNTO follows.
    if (d.Quote("RNTO " + ResolvePath(d.currentDir, to), "RNFR " + ResolvePath(d.currentDir, from)))
        return RenameResult::Done;
    // Refused: the server answered the command itself with an error, on a connection that works.
    if (LastError() != kErrorExtended)
        return RenameResult::Failed;
    if (d.quoteReplyCode >= 400)
        return RenameResult::ToRefused;
    return d.beforeReplyCode >= 400 ? RenameResult::FromRefused : RenameResult::Failed;
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
    // SFTP has no ASCII mode: every file goes byte for byte.
    const bool ascii = transferType == kTransferAscii && !d.IsSftp();
    int code = d.PutOnce(localPath, remoteName, ascii);
    // A server that wants the control connection's TLS session on every data connection may
    // refuse one under TLS 1.3: the file goes again on a connection capped at TLS 1.2.
    if (d.CapTlsAfter(code))
        code = d.PutOnce(localPath, remoteName, ascii);
    return code == kErrorNone;
}

int CFtpConnection::Impl::PutOnce(const std::string& localPath, const std::string& remoteName, bool ascii)
{
    Impl& d = *this;
    CFtpUploadReader reader;
    if (const int code = reader.Open(localPath, ascii); code != 0) {
        d.SetResult(code);
        return code;
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
    if (d.IsSftp()) {
        const std::string path = ResolvePath(d.currentDir, remoteName);
        ++d.commandsSent;
        if (d.log)
            d.log("> put " + path);
        const int code = d.Perform(d.SftpUrl(path, false), true);
        curl_easy_setopt(d.curl, CURLOPT_READDATA, nullptr);
        d.LogSftpOutcome(code);
        return code;
    }
    const int code = d.Perform(d.DirectoryUrl(d.currentDir) + d.Escape(remoteName), true);
    curl_easy_setopt(d.curl, CURLOPT_READDATA, nullptr);
    return code;
}

bool CFtpConnection::List(const std::string& pattern, std::vector<CFindRecord>& records)
{
    return ListEntries(pattern, records, false);
}

bool CFtpConnection::ListForWalk(const std::string& pattern, std::vector<CFindRecord>& records)
{
    return ListEntries(pattern, records, true);
}

bool CFtpConnection::ListEntries(const std::string& pattern, std::vector<CFindRecord>& records, bool walk)
{
    Impl& d = *m_impl;
    std::lock_guard lock(d.opMutex);
    records.clear();
    if (!d.CheckOpen())
        return false;
    d.ReadFeatures();
    std::string listing;
    if (!d.ListDirectory(d.ListCommand(), walk, listing))
        return false;
    std::vector<CFindRecord> listed = Impl::KeepEntries(CFtpListParser::ParseListing(listing, d.useMlsd), pattern);
    if (walk && d.useMlsd && !d.IsSftp()) {
        // "LIST -a" shows links as links ("l"), where MLSD may show what they point to.
        std::string plain;
        if (!d.ListDirectory("LIST -a", true, plain))
            return false;
        CFtpListParser::MarkLinks(listed, CFtpListParser::ParseListing(plain, false));
    }
    records = std::move(listed);
    return true;
}

bool CFtpConnection::CurrentDirectoryIdentity(std::string& reported, std::string* identity)
{
    Impl& d = *m_impl;
    std::lock_guard lock(d.opMutex);
    if (!d.CheckOpen())
        return false;
    if (d.IsSftp()) {
        // Paths are absolute and a walk never enters a link: the path names the directory.
        reported = d.currentDir;
        if (identity)
            *identity = "path:" + d.currentDir;
        return true;
    }
    d.ReadFeatures();
    if (!d.EnterAssumed() || !d.Quote("PWD"))
        return false;
    reported = Impl::ParsePwdReply(d.quoteReply);
    if (reported.empty()) {
        d.SetResult(kErrorExtended); // the text then shows the reply that named no directory
        return false;
    }
    while (reported.size() > 1 && reported.back() == '/')
        reported.pop_back();
    if (!identity)
        return true;
    *identity = "path:" + reported;
    if (d.UniqueFactOn() && d.Quote("MLST")) {
        const std::string unique = CFtpListParser::MlstUnique(d.quoteReply);
        if (!unique.empty())
            *identity = "unique:" + unique;
    }
    d.SetResult(kErrorNone);
    return true;
}

void CFtpConnection::SetProtocol(FtpProtocol protocol)
{
    std::lock_guard lock(m_impl->opMutex);
    m_impl->protocol.store(protocol);
}

FtpProtocol CFtpConnection::Protocol() const
{
    return m_impl->protocol.load();
}

void CFtpConnection::SetSshKey(const std::string& keyFile, const std::string& passphrase)
{
    std::lock_guard lock(m_impl->opMutex);
    m_impl->sftp.SetKey(keyFile, passphrase);
}

void CFtpConnection::SetHostKeyCheck(std::shared_ptr<CSshHostKeyCheck> check)
{
    std::lock_guard lock(m_impl->opMutex);
    m_impl->sftp.SetHostKeyCheck(std::move(check));
}

CSshHostKey CFtpConnection::RefusedHostKey() const
{
    std::lock_guard lock(m_impl->resultMutex);
    return m_impl->refusedHostKey;
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

void CFtpConnection::SetPlainFtpPolicy(CPlainFtpPolicy policy)
{
    std::lock_guard lock(m_impl->opMutex);
    m_impl->plainPolicy = std::move(policy);
}

void CFtpConnection::SetTlsKnownAbsent(bool absent)
{
    std::lock_guard lock(m_impl->opMutex);
    m_impl->tlsKnownAbsent = absent;
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

int CFtpConnection::EffectivePort(int port, FtpEncryption encryption, FtpProtocol protocol)
{
    if (port > 0)
        return port;
    if (protocol == FtpProtocol::Sftp)
        return 22;
    return encryption == FtpEncryption::Implicit ? 990 : 21;
}

std::string CFtpConnection::HostName(const std::string& server)
{
    std::string host = server;
    if (host.compare(0, 6, "ftp://") == 0)
        host.erase(0, 6);
    else if (host.compare(0, 7, "ftps://") == 0 || host.compare(0, 7, "sftp://") == 0)
        host.erase(0, 7);
    while (!host.empty() && host.back() == '/')
        host.pop_back();
    return host;
}

std::string CFtpConnection::PlainFallbackText(const std::string& host, int port)
{
    return FormatText(Tr("FTP.PlainFallback", "%s:%d does not offer encryption (TLS): on this connection the "
                                              "password and the files travel unencrypted.")
                          .c_str(),
                      host.c_str(), port);
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

bool CFtpConnection::LoginRefused() const
{
    std::lock_guard lock(m_impl->resultMutex);
    return m_impl->loginRefused;
}

void CFtpConnection::SetStatusCallback(StatusCallback callback)
{
    std::lock_guard lock(m_impl->opMutex);
    m_impl->status = std::move(callback);
}

void CFtpConnection::SetGreetedCallback(std::function<void()> callback)
{
    std::lock_guard lock(m_impl->opMutex);
    m_impl->greeted = std::move(callback);
}

void CFtpConnection::SetPasswordGate(std::shared_ptr<CPasswordGate> gate)
{
    std::lock_guard lock(m_impl->opMutex);
    m_impl->passwordGate = std::move(gate);
}

void CFtpConnection::SetLogCallback(LogCallback callback)
{
    std::lock_guard lock(m_impl->opMutex);
    m_impl->log = std::move(callback);
}

void CFtpConnection::LogNote(const std::string& line)
{
    std::lock_guard lock(m_impl->opMutex);
    if (m_impl->log)
        m_impl->log("* " + line);
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
