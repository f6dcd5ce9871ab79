#include "discovery/CLocalCounterpart.h"

#include <filesystem>
#include <strings.h>

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

enum class Found { Yes, No, Unsure };

// The entry of directory named part, its letter case ignored when no entry has it exactly.
Found FindPart(const fs::path& directory, const std::string& part, fs::path& found)
{
    std::error_code ec;
    const fs::path exact = directory / part;
    const fs::file_status status = fs::symlink_status(exact, ec);
    if (status.type() != fs::file_type::not_found) {
        found = exact;
        return ec && status.type() == fs::file_type::none ? Found::Unsure : Found::Yes;
    }
    fs::directory_iterator entries(directory, ec);
    if (ec)
        return ec == std::errc::no_such_file_or_directory || ec == std::errc::not_a_directory ? Found::No
                                                                                              : Found::Unsure;
    for (const fs::directory_entry& entry : entries) {
        if (strcasecmp(entry.path().filename().c_str(), part.c_str()) == 0) {
            found = entry.path();
            return Found::Yes;
        }
    }
    return Found::No;
}

} // namespace

bool CLocalCounterpart::Setup(const std::string& localRoot, const std::vector<std::string>& rules)
{
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
    fs::path at = m_root;
    size_t start = 0;
    for (;;) {
        const size_t slash = relative.find('/', start);
        const std::string part = relative.substr(start, slash == std::string::npos ? std::string::npos : slash - start);
        fs::path found;
        switch (FindPart(at, part, found)) {
        case Found::No: return false;
        case Found::Unsure: return true;
        case Found::Yes: break;
        }
        if (slash == std::string::npos)
            return true;
        at = found;
        start = slash + 1;
    }
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
        if (ec)
            return true; // a folder that cannot be read through is no empty folder
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
