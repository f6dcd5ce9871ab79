#include "discovery/CExclusionMatcher.h"

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace skerrow {

namespace {

constexpr size_t kMaxRuleFileSize = 1024 * 1024;

bool HasWildcard(std::string_view text)
{
    return text.find_first_of("*?[\\") != std::string_view::npos;
}

// The line without its trailing blanks, keeping a blank that a backslash escapes.
std::string_view TrimTrailingBlanks(std::string_view line)
{
    while (!line.empty() && (line.back() == ' ' || line.back() == '\t')) {
        size_t backslashes = 0;
        for (size_t i = line.size() - 1; i > 0 && line[i - 1] == '\\'; --i)
            ++backslashes;
        if (backslashes % 2 == 1)
            break;
        line.remove_suffix(1);
    }
    return line;
}

// Matches c against a bracket class starting at pattern[0] == '['. Returns the length of the
// class in the pattern, or 0 when the class is not closed (the "[" is then a plain character).
size_t MatchClass(std::string_view pattern, char c, bool& matched)
{
    size_t i = 1;
    const bool negate = i < pattern.size() && (pattern[i] == '!' || pattern[i] == '^');
    if (negate)
        ++i;
    const auto value = static_cast<unsigned char>(c);
    bool found = false;
    for (bool first = true; i < pattern.size(); first = false) {
        if (pattern[i] == ']' && !first) {
            matched = found != negate && c != '/';
            return i + 1;
        }
        if (pattern[i] == '\\' && i + 1 < pattern.size())
            ++i;
        const auto low = static_cast<unsigned char>(pattern[i++]);
        auto high = low;
        if (i + 1 < pattern.size() && pattern[i] == '-' && pattern[i + 1] != ']') {
            high = static_cast<unsigned char>(pattern[i + 1]);
            i += 2;
        }
        if (low <= value && value <= high)
            found = true;
    }
    return 0;
}

// The matcher proper; atSegmentStart tells whether pattern starts a path segment (where "**" is
// special).
bool Glob(std::string_view pattern, std::string_view text, bool atSegmentStart)
{
    while (!pattern.empty()) {
        const char c = pattern.front();
        if (c == '*') {
            if (atSegmentStart && pattern.substr(0, 2) == "**" && (pattern.size() == 2 || pattern[2] == '/')) {
                if (pattern.size() == 2)
                    return true; // "/**" at the end: everything inside
                const std::string_view rest = pattern.substr(3);
                for (size_t at = 0;;) { // "**/": zero or more whole directories
                    if (Glob(rest, text.substr(at), true))
                        return true;
                    const size_t slash = text.find('/', at);
                    if (slash == std::string_view::npos)
                        return false;
                    at = slash + 1;
                }
            }
            while (!pattern.empty() && pattern.front() == '*')
                pattern.remove_prefix(1);
            for (size_t at = 0; at <= text.size(); ++at) {
                if (Glob(pattern, text.substr(at), false))
                    return true;
                if (at < text.size() && text[at] == '/')
                    return false;
            }
            return false;
        }
        if (text.empty())
            return false;
        if (c == '?') {
            if (text.front() == '/')
                return false;
            pattern.remove_prefix(1);
        } else if (c == '[') {
            bool matched = false;
            const size_t length = MatchClass(pattern, text.front(), matched);
            if (length == 0 ? text.front() != '[' : !matched)
                return false;
            pattern.remove_prefix(length == 0 ? 1 : length);
        } else {
            if (c == '\\' && pattern.size() > 1)
                pattern.remove_prefix(1);
            if (pattern.front() != text.front())
                return false;
            pattern.remove_prefix(1);
        }
        atSegmentStart = text.front() == '/';
        text.remove_prefix(1);
    }
    return text.empty();
}

} // namespace

bool CExclusionMatcher::GlobMatch(std::string_view pattern, std::string_view text)
{
    return Glob(pattern, text, true);
}

void CExclusionMatcher::AddRule(std::string_view line)
{
    if (!line.empty() && line.back() == '\r')
        line.remove_suffix(1);
    line = TrimTrailingBlanks(line);
    if (line.empty() || line.front() == '#')
        return;
    Rule rule;
    if (line.front() == '!') {
        rule.negated = true;
        line.remove_prefix(1);
    }
    while (!line.empty() && line.back() == '/') {
        rule.directoryOnly = true;
        line.remove_suffix(1);
    }
    // "**/name" is the same as "name": a name anywhere.
    while (line.substr(0, 3) == "**/" && line.find('/', 3) == std::string_view::npos)
        line.remove_prefix(3);
    rule.anchored = line.find('/') != std::string_view::npos;
    if (rule.anchored && line.front() == '/')
        line.remove_prefix(1);
    if (line.empty())
        return;
    if (!HasWildcard(line)) {
        rule.kind = Kind::Literal;
    } else if (!rule.anchored && line.front() == '*' && !HasWildcard(line.substr(1))) {
        rule.kind = Kind::Suffix;
        line.remove_prefix(1);
    }
    rule.pattern = line;
    m_rules.push_back(std::move(rule));
}

void CExclusionMatcher::AddRules(const std::vector<std::string>& lines)
{
    for (const std::string& line : lines)
        AddRule(line);
}

CExclusionMatcher::FileResult CExclusionMatcher::AddRulesFromFile(const std::string& path)
{
    // Opened without waiting: a pipe in its place must not hold up the walk.
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0)
        return errno == ENOENT || errno == ENOTDIR ? FileResult::Absent : FileResult::Unreadable;
    struct stat info {};
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        ::close(fd);
        return FileResult::Unreadable;
    }
    std::string contents(std::min<size_t>(static_cast<size_t>(info.st_size), kMaxRuleFileSize), '\0');
    size_t filled = 0;
    while (filled < contents.size()) {
        const ssize_t got = ::read(fd, contents.data() + filled, contents.size() - filled);
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0) {
            ::close(fd);
            return FileResult::Unreadable;
        }
        if (got == 0)
            break;
        filled += static_cast<size_t>(got);
    }
    ::close(fd);
    contents.resize(filled);
    std::string_view rest = contents;
    while (!rest.empty()) {
        const size_t end = rest.find('\n');
        AddRule(rest.substr(0, end));
        if (end == std::string_view::npos)
            break;
        rest.remove_prefix(end + 1);
    }
    return FileResult::Read;
}

bool CExclusionMatcher::Matches(const Rule& rule, std::string_view directory, std::string_view name)
{
    if (!rule.anchored) {
        switch (rule.kind) {
        case Kind::Literal: return name == rule.pattern;
        case Kind::Suffix:
            return name.size() >= rule.pattern.size()
                   && name.compare(name.size() - rule.pattern.size(), rule.pattern.size(), rule.pattern) == 0;
        case Kind::Glob: return GlobMatch(rule.pattern, name);
        }
    }
    std::string path;
    path.reserve(directory.size() + 1 + name.size());
    if (!directory.empty()) {
        path += directory;
        path += '/';
    }
    path += name;
    return rule.kind == Kind::Literal ? path == rule.pattern : GlobMatch(rule.pattern, path);
}

bool CExclusionMatcher::Excludes(std::string_view directory, std::string_view name, bool isDirectory) const
{
    for (auto rule = m_rules.rbegin(); rule != m_rules.rend(); ++rule) {
        if ((!rule->directoryOnly || isDirectory) && Matches(*rule, directory, name))
            return !rule->negated;
    }
    return false;
}

bool CExclusionMatcher::ExcludesPath(std::string_view path, bool isDirectory) const
{
    for (size_t slash = path.find('/'); slash != std::string_view::npos; slash = path.find('/', slash + 1)) {
        const std::string_view parent = path.substr(0, slash);
        const size_t cut = parent.rfind('/');
        const std::string_view parentDirectory = cut == std::string_view::npos ? std::string_view() : parent.substr(0, cut);
        const std::string_view parentName = cut == std::string_view::npos ? parent : parent.substr(cut + 1);
        if (Excludes(parentDirectory, parentName, true))
            return true;
    }
    const size_t cut = path.rfind('/');
    if (cut == std::string_view::npos)
        return Excludes({}, path, isDirectory);
    return Excludes(path.substr(0, cut), path.substr(cut + 1), isDirectory);
}

} // namespace skerrow
