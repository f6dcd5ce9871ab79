#include "discovery/CUploadDirWalk.h"

#include <charconv>

#include "list/CTransferList.h"
#include "list/RowWord.h"
#include "settings/CExclusionList.h"

namespace skerrow {

CUploadDirWalk::CUploadDirWalk() : m_lastUpload{1899, 12, 30, 0, 0, 0}, m_exclusionRules(CExclusionList::Defaults()) {}

void CUploadDirWalk::SetExclusions(std::vector<std::string> rules)
{
    m_exclusionRules = std::move(rules);
}

void CUploadDirWalk::Setup(CTransferList* list, const std::string& root, bool uploadAll)
{
    m_list = list;
    m_row = 0;
    m_root = NormaliseRoot(root);
    m_uploadAll = uploadAll;
}

bool CUploadDirWalk::Walk(const std::string& root, const std::string& pattern)
{
    m_threshold = m_lastUpload.ToUtc();
    m_exclusions = CExclusionMatcher();
    m_exclusions.AddRules(m_exclusionRules);
    m_ruleFileUnreadable = false;
    m_ruleFilePath = NormaliseRoot(root);
    if (m_ruleFilePath.empty())
        return CDirWalk::Walk(root, pattern); // no folder: nothing to read, nothing to walk
    if (m_ruleFilePath.back() != '/')
        m_ruleFilePath += '/';
    m_ruleFilePath += kRuleFileName;
    m_ruleFileUnreadable =
        m_exclusions.AddRulesFromFile(m_ruleFilePath) == CExclusionMatcher::FileResult::Unreadable;
    if (m_ruleFileUnreadable)
        return false;
    return CDirWalk::Walk(root, pattern);
}

void CUploadDirWalk::OnFileFound(const FindRecord& record, const std::string& directory)
{
    if (!m_list || InUnderscoreDirectory(directory) || record.isDirectory)
        return;
    if (!m_uploadAll && !IsRecentEnough(record))
        return;
    if (IsExcluded(directory, record.name, false))
        return;
    char size[16];
    const auto converted = std::to_chars(size, size + sizeof size, SizeInKb(record.size));
    m_list->Insert(m_row, kKindPcFile, RelativeName(directory, record.name),
                   std::string(size, converted.ptr));
    ++m_row;
}

bool CUploadDirWalk::ShouldEnter(std::string_view name, const std::string& directory)
{
    return !IsExcluded(directory, name, true);
}

// The directory relative to the root, without leading or trailing "/" ("" for the root itself).
std::string_view CUploadDirWalk::RelativeDirectory(const std::string& directory) const
{
    if (directory.size() <= m_root.size())
        return {};
    std::string_view relative(directory);
    relative.remove_prefix(m_root.size());
    if (!relative.empty() && relative.front() == '/')
        relative.remove_prefix(1);
    return relative;
}

bool CUploadDirWalk::IsExcluded(const std::string& directory, std::string_view name, bool isDirectory) const
{
    const std::string_view relative = RelativeDirectory(directory);
    if (relative.empty() && !isDirectory && name == kRuleFileName)
        return true;
    return !m_exclusions.Empty() && m_exclusions.Excludes(relative, name, isDirectory);
}

// True when the directory that directly holds the entry has a name beginning with "_".
bool CUploadDirWalk::InUnderscoreDirectory(const std::string& directory) const
{
    const size_t slash = directory.find_last_of('/');
    const size_t nameStart = slash == std::string::npos ? 0 : slash + 1;
    return nameStart < directory.size() && directory[nameStart] == '_';
}

// The entry's path relative to the root: "" for the root's own files, else the directory without
// the root's characters, followed by "/" ("/img/small/" below the root /web).
std::string CUploadDirWalk::RelativeName(const std::string& directory, std::string_view name) const
{
    std::string result;
    if (directory != m_root && directory.size() >= m_root.size()) {
        const size_t tail = directory.size() - m_root.size();
        result.reserve(tail + 1 + name.size());
        result.append(directory, m_root.size(), tail);
        result += '/';
    } else {
        result.reserve(name.size());
    }
    result += name;
    return result;
}

// The last write, in whole UTC seconds, at or after the threshold: the same second counts.
bool CUploadDirWalk::IsRecentEnough(const FindRecord& record) const
{
    return record.lastWrite >= m_threshold;
}

} // namespace skerrow
