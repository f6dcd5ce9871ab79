#include "transfer/CDirectoryReach.h"

#include "ftp/CFtpConnection.h"
#include "transfer/CDirectoryClaims.h"

namespace skerrow {

bool CDirectoryReach::Reach(const std::string& dir)
{
    const std::string resolved = CFtpConnection::ResolvePath("/", dir);
    bool probe = true;
    if (!m_claims.WasMade(CDirectoryClaims::Parent(resolved))) {
        // The whole path first: a directory that exists costs this one CWD.
        switch (m_claims.Acquire(resolved)) {
        case CDirectoryClaims::Claim::Known: m_connection.AssumeDirectory(resolved); return true;
        case CDirectoryClaims::Claim::Mine:
            if (m_connection.SetCurrentDirectory(resolved)) {
                m_claims.Settle(resolved, CDirectoryClaims::Outcome::Found);
                return true;
            }
            m_claims.Settle(resolved, CDirectoryClaims::Outcome::Failed);
            probe = false;
            break;
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
    if (m_claims.Acquire(dir) == CDirectoryClaims::Claim::Known)
        return true;
    return FindOrMake(dir, probe);
}

bool CDirectoryReach::FindOrMake(const std::string& dir, bool probe)
{
    if (probe && !m_claims.WasMade(CDirectoryClaims::Parent(dir)) && m_connection.SetCurrentDirectory(dir)) {
        m_claims.Settle(dir, CDirectoryClaims::Outcome::Found);
        return true;
    }
    const bool made = m_connection.CreateDirectory(dir);
    m_claims.Settle(dir, made ? CDirectoryClaims::Outcome::Made : CDirectoryClaims::Outcome::Failed);
    return made;
}

} // namespace skerrow
