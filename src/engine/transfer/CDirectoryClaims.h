#pragma once
// The server directories of one upload pass, shared by its connections: those known to exist, those
// the pass made itself (nothing can be inside them yet, so their subdirectories need no check), and
// those one connection is checking or making right now. Each directory is handled by one connection
// at a time; another that needs it waits for that one directory only, never for the others.
//
// A connection holding a claim may wait for a claim on a parent directory, never on any other: the
// waits always go up the tree, so they cannot go round in a circle.

#include <condition_variable>
#include <functional>
#include <mutex>
#include <set>
#include <string>

namespace skerrow {

class CDirectoryClaims {
public:
    enum class Claim { Known, Mine, Busy, Stopped };
    enum class Outcome { Failed, Found, Made };

    CDirectoryClaims() = default;
    virtual ~CDirectoryClaims() = default;
    CDirectoryClaims(const CDirectoryClaims&) = delete;
    CDirectoryClaims& operator=(const CDirectoryClaims&) = delete;

    // Paths are resolved ("/" alone for the root, which is always known).
    bool IsKnown(const std::string& dir) const;
    // Whether this pass made dir (so that nothing is inside it yet but what the pass sends).
    bool WasMade(const std::string& dir) const;
    // Known, or Mine: the caller checks or makes dir now and settles it (CDirectoryClaim does so
    // even when the caller throws). Waits while another connection holds it, until stopped() says
    // the run is over (Stopped; none: waits for the holder).
    Claim Acquire(const std::string& dir, const std::function<bool()>& stopped = {});
    // As Acquire, but Busy at once instead of waiting.
    Claim TryAcquire(const std::string& dir);
    // Ends the caller's claim. Failed leaves dir unknown: the next connection that needs it tries
    // again, and its row gets its own error.
    void Settle(const std::string& dir, Outcome outcome);

    // The directory that holds dir ("/" for the root and its entries).
    static std::string Parent(const std::string& dir);

private:
    Claim TryLocked(const std::string& dir);

    mutable std::mutex m_mutex;
    std::condition_variable m_settled;
    std::set<std::string> m_known;
    std::set<std::string> m_made;
    std::set<std::string> m_claimed;
};

} // namespace skerrow
