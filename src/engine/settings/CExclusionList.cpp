#include "settings/CExclusionList.h"

#include <charconv>
#include <map>

#include "settings/CIniFile.h"
#include "settings/CSettingsFile.h"

namespace skerrow {

namespace {

// Beyond this many rules a hand-edited Count is not believed.
constexpr long kMaxRules = 100000;

std::string_view Trim(std::string_view text)
{
    const size_t first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos)
        return {};
    return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

std::string Lower(std::string_view text)
{
    std::string result(text);
    for (char& c : result) {
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    }
    return result;
}

// A whole non-negative number, or -1.
long ParseCount(std::string_view text)
{
    long value = -1;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size() || value < 0)
        return -1;
    return value;
}

} // namespace

void CExclusionList::Load()
{
    CSettingsFile settings;
    LoadFrom(settings.GetPath(".ini"));
}

void CExclusionList::LoadFrom(const std::string& iniPath)
{
    // The section is read once and its keys looked up here: a large Count costs no file reads.
    std::map<std::string, std::string> values;
    for (const std::string& line : CIniFile::GetSection(iniPath, ini::kExclusions)) {
        const size_t equals = line.find('=');
        if (equals != std::string::npos)
            values.try_emplace(Lower(Trim(std::string_view(line).substr(0, equals))),
                               Trim(std::string_view(line).substr(equals + 1)));
    }
    const auto count = values.find(Lower(ini::kExclusionCount));
    const long n = count == values.end() ? -1 : ParseCount(count->second);
    if (n < 0) {
        m_patterns = Defaults();
        return;
    }
    m_patterns.clear();
    const std::string prefix = Lower(ini::kExclusionPattern);
    for (long i = 1; i <= std::min(n, kMaxRules); ++i) {
        const auto pattern = values.find(prefix + std::to_string(i));
        if (pattern != values.end() && !pattern->second.empty())
            m_patterns.push_back(pattern->second);
    }
}

bool CExclusionList::Store(const std::string& iniPath, const std::vector<std::string>& patterns)
{
    std::vector<std::string> lines{""};
    for (const std::string& pattern : patterns) {
        const std::string_view rule = Trim(pattern);
        if (!rule.empty())
            lines.push_back(std::string(ini::kExclusionPattern) + std::to_string(lines.size()) + "=" + std::string(rule));
    }
    lines.front() = std::string(ini::kExclusionCount) + "=" + std::to_string(lines.size() - 1);
    return CIniFile::WriteSection(iniPath, ini::kExclusions, lines);
}

const std::vector<std::string>& CExclusionList::Defaults()
{
    static const std::vector<std::string> defaults = {".git/", ".svn/", ".hg/", ".DS_Store", "Thumbs.db", "*~", "*.swp"};
    return defaults;
}

} // namespace skerrow
