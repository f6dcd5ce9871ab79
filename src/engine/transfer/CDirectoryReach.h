#pragma once
// How one connection of an upload pass gets to the directory of a file: a directory the pass knows
// costs nothing (uploads name their target in full), one that exists costs its CWD, a new one its
// MKD, and one inside a directory the pass has just made its MKD alone. The directories ahead of
// the files can be made by whichever connection has a moment, so that the others find them ready.

#include <functional>
#include <string>

namespace skerrow {

class CFtpConnection;
class CDirectoryClaims;

class CDirectoryReach {
public:
    // stopped: the run is over, and a directory another connection holds is not waited for.
    CDirectoryReach(CFtpConnection& connection, CDirectoryClaims& claims, std::function<bool()> stopped = {})
        : m_connection(connection), m_claims(claims), m_stopped(std::move(stopped))
    {
    }
    virtual ~CDirectoryReach() = default;

    // Makes dir (absolute, "/" separated) the connection's directory, checking or making each level
    // that the pass does not know yet. False: the connection's LastError says why.
    bool Reach(const std::string& dir);
    // Checks or makes dir ahead of its files, when its parent is known and no connection knows or
    // handles it yet. A failure is no row's: the connection that needs dir tries again.
    void Prepare(const std::string& dir);

private:
    // Checks or makes one level; probe false skips the CWD (it has just failed).
    bool Level(const std::string& dir, bool probe);
    // Under the caller's claim on dir: CWD unless told or known to be useless, then MKD. Settles
    // the claim (failed, when a command throws).
    bool FindOrMake(const std::string& dir, bool probe);

    CFtpConnection& m_connection;
    CDirectoryClaims& m_claims;
    std::function<bool()> m_stopped;
};

} // namespace skerrow
