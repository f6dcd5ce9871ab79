#pragma once
// What the connections of one FTP walk share: every directory listed so far with its entries, the
// sub-directories still to enter, the identities of the directories entered, and how the walk ended.
//
// The sub-directories wait on a stack, each level's first on top, so that a walk on one connection
// enters them in the order a depth-first walk does. Each entry of a listed directory gets an
// outcome: a file (or a link, never entered), left out, another name for a directory entered
// before, still waiting, or the level that lists it. The walk ends when nothing is left to enter
// and no connection is still at work, or at the first failure or stop; from then on no connection
// is given a directory.

#include <condition_variable>
#include <functional>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "ftp/CFindRecord.h"

namespace skerrow {

class CWalkFrontier {
public:
    // An entry's outcome, or the index of the level that lists it (0 and up).
    static constexpr int kFile = -1;
    static constexpr int kLeftOut = -2;
    static constexpr int kAlias = -3;
    static constexpr int kWaiting = -4;

    struct Level {
        std::string prefix;   // the directory's full path, ending "/"
        std::string reported; // the server's own path for it (PWD), without a trailing "/"
        int depth = 1;      // 1 for the start
        bool listed = false;
        std::vector<CFindRecord> entries; // full paths
        std::vector<int> outcomes;        // one per entry
    };
    // A sub-directory to enter: entry of the level parent (none for the start).
    struct Task {
        int parent = -1;
        size_t entry = 0;
        std::string path;
        std::string unique;   // its MLSD unique fact, "" when not given
        std::string expected; // the server's path it must have once entered ("" for the start)
        int depth = 0;      // the level of the directory that lists it (0 for the start)
    };
    enum class End { Going, Complete, Failed, Stopped };

    // The start is being entered by one connection: until that one is done, the others wait.
    CWalkFrontier() = default;
    virtual ~CWalkFrontier() = default;
    CWalkFrontier(const CWalkFrontier&) = delete;
    CWalkFrontier& operator=(const CWalkFrontier&) = delete;

    // The next sub-directory to enter; waits while nothing is left to enter but another connection
    // may still find something. None once the walk has ended.
    std::optional<Task> Take();
    // Records identity as entered; false when it was entered before (the task is then an alias).
    bool Claim(const std::string& identity);
    // The task's directory is another name for one entered before: it is not listed.
    void Alias(const Task& task);
    // The task's directory is entered as prefix, the server reporting it as reported; returns its
    // level, to be listed.
    int Enter(const Task& task, std::string prefix, std::string reported);
    // The level's entries: files and links are never entered; a sub-directory is entered when
    // enter (asked under the frontier's lock, one call at a time) says so.
    void Listed(int level, std::vector<CFindRecord> entries, const std::function<bool(const CFindRecord&)>& enter);
    // The walk failed (the first failure's text is kept) or was stopped: it ends at once.
    void Fail(const std::string& text);
    void Stop();

    bool Ended() const;
    // After the walk: how it ended, why it failed, and the levels (the start is level 0).
    End Result() const;
    const std::string& Failure() const { return m_failure; }
    const std::vector<Level>& Levels() const { return m_levels; }

private:
    // One connection is done with its task.
    void Release();
    void Finish(End end);

    mutable std::mutex m_mutex;
    std::condition_variable m_changed;
    std::vector<Level> m_levels;
    std::vector<Task> m_stack;
    std::set<std::string> m_entered;
    int m_busy = 1; // the connection entering the start
    End m_end = End::Going;
    std::string m_failure;
};

} // namespace skerrow
