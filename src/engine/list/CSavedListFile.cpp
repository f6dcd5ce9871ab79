#include "list/CSavedListFile.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <limits>
#include <memory>
#include <unistd.h>

#include "list/CSavedListParser.h"

namespace skerrow {
namespace {

// The file is read and written in pieces of this size.
constexpr size_t kChunk = size_t(1) << 20;

void AppendLine(std::string& out, int32_t word, std::string_view name, std::string_view size, std::string_view error)
{
    out += std::to_string(word);
    out += '\t';
    out += name;
    out += '\t';
    out += size;
    out += '\t';
    out += CSavedListFile::EscapeError(error);
    out += "\r\n";
}

bool WriteAll(int fd, std::string_view data)
{
    while (!data.empty()) {
        const ssize_t wrote = ::write(fd, data.data(), data.size());
        if (wrote < 0 && errno == EINTR)
            continue;
        if (wrote <= 0) {
            if (wrote == 0)
                errno = EIO;
            return false;
        }
        data.remove_prefix(static_cast<size_t>(wrote));
    }
    return true;
}

} // namespace

int32_t LeadingInt(std::string_view text)
{
    size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || (text[i] >= '\t' && text[i] <= '\r')))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-'))
        negative = text[i++] == '-';
    int64_t value = 0;
    const int64_t limit = int64_t(std::numeric_limits<int32_t>::max()) + 1;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        value = value * 10 + (text[i] - '0');
        if (value > limit)
            value = limit;
    }
    if (negative)
        value = -value;
    if (value > std::numeric_limits<int32_t>::max())
        value = std::numeric_limits<int32_t>::max();
    return static_cast<int32_t>(value);
}

void CSavedListFile::Parse(std::string_view contents, int& runState, std::vector<CTransferRow>& rows)
{
    std::vector<CPackedRow> packed;
    CSavedListParser parser(packed);
    parser.Feed(contents);
    parser.Finish();
    runState = parser.RunState();
    rows.clear();
    rows.reserve(packed.size());
    for (const CPackedRow& row : packed)
        rows.push_back(row.Unpacked());
}

std::string CSavedListFile::EscapeError(std::string_view text)
{
    std::string out;
    out.reserve(text.size());
    for (const char c : text) {
        switch (c) {
        case '\n': out += "\\n"; break;
        case '\r': out += "\\r"; break;
        case '\t': out += "\\t"; break;
        case '\\': out += "\\\\"; break;
        default: out += c;
        }
    }
    return out;
}

std::string CSavedListFile::UnescapeError(std::string_view field)
{
    std::string out;
    out.reserve(field.size());
    for (size_t i = 0; i < field.size(); ++i) {
        const char next = i + 1 < field.size() ? field[i + 1] : '\0';
        const char meant = next == 'n' ? '\n' : next == 'r' ? '\r' : next == 't' ? '\t' : next == '\\' ? '\\' : '\0';
        if (field[i] == '\\' && meant != '\0') {
            out += meant;
            ++i;
        } else {
            out += field[i];
        }
    }
    return out;
}

std::string CSavedListFile::Format(int runState, const std::vector<CTransferRow>& rows)
{
    std::string out = std::to_string(runState) + "\r\n";
    for (const CTransferRow& row : rows)
        AppendLine(out, row.word, row.name, row.size, row.error);
    return out;
}

bool CSavedListFile::Write(const std::string& path, int runState, const std::vector<CPackedRow>& rows)
{
    m_error.clear();
    m_refusal = Refusal::None;
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC | O_NOCTTY, 0666);
    if (fd < 0)
        return Fail(errno);
    const bool written = WriteRows(fd, runState, rows);
    if (::close(fd) != 0 && written)
        return Fail(errno);
    return written;
}

bool CSavedListFile::WriteReplacing(const std::string& path, int runState, const std::vector<CPackedRow>& rows)
{
    m_error.clear();
    m_refusal = Refusal::None;
    // mkstemp creates a new file under a name nobody could foresee, and never through a link.
    std::string temporary = path + ".XXXXXX";
    const int fd = ::mkstemp(temporary.data());
    if (fd < 0)
        return Fail(errno);
    bool written = WriteRows(fd, runState, rows);
    if (written && ::fsync(fd) != 0)
        written = Fail(errno);
    if (::close(fd) != 0 && written)
        written = Fail(errno);
    if (written && ::rename(temporary.c_str(), path.c_str()) != 0)
        written = Fail(errno);
    if (!written)
        ::unlink(temporary.c_str());
    return written;
}

bool CSavedListFile::WriteRows(int fd, int runState, const std::vector<CPackedRow>& rows)
{
    std::string text = std::to_string(runState) + "\r\n";
    for (const CPackedRow& row : rows) {
        AppendLine(text, row.word, row.Name(), row.Size(), row.Error());
        if (text.size() >= kChunk) {
            if (!WriteAll(fd, text))
                return Fail(errno);
            text.clear();
        }
    }
    return WriteAll(fd, text) || Fail(errno);
}

bool CSavedListFile::Fail(int code)
{
    m_error = std::strerror(code ? code : EIO);
    return false;
}

bool CSavedListFile::Refuse(Refusal refusal)
{
    m_refusal = refusal;
    return false;
}

bool CSavedListFile::Read(const std::string& path, int& runState, std::vector<CPackedRow>& rows)
{
    m_error.clear();
    m_refusal = Refusal::None;
    std::error_code ec;
    if (std::filesystem::is_directory(path, ec)) {
        m_error = std::strerror(EISDIR);
        return false;
    }
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        m_error = std::strerror(errno);
        return false;
    }
    // A regular file says its size at once; anything else is counted as it is read.
    const uintmax_t size = std::filesystem::file_size(path, ec);
    if (!ec && size > kMaxBytes)
        return Refuse(Refusal::TooLarge);

    std::vector<CPackedRow> read;
    CSavedListParser parser(read);
    const auto buffer = std::make_unique_for_overwrite<char[]>(kChunk);
    uint64_t total = 0;
    // A read error surfaces as an exception from the stream buffer, whatever the stream's mask.
    try {
        while (in) {
            in.read(buffer.get(), static_cast<std::streamsize>(kChunk));
            const size_t got = static_cast<size_t>(in.gcount());
            if (got == 0)
                break;
            total += got;
            if (total > kMaxBytes)
                return Refuse(Refusal::TooLarge);
            if (std::memchr(buffer.get(), '\0', got))
                return Refuse(Refusal::NotText);
            parser.Feed(std::string_view(buffer.get(), got));
        }
    } catch (const std::exception& error) {
        m_error = error.what();
        return false;
    }
    if (in.bad()) {
        m_error = std::strerror(errno ? errno : EIO);
        return false;
    }
    parser.Finish();
    runState = parser.RunState();
    rows = std::move(read);
    return true;
}

} // namespace skerrow
