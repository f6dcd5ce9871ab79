#include "run/CFTPTransfer.h"

#include <algorithm>
#include <filesystem>
#include <strings.h>

#include "app/CStringTable.h"
#include "app/StringIds.h"
#include "ftp/CFtpConnection.h"
#include "ftp/CInternetError.h"
#include "run/CRunFence.h"
#include "run/CStopSignal.h"
#include "run/CTempNameUpload.h"
#include "run/CProgressMeter.h"
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
    CProgressRoute(CFtpConnection& connection, CProgressMeter& progress) : m_connection(connection)
    {
        m_connection.SetStatusCallback([&progress](int status, uint64_t info) {
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

} // namespace

CFTPTransfer::RemoteTarget CFTPTransfer::SplitRemotePath(const std::string& base, const std::string& startDir,
                                                         const std::string& path)
{
    RemoteTarget target;
    target.remotePath = startDir + "\\" + path;
    const size_t lastSeparator = target.remotePath.find_last_of("\\/");
    target.name = lastSeparator == std::string::npos ? target.remotePath : target.remotePath.substr(lastSeparator + 1);
    const size_t dot = target.name.rfind('.');
    if (dot != std::string::npos)
        target.extension = target.name.substr(dot);
    target.directory = base;
    if (lastSeparator != std::string::npos && lastSeparator > 0)
        target.directory += target.remotePath.substr(0, lastSeparator);
    for (char& c : target.directory) {
        if (c == '\\')
            c = '/';
    }
    return target;
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

bool CFTPTransfer::Stopped()
{
    return m_context.stop.IsSet() || (m_context.fence && m_context.fence->IsReleased());
}

void CFTPTransfer::UploadRows()
{
    if (m_context.iniPath.empty())
        m_suffixes.Load();
    else
        m_suffixes.LoadFrom(m_context.iniPath);
    m_errorLimit = std::max(1, m_context.maxErrors);
    // The rows as they are now, by identity: rows the list gains or loses meanwhile change nothing.
    const std::vector<RowId> rows = m_context.list.Ids();
    std::string base;
    if (!m_context.connection.GetCurrentDirectory(base)) {
        CInternetError(&m_context.connection)
            .ShowError(m_context.connection.LastError(), m_context.prompt, PromptIcon::Error);
        return;
    }
    CProgressRoute route(m_context.connection, m_context.progress);
    m_knownDirectories.clear();
    m_failedEnter.clear();
    m_errorCount = 0;
    for (size_t i = 0; i < rows.size() && m_errorCount < m_errorLimit; ++i) {
        if (Stopped()) {
            m_context.status.SetStatusText(LoadString(IDS_TRANSFER_STOPPED));
            return;
        }
        UploadRow(rows[i], base);
    }
    SetFinalStatus();
}

bool CFTPTransfer::UploadRow(RowId row, const std::string& base)
{
    CTransferRow data;
    if (!m_context.list.GetRowById(row, data) || RowStateOf(data.word) == kRowDone)
        return true;
    // A server entry to delete (a leftover listed beside the files to send) is no file to send.
    if (RowKindOf(data.word) != kKindPcFile)
        return true;
    std::string path = data.name;
    if (!path.empty() && path[0] == '/')
        path.erase(0, 1);
    const std::string localPath = m_context.pcDir + "/" + path;
    const RemoteTarget target = SplitRemotePath(base, m_context.ftpStartDir, path);
    m_context.status.SetStatusText(FormatText(Tr("T.Transfering", "Transfering:- %s").c_str(), target.remotePath.c_str()));
    if (!IsSendableName(path)) {
        ++m_errorCount;
        SetRowError(&row, Tr("T.NameWithBackslash",
                             "The name contains \"\\\", which the server would take for a directory separator: "
                             "rename the file to send it."));
        return false;
    }
    CFtpConnection& connection = m_context.connection;
    if (!EnterDirectory(target.directory) && !MakeRemoteDirectories(target.directory)) {
        ReportRowError(&row, connection.LastError());
        return false;
    }
    if (!EnterDirectory(target.directory)) {
        ReportRowError(&row, connection.LastError());
        return false;
    }
    std::error_code ec;
    const uintmax_t size = std::filesystem::file_size(localPath, ec);
    const uint64_t bytes = ec ? 0 : static_cast<uint64_t>(size);
    m_context.progress.SetProgressBytes(bytes);
    const int type = GetTransferType(target.extension);
    if (CTempNameUpload::Applies(m_context.tempNameUpload, bytes, target.name)) {
        CTempNameUpload upload(connection);
        if (!upload.Put(localPath, target.name, type)) {
            ++m_errorCount;
            SetRowError(&row, upload.ErrorText());
            return false;
        }
    } else if (!connection.PutFile(localPath, target.name, type)) {
        ReportRowError(&row, connection.LastError());
        return false;
    }
    MarkDone(row);
    return true;
}

void CFTPTransfer::DeleteRows()
{
    m_errorLimit = std::max(1, m_context.maxErrors);
    const std::vector<RowId> rows = m_context.list.Ids();
    m_errorCount = 0;
    for (size_t i = 0; i < rows.size() && m_errorCount < m_errorLimit; ++i) {
        if (Stopped()) {
            m_context.status.SetStatusText(LoadString(IDS_TRANSFER_STOPPED));
            return;
        }
        DeleteRow(rows[i]);
    }
    SetFinalStatus();
}

bool CFTPTransfer::DeleteRow(RowId row)
{
    CTransferRow data;
    if (!m_context.list.GetRowById(row, data) || RowStateOf(data.word) == kRowDone)
        return true;
    // A file to send holds a path below the PC directory, never a server path to delete.
    if (RowKindOf(data.word) != kKindFtpEntry)
        return true;
    const std::string path = data.name.empty() ? std::string() : data.name.substr(1);
    const bool directory = !path.empty() && path.back() == '/';
    m_context.status.SetStatusText(FormatText(LoadString(IDS_DELETING).c_str(), path.c_str()));
    CFtpConnection& connection = m_context.connection;
    const bool ok = directory ? connection.RemoveDirectory(path) : connection.DeleteFile(path);
    if (!ok) {
        ReportRowError(&row, connection.LastError());
        return false;
    }
    MarkDone(row);
    return true;
}

bool CFTPTransfer::EnterDirectory(const std::string& path)
{
    if (m_context.connection.SetCurrentDirectory(path)) {
        m_knownDirectories.insert(CFtpConnection::ResolvePath("/", path));
        m_failedEnter.clear();
        return true;
    }
    m_failedEnter = CFtpConnection::ResolvePath("/", path);
    return false;
}

bool CFTPTransfer::EnterOrCreate(const std::string& path)
{
    const std::string resolved = CFtpConnection::ResolvePath("/", path);
    if (m_knownDirectories.count(resolved) != 0)
        return true;
    // A CWD that failed a moment ago is not tried again: straight to MKD.
    if (resolved != m_failedEnter && EnterDirectory(path))
        return true;
    if (!m_context.connection.CreateDirectory(path))
        return false;
    m_knownDirectories.insert(resolved);
    return true;
}

bool CFTPTransfer::MakeRemoteDirectories(const std::string& path)
{
    for (size_t i = 1; i < path.size(); ++i) {
        if ((path[i] == '\\' || path[i] == '/') && !EnterOrCreate(path.substr(0, i)))
            return false;
    }
    return EnterOrCreate(path);
}

int CFTPTransfer::GetTransferType(const std::string& extension) const
{
    for (const std::string& suffix : m_suffixes.Suffixes()) {
        if (strcasecmp(suffix.c_str(), extension.c_str()) == 0)
            return kTransferAscii;
    }
    return kTransferBinary;
}

void CFTPTransfer::ReportRowError(const RowId* row, int code)
{
    ++m_errorCount;
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
    for (char& c : shown) {
        if (c == '\r' || c == '\n')
            c = ' ';
    }
    Apply([&] { m_context.list.SetRowState(*row, kRowFailed, std::move(shown)); });
}

void CFTPTransfer::MarkDone(RowId row)
{
    Apply([&] { m_context.list.SetRowState(row, kRowDone, std::string()); });
}

void CFTPTransfer::SetFinalStatus()
{
    m_context.status.SetStatusText(LoadString(m_errorCount < m_errorLimit ? IDS_FINISHED : IDS_TOO_MANY_ERRORS));
}

} // namespace skerrow
