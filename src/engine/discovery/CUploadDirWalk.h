#pragma once
// The local walk that fills the transfer list with the files to upload.
//
// Each file found below the root becomes one Pending row (kind PC file) carrying its path relative
// to the root and its size in kilobytes, unless it lies directly in a directory whose name begins
// with "_", or its last write is older than the last upload (unless every file is wanted), or the
// exclusion rules leave it out: the rules given (the defaults unless set), then those of the file
// .skerrowignore at the top of the root, which is itself never listed. Directories never become
// rows, and excluded directories are not entered.

#include <cstddef>
#include <ctime>
#include <string>
#include <string_view>
#include <vector>

#include "discovery/CDirWalk.h"
#include "discovery/CExclusionMatcher.h"
#include "settings/CDateTime.h"

namespace skerrow {

class CTransferList;

class CUploadDirWalk : public CDirWalk {
public:
    CUploadDirWalk();

    // Stores the list (not owned; null inserts nothing), the root the walk starts from and whether
    // every file is wanted; the next row goes to index 0. m_lastUpload is set by the caller afterwards.
    void Setup(CTransferList* list, const std::string& root, bool uploadAll);

    // The exclusion rules of the settings, taking the place of the defaults.
    void SetExclusions(std::vector<std::string> rules);

    // The name of the rule file read at the top of the root.
    static constexpr const char* kRuleFileName = ".skerrowignore";

    // Computes the upload threshold from m_lastUpload and gathers the exclusion rules, then walks.
    // When the rule file exists but cannot be read, nothing is listed (its rules may be what keeps
    // private files off the server) and the result is false.
    bool Walk(const std::string& root, const std::string& pattern) override;
    // Whether the last walk found a rule file it could not read, and that file's path.
    bool RuleFileUnreadable() const { return m_ruleFileUnreadable; }
    const std::string& RuleFilePath() const { return m_ruleFilePath; }

    // The local date and time of the last upload; files last written before it are left out.
    CDateTime m_lastUpload;

    // Number of rows inserted so far.
    size_t RowCount() const { return m_row; }

protected:
    void OnFileFound(const FindRecord& record, const std::string& directory) override;
    bool ShouldEnter(std::string_view name, const std::string& directory) override;

private:
    bool InUnderscoreDirectory(const std::string& directory) const;
    std::string RelativeName(const std::string& directory, std::string_view name) const;
    bool IsRecentEnough(const FindRecord& record) const;
    std::string_view RelativeDirectory(const std::string& directory) const;
    bool IsExcluded(const std::string& directory, std::string_view name, bool isDirectory) const;

    CTransferList* m_list = nullptr;
    bool m_uploadAll = true;
    std::string m_root;
    size_t m_row = 0;
    std::time_t m_threshold = 0; // m_lastUpload in UTC, fixed for one walk
    std::vector<std::string> m_exclusionRules;
    CExclusionMatcher m_exclusions; // the rules in force for one walk
    bool m_ruleFileUnreadable = false;
    std::string m_ruleFilePath;
};

} // namespace skerrow
