#pragma once
// The server side of a site: lists, as delete rows, the files and directories below the server's
// start directory that the local folder no longer has.
//
// Only what an upload could have put there is ever listed: what CLocalCounterpart keeps (a local
// counterpart, letter case folded; the exclusion rules; "_" directories; .skerrowignore) stays,
// and so does every directory that keeps something. Each directory comes after everything in it,
// as in a tree deletion, so that it is empty by the time its row is reached. A path that does not
// lie below the start directory is never listed, whatever the server's listing says.
// The local folder is read once a walk: each of its directories once, however many server entries
// are asked about (a directory of 50,000 files is one reading, not one for each of them).

#include <functional>
#include <set>
#include <string>
#include <vector>

#include "discovery/CFTPDirWalk.h"
#include "discovery/CLocalCounterpart.h"

namespace skerrow {

class CTransferList;

class CLeftoverDirWalk : public CFTPDirWalk {
public:
    // list: where the rows go, appended (not owned). serverStart: the server directory the site lies
    // in (resolved against "/"). localRoot: the PC directory. rules: the settings' exclusion rules.
    void Setup(CTransferList* list, const std::string& serverStart, const std::string& localRoot,
               const std::vector<std::string>& rules);

    // Reads .skerrowignore at the top of the local folder, then walks the server from the start
    // directory. False when that file exists but cannot be read (its rules may be what protects a
    // server file: nothing is listed), or when the walk failed (Failure says why; what it listed
    // must not be offered for deletion).
    bool WalkServer(CFtpConnection* connection);

    // Asked by the server walk and while the local folder is read; once it says stop, nothing more
    // is listed. Takes the place of CFTPDirWalk's, and hands it on.
    void SetStopCheck(std::function<bool()> stopped);
    // How the local directories are read (the system's reading unless set); each is read once a walk.
    void SetDirectoryReader(CLocalNameIndex::Reader reader) { m_local.SetDirectoryReader(std::move(reader)); }

    size_t Files() const { return m_files; }
    size_t Directories() const { return m_directories; }
    // The start directory, resolved.
    const std::string& Root() const { return m_start; }
    // Every file the walk saw below the start directory, leftover or not.
    size_t ServerFiles() const { return m_serverFiles; }
    // What tells a leftover from a file of the site (after WalkServer).
    const CLocalCounterpart& Counterparts() const { return m_local; }

    // The path of a server entry below start ("a/b.htm" for "/site/a/b.htm" below "/site"), without
    // a trailing "/"; "" when it does not lie below start or holds an empty, "." or ".." part.
    static std::string RelativePath(const std::string& start, const std::string& full);

protected:
    void OnFileFound(const CFindRecord& record, CFtpConnection& connection) override;
    void OnDirectoryDone(const CFindRecord& record, CFtpConnection& connection) override;
    bool ShouldEnter(const CFindRecord& record) override;
    void OnAlreadyEntered(const CFindRecord& record) override;

private:
    // The directories that hold relative keep something, and are never listed.
    void HoldParents(const std::string& relative);
    void AddRow(const CFindRecord& record);
    bool Stopped() const { return m_stopped && m_stopped(); }

    CTransferList* m_list = nullptr;
    std::string m_start;
    std::string m_localRoot;
    std::vector<std::string> m_rules;
    CLocalCounterpart m_local;
    std::function<bool()> m_stopped;
    std::set<std::string> m_holding;
    size_t m_files = 0;
    size_t m_directories = 0;
    size_t m_serverFiles = 0;
};

} // namespace skerrow
