#pragma once
// A connection's claim on one server directory (CDirectoryClaims::Claim::Mine), settled exactly
// once: by Settle, or as failed when the claim goes unsettled (the holder threw, or returned early),
// so that the connections waiting for that directory always get on.

#include <string>

#include "transfer/CDirectoryClaims.h"

namespace skerrow {

class CDirectoryClaim {
public:
    CDirectoryClaim(CDirectoryClaims& claims, std::string dir) : m_claims(claims), m_dir(std::move(dir)) {}
    virtual ~CDirectoryClaim();
    CDirectoryClaim(const CDirectoryClaim&) = delete;
    CDirectoryClaim& operator=(const CDirectoryClaim&) = delete;

    void Settle(CDirectoryClaims::Outcome outcome);

private:
    CDirectoryClaims& m_claims;
    const std::string m_dir;
    bool m_settled = false;
};

} // namespace skerrow
