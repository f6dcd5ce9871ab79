#pragma once
// Whether an entry on the server below the Start Dir still belongs to the site in the PC folder, so
// that it is never taken for a leftover: the folder has an entry of that path (letter case ignored,
// as many servers fold it: after a local rename of logo.png to Logo.png the server's one file is
// the file just sent), the exclusion rules leave it out (the settings' rules and those of
// .skerrowignore, applied to the server's paths as to the local ones), it is .skerrowignore itself,
// or it is a file lying directly in a directory whose name begins with "_". Anything unsure (a
// folder that cannot be read) counts as a counterpart. The folder is read afresh on every call: a
// delete pass asks again right before each command.

#include <string>
#include <vector>

#include "discovery/CExclusionMatcher.h"

namespace skerrow {

class CLocalCounterpart {
public:
    // False when the folder is no directory, or its .skerrowignore exists but cannot be read (its
    // rules may be what protects a server file): nothing may then be taken for a leftover.
    bool Setup(const std::string& localRoot, const std::vector<std::string>& rules);

    // relative: the entry's path below the Start Dir ("a/b.htm"), without a trailing "/".
    bool KeepsFile(const std::string& relative) const;
    bool KeepsDirectory(const std::string& relative) const;
    // A directory the rules leave out: it is not even listed.
    bool ExcludesDirectory(const std::string& relative) const;
    // Whether the folder holds any file that an upload of everything would send.
    bool HoldsAnyFile() const;
    // Whether the folder has an entry of that path, its letter case ignored (unsure: true).
    bool Exists(const std::string& relative) const;

private:
    bool InUnderscoreDirectory(const std::string& relative) const;
    // A file the upload never sends, whatever the folder holds.
    bool KeptByRules(const std::string& relative) const;

    std::string m_root;
    CExclusionMatcher m_exclusions;
};

} // namespace skerrow
