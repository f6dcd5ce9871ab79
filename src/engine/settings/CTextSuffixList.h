#pragma once
// The suffixes of the files sent in ASCII mode (section TextSuffices), with their leading dot.

#include <string>
#include <vector>

namespace skerrow {

class CTextSuffixList {
public:
    virtual ~CTextSuffixList() = default;

    // Fills the list from the settings file; the nine defaults when the section is absent or empty.
    void Load();
    // Same from a given settings file path.
    void LoadFrom(const std::string& iniPath);

    size_t Count() const { return m_suffixes.size(); }
    const std::string& At(size_t index) const { return m_suffixes[index]; }
    const std::vector<std::string>& Suffixes() const { return m_suffixes; }

    // ".bat", ".c", ".cpp", ".h", ".hpp", ".htm", ".html", ".ini", ".txt".
    static const std::vector<std::string>& Defaults();

private:
    std::vector<std::string> m_suffixes;
};

} // namespace skerrow
