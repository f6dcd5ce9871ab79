#include "transfer/CDirectoryClaim.h"

namespace skerrow {

CDirectoryClaim::~CDirectoryClaim()
{
    if (!m_settled)
        m_claims.Settle(m_dir, CDirectoryClaims::Outcome::Failed);
}

void CDirectoryClaim::Settle(CDirectoryClaims::Outcome outcome)
{
    if (m_settled)
        return;
    m_settled = true;
    m_claims.Settle(m_dir, outcome);
}

} // namespace skerrow
