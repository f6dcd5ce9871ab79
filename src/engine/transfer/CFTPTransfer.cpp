#include "transfer/CFTPTransfer.h"

#include <algorithm>
#include <filesystem>
#include <thread>
#include <strings.h>

#include "app/CNumberText.h"
#include "app/CStringTable.h"
#include "app/StringIds.h"
#include "ftp/CFtpConnection.h"
#include "ftp/CInternetError.h"
#include "transfer/CDeletePlan.h"
#include "transfer/CDeleteQueue.h"
#include "transfer/CDirectoryClaims.h"
#include "transfer/CDirectoryReach.h"
#include "ftp/CRemotePath.h"
#include "transfer/CRunFence.h"
#include "transfer/CUploadQueue.h"
#include "transfer/CFileSender.h"
#include "transfer/CProgressMeter.h"
#include "transfer/CRunProgress.h"
#include "transfer/CTransientFailure.h"
#include "list/CTransferList.h"
#include "app/IStatusSink.h"
#include "app/IUserPrompt.h"
#include "list/RowWord.h"

namespace skerrow {
namespace {

constexpr size_t kLongErrorText = 120;

// Routes the connection's notifications to the percent pane for the length of a pass.
class CProgressRoute {
public:
    CProgressRoute(CFtpConnection& connection, CProgressMeter& progress, CRunProgress* overall)
        : m_connection(connection)
    {
        m_connection.SetStatusCallback([&progress, overall](int status, uint64_t info) {
            if (status == kStatusRequestSent && overall)
                overall->FileBytes(info);
            if (status == kStatusRequestSent)
                progress.ShowProgress(info);
            else if (status == kStatusHandleClosing)
                progress.ResetProgress();
        });
    }
    ~CProgressRoute() { m_connection.SetStatusCallback(nullptr); }
    CProgressRoute(const CProgressRoute&) = delete;
    CProgressRoute& operator=(const CProgressRoute&) = delete;

private:
    CFtpConnection& m_connection;
};

// A connection's part in an upload pass, from its first row to its last (or until it left).
class CPassMember {
public:
    CPassMember(CUploadQueue& queue, const bool& left) : m_queue(queue), m_left(left) { m_queue.Join(); }
    ~CPassMember()
    {
        if (!m_left)
            m_queue.Leave();
    }
    CPassMember(const CPassMember&) = delete;
    CPassMember& operator=(const CPassMember&) = delete;

private:
    CUploadQueue& m_queue;
    const bool& m_left;
};

// What each try of a row before the last one failed with: " Try 1 failed: ...", in order.
std::string EarlierTries(const std::vector<std::string>& failures, size_t count)
{
    std::string text;
    for (size_t i = 0; i < count && i < failures.size(); ++i)
        text += FormatText(Tr("T.TryFailed", " Try %d failed: %s").c_str(), static_cast<int>(i + 1),
                           failures[i].c_str());
    return text;
}

} // namespace

CFTPTransfer::RemoteTarget CFTPTransfer::SplitRemotePath(const std::string& base, const std::string& startDir,
                                                         const std::string& path)
{
    RemoteTarget target;
    target.remotePath = SlashPath(startDir + "/" + path);
    const size_t lastSeparator = target.remotePath.rfind('/');
    target.name = lastSeparator == std::string::npos ? target.remotePath : target.remotePath.substr(lastSeparator + 1);
    const size_t dot = target.name.rfind('.');
    if (dot != std::string::npos)
        target.extension = target.name.substr(dot);
    target.directory = SlashPath(base + "/" + target.remotePath.substr(0, lastSeparator));
    if (target.directory.size() > 1 && target.directory.back() == '/')
        target.directory.pop_back();
    return target;
}

std::string CFTPTransfer::SlashPath(const std::string& path)
{
    std::string result;
    for (char c : path) {
        if (c == '\\')
            c = '/';
        if (c != '/' || result.empty() || result.back() != '/')
            result += c;
    }
    return result;
}

bool CFTPTransfer::IsSendableName(const std::string& path)
{
    return path.find('\\') == std::string::npos;
}

bool CFTPTransfer::Apply(const std::function<void()>& change)
{
    if (!m_context.fence) {
        change();
        return true;
    }
    return m_context.fence->Apply(change);
}

void CFTPTransfer::UploadRows()
{
    // The rows as they are now, by identity: rows the list gains or loses meanwhile change nothing.
    CUploadQueue queue(m_context.list.Ids(), m_context.maxErrors);
    std::string base;
    if (!BeginUpload(queue, base))
        return;
    UploadFrom(queue, base);
    EndUpload(queue);
}

bool CFTPTransfer::BeginUpload(const CUploadQueue& queue, std::string& base)
{
    if (!m_context.connection.GetCurrentDirectory(base)) {
        CInternetError(&m_context.connection)
            .ShowError(m_context.connection.LastError(), m_context.prompt, PromptIcon::Error);
        return false;
    }
    if (m_context.overall)
        m_context.overall->BeginPass(CRunProgress::Kind::Upload, m_context.list, queue.Rows(), m_context.pcDir,
                                     kKindPcFile);
    return true;
}

void CFTPTransfer::EndUpload(const CUploadQueue& queue)
{
    // The queue's count: with several connections, theirs are in it too.
    if (m_context.Stopped())
        m_context.status.SetStatusText(LoadString(IDS_TRANSFER_STOPPED));
    else if (queue.Closed())
        m_context.status.SetStatusText(Tr("T.LoginsRefused", "The server refused every new login: Transfer stopped"));
    else
        m_context.status.SetStatusText(LoadString(queue.LimitReached() ? IDS_TOO_MANY_ERRORS : IDS_FINISHED));
}

void CFTPTransfer::UploadFrom(CUploadQueue& queue, const std::string& base)
{
    m_queue = &queue;
    m_errorLimit = queue.Limit();
    m_leftPass = false;
    m_refusedLogins = 0;
    CPassMember member(queue, m_leftPass);
    CDirectoryReach directories(m_context.connection, queue.Directories(), [this] { return m_context.Stopped(); });
    m_reach = &directories;
    // With several connections only one reports the bytes of its file to the overall progress.
    CProgressRoute route(m_context.connection, m_context.progress, m_fileBytesToOverall ? m_context.overall : nullptr);
    while (!m_context.Stopped() && !m_leftPass) {
        std::optional<RowId> ahead;
        const std::optional<RowId> row = queue.Next(&ahead, [this] { return m_context.Stopped(); });
        if (!row)
            break;
        // The directory of a row further on is made now, while the other connections send files.
        if (ahead) {
            if (const std::optional<std::string> dir = DirectoryOf(*ahead, base))
                directories.Prepare(*dir);
        }
        if (m_context.overall)
            m_context.overall->RowStarted(*row);
        UploadRow(*row, base);
        if (!m_context.connection.LoginRefused())
            m_refusedLogins = 0;
        EndRowProgress(*row);
    }
    m_errorCount = queue.Errors();
    m_queue = nullptr;
    m_reach = nullptr;
}

std::optional<std::string> CFTPTransfer::DirectoryOf(RowId row, const std::string& base) const
{
    CTransferRow data;
    if (!m_context.list.GetRowById(row, data) || RowStateOf(data.word) == kRowDone ||
        RowKindOf(data.word) != kKindPcFile)
        return std::nullopt;
    const std::optional<CRemotePath> target = Target(base, data.LocalName());
    if (!target)
        return std::nullopt;
    return target->Parent().Full();
}

std::optional<CRemotePath> CFTPTransfer::Target(const std::string& base, const std::string& path) const
{
    if (!IsSendableName(path))
        return std::nullopt;
    return CRemotePath::Root(CFtpConnection::ResolvePath(base, SlashPath(m_context.ftpStartDir))).Join(path);
}

bool CFTPTransfer::UploadRow(RowId row, const std::string& base)
{
    CTransferRow data;
    if (!m_context.list.GetRowById(row, data) || RowStateOf(data.word) == kRowDone)
        return true;
    // A server entry to delete (a leftover listed beside the files to send) is no file to send.
    if (RowKindOf(data.word) != kKindPcFile)
        return true;
    const std::string path = data.LocalName();
    const std::string localPath = data.LocalPath(m_context.pcDir);
    const RemoteTarget target = SplitRemotePath(base, m_context.ftpStartDir, path);
    m_context.status.SetStatusText(FormatText(Tr("T.Transfering", "Transfering:- %s").c_str(), target.remotePath.c_str()));
    if (!IsSendableName(path)) {
        CountError();
        SetRowError(&row, Tr("T.NameWithBackslash",
                             "The name contains \"\\\", which the server would take for a directory separator: "
                             "rename the file to send it."));
        return false;
    }
    // A row of a saved list may say anything: only a name inside the PC folder is read, and only a
    // place below the Start Dir is written.
    if (!CRemotePath::IsSafeRelative(path)) {
        CountError();
        SetRowError(&row, Tr("T.NameOutside", "The name does not stay inside the folder (it holds \"..\", an empty "
                                              "part or a control character): the file is not sent."));
        return false;
    }
    const CRemotePath place = *Target(base, path);
    CFtpConnection& connection = m_context.connection;
    if (!MakeRemoteDirectories(place.Parent().Full())) {
        if (!PutBackIfStopped(row)) {
            std::string text;
            CInternetError(&connection).GetErrorText(connection.LastError(), text);
            FailOrRetry(row, path, connection.LastError(), connection.LastResponse(), text);
        }
        return false;
    }
    std::error_code ec;
    const uintmax_t size = std::filesystem::file_size(localPath, ec);
    const uint64_t bytes = ec ? 0 : static_cast<uint64_t>(size);
    m_context.progress.SetProgressBytes(bytes);
    CFileSender sender(connection, m_queue->Renames());
    if (!sender.Send(localPath, place.Name(), GetTransferType(target.extension),
                     CFileSender::Applies(m_context.tempNameUpload, bytes, place.Name()))) {
        if (!PutBackIfStopped(row))
            FailOrRetry(row, path, sender.ErrorCode(), sender.ErrorReply(), sender.ErrorText(), sender.Where());
        return false;
    }
    const int tries = m_queue->TriesOf(row);
    if (tries > 1) {
        // Read before the fence is taken: the queue's lock is never taken inside the fence's (a
        // connection waiting in the queue asks the fence whether the run was stopped).
        const std::vector<std::string> failures = m_queue->Failures(row);
        const std::string before = failures.empty() ? std::string() : failures.back();
        const std::string text =
            FormatText(Tr("T.SentOnTry", "Sent on try %d of %d; the try before failed: %s").c_str(), tries,
                       m_context.tries, before.c_str()) +
            EarlierTries(failures, failures.empty() ? 0 : failures.size() - 1);
        Apply([&] { m_context.list.SetRowState(row, kRowDone, text); });
        return true;
    }
    MarkDone(row);
    return true;
}

void CFTPTransfer::FailOrRetry(RowId row, const std::string& path, int code, const std::string& reply,
                               const std::string& text, const std::string& where)
{
    if (m_context.connection.LoginRefused() && !m_context.Stopped()) {
        LoginRefused(row, path, code, reply);
        return;
    }
    const int tries = m_queue->TriesOf(row);
    if (tries < m_context.tries && CTransientFailure::IsTransient(code, reply) && !m_context.Stopped()) {
        const std::chrono::milliseconds pause = CTransientFailure::Pause(tries);
        const std::string why = WhyLine(code, reply) + (where.empty() ? "" : " " + where);
        LogTryAgain(path, why, pause, tries + 1);
        m_queue->Retry(row, pause, why);
        return;
    }
    CountError();
    SetRowError(&row, tries > 1 ? text + FormatText(Tr("T.FailedEachTry", "It failed on each of its %d tries.").c_str(),
                                                    tries) + EarlierTries(m_queue->Failures(row), tries - 1)
                                : text);
}

void CFTPTransfer::LoginRefused(RowId row, const std::string& path, int code, const std::string& reply)
{
    const std::string why = WhyLine(code, reply);
    CFtpConnection& connection = m_context.connection;
    if (m_queue->LeaveUnlessLast()) {
        m_leftPass = true;
        m_queue->GiveBack(row);
        connection.LogNote(FormatText(Tr("T.LoginRefusedLeave", "The server refused a new login (%s): this "
                                                                "connection leaves, the others send its files.")
                                          .c_str(),
                                      why.c_str()));
        return;
    }
    if (++m_refusedLogins >= m_context.tries) {
        std::string text;
        CInternetError(&connection).GetErrorText(code, text);
        CountError();
        SetRowError(&row, text + FormatText(Tr("T.LoginRefusedEnd", "The server refused %d new logins in a row: "
                                                                    "the files not sent yet stay in the list.")
                                                .c_str(),
                                            m_refusedLogins));
        m_queue->Close();
        return;
    }
    const std::chrono::milliseconds pause = CTransientFailure::LoginPause(m_refusedLogins);
    connection.LogNote(FormatText(Tr("T.LoginRefusedWait", "%s: the server refused a new login (%s): logging in "
                                                           "again in %s s, try %d of %d.")
                                      .c_str(),
                                  path.c_str(), why.c_str(),
                                  CNumberText::OneDecimal(static_cast<double>(pause.count()) / 1000).c_str(),
                                  m_refusedLogins + 1, m_context.tries));
    m_queue->GiveBack(row);
    PauseUnlessStopped(pause);
}

std::string CFTPTransfer::WhyLine(int code, const std::string& reply)
{
    // The server's refusal where it sent one (a cut data connection ends with 426), else ours.
    const bool refusal = !reply.empty() && (reply[0] == '4' || reply[0] == '5');
    return refusal ? reply.substr(0, reply.find_first_of("\r\n")) : CInternetError::Description(code);
}

void CFTPTransfer::LogTryAgain(const std::string& path, const std::string& why, std::chrono::milliseconds pause,
                               int nextTry)
{
    m_context.connection.LogNote(
        FormatText(Tr("T.TryAgain", "%s failed (%s): trying it again in %s s, try %d of %d.").c_str(), path.c_str(),
                   why.c_str(), CNumberText::OneDecimal(static_cast<double>(pause.count()) / 1000).c_str(), nextTry,
                   m_context.tries));
}

void CFTPTransfer::DeleteRows(const CDeletePlan& plan)
{
    CDeleteQueue queue(m_context.list, plan, m_context.maxErrors);
    BeginDelete(queue, plan);
    DeleteFrom(queue, plan);
    EndDelete(queue);
    m_errorCount = queue.Errors();
}

void CFTPTransfer::BeginDelete(const CDeleteQueue& queue, const CDeletePlan& plan)
{
    if (m_context.overall)
        m_context.overall->BeginPass(CRunProgress::Kind::Delete, m_context.list, queue.Rows(), std::string(),
                                     plan.RowKind());
}

void CFTPTransfer::DeleteFrom(CDeleteQueue& queue, const CDeletePlan& plan)
{
    m_errorLimit = queue.Limit();
    m_errorCount = 0;
    const std::function<bool()> stopped = [this] { return m_context.Stopped(); };
    while (const std::optional<RowId> row = queue.Next(stopped)) {
        const int before = m_errorCount;
        DeleteRow(*row, plan);
        EndRowProgress(*row);
        queue.Done(*row, m_errorCount - before);
    }
}

void CFTPTransfer::EndDelete(const CDeleteQueue& queue)
{
    // The queue's count: with several connections, theirs are in it too.
    if (m_context.Stopped())
        m_context.status.SetStatusText(LoadString(IDS_TRANSFER_STOPPED));
    else
        m_context.status.SetStatusText(LoadString(queue.LimitReached() ? IDS_TOO_MANY_ERRORS : IDS_FINISHED));
}

bool CFTPTransfer::DeleteRow(RowId row, const CDeletePlan& plan)
{
    CTransferRow data;
    if (!m_context.list.GetRowById(row, data) || RowStateOf(data.word) == kRowDone)
        return true;
    // A file to send, or an entry of another kind of deletion, is no entry of this plan.
    if (RowKindOf(data.word) != plan.RowKind())
        return true;
    std::string why;
    const std::optional<CDeletePlan::Entry> entry = plan.Take(data.name, why);
    if (!entry || !plan.MayDelete(*entry, why)) {
        CountError();
        SetRowError(&row, why);
        return false;
    }
    const std::string& path = entry->path.Full();
    m_context.status.SetStatusText(FormatText(LoadString(IDS_DELETING).c_str(), path.c_str()));
    CFtpConnection& connection = m_context.connection;
    std::vector<std::string> failures; // why each try that failed did
    for (int tries = 1;; ++tries) {
        if (entry->directory ? connection.RemoveDirectory(path) : connection.DeleteFile(path))
            break;
        if (PutBackIfStopped(row))
            return false;
        std::string text; // the failure's own, before a listing replaces the server's last reply
        CInternetError(&connection).GetErrorText(connection.LastError(), text);
        const int code = connection.LastError();
        const std::string reply = connection.LastResponse();
        // A failure for an entry that is gone is no failure: what was asked for is true (a reply
        // lost after the server deleted it, or a temporary file the upload renamed meanwhile).
        if (!StillListed(entry->path))
            break;
        if (tries < m_context.tries && CTransientFailure::IsTransient(code, reply) && !m_context.Stopped()) {
            failures.push_back(WhyLine(code, reply));
            const std::chrono::milliseconds pause = CTransientFailure::Pause(tries);
            LogTryAgain(path, failures.back(), pause, tries + 1);
            if (!PauseUnlessStopped(pause) && PutBackIfStopped(row))
                return false;
            continue;
        }
        CountError();
        SetRowError(&row, tries > 1 ? text +
                                          FormatText(Tr("T.FailedEachTry", "It failed on each of its %d tries.").c_str(),
                                                     tries) +
                                          EarlierTries(failures, failures.size())
                                    : text);
        return false;
    }
    MarkDone(row);
    return true;
}

bool CFTPTransfer::PauseUnlessStopped(std::chrono::milliseconds pause)
{
    const auto end = std::chrono::steady_clock::now() + pause;
    while (!m_context.Stopped()) {
        const auto now = std::chrono::steady_clock::now();
        if (now >= end)
            return true;
        std::this_thread::sleep_for(std::min<std::chrono::steady_clock::duration>(end - now, std::chrono::milliseconds(50)));
    }
    return false;
}

bool CFTPTransfer::StillListed(const CRemotePath& path)
{
    CFtpConnection& connection = m_context.connection;
    std::vector<CFindRecord> records;
    bool listed = true;
    if (connection.SetCurrentDirectory(path.Parent().Full()) && connection.List("*", records)) {
        const std::string name = path.Name();
        listed = std::any_of(records.begin(), records.end(), [&name](const CFindRecord& r) { return r.name == name; });
    }
    return listed;
}

void CFTPTransfer::CountError()
{
    if (m_queue)
        m_queue->CountError();
    else
        ++m_errorCount;
}

bool CFTPTransfer::MakeRemoteDirectories(const std::string& path)
{
    if (m_reach)
        return m_reach->Reach(path);
    // Outside a pass: on its own, knowing nothing yet.
    CDirectoryClaims directories;
    return CDirectoryReach(m_context.connection, directories).Reach(path);
}

int CFTPTransfer::GetTransferType(const std::string& extension) const
{
    for (const std::string& suffix : m_context.textSuffixes) {
        if (strcasecmp(suffix.c_str(), extension.c_str()) == 0)
            return kTransferAscii;
    }
    return kTransferBinary;
}

void CFTPTransfer::ReportRowError(const RowId* row, int code)
{
    CountError();
    std::string text;
    CInternetError(&m_context.connection).GetErrorText(code, text);
    SetRowError(row, text);
}

void CFTPTransfer::SetRowError(const RowId* row, const std::string& text)
{
    if (!row) {
        m_context.prompt.ShowMessage(text, PromptIcon::Error);
        return;
    }
    std::string shown = text;
    if (shown.size() > kLongErrorText) {
        const size_t cr = shown.find('\r');
        if (cr != std::string::npos && cr > 0)
            shown.erase(0, cr);
    }
    Apply([&] { m_context.list.SetRowState(*row, kRowFailed, std::move(shown)); });
}

void CFTPTransfer::EndRowProgress(RowId row)
{
    if (!m_context.overall)
        return;
    CTransferRow data;
    CRunProgress::Outcome outcome = CRunProgress::Outcome::Left;
    if (m_context.list.GetRowById(row, data) && RowStateOf(data.word) == kRowDone)
        outcome = CRunProgress::Outcome::Sent;
    else if (RowStateOf(data.word) == kRowFailed)
        outcome = CRunProgress::Outcome::Failed;
    m_context.overall->RowEnded(row, outcome);
}

bool CFTPTransfer::PutBackIfStopped(RowId row)
{
    if (!m_context.Stopped())
        return false;
    Apply([&] { m_context.list.SetRowState(row, kRowPending, std::string()); });
    return true;
}

void CFTPTransfer::MarkDone(RowId row)
{
    Apply([&] { m_context.list.SetRowState(row, kRowDone, std::string()); });
}

} // namespace skerrow
