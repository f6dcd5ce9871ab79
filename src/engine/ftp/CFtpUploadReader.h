#pragma once
// Feeds a local file to curl. In ASCII mode every CR LF pair is handed over as a bare LF, because
// curl itself puts a CR before each LF it sends in ASCII mode: the wire then carries CR LF whether
// the file had LF or CR LF line ends, and never CR CR LF.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>

namespace skerrow {

class CFtpUploadReader {
public:
    CFtpUploadReader() = default;
    virtual ~CFtpUploadReader();
    CFtpUploadReader(const CFtpUploadReader&) = delete;
    CFtpUploadReader& operator=(const CFtpUploadReader&) = delete;

    // Opens the file; on failure returns the error code (2 not found, 5 access denied), else 0.
    int Open(const std::string& path, bool ascii);
    uint64_t Size() const { return m_size; }
    // Fills up to size bytes; 0 at the end; false on a read error.
    bool Read(char* buffer, size_t size, size_t& produced);

    // The curl read callback (userdata is the reader).
    static size_t CurlRead(char* buffer, size_t size, size_t count, void* userdata);

private:
    std::FILE* m_file = nullptr;
    bool m_ascii = false;
    bool m_pendingCr = false; // a CR ended the previous chunk; its fate depends on the next byte
    uint64_t m_size = 0;
};

} // namespace skerrow
