#pragma once
// The per-row work of a run: the upload pass and the delete pass over the transfer list, with the
// error count and its limit.

#include <chrono>
#include <functional>
#include <optional>
#include <string>

#include "list/CTransferList.h"
#include "ftp/CRemotePath.h"
#include "transfer/CTransferContext.h"

namespace skerrow {

class CDeletePlan;
class CDeleteQueue;
class CDirectoryReach;
class CUploadQueue;

class CFTPTransfer {
public:
    explicit CFTPTransfer(CTransferContext& context) : m_context(context) {}
    virtual ~CFTPTransfer() = default;

    // Sends every row that is not Done; ends with "Finished", "Too many errors, Transfer stopped"
    // or "Transfer Stopped" in the status pane.
    void UploadRows();
    // One connection's share of a pass that several connections run together: takes rows from
    // the queue until none is left, the limit is reached or the run stops. base is the server
    // directory the remote paths are joined to. Leaves the closing status text to the caller.
    void UploadFrom(CUploadQueue& queue, const std::string& base);
    // The start of an upload pass over queue: base receives the server directory the remote paths
    // are joined to (on failure the error is shown and false returned), and the overall progress
    // learns the pass's rows.
    bool BeginUpload(const CUploadQueue& queue, std::string& base);
    // The end of an upload pass over queue: "Transfer Stopped", "Too many errors, Transfer stopped"
    // or "Finished" in the status pane.
    void EndUpload(const CUploadQueue& queue);
    // Whether the bytes of each file go to the overall progress (one connection of several does).
    void SetFileBytesToOverall(bool report) { m_fileBytesToOverall = report; }
    // Deletes the file or removes the directory ("/" at the end) of every row of the plan's kind
    // that is not Done, each only once the plan allows it right before its command; a directory
    // once the rows of the entries inside it are dealt with.
    void DeleteRows(const CDeletePlan& plan);
    // One connection's share of a delete pass that several connections run together: takes rows
    // from the queue until none is left, the limit is reached or the run stops. Leaves the closing
    // status text to the caller.
    void DeleteFrom(CDeleteQueue& queue, const CDeletePlan& plan);
    // The start of a delete pass over queue: the overall progress learns the pass's rows.
    void BeginDelete(const CDeleteQueue& queue, const CDeletePlan& plan);
    // The end of a delete pass over queue: "Transfer Stopped", "Too many errors, Transfer stopped"
    // or "Finished" in the status pane.
    void EndDelete(const CDeleteQueue& queue);

    // Enters path ("/" separators), else creates its missing levels from the top; the levels this
    // pass already knows cost nothing, and the pass's other connections wait only for a level one
    // of them is making.
    bool MakeRemoteDirectories(const std::string& path);
    // kTransferAscii (1) when extension (with its ".") is a text suffix, ignoring case; else 2.
    int GetTransferType(const std::string& extension) const;

    // Counts a failure and puts its text on the row (no row: a message box).
    void ReportRowError(const RowId* row, int code);
    void SetRowError(const RowId* row, const std::string& text);

    int ErrorCount() const { return m_errorCount; }
    int ErrorLimit() const { return m_errorLimit; }

    // The parts of a row's upload: the remote path as the status bar shows it, the remote directory
    // below base, the remote file name and its extension; "/" separators, never two in a row.
    struct RemoteTarget {
        std::string remotePath;
        std::string directory;
        std::string name;
        std::string extension;
    };
    static RemoteTarget SplitRemotePath(const std::string& base, const std::string& startDir, const std::string& path);
    // "\\" made "/", runs of "/" made one.
    static std::string SlashPath(const std::string& path);

    // Whether a local name (relative, "/" separated) can be sent under the same name: a "\\" in it
    // would be taken for a directory separator on the server.
    static bool IsSendableName(const std::string& path);

private:
    bool UploadRow(RowId row, const std::string& base);
    // A failed try of row (path: its name below the PC folder): a failure that may pass sends the
    // row back to the queue while the file has tries left, with a note in the log; else the row
    // fails with text.
    // where: what the try left the server's names as, when not as they were (CFileSender::Where).
    void FailOrRetry(RowId row, const std::string& path, int code, const std::string& reply, const std::string& text,
                     const std::string& where = std::string());
    // A try of row that failed because the server refused this connection's new login: the row
    // goes back without losing a try, and the connection leaves the pass while others take part;
    // the last one logs in again after a growing pause, and after as many refusals in a row as a
    // file has tries, fails the row and ends the pass.
    void LoginRefused(RowId row, const std::string& path, int code, const std::string& reply);
    // A failure in a line: the server's refusal where it sent one, else the error's description.
    static std::string WhyLine(int code, const std::string& reply);
    void LogTryAgain(const std::string& path, const std::string& why, std::chrono::milliseconds pause, int nextTry);
    // Waits for pause; false when the run was stopped meanwhile.
    bool PauseUnlessStopped(std::chrono::milliseconds pause);
    // Where a file of the PC folder goes: below the Start Dir (taken from base when relative);
    // none for a name that would leave it.
    std::optional<CRemotePath> Target(const std::string& base, const std::string& path) const;
    // The server directory of a row's file; none for a row that sends nothing.
    std::optional<std::string> DirectoryOf(RowId row, const std::string& base) const;
    // Deletes the row's entry; a failure that may pass is tried again on this connection after a
    // pause, up to the tries per file, as the upload pass does.
    bool DeleteRow(RowId row, const CDeletePlan& plan);
    // After a failed DELE or RMD: whether the entry is still listed in its directory (unsure: yes).
    bool StillListed(const CRemotePath& path);
    // Applies a change of the rows through the run's fence; false once the run was set aside.
    bool Apply(const std::function<void()>& change);
    void CountError();
    void MarkDone(RowId row);
    // After a failed call: when the user's Stop cut it short, the row goes back to Pending with no
    // error and counts as no failure (true); a real failure is left to the caller (false).
    bool PutBackIfStopped(RowId row);
    // Tells the overall progress how row ended, from the state the pass left it in.
    void EndRowProgress(RowId row);

    CTransferContext& m_context;
    int m_errorCount = 0;
    int m_errorLimit = 2147483647;
    CUploadQueue* m_queue = nullptr; // the pass's shared rows, directories and renames, while uploading
    CDirectoryReach* m_reach = nullptr; // this connection's way to them, while uploading
    bool m_fileBytesToOverall = true;
    bool m_leftPass = false; // this connection left the upload pass (its login was refused)
    int m_refusedLogins = 0; // the new logins refused in a row, while the last of the pass
};

} // namespace skerrow
