#pragma once
// Decides which files and directories of the local folder are never sent, by rules written like
// the lines of a .gitignore file:
//
//   *.swp           a name anywhere in the tree ("*" and "?" never match "/"; [a-z] classes)
//   .git/           a trailing "/" limits the rule to directories
//   /drafts/        a "/" at the start or inside ties the rule to the top of the folder
//   **/node_modules/  "**/" matches any number of directories, "/**" everything inside
//   !keep.me        "!" takes a name back out of the exclusion
//
// A later rule wins over an earlier one. Blank lines and lines beginning with "#" are skipped; a
// backslash makes the next character plain ("\#", "\!", "\*"); trailing blanks are dropped unless
// escaped. Names are compared with their case. As with git, a file inside an excluded directory
// cannot be taken back: the walk never enters that directory.

#include <string>
#include <string_view>
#include <vector>

namespace skerrow {

class CExclusionMatcher {
public:
    virtual ~CExclusionMatcher() = default;

    // Adds one rule line; lines that hold no rule are ignored.
    void AddRule(std::string_view line);
    void AddRules(const std::vector<std::string>& lines);
    // Adds the rules of a text file, one per line; a file larger than 1 MiB is read no further.
    // Nothing is added when it is absent, or when it exists but cannot be read (no access, no
    // regular file), which the result tells apart.
    enum class FileResult { Read, Absent, Unreadable };
    FileResult AddRulesFromFile(const std::string& path);

    bool Empty() const { return m_rules.empty(); }

    // Whether the entry name, lying in directory (relative to the top of the folder, "" for the top
    // itself, "a/b" below it), is excluded by the rules. Its parent directories are not examined.
    bool Excludes(std::string_view directory, std::string_view name, bool isDirectory) const;
    // Same for a relative path ("a/b/c.txt"), also excluded when one of its parent directories is.
    bool ExcludesPath(std::string_view path, bool isDirectory) const;

    // Whether text matches the wildcard pattern ("*", "?", "[...]", "**", "\" escapes) as a path.
    static bool GlobMatch(std::string_view pattern, std::string_view text);

private:
    enum class Kind { Literal, Suffix, Glob };
    struct Rule {
        std::string pattern; // for Suffix: the part after the "*"
        Kind kind = Kind::Glob;
        bool negated = false;
        bool directoryOnly = false;
        bool anchored = false; // matched against the whole relative path, else against the name
    };

    static bool Matches(const Rule& rule, std::string_view directory, std::string_view name);

    std::vector<Rule> m_rules;
};

} // namespace skerrow
