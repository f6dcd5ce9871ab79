#pragma once
// The command log on disk: one line per command or reply, appended to skerrow.log in the user's
// state directory ($XDG_STATE_HOME/skerrow, else ~/.local/state/skerrow), mode 0600. When the file
// passes its size limit it becomes skerrow.log.1 (the older one goes) and a new file begins.

#include <cstdint>
#include <cstdio>
#include <mutex>
#include <string>

namespace skerrow {

class CLogFile {
public:
    // path "" = the default place; created with its directory (0700) on the first line.
    explicit CLogFile(std::string path = std::string(), uint64_t limitBytes = 4u * 1024u * 1024u);
    virtual ~CLogFile();
    CLogFile(const CLogFile&) = delete;
    CLogFile& operator=(const CLogFile&) = delete;

    // Appends line, its control characters escaped (CControlCharacters), and a line end; any
    // thread. The lines reach the disk at Flush, when the buffer is full and when the object goes:
    // a pass of small files makes no system call per line. A file that cannot be written is given
    // up quietly: the log in the window goes on.
    void Write(const std::string& line);
    void Flush();
    const std::string& Path() const { return m_path; }

    // $XDG_STATE_HOME/skerrow/skerrow.log, or ~/.local/state/skerrow/skerrow.log; "" when neither
    // variable names a directory.
    static std::string DefaultPath();

private:
    bool OpenLocked();
    void RotateLocked();

    std::mutex m_mutex;
    std::string m_path;
    uint64_t m_limit;
    std::FILE* m_file = nullptr;
    uint64_t m_size = 0;
    bool m_failed = false;
};

} // namespace skerrow
