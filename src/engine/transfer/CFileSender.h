#pragma once
// One upload under a temporary name: the file is sent as ".name.skerrow-part" beside its final
// place and renamed over the old file only once the server has it whole, so the site never serves
// a half-written file. A failed or stopped upload leaves the old file as it was.
//
// The temporary file of a failed upload is deleted while the connection still works. After a Stop
// the connection is aborted for good, and after a lost server there is nothing to ask: the
// temporary file then stays until the next upload of the same file under a temporary name, whose
// STOR replaces it before the rename takes it away. (A leftover is also a server file with no local
// counterpart, so the search for server leftovers lists it.)

#include <cstdint>
#include <string>

namespace skerrow {

class CFtpConnection;

class CTempNameUpload {
public:
    // The values of Advanced/TempNameUpload; any other value counts as the default.
    enum Mode : int { kLargeFiles = 0, kAllFiles = 1, kNoFiles = 2 };
    static constexpr uint64_t kLargeFileBytes = 1024 * 1024;
    static constexpr const char* kSuffix = ".skerrow-part";

    explicit CTempNameUpload(CFtpConnection& connection) : m_connection(connection) {}
    virtual ~CTempNameUpload() = default;

    // Whether a file of this size and name goes under a temporary name with this mode. A name
    // whose temporary form would pass 255 bytes, which most servers refuse, is sent directly.
    static bool Applies(int mode, uint64_t size, const std::string& name);
    static std::string PartName(const std::string& name);

    // Sends localPath into the server's current directory under the temporary name and renames it
    // to name. A server that refuses to rename over an existing file gets that file deleted first
    // (the log says so). On failure: false, with ErrorText() taken at the failure itself.
    bool Put(const std::string& localPath, const std::string& name, int transferType);
    const std::string& ErrorText() const { return m_errorText; }

private:
    bool RenameOver(const std::string& part, const std::string& name);
    // Takes the text of the failure that just happened, before any cleanup command replaces it.
    void TakeError();
    void DeleteQuietly(const std::string& part);

    CFtpConnection& m_connection;
    std::string m_errorText;
};

} // namespace skerrow
