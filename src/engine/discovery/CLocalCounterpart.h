#pragma once
// Whether an entry on the server below the Start Dir still belongs to the site in the PC folder, so
// that it is never taken for a leftover: the folder has an entry of that path (letter case folded,
// as many servers fold it: after a local rename of logo.png to Logo.png, or über.html to
// Über.html, the server's one file is the file just sent), the exclusion rules leave it out (the
// settings' rules and those of .skerrowignore, applied to the server's paths as to the local
// ones), it is .skerrowignore itself, or it is a file lying directly in a directory whose name
// begins with "_". Anything unsure (a folder that cannot be read, a look-up that was stopped)
// counts as a counterpart. The folder's directories are read through a CLocalNameIndex: once per
// walk (ReadOnce), or afresh whenever they changed, for a delete pass that asks again right before
// each command (Checked). Copies share that index.

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "discovery/CExclusionMatcher.h"
#include "discovery/CLocalNameIndex.h"

namespace skerrow {

class CLocalCounterpart {
public:
    // False when the folder is no directory, or its .skerrowignore exists but cannot be read (its
    // rules may be what protects a server file): nothing may then be taken for a leftover.
    bool Setup(const std::string& localRoot, const std::vector<std::string>& rules,
               CLocalNameIndex::Freshness freshness = CLocalNameIndex::Freshness::Checked);
    // How the directories are read (before Setup; the system's reading unless set).
    void SetDirectoryReader(CLocalNameIndex::Reader reader) { m_reader = std::move(reader); }
    // Asked while the folder is read (before Setup); once it says stop, what is left unread is unsure.
    void SetStopCheck(std::function<bool()> stopped) { m_stopped = std::move(stopped); }

    // relative: the entry's path below the Start Dir ("a/b.htm"), without a trailing "/".
    bool KeepsFile(const std::string& relative) const;
    bool KeepsDirectory(const std::string& relative) const;
    // A directory the rules leave out: it is not even listed.
    bool ExcludesDirectory(const std::string& relative) const;
    // Whether the folder holds any file that an upload of everything would send (unsure: true).
    bool HoldsAnyFile() const;
    // Whether the folder has an entry of that path, its letter case ignored (unsure: true).
    bool Exists(const std::string& relative) const;

private:
    bool InUnderscoreDirectory(const std::string& relative) const;
    // A file the upload never sends, whatever the folder holds.
    bool KeptByRules(const std::string& relative) const;
    // Whether directory has the part of relative that starts at start, and what follows it; probes
    // counts the directories asked, which a name of many letter-case twins could multiply.
    bool ExistsBelow(const std::string& directory, const std::string& relative, size_t start, int& probes) const;

    std::string m_root;
    CExclusionMatcher m_exclusions;
    CLocalNameIndex::Reader m_reader = CLocalNameIndex::ReadDirectory;
    std::function<bool()> m_stopped;
    std::shared_ptr<CLocalNameIndex> m_names;
};

} // namespace skerrow
