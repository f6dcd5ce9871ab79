// A server that cuts a connection in the middle of an upload and then refuses new logins for a
// while ("421", as servers with anti-hammering rules do): the connection that cannot log in again
// gives its row back and leaves the pass while the others send the files; the only connection
// waits and logs in again. Every text names the server's reply, never a time-out.

#include <gtest/gtest.h>

#include "app/CStringTable.h"
#include "app/StringIds.h"
#include "ftp/CFtpConnection.h"
#include "list/RowWord.h"
#include "log/CCommandLog.h"
#include "log/CLogFile.h"
#include "support/CRunControlFixture.h"

namespace skerrow {
namespace {

using test::FtpServerKind;

class RunReloginTest : public test::RunControlTest {};

TEST_F(RunReloginTest, AConnectionRefusedAtItsNewLoginCostsNoRowATry)
{
    for (int i = 0; i < 40; ++i)
        m_local.WriteFile("many/f" + std::to_string(i) + ".txt", std::string(static_cast<size_t>(100 + i), 'x'));
    const auto log = std::make_shared<CCommandLog>();
    Controller().SetCommandLog(log);
    for (const int connections : {2, 1}) {
        SCOPED_TRACE(std::to_string(connections) + " connections");
        std::filesystem::remove_all(m_served.Path() / "site");
        m_served.MakeDir("site");
        StartServer(FtpServerKind::Misbehaving, {"--cut-at", "STOR:8", "--refuse-logins-after-cut", "2"});
        ASSERT_TRUE(SendEverything(connections, "3"));
        EXPECT_EQ(m_sink.GetStatusText(), LoadString(IDS_FINISHED));
        EXPECT_EQ(m_list.CountInState(kRowDone), m_list.Count());
        // Only the cut upload cost its row a try; a refused login costs none.
        const std::string cut = "Sent on try 2 of 3; the try before failed: The connection with the server was";
        for (const CTransferRow& row : m_list.Snapshot())
            EXPECT_TRUE(row.error.empty() || row.error.rfind(cut, 0) == 0) << row.error;
        std::string notes;
        for (const CLogLine& line : log->Drain(100000))
            notes += line.text + "\n";
        EXPECT_NE(notes.find("refused a new login (421 Too many login attempts"), std::string::npos) << notes;
        EXPECT_EQ(notes.find("timed out"), std::string::npos) << notes;
    }
    // A ban that outlasts the tries: the row fails with the server's reply, the rest stay listed.
    std::filesystem::remove_all(m_served.Path() / "site");
    m_served.MakeDir("site");
    StartServer(FtpServerKind::Misbehaving, {"--cut-at", "STOR:8", "--refuse-logins-after-cut", "60"});
    WriteSetting("Advanced", "TriesPerFile", "2");
    Controller().OnShutdownConnection();
    Controller().OnFindFilesTransfer();
    ASSERT_TRUE(m_host.PumpUntilIdle());
    EXPECT_EQ(m_sink.GetStatusText(), "The server refused every new login: Transfer stopped");
    EXPECT_EQ(m_list.CountInState(kRowDone), 7u);
    ASSERT_EQ(m_list.CountInState(kRowFailed), 1u);
    for (const CTransferRow& row : m_list.Snapshot())
        EXPECT_TRUE(RowStateOf(row.word) != kRowFailed || row.error.find("\n421 Too many login") != std::string::npos);
    // A login refused at connect names the server's reply too.
    StartServer(FtpServerKind::Misbehaving, {"--max-sessions", "1"});
    CFtpConnection holder;
    holder.SetEncryption(FtpEncryption::Plain);
    ASSERT_TRUE(holder.Open("127.0.0.1", m_server->Port(), "u", "p", true));
    Controller().OnShutdownConnection();
    Controller().OnFindFilesTransfer();
    ASSERT_TRUE(m_host.PumpUntilIdle());
    ASSERT_FALSE(m_sink.Messages().empty());
    EXPECT_NE(m_sink.Messages().back().find("421 Too many connections."), std::string::npos) << m_sink.Messages().back();
    EXPECT_EQ(m_sink.Messages().back().find("timed out"), std::string::npos) << m_sink.Messages().back();
}

} // namespace
} // namespace skerrow
