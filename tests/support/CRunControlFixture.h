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
    // Find Files & Transfer of every file of the folder, on a fresh connection, with this many
    // connections and this encryption setting ("3": plain FTP); true once the run has ended.
    bool SendEverything(int connections, const std::string& encryption)
    {
        WriteSetting("Advanced", "Connections", std::to_string(connections));
        WriteSetting("Advanced", "Encryption", encryption);
        WriteSetting("Data", "LastRun", "1000\\01\\01 01:01");
        Controller().OnShutdownConnection();
        Controller().OnFindFilesTransfer();
        return m_host.PumpUntilIdle();
    }
};

} // namespace skerrow::test
