#pragma once
// Sends one file into the server's current directory, directly or under a temporary name: the file
// goes up as ".name.skerrow-part" beside its place and is renamed to its name once the server has it
// whole, so the site never serves a half-written file. A published file holds its old content or
// the complete new one: its name is given up only to a new file that is whole, and the old file is
// then only moved aside (".name.skerrow-old"), whence it comes back if the new one cannot take the
// name after all.
//
// What servers allow differs:
// - no renaming at all (RNFR refused): the temporary file is deleted and the file sent directly,
//   and so are the pass's later files, without asking again (CRenameRefusal);
// - no renaming over a file (RNTO refused): the old file is moved aside, the new one renamed to the
//   name, then the old one deleted. A directory under the name is never moved.
//
// A reply that never came (a lost connection, a server that stopped answering) leaves a rename
// undone or done, unknown which: the server's directory is listed before anything else is done
// to the names, and when it cannot be listed, nothing is, and the error says where the old file
// may be. A ".name.skerrow-old" left by an earlier upload cut between its renames is ours: with
// the file under its name, it is an older copy still, and it is deleted when it is in the way.
//
// The temporary file of a failed upload is deleted while the connection still works. After a Stop
// the connection is aborted for good, and after a lost server there is nothing to ask: the
// temporary file then stays until the next upload of the same file under a temporary name, whose
// STOR replaces it before the rename takes it away. (A leftover is also a server file with no local
// counterpart, so the search for server leftovers lists it.)

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "ftp/CFindRecord.h"
#include "ftp/CFtpConnection.h"

namespace skerrow {

class CRenameRefusal;

class CFileSender {
public:
    // The values of Advanced/TempNameUpload; any other value counts as the default.
    enum Mode : int { kLargeFiles = 0, kAllFiles = 1, kNoFiles = 2 };
    static constexpr uint64_t kLargeFileBytes = 1024 * 1024;
    static constexpr const char* kSuffix = ".skerrow-part";
    static constexpr const char* kAsideSuffix = ".skerrow-old";

    CFileSender(CFtpConnection& connection, CRenameRefusal& renames) : m_connection(connection), m_renames(renames) {}
    virtual ~CFileSender() = default;

    // Whether a file of this size and name goes under a temporary name with this mode. A name
    // whose temporary form would pass 255 bytes, which most servers refuse, is sent directly.
    static bool Applies(int mode, uint64_t size, const std::string& name);
    static std::string PartName(const std::string& name);
    // Where the old file waits while the new one takes its name.
    static std::string AsideName(const std::string& name);

    // Sends localPath as name, under a temporary name first when temporaryName says so and the
    // server renames. On failure: false, with ErrorText() taken at the failure itself.
    bool Send(const std::string& localPath, const std::string& name, int transferType, bool temporaryName);
    const std::string& ErrorText() const { return m_failure.text; }
    // The error code (FtpError) and the server's reply of that failure.
    int ErrorCode() const { return m_failure.code; }
    const std::string& ErrorReply() const { return m_failure.reply; }
    // After a failure that left the server's names other than they were (the old file aside, or
    // where it is unknown): what they are now, as the end of ErrorText() says it; else "".
    const std::string& Where() const { return m_where; }

private:
    struct Failure {
        std::string text;
        int code = 0;
        std::string reply;
    };

    bool SendDirect(const std::string& localPath, const std::string& name, int transferType);
    bool SendThroughPart(const std::string& localPath, const std::string& name, int transferType);
    // The server refused the RNFR of the part: it renames nothing.
    bool SendWithoutRenames(const std::string& localPath, const std::string& name, int transferType,
                            const std::string& part);
    // The server refused the RNTO of the part to name, which may be a file it never renames over.
    bool ReplaceAside(const std::string& part, const std::string& name);
    // The old file is aside: the part takes the name, or the old file comes back.
    bool TakeName(const std::string& part, const std::string& name, const std::string& aside);
    void PutBack(const std::string& part, const std::string& name, const std::string& aside);
    // Renames from to; a rename whose reply never came is settled by a listing: Done when from is
    // gone and to is there (holding the new file when newFile says so), else Failed, with the
    // failure taken and the listing kept for the caller.
    CFtpConnection::RenameResult Move(const std::string& from, const std::string& to, bool newFile);
    // Lists the current directory into m_listed; false (and m_listed empty) when it cannot.
    bool Look();
    // Whether the last listing names name (a directory never counts).
    const CFindRecord* Listed(const std::string& name) const;
    // The aside of an earlier upload, found when the old file would not move onto it: deleted
    // when name still holds a file. True when it went.
    bool ClearAside(const std::string& name, const std::string& aside);
    // Logs why the part goes, deletes it and fails; the error is the one taken before.
    bool GiveUp(const std::string& part, const std::string& note);
    // Where the old file is, when it may not be under its name: in the error and in the log.
    void TellWhere(const std::string& oldFile);
    // Whether name is a directory; the connection stays in the directory it was in.
    bool IsDirectory(const std::string& name);
    // Takes the text of the failure that just happened, before any cleanup command replaces it.
    void TakeError();
    void RemovePart(const std::string& part);

    CFtpConnection& m_connection;
    CRenameRefusal& m_renames;
    Failure m_failure;
    std::string m_where;
    std::optional<uint64_t> m_size; // of a file sent byte for byte
    bool m_looked = false;          // m_listed holds the current directory
    std::vector<CFindRecord> m_listed;
};

} // namespace skerrow
