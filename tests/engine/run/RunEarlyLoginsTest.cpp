// The further connections that log in ahead of the work: a run that needs none of them (a connect,
// a find that lists one file) closes them at its end, and keeps only its own connection.

#include <gtest/gtest.h>

#include <ctime>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "log/CCommandLog.h"
#include "log/CLogFile.h"
#include "settings/CDateTime.h"
#include "support/CRunControlFixture.h"

namespace skerrow {
namespace {

using test::FtpServerKind;

class RunEarlyLoginsTest : public test::RunControlTest {
protected:
    // Control connections of this machine to the server that are still open (IPv4 loopback).
    size_t OpenSessions() const
    {
        std::ifstream table("/proc/net/tcp");
        std::string line;
        std::getline(table, line); // the heading
        size_t open = 0;
        while (std::getline(table, line)) {
            std::istringstream fields(line);
            std::string slot, local, remote, state;
            fields >> slot >> local >> remote >> state;
            const size_t colon = remote.find(':');
            if (state == "01" && colon != std::string::npos &&
                std::stoi(remote.substr(colon + 1), nullptr, 16) == m_server->Port())
                ++open;
        }
        return open;
    }
};

TEST_F(RunEarlyLoginsTest, ARunThatNeedsNoFurtherConnectionKeepsOnlyItsOwn)
{
    StartServer(FtpServerKind::Pyftpdlib);
    WriteSetting("Advanced", "Connections", "4");
    WriteSetting("Advanced", "Encryption", "3"); // plain FTP: the further logins go beside the first
    const auto log = std::make_shared<CCommandLog>();
    Controller().SetCommandLog(log);
    // A connect logs nothing else in; a find logs the others in while it lists, for work that
    // here never comes (a login the run's end cuts off before its USER counts none).
    for (const auto& [run, furtherLogins] : {std::pair{"connect", 0u}, {"find one file", 3u}}) {
        SCOPED_TRACE(run);
        Controller().OnShutdownConnection();
        ASSERT_TRUE(m_host.PumpUntil([this] { return OpenSessions() == 0; }, std::chrono::seconds(10)));
        log->Drain(10000);
        if (std::string(run) == "connect") {
            Controller().OnConnect();
        } else {
            // The site's other files are an hour old.
            WriteSetting("Data", "LastRun", FormatLastRun(CDateTime::FromUtc(std::time(nullptr) - 600)));
            m_local.WriteFile("new.html", "new");
            Controller().OnFindFilesTransfer();
        }
        ASSERT_TRUE(m_host.PumpUntilIdle());
        ASSERT_TRUE(Controller().IsConnected());
        size_t further = 0;
        for (const CLogLine& line : log->Drain(10000))
            further += line.text.rfind("[1] ", 0) != 0 && line.text.find("> USER ") != std::string::npos ? 1 : 0;
        EXPECT_LE(further, furtherLogins);
        // Closed off the run's thread: the wait ends once they are gone.
        EXPECT_TRUE(m_host.PumpUntil([this] { return OpenSessions() == 1; }, std::chrono::seconds(10)))
            << OpenSessions() << " open";
    }
}

} // namespace
} // namespace skerrow
