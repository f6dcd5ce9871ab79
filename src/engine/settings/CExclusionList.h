#pragma once
// The exclusion rules kept in the settings file: section Exclusions with Count=N and the keys
// Pattern1 to PatternN, one rule each. Without a readable Count the defaults apply (.git/, .svn/,
// .hg/, .DS_Store, Thumbs.db, *~, *.swp); Count=0 means no rule at all.

#include <string>
#include <vector>

namespace skerrow {

namespace ini {
inline constexpr const char* kExclusions = "Exclusions";
inline constexpr const char* kExclusionCount = "Count";
inline constexpr const char* kExclusionPattern = "Pattern"; // followed by 1 to Count
} // namespace ini

class CExclusionList {
public:
    virtual ~CExclusionList() = default;

    // Fills the list from the settings file (the defaults when Count is absent or unreadable).
    void Load();
    void LoadFrom(const std::string& iniPath);

    const std::vector<std::string>& Patterns() const { return m_patterns; }

    // Replaces the section by these rules (blank ones dropped). False when the file could not be
    // written, or a rule holds a line break: the section is then left as it was.
    static bool Store(const std::string& iniPath, const std::vector<std::string>& patterns);

    static const std::vector<std::string>& Defaults();

private:
    std::vector<std::string> m_patterns = Defaults();
};

} // namespace skerrow
