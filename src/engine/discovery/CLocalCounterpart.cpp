#include "discovery/CLocalCounterpart.h"

#include <filesystem>

#include "discovery/CUploadDirWalk.h"

namespace fs = std::filesystem;

namespace skerrow {

namespace {

std::string ParentOf(const std::string& relative)
{
    const size_t slash = relative.rfind('/');
    return slash == std::string::npos ? std::string() : relative.substr(0, slash);
}

std::string LastPart(const std::string& path)
{
    const size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// The most directories one look-up asks before it takes the entry for present.
constexpr int kMostProbes = 256;

std::string Join(const std::string& directory, const std::string& name)
{
    return directory.back() == '/' ? directory + name : directory + "/" + name;
}

} // namespace

bool CLocalCounterpart::Setup(const std::string& localRoot, const std::vector<std::string>& rules,
                              CLocalNameIndex::Freshness freshness)
{
    m_names = std::make_shared<CLocalNameIndex>(freshness, m_reader);
    m_names->SetStopCheck(m_stopped);
    m_root = localRoot;
    while (m_root.size() > 1 && m_root.back() == '/')
        m_root.pop_back();
    m_exclusions = CExclusionMatcher();
    m_exclusions.AddRules(rules);
    std::error_code ec;
    if (m_root.empty() || !fs::is_directory(m_root, ec))
        return false;
    const std::string ruleFile = m_root + "/" + CUploadDirWalk::kRuleFileName;
    return m_exclusions.AddRulesFromFile(ruleFile) != CExclusionMatcher::FileResult::Unreadable;
}

bool CLocalCounterpart::Exists(const std::string& relative) const
{
    if (!m_names || m_root.empty())
        return true;
    int probes = 0;
    return ExistsBelow(m_root, relative, 0, probes);
}

bool CLocalCounterpart::ExistsBelow(const std::string& directory, const std::string& relative, size_t start,
                                    int& probes) const
{
    if (++probes > kMostProbes)
        return true;
    const size_t slash = relative.find('/', start);
    const std::string part = relative.substr(start, slash == std::string::npos ? std::string::npos : slash - start);
    std::vector<std::string> matches;
    switch (m_names->Find(directory, part, matches)) {
    case CLocalNameIndex::Found::No: return false;
    case CLocalNameIndex::Found::Unsure: return true;
    case CLocalNameIndex::Found::Yes: break;
    }
    if (slash == std::string::npos)
        return true;
    // Folded alike, several local directories may be the server's one: any of them may hold the rest.
    for (const std::string& match : matches) {
        if (ExistsBelow(Join(directory, match), relative, slash + 1, probes))
            return true;
    }
    return false;
}

bool CLocalCounterpart::InUnderscoreDirectory(const std::string& relative) const
{
    const std::string directory = ParentOf(relative);
    const std::string name = directory.empty() ? LastPart(m_root) : LastPart(directory);
    return !name.empty() && name[0] == '_';
}

bool CLocalCounterpart::KeptByRules(const std::string& relative) const
{
    return InUnderscoreDirectory(relative) || relative == CUploadDirWalk::kRuleFileName ||
           m_exclusions.ExcludesPath(relative, false);
}

bool CLocalCounterpart::KeepsFile(const std::string& relative) const
{
    return KeptByRules(relative) || Exists(relative);
}

bool CLocalCounterpart::KeepsDirectory(const std::string& relative) const
{
    return m_exclusions.ExcludesPath(relative, true) || Exists(relative);
}

bool CLocalCounterpart::ExcludesDirectory(const std::string& relative) const
{
    return m_exclusions.ExcludesPath(relative, true);
}

bool CLocalCounterpart::HoldsAnyFile() const
{
    std::error_code ec;
    fs::recursive_directory_iterator walk(m_root, fs::directory_options::skip_permission_denied, ec);
    if (ec)
        return true;
    for (fs::recursive_directory_iterator end; walk != end; walk.increment(ec)) {
        if (ec || (m_stopped && m_stopped()))
            return true; // a folder that cannot be read through, or not read to its end, is no empty folder
        const std::string relative = fs::relative(walk->path(), m_root, ec).generic_string();
        std::error_code typeError;
        if (walk->is_directory(typeError)) {
            if (ExcludesDirectory(relative))
                walk.disable_recursion_pending();
            continue;
        }
        if (!KeptByRules(relative))
            return true;
    }
    return false;
}

} // namespace skerrow
