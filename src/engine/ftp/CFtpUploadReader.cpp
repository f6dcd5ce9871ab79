#include "ftp/CFtpUploadReader.h"

#include <cerrno>
#include <curl/curl.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "ftp/CFtpConnection.h"

namespace skerrow {

CFtpUploadReader::~CFtpUploadReader()
{
    if (m_file)
        std::fclose(m_file);
}

int CFtpUploadReader::Open(const std::string& path, bool ascii)
{
    m_ascii = ascii;
    m_pendingCr = false;
    // O_NONBLOCK: opening a pipe must not wait for a writer. It changes nothing for a regular file.
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) {
        if (errno == ENXIO)
            return kErrorNotRegularFile; // a socket
        return errno == EACCES ? kErrorAccessDenied : kErrorFileNotFound;
    }
    struct stat info {};
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        ::close(fd);
        return kErrorNotRegularFile;
    }
    m_file = ::fdopen(fd, "rb");
    if (!m_file) {
        ::close(fd);
        return kErrorReadFault;
    }
    m_size = static_cast<uint64_t>(info.st_size);
    return 0;
}

bool CFtpUploadReader::Read(char* buffer, size_t size, size_t& produced)
{
    produced = 0;
    if (!m_file || size < 2)
        return m_file != nullptr;
    size_t start = 0;
    if (m_pendingCr) {
        buffer[0] = '\r';
        start = 1;
        m_pendingCr = false;
    }
    const size_t got = std::fread(buffer + start, 1, size - start, m_file);
    if (got == 0 && std::ferror(m_file))
        return false;
    const size_t total = start + got;
    if (!m_ascii) {
        produced = total;
        return true;
    }
    const bool atEnd = got == 0 || std::feof(m_file);
    size_t out = 0;
    for (size_t i = 0; i < total; ++i) {
        if (buffer[i] == '\r') {
            if (i + 1 < total && buffer[i + 1] == '\n')
                continue; // CR LF: curl adds the CR back
            if (i + 1 == total && !atEnd) {
                m_pendingCr = true;
                continue;
            }
        }
        buffer[out++] = buffer[i];
    }
    produced = out;
    if (produced == 0 && m_pendingCr)
        return Read(buffer, size, produced);
    return true;
}

size_t CFtpUploadReader::CurlRead(char* buffer, size_t size, size_t count, void* userdata)
{
    auto* reader = static_cast<CFtpUploadReader*>(userdata);
    size_t produced = 0;
    if (!reader->Read(buffer, size * count, produced))
        return CURL_READFUNC_ABORT;
    return produced;
}

} // namespace skerrow
