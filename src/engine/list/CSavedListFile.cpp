#include "list/CSavedListFile.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <limits>
#include <sstream>

namespace skerrow {
namespace {

// The next line of contents from pos, without its line end (LF, or CR LF); pos moves past it.
std::string_view NextLine(std::string_view contents, size_t& pos)
{
    const size_t end = contents.find('\n', pos);
    std::string_view line = contents.substr(pos, end == std::string_view::npos ? std::string_view::npos : end - pos);
    pos = end == std::string_view::npos ? contents.size() : end + 1;
    if (!line.empty() && line.back() == '\r')
        line.remove_suffix(1);
    // A line is text: a NUL byte ends it.
    const size_t nul = line.find('\0');
    if (nul != std::string_view::npos)
        line = line.substr(0, nul);
    return line;
}

// The non-empty tab-separated fields of a line, as strtok would find them.
std::vector<std::string_view> SplitFields(std::string_view line)
{
    std::vector<std::string_view> fields;
    size_t pos = 0;
    while (pos < line.size()) {
        const size_t start = line.find_first_not_of('\t', pos);
        if (start == std::string_view::npos)
            break;
        const size_t end = line.find('\t', start);
        fields.push_back(line.substr(start, end == std::string_view::npos ? std::string_view::npos : end - start));
        pos = end == std::string_view::npos ? line.size() : end;
    }
    return fields;
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
    rows.clear();
    size_t pos = 0;
    runState = contents.empty() ? 0 : LeadingInt(NextLine(contents, pos));
    while (pos < contents.size()) {
        const std::vector<std::string_view> fields = SplitFields(NextLine(contents, pos));
        if (fields.empty())
            continue;
        CTransferRow row;
        row.word = LeadingInt(fields[0]);
        if (fields.size() > 1)
            row.name = fields[1];
        if (fields.size() > 2)
            row.size = fields[2];
        if (fields.size() > 3)
            row.error = fields[3];
        rows.push_back(std::move(row));
    }
}

std::string CSavedListFile::Format(int runState, const std::vector<CTransferRow>& rows)
{
    std::string out = std::to_string(runState) + "\r\n";
    for (const CTransferRow& row : rows) {
        out += std::to_string(row.word);
        out += '\t';
        out += row.name;
        out += '\t';
        out += row.size;
        out += '\t';
        out += row.error;
        out += "\r\n";
    }
    return out;
}

bool CSavedListFile::Write(const std::string& path, int runState, const std::vector<CTransferRow>& rows)
{
    m_error.clear();
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    if (!out) {
        m_error = std::strerror(errno);
        return false;
    }
    out << Format(runState, rows);
    out.close();
    if (!out) {
        m_error = std::strerror(errno ? errno : EIO);
        return false;
    }
    return true;
}

bool CSavedListFile::Read(const std::string& path, int& runState, std::vector<CTransferRow>& rows)
{
    m_error.clear();
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
    std::ostringstream contents;
    // A read error surfaces as an exception from the stream buffer, whatever the stream's mask.
    try {
        contents << in.rdbuf();
    } catch (const std::exception& error) {
        m_error = error.what();
        return false;
    }
    if (in.bad()) {
        m_error = std::strerror(errno ? errno : EIO);
        return false;
    }
    Parse(contents.str(), runState, rows);
    return true;
}

} // namespace skerrow
