#include "transfer/CDirectoryReach.h"

#include "ftp/CFtpConnection.h"
#include "transfer/CDirectoryClaim.h"

namespace skerrow {

bool CDirectoryReach::Reach(const std::string& dir)
{
    const std::string resolved = CFtpConnection::ResolvePath("/", dir);
    bool probe = true;
    if (!m_claims.WasMade(CDirectoryClaims::Parent(resolved))) {
        // The whole path first: a directory that exists costs this one CWD.
        switch (m_claims.Acquire(resolved, m_stopped)) {
        case CDirectoryClaims::Claim::Known: m_connection.AssumeDirectory(resolved); return true;
        case CDirectoryClaims::Claim::Mine: {
            CDirectoryClaim claim(m_claims, resolved);
            if (m_connection.SetCurrentDirectory(resolved)) {
                claim.Settle(CDirectoryClaims::Outcome::Found);
                return true;
            }
            probe = false;
            break;
        }
        case CDirectoryClaims::Claim::Stopped: return false;
        case CDirectoryClaims::Claim::Busy: break;
        }
    }
    for (size_t slash = resolved.find('/', 1); slash != std::string::npos; slash = resolved.find('/', slash + 1)) {
        if (!Level(resolved.substr(0, slash), true))
            return false;
    }
    if (!Level(resolved, probe))
        return false;
    m_connection.AssumeDirectory(resolved);
    return true;
}

void CDirectoryReach::Prepare(const std::string& dir)
{
    const std::string resolved = CFtpConnection::ResolvePath("/", dir);
    if (!m_claims.IsKnown(CDirectoryClaims::Parent(resolved)))
        return;
    if (m_claims.TryAcquire(resolved) == CDirectoryClaims::Claim::Mine)
        FindOrMake(resolved, true);
}

bool CDirectoryReach::Level(const std::string& dir, bool probe)
{
    switch (m_claims.Acquire(dir, m_stopped)) {
    case CDirectoryClaims::Claim::Known: return true;
    case CDirectoryClaims::Claim::Mine: return FindOrMake(dir, probe);
    default: return false; // stopped
    }
}

bool CDirectoryReach::FindOrMake(const std::string& dir, bool probe)
{
    CDirectoryClaim claim(m_claims, dir);
    if (probe && !m_claims.WasMade(CDirectoryClaims::Parent(dir)) && m_connection.SetCurrentDirectory(dir)) {
        claim.Settle(CDirectoryClaims::Outcome::Found);
        return true;
    }
    const bool made = m_connection.CreateDirectory(dir);
    claim.Settle(made ? CDirectoryClaims::Outcome::Made : CDirectoryClaims::Outcome::Failed);
    return made;
}

} // namespace skerrow
