#include "log/CLogFile.h"

#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

#include "log/CControlCharacters.h"

namespace skerrow {

CLogFile::CLogFile(std::string path, uint64_t limitBytes)
    : m_path(path.empty() ? DefaultPath() : std::move(path)), m_limit(limitBytes)
{
}

CLogFile::~CLogFile()
{
    if (m_file)
        std::fclose(m_file);
}

std::string CLogFile::DefaultPath()
{
    const char* state = std::getenv("XDG_STATE_HOME");
    if (state && state[0] == '/')
        return std::string(state) + "/skerrow/skerrow.log";
    const char* home = std::getenv("HOME");
    if (home && home[0] == '/')
        return std::string(home) + "/.local/state/skerrow/skerrow.log";
    return std::string();
}

bool CLogFile::OpenLocked()
{
    if (m_file)
        return true;
    if (m_failed || m_path.empty())
        return false;
    const std::filesystem::path directory = std::filesystem::path(m_path).parent_path();
    std::error_code ec;
    if (!std::filesystem::exists(directory, ec)) {
        std::filesystem::create_directories(directory, ec);
        ::chmod(directory.c_str(), 0700);
    }
    // Never through a link: the file is the user's own, with what the servers said.
    const int fd = ::open(m_path.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (fd < 0) {
        m_failed = true;
        return false;
    }
    ::fchmod(fd, 0600);
    struct stat info {};
    m_size = ::fstat(fd, &info) == 0 ? static_cast<uint64_t>(info.st_size) : 0;
    m_file = ::fdopen(fd, "a");
    if (!m_file) {
        ::close(fd);
        m_failed = true;
        return false;
    }
    return true;
}

void CLogFile::RotateLocked()
{
    std::fclose(m_file);
    m_file = nullptr;
    std::error_code ec;
    std::filesystem::rename(m_path, m_path + ".1", ec);
}

void CLogFile::Write(const std::string& line)
{
    // A name or reply with an ESC would act on the terminal of whoever reads the log with cat.
    const std::string text = CControlCharacters::Escape(line);
    std::lock_guard lock(m_mutex);
    if (!OpenLocked())
        return;
    if (m_size > 0 && m_size + text.size() + 1 > m_limit) {
        RotateLocked();
        if (!OpenLocked())
            return;
    }
    std::fwrite(text.data(), 1, text.size(), m_file);
    std::fputc('\n', m_file);
    m_size += text.size() + 1;
}

void CLogFile::Flush()
{
    std::lock_guard lock(m_mutex);
    if (m_file)
        std::fflush(m_file);
}

} // namespace skerrow
