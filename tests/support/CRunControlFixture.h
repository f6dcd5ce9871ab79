#pragma once
// The run control tests' fixture: the bench of CRunBench under GoogleTest.

#include <gtest/gtest.h>

#include "support/CRunBench.h"

namespace skerrow::test {

class RunControlTest : public ::testing::Test, public CRunBench {
protected:
    void StartServer(FtpServerKind kind, const std::vector<std::string>& args = {})
    {
        if (!CRunBench::StartServer(kind, args))
            GTEST_SKIP() << m_server->Error();
    }
};

} // namespace skerrow::test
