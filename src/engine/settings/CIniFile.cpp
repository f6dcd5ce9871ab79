#include "settings/CIniFile.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <map>
#include <mutex>
#include <optional>
#include <sys/stat.h>
#include <unistd.h>

namespace skerrow {

namespace {

// Every call on every settings file goes through this one lock, so two calls never interleave.
std::mutex& FileLock()
{
    static std::mutex lock;
    return lock;
}

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

// Files found unreadable in this process, with the reason, and whether the user has been told.
struct UnreadableFile {
    int code = 0;
    bool reported = false;
};

std::map<std::string, UnreadableFile>& UnreadableFiles()
{
    static std::map<std::string, UnreadableFile> files;
    return files;
}

thread_local CIniFile::Error t_lastError;

bool Fail(CIniFile::Error::Kind kind, int code)
{
    t_lastError = CIniFile::Error{kind, code};
    return false;
}

// The file as its lines (without line ends), plus how its lines end and whether it began with a
// UTF-8 byte-order mark, so that a rewrite keeps them.
struct IniText {
    std::vector<std::string> lines;
    bool crlf = false;
    bool bom = false;
    bool exists = false;
    bool unreadable = false;
    int code = 0;
};

// One section's place among the lines: the header line and the first line after the section.
struct SectionSpan {
    size_t header = 0;
    size_t end = 0;
};

// Reads the whole file. Returns 0, or why it could not: the system's error number, or -1 when
// the path names no regular file. An absent file gives ENOENT.
int ReadWholeFile(const std::string& path, std::string& contents)
{
    // Non-blocking, so that a FIFO put where the settings belong cannot hang the program.
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    if (fd < 0)
        return errno;
    int result = 0;
    struct stat info {};
    if (::fstat(fd, &info) != 0)
        result = errno;
    else if (S_ISDIR(info.st_mode))
        result = EISDIR;
    else if (!S_ISREG(info.st_mode))
        result = -1;
    char chunk[16384];
    while (result == 0) {
        const ssize_t got = ::read(fd, chunk, sizeof chunk);
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            result = errno;
        if (got <= 0)
            break;
        contents.append(chunk, static_cast<size_t>(got));
    }
    ::close(fd);
    return result;
}

void MarkUnreadable(IniText& text, const std::string& path, int code)
{
    text.unreadable = true;
    text.code = code;
    UnreadableFiles().try_emplace(path, UnreadableFile{code, false});
}

IniText Load(const std::string& path)
{
    IniText text;
    if (const auto known = UnreadableFiles().find(path); known != UnreadableFiles().end()) {
        text.unreadable = true;
        text.code = known->second.code;
        return text;
    }
    std::string contents;
    const int result = ReadWholeFile(path, contents);
    if (result == ENOENT || result == ENOTDIR)
        return text;
    if (result != 0) {
        MarkUnreadable(text, path, result < 0 ? 0 : result);
        return text;
    }
    text.exists = true;
    size_t start = 0;
    if (contents.starts_with(kByteOrderMark)) {
        text.bom = true;
        start = kByteOrderMark.size();
    }
    while (start < contents.size()) {
        size_t end = contents.find('\n', start);
        if (end == std::string::npos)
            end = contents.size();
        size_t stop = end;
        if (stop > start && contents[stop - 1] == '\r') {
            --stop;
            text.crlf = true;
        }
        text.lines.emplace_back(contents, start, stop - start);
        start = end + 1;
    }
    return text;
}

std::string_view Trim(std::string_view text)
{
    const char* blanks = " \t\r\n\v\f";
    const size_t first = text.find_first_not_of(blanks);
    if (first == std::string_view::npos)
        return {};
    const size_t last = text.find_last_not_of(blanks);
    return text.substr(first, last - first + 1);
}

bool EqualNoCase(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i) {
        const auto ca = static_cast<unsigned char>(a[i]);
        const auto cb = static_cast<unsigned char>(b[i]);
        if (ca != cb && std::tolower(ca) != std::tolower(cb))
            return false;
    }
    return true;
}

bool IsComment(std::string_view trimmed)
{
    return !trimmed.empty() && (trimmed.front() == ';' || trimmed.front() == '#');
}

// The section name of a header line "[name]", or nothing when the line is no header.
std::optional<std::string_view> HeaderName(const std::string& line)
{
    const std::string_view trimmed = Trim(line);
    if (trimmed.size() < 2 || trimmed.front() != '[')
        return std::nullopt;
    const size_t close = trimmed.find(']');
    if (close == std::string_view::npos)
        return std::nullopt;
    return Trim(trimmed.substr(1, close - 1));
}

std::optional<SectionSpan> FindSection(const IniText& text, const std::string& section)
{
    for (size_t i = 0; i < text.lines.size(); ++i) {
        const auto name = HeaderName(text.lines[i]);
        if (!name || !EqualNoCase(*name, section))
            continue;
        SectionSpan span{i, i + 1};
        while (span.end < text.lines.size() && !HeaderName(text.lines[span.end]))
            ++span.end;
        return span;
    }
    return std::nullopt;
}

// The key of a "key=value" line, trimmed; nothing for blank lines, comments and lines without "=".
std::optional<std::string_view> KeyOf(const std::string& line)
{
    const std::string_view trimmed = Trim(line);
    if (trimmed.empty() || IsComment(trimmed))
        return std::nullopt;
    const size_t equals = trimmed.find('=');
    if (equals == std::string_view::npos)
        return std::nullopt;
    return Trim(trimmed.substr(0, equals));
}

std::optional<size_t> FindKey(const IniText& text, const SectionSpan& span, const std::string& key)
{
    for (size_t i = span.header + 1; i < span.end; ++i) {
        const auto name = KeyOf(text.lines[i]);
        if (name && EqualNoCase(*name, key))
            return i;
    }
    return std::nullopt;
}

std::optional<std::string> FindValue(const std::string& path, const std::string& section, const std::string& key)
{
    const IniText text = Load(path);
    const auto span = FindSection(text, section);
    if (!span)
        return std::nullopt;
    const auto index = FindKey(text, *span, key);
    if (!index)
        return std::nullopt;
    const std::string& line = text.lines[*index];
    return std::string(Trim(std::string_view(line).substr(line.find('=') + 1)));
}

// Lines of the section as the program sees them: "key=value" trimmed around both parts, or the
// trimmed line when it has no "="; blank lines and comments left out.
std::vector<std::string> SectionLines(const std::string& path, const std::string& section)
{
    std::vector<std::string> result;
    const IniText text = Load(path);
    const auto span = FindSection(text, section);
    if (!span)
        return result;
    for (size_t i = span->header + 1; i < span->end; ++i) {
        const std::string_view trimmed = Trim(text.lines[i]);
        if (trimmed.empty() || IsComment(trimmed))
            continue;
        const size_t equals = trimmed.find('=');
        if (equals == std::string_view::npos) {
            result.emplace_back(trimmed);
            continue;
        }
        std::string entry(Trim(trimmed.substr(0, equals)));
        entry += '=';
        entry += Trim(trimmed.substr(equals + 1));
        result.push_back(std::move(entry));
    }
    return result;
}

// A line break or NUL inside a name or value would split it into lines of its own on the next read.
bool IsOneLine(std::string_view text)
{
    return text.find_first_of(std::string_view("\r\n\0", 3)) == std::string_view::npos;
}

bool ValidSectionName(const std::string& section)
{
    return IsOneLine(section) && section.find(']') == std::string::npos && !Trim(section).empty();
}

bool ValidKeyName(const std::string& key)
{
    const std::string_view trimmed = Trim(key);
    return IsOneLine(key) && key.find('=') == std::string::npos && !trimmed.empty() && trimmed.front() != '['
           && !IsComment(trimmed);
}

std::string Serialise(const IniText& text)
{
    const char* eol = text.crlf ? "\r\n" : "\n";
    std::string out(text.bom ? kByteOrderMark : std::string_view());
    for (const std::string& line : text.lines) {
        out += line;
        out += eol;
    }
    return out;
}

bool WriteAll(int fd, const std::string& data)
{
    size_t done = 0;
    while (done < data.size()) {
        const ssize_t wrote = ::write(fd, data.data() + done, data.size() - done);
        if (wrote < 0 && errno == EINTR)
            continue;
        if (wrote == 0)
            errno = EIO;
        if (wrote <= 0)
            return false;
        done += static_cast<size_t>(wrote);
    }
    return true;
}

std::string DirectoryOf(const std::string& path)
{
    const size_t slash = path.find_last_of('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

void SyncDirectory(const std::string& path)
{
    const int fd = ::open(DirectoryOf(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

// A settings file reached through a symbolic link is rewritten where the link points, so the link
// stays a link.
std::string ResolveLink(const std::string& path)
{
    struct stat info {};
    if (::lstat(path.c_str(), &info) != 0 || !S_ISLNK(info.st_mode))
        return path;
    char* real = ::realpath(path.c_str(), nullptr);
    if (!real)
        return path;
    std::string resolved(real);
    std::free(real);
    return resolved;
}

// Writes the text to a temporary file beside path and renames it over path. The file is left
// readable and writable by its owner only, whatever its mode was: it holds the password.
bool Store(const std::string& linkOrPath, const IniText& text)
{
    const std::string path = ResolveLink(linkOrPath);
    std::string temp = path + ".XXXXXX";
    const int fd = ::mkstemp(temp.data());
    if (fd < 0)
        return Fail(CIniFile::Error::kSystem, errno);
    int code = 0;
    if (::fchmod(fd, S_IRUSR | S_IWUSR) != 0 || !WriteAll(fd, Serialise(text)) || ::fsync(fd) != 0)
        code = errno;
    if (::close(fd) != 0 && code == 0)
        code = errno;
    if (code == 0 && ::rename(temp.c_str(), path.c_str()) != 0)
        code = errno;
    if (code != 0) {
        ::unlink(temp.c_str());
        return Fail(CIniFile::Error::kSystem, code);
    }
    SyncDirectory(path);
    return true;
}

// Index after the last non-blank line of the section, where a new key goes.
size_t InsertionPoint(const IniText& text, const SectionSpan& span)
{
    size_t at = span.end;
    while (at > span.header + 1 && Trim(text.lines[at - 1]).empty())
        --at;
    return at;
}

// Appends a new section header (after a blank line when the file has content); returns its span.
SectionSpan AppendSection(IniText& text, const std::string& section)
{
    if (!text.lines.empty() && !Trim(text.lines.back()).empty())
        text.lines.emplace_back();
    text.lines.push_back("[" + section + "]");
    return SectionSpan{text.lines.size() - 1, text.lines.size()};
}

// The span of the section, appended first when the file lacks it.
SectionSpan FindOrAppendSection(IniText& text, const std::string& section)
{
    if (const auto span = FindSection(text, section))
        return *span;
    return AppendSection(text, section);
}

// Like atoi, but a value that starts with no number (empty, or text) gives nothing.
std::optional<int> ParseInt(const std::string& text)
{
    size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t'))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-'))
        negative = text[i++] == '-';
    if (i >= text.size() || text[i] < '0' || text[i] > '9')
        return std::nullopt;
    long long value = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        value = value * 10 + (text[i] - '0');
        if (value > static_cast<long long>(INT_MAX) + 1)
            value = static_cast<long long>(INT_MAX) + 1;
    }
    if (negative)
        value = -value;
    return static_cast<int>(std::clamp<long long>(value, INT_MIN, INT_MAX));
}

} // namespace

int CIniFile::GetInt(const std::string& path, const std::string& section, const std::string& key, int defaultValue)
{
    std::lock_guard lock(FileLock());
    const auto value = FindValue(path, section, key);
    const auto number = value ? ParseInt(*value) : std::nullopt;
    return number.value_or(defaultValue);
}

std::string CIniFile::GetString(const std::string& path, const std::string& section, const std::string& key,
                                const std::string& defaultValue)
{
    std::lock_guard lock(FileLock());
    auto value = FindValue(path, section, key);
    return value ? std::move(*value) : defaultValue;
}

std::vector<std::string> CIniFile::GetSection(const std::string& path, const std::string& section)
{
    std::lock_guard lock(FileLock());
    return SectionLines(path, section);
}

size_t CIniFile::GetSectionBuffer(const std::string& path, const std::string& section, char* buffer, size_t size)
{
    if (!buffer || size == 0)
        return 0;
    std::string packed;
    for (const std::string& line : GetSection(path, section)) {
        packed += line;
        packed += '\0';
    }
    if (size < 2) {
        buffer[0] = '\0';
        return 0;
    }
    if (packed.size() + 1 <= size) {
        std::memcpy(buffer, packed.data(), packed.size());
        buffer[packed.size()] = '\0';
        if (packed.empty() && size > 1)
            buffer[1] = '\0';
        return packed.size();
    }
    // Too small: as much as fits, the last string cut, then two NULs.
    std::memcpy(buffer, packed.data(), size - 2);
    buffer[size - 2] = '\0';
    buffer[size - 1] = '\0';
    return size - 2;
}

bool CIniFile::WriteString(const std::string& path, const std::string& section, const std::string& key,
                           const std::string& value)
{
    if (!ValidSectionName(section) || !ValidKeyName(key) || !IsOneLine(value))
        return Fail(Error::kInvalidText, 0);
    std::lock_guard lock(FileLock());
    IniText text = Load(path);
    if (text.unreadable)
        return Fail(Error::kUnreadable, text.code);
    const SectionSpan span = FindOrAppendSection(text, section);
    const auto index = FindKey(text, span, key);
    if (index) {
        // Keep the key as it is spelt in the file, and any indentation before it.
        std::string& line = text.lines[*index];
        line.erase(line.find('=') + 1);
        line += value;
    } else {
        text.lines.insert(text.lines.begin() + static_cast<std::ptrdiff_t>(InsertionPoint(text, span)),
                          key + "=" + value);
    }
    return Store(path, text);
}

bool CIniFile::WriteSection(const std::string& path, const std::string& section, const std::vector<std::string>& lines)
{
    if (!ValidSectionName(section))
        return Fail(Error::kInvalidText, 0);
    for (const std::string& line : lines) {
        if (!IsOneLine(line) || (!line.empty() && HeaderName(line)))
            return Fail(Error::kInvalidText, 0);
    }
    std::lock_guard lock(FileLock());
    IniText text = Load(path);
    if (text.unreadable)
        return Fail(Error::kUnreadable, text.code);
    const SectionSpan span = FindOrAppendSection(text, section);
    const size_t keepFrom = InsertionPoint(text, span);
    text.lines.erase(text.lines.begin() + static_cast<std::ptrdiff_t>(span.header + 1),
                     text.lines.begin() + static_cast<std::ptrdiff_t>(keepFrom));
    std::vector<std::string> body;
    for (const std::string& line : lines) {
        if (!Trim(line).empty())
            body.push_back(line);
    }
    text.lines.insert(text.lines.begin() + static_cast<std::ptrdiff_t>(span.header + 1), body.begin(), body.end());
    return Store(path, text);
}

CIniFile::Error CIniFile::LastError()
{
    return t_lastError;
}

std::vector<CIniFile::Unreadable> CIniFile::TakeUnreadableReports()
{
    std::lock_guard lock(FileLock());
    std::vector<Unreadable> reports;
    for (auto& [path, file] : UnreadableFiles()) {
        if (!file.reported)
            reports.push_back(Unreadable{path, file.code});
        file.reported = true;
    }
    return reports;
}

} // namespace skerrow
