#include "ftp/CFtpListParser.h"

#include <cctype>
#include <cstdlib>
#include <cstring>
#include <map>
#include <sstream>
#include <strings.h>

namespace skerrow {
namespace {

struct Token {
    std::string text;
    size_t end = 0; // offset just past the token in the line
};

std::vector<Token> Tokenize(const std::string& line, size_t maxTokens)
{
    std::vector<Token> tokens;
    size_t pos = 0;
    while (tokens.size() < maxTokens) {
        while (pos < line.size() && line[pos] == ' ')
            ++pos;
        if (pos >= line.size())
            break;
        const size_t start = pos;
        while (pos < line.size() && line[pos] != ' ')
            ++pos;
        tokens.push_back({line.substr(start, pos - start), pos});
    }
    return tokens;
}

int MonthIndex(const std::string& text)
{
    static const char* const kMonths[] = {"jan", "feb", "mar", "apr", "may", "jun",
                                          "jul", "aug", "sep", "oct", "nov", "dec"};
    if (text.size() != 3)
        return -1;
    for (int i = 0; i < 12; ++i) {
        if (strncasecmp(text.c_str(), kMonths[i], 3) == 0)
            return i;
    }
    return -1;
}

bool IsNumber(const std::string& text)
{
    if (text.empty())
        return false;
    for (char c : text) {
        if (!std::isdigit(static_cast<unsigned char>(c)))
            return false;
    }
    return true;
}

// "Mon DD HH:MM" (this year) or "Mon DD YYYY", as UTC seconds.
std::time_t UnixListTime(int month, const std::string& day, const std::string& timeOrYear)
{
    std::tm tm{};
    tm.tm_mon = month;
    tm.tm_mday = std::atoi(day.c_str());
    const size_t colon = timeOrYear.find(':');
    if (colon != std::string::npos) {
        const std::time_t now = std::time(nullptr);
        std::tm nowTm{};
        gmtime_r(&now, &nowTm);
        tm.tm_year = nowTm.tm_year;
        tm.tm_hour = std::atoi(timeOrYear.substr(0, colon).c_str());
        tm.tm_min = std::atoi(timeOrYear.substr(colon + 1).c_str());
        if (month > nowTm.tm_mon + 1) // a date in the future means last year
            --tm.tm_year;
    } else {
        tm.tm_year = std::atoi(timeOrYear.c_str()) - 1900;
    }
    return timegm(&tm);
}

// "YYYYMMDDHHMMSS[.sss]" as UTC seconds.
std::time_t MlsdTime(const std::string& text)
{
    if (text.size() < 14 || !IsNumber(text.substr(0, 14)))
        return 0;
    std::tm tm{};
    tm.tm_year = std::atoi(text.substr(0, 4).c_str()) - 1900;
    tm.tm_mon = std::atoi(text.substr(4, 2).c_str()) - 1;
    tm.tm_mday = std::atoi(text.substr(6, 2).c_str());
    tm.tm_hour = std::atoi(text.substr(8, 2).c_str());
    tm.tm_min = std::atoi(text.substr(10, 2).c_str());
    tm.tm_sec = std::atoi(text.substr(12, 2).c_str());
    return timegm(&tm);
}

// "MM-DD-YY", "MM-DD-YYYY" or "YYYY-MM-DD" ("/" also separates); false when it is none of them.
bool DosDate(const std::string& text, std::tm& tm)
{
    std::string digits[3];
    int part = 0;
    for (char c : text) {
        if (c == '-' || c == '/') {
            if (++part > 2)
                return false;
        } else if (std::isdigit(static_cast<unsigned char>(c))) {
            digits[part] += c;
        } else {
            return false;
        }
    }
    if (part != 2 || digits[0].empty() || digits[1].empty() || digits[2].empty())
        return false;
    int year = 0;
    int month = 0;
    int day = 0;
    if (digits[0].size() == 4) {
        year = std::atoi(digits[0].c_str());
        month = std::atoi(digits[1].c_str());
        day = std::atoi(digits[2].c_str());
    } else {
        month = std::atoi(digits[0].c_str());
        day = std::atoi(digits[1].c_str());
        year = std::atoi(digits[2].c_str());
        if (digits[2].size() <= 2)
            year += year < 70 ? 2000 : 1900;
    }
    if (month < 1 || month > 12 || day < 1 || day > 31)
        return false;
    tm.tm_year = year - 1900;
    tm.tm_mon = month - 1;
    tm.tm_mday = day;
    return true;
}

// "HH:MM" with an optional "AM" or "PM" right after it.
bool DosTime(std::string text, std::tm& tm)
{
    int shift = -1;
    if (text.size() > 2) {
        const std::string suffix = text.substr(text.size() - 2);
        if (strcasecmp(suffix.c_str(), "AM") == 0 || strcasecmp(suffix.c_str(), "PM") == 0) {
            shift = std::toupper(static_cast<unsigned char>(suffix[0])) == 'P' ? 12 : 0;
            text.resize(text.size() - 2);
        }
    }
    const size_t colon = text.find(':');
    if (colon == std::string::npos || !IsNumber(text.substr(0, colon)) || !IsNumber(text.substr(colon + 1)))
        return false;
    int hour = std::atoi(text.substr(0, colon).c_str());
    const int minute = std::atoi(text.substr(colon + 1).c_str());
    if (shift >= 0) {
        if (hour < 1 || hour > 12)
            return false;
        hour = hour % 12 + shift;
    }
    if (hour > 23 || minute > 59)
        return false;
    tm.tm_hour = hour;
    tm.tm_min = minute;
    return true;
}

// A line that names no entry and yet has its place in a listing: a blank one, "total 12", and the
// fact lines of the directory itself and its parent (MLSD's "cdir" and "pdir").
bool IsFiller(const std::string& line)
{
    if (line.empty() || (line.rfind("total ", 0) == 0 && IsNumber(line.substr(6))))
        return true;
    const size_t space = line.find(' ');
    return space != std::string::npos && line.find('=') < space && line.find(';') < space;
}

} // namespace

bool CFtpListParser::ParseLine(const std::string& rawLine, CFindRecord& record)
{
    std::string line = rawLine;
    while (!line.empty() && (line.back() == '\r' || line.back() == '\n'))
        line.pop_back();
    if (line.empty())
        return false;
    record = CFindRecord();
    const size_t space = line.find(' ');
    if (space != std::string::npos && line.find('=') < space && line.find(';') < space)
        return ParseMlsdLine(line, record);
    if (std::isdigit(static_cast<unsigned char>(line[0])))
        return ParseDosLine(line, record);
    return ParseUnixLine(line, record);
}

bool CFtpListParser::ParseUnixLine(const std::string& line, CFindRecord& record)
{
    const char kind = line[0];
    if (std::strchr("-dlbcps", kind) == nullptr)
        return false;
    // Permissions, links, owner, group, size, month, day, time or year, then the name. Owner or
    // group may be missing, so the date is found by its month name.
    const std::vector<Token> tokens = Tokenize(line, 9);
    for (size_t m = 2; m + 2 < tokens.size(); ++m) {
        const int month = MonthIndex(tokens[m].text);
        if (month < 0 || !IsNumber(tokens[m - 1].text) || !IsNumber(tokens[m + 1].text))
            continue;
        const size_t nameStart = tokens[m + 2].end + 1;
        if (nameStart > line.size())
            return false;
        record.name = line.substr(nameStart);
        if (kind == 'l') {
            const size_t arrow = record.name.find(" -> ");
            if (arrow != std::string::npos)
                record.name.resize(arrow);
        }
        if (record.name.empty())
            return false;
        record.size = std::strtoull(tokens[m - 1].text.c_str(), nullptr, 10);
        record.attributes = kind == 'd' ? kFileAttributeDirectory : 0;
        record.link = kind == 'l';
        record.lastWriteTime = UnixListTime(month, tokens[m + 1].text, tokens[m + 2].text);
        return true;
    }
    return false;
}

bool CFtpListParser::ParseDosLine(const std::string& line, CFindRecord& record)
{
    // Date, time, "<DIR>" or the size (digit groups may be separated by ","), then the name.
    const std::vector<Token> tokens = Tokenize(line, 3);
    std::tm tm{};
    if (tokens.size() != 3 || !DosDate(tokens[0].text, tm) || !DosTime(tokens[1].text, tm))
        return false;
    size_t nameStart = tokens[2].end + 1;
    if (strcasecmp(tokens[2].text.c_str(), "<DIR>") == 0) {
        record.attributes = kFileAttributeDirectory;
        // The name column starts after a run of blanks that pads "<DIR>" to the size column.
        while (nameStart < line.size() && line[nameStart] == ' ')
            ++nameStart;
    } else {
        std::string size;
        for (char c : tokens[2].text) {
            if (c != ',')
                size += c;
        }
        if (!IsNumber(size))
            return false;
        record.size = std::strtoull(size.c_str(), nullptr, 10);
    }
    if (nameStart >= line.size())
        return false;
    record.name = line.substr(nameStart);
    record.lastWriteTime = timegm(&tm); // the server's local time; its zone is not known
    return true;
}

bool CFtpListParser::ParseMlsdLine(const std::string& line, CFindRecord& record)
{
    const size_t space = line.find(' ');
    record.name = line.substr(space + 1);
    if (record.name.empty())
        return false;
    std::istringstream facts(line.substr(0, space));
    std::string fact;
    bool isEntry = true;
    while (std::getline(facts, fact, ';')) {
        const size_t eq = fact.find('=');
        if (eq == std::string::npos)
            continue;
        std::string key = fact.substr(0, eq);
        for (char& c : key)
            c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        const std::string raw = fact.substr(eq + 1);
        std::string value = raw;
        for (char& c : value)
            c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        if (key == "type") {
            if (value == "dir")
                record.attributes = kFileAttributeDirectory;
            else if (value == "cdir" || value == "pdir")
                isEntry = false;
            // "OS.unix=slink:/target" (RFC 3659's example) or "OS.unix=symlink".
            record.link = value.rfind("os.unix=slink", 0) == 0 || value.rfind("os.unix=symlink", 0) == 0;
        } else if (key == "unique") {
            record.unique = raw;
        } else if (key == "size") {
            record.size = std::strtoull(value.c_str(), nullptr, 10);
        } else if (key == "modify") {
            record.lastWriteTime = MlsdTime(value);
        }
    }
    return isEntry;
}

std::vector<CFindRecord> CFtpListParser::ParseListing(const std::string& listing, bool mlsd)
{
    std::vector<CFindRecord> records;
    std::vector<ListLine> lines;
    // The listing's own line end is that of its last line, which the server wrote itself: a line
    // that ends otherwise was cut by a line end inside a name.
    const size_t last = listing.rfind('\n');
    const bool crlf = last != std::string::npos && last > 0 && listing[last - 1] == '\r';
    for (size_t start = 0; start < listing.size();) {
        size_t end = listing.find('\n', start);
        const bool ended = end != std::string::npos;
        if (!ended)
            end = listing.size();
        std::string line = listing.substr(start, end - start);
        start = end + 1;
        const bool cr = !line.empty() && line.back() == '\r';
        if (cr)
            line.pop_back();
        ListLine read;
        read.cut = ended && cr != crlf;
        read.breakInside = line.find('\r') != std::string::npos;
        CFindRecord record;
        const size_t space = line.find(' ');
        // An MLSD line without facts names nothing: it is what is left of a name cut by a line end.
        const bool entry = mlsd ? space != std::string::npos && line.find('=') < space && ParseMlsdLine(line, record)
                                : ParseLine(line, record);
        read.stray = !entry && !IsFiller(line);
        if (entry) {
            read.record = static_cast<int>(records.size());
            records.push_back(std::move(record));
        }
        lines.push_back(read);
    }
    MarkForged(records, lines);
    return records;
}

void CFtpListParser::MarkForged(std::vector<CFindRecord>& records, const std::vector<ListLine>& lines)
{
    // A name that holds a line end makes the rest of it a line of its own, which can describe any
    // entry (a directory where the server has a link of that name): such a line lies next to one
    // cut short or to a line that names nothing, or names an entry that is listed again.
    for (size_t i = 0; i < lines.size(); ++i) {
        if (lines[i].record < 0)
            continue;
        const bool before = i > 0 && (lines[i - 1].cut || lines[i - 1].stray);
        const bool after = i + 1 < lines.size() && lines[i + 1].stray;
        if (lines[i].cut || lines[i].breakInside || before || after)
            records[static_cast<size_t>(lines[i].record)].forged = true;
    }
    std::map<std::string, int> seen;
    for (const CFindRecord& record : records)
        ++seen[record.name];
    for (CFindRecord& record : records) {
        // A link's line ends " -> target": a directory named "x -> y" could pass for the link "x".
        const bool arrow = record.IsDirectory() && !record.link && record.name.find(" -> ") != std::string::npos;
        if (seen[record.name] > 1 || arrow)
            record.forged = true;
    }
}

std::string CFtpListParser::MlstUnique(const std::string& reply)
{
    std::istringstream lines(reply);
    std::string line;
    while (std::getline(lines, line)) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        CFindRecord record;
        if (line.size() > 1 && line[0] == ' ' && line.find(' ', 1) != std::string::npos) {
            ParseMlsdLine(line.substr(1), record);
            return record.unique;
        }
    }
    return std::string();
}

void CFtpListParser::MarkLinks(std::vector<CFindRecord>& mlsd, const std::vector<CFindRecord>& list)
{
    std::multimap<std::string, const CFindRecord*> byName;
    for (const CFindRecord& record : list)
        byName.emplace(record.name, &record);
    for (CFindRecord& record : mlsd) {
        const auto [first, end] = byName.equal_range(record.name);
        bool shownAsDirectory = false;
        for (auto it = first; it != end; ++it) {
            record.link = record.link || it->second->link;
            record.forged = record.forged || it->second->forged;
            shownAsDirectory = shownAsDirectory || it->second->IsDirectory();
        }
        if (record.IsDirectory() && !shownAsDirectory)
            record.link = true;
    }
}

} // namespace skerrow
