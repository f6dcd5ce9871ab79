// Whole runs over SFTP against a real OpenSSH server: a tricky site uploaded on four connections
// under temporary names, then again over the published files (OpenSSH refuses to rename over a
// file), the leftovers and a tree delete; the host key put to the user once per run; Stop.

#include <gtest/gtest.h>

#include <filesystem>

#include "list/RowWord.h"
#include "log/CCommandLog.h"
#include "log/CLogFile.h"
#include "support/CRunControlFixture.h"

namespace skerrow {
namespace {

using test::FtpServerKind;

class RunSftpTest : public test::RunControlTest {
protected:

    // Every name below the served directory that a run may leave behind by mistake.
    std::vector<std::string> Debris() const
    {
        std::vector<std::string> found;
        for (const auto& entry : std::filesystem::recursive_directory_iterator(m_served.Path())) {
            const std::string name = entry.path().filename().string();
            if (name.find(".skerrow-") != std::string::npos)
                found.push_back(name);
        }
        return found;
    }
};

TEST_F(RunSftpTest, ATrickySiteGoesUpUnderTemporaryNamesAndIsReplacedThenDeleted)
{
    const std::vector<std::string> names{"a b/c'd.html", "q\"uote/x.txt", "ünï/çødé.htm", "-dash/~tilde", "deep/1/2/3.gif"};
    for (const std::string& name : names)
        m_local.WriteFile(name, "first " + name + "\r\n");
    StartServer(FtpServerKind::Sshd);
    WriteSetting("Advanced", "TempNameUpload", "1");
    m_served.WriteFile("site/leftover/old.html", "gone locally");
    std::filesystem::create_symlink("/", m_served.Path() / "site/leftover/root-link");

    const auto log = std::make_shared<CCommandLog>();
    Controller().SetCommandLog(log);
    for (const char* round : {"first ", "second "}) {
        SCOPED_TRACE(round);
        for (const std::string& name : names)
            m_local.WriteFile(name, round + name + "\r\n");
        WriteSetting("Configure", "UploadAllFiles", "1");
        Controller().OnFindFilesTransfer();
        ASSERT_TRUE(m_host.PumpUntilIdle(std::chrono::seconds(60)));
        EXPECT_EQ(m_list.CountInState(kRowDone), m_list.Count());
        for (const std::string& name : names)
            EXPECT_EQ(m_served.ReadFile("site/" + name), round + name + "\r\n") << "byte for byte";
        EXPECT_EQ(Debris(), std::vector<std::string>{});
        // Each operation is a line of the log: one upload of each file, under its temporary name.
        int puts = 0;
        for (const CLogLine& line : log->Drain(100000))
            puts += line.text.find("> put ") != std::string::npos && line.text.find(".skerrow-part") != std::string::npos;
        EXPECT_EQ(puts, static_cast<int>(names.size() + 3));
    }
    EXPECT_EQ(m_host.hostKeyQuestions.load(), 0) << "the settings hold the key";

    // The leftover walk lists the link and never enters it.
    Controller().OnFindLeftovers();
    ASSERT_TRUE(m_host.PumpUntilIdle());
    std::set<std::string> leftovers;
    for (const CTransferRow& row : m_list.Snapshot()) {
        if (RowKindOf(row.word) == kKindLeftover)
            leftovers.insert(row.name);
    }
    // The server's own paths: the login directory is no root here.
    const std::string site = m_served.Str() + "/site";
    EXPECT_EQ(leftovers, (std::set<std::string>{site + "/leftover/", site + "/leftover/old.html",
                                                site + "/leftover/root-link"}));

    WriteSetting("Configure", "FTPDirTreeDel", site + "/deep");
    m_sink.SetAnswer(true);
    Controller().OnTreeDelete();
    ASSERT_TRUE(m_host.PumpUntilIdle());
    EXPECT_TRUE(std::filesystem::is_empty(m_served.Path() / "site/deep")) << "all below it goes, it stays";
    EXPECT_TRUE(Served("site/a b/c'd.html"));
}

TEST_F(RunSftpTest, AnUnknownHostKeyIsAskedOnceARunAndStopEndsTheUpload)
{
    StartServer(FtpServerKind::Sshd);
    WriteSetting("HostKeys", ("127.0.0.1:" + std::to_string(m_server->Port())).c_str(), "");
    m_local.MakeFileOfSize("big.bin", 1024u * 1024 * 1024);

    // Refused: nothing is sent, and the row says why with the key's fingerprint.
    m_host.hostKeyAnswer = CertificateTrust::Reject;
    Controller().OnFindFilesTransfer();
    ASSERT_TRUE(m_host.PumpUntilIdle());
    EXPECT_EQ(m_host.hostKeyQuestions.load(), 1);
    EXPECT_FALSE(Served("site/big.bin"));
    bool named = false;
    for (const std::string& message : m_sink.Messages())
        named = named || message.find(m_server->HostKeyFingerprint()) != std::string::npos;
    EXPECT_TRUE(named);

    // Trusted once: one question for the run's four connections, which send the small files while
    // the big one goes; Stop during its upload.
    const auto log = std::make_shared<CCommandLog>();
    Controller().SetCommandLog(log);
    m_host.hostKeyAnswer = CertificateTrust::Once;
    Controller().OnFindFilesTransfer();
    const auto part = m_served.Path() / "site/.big.bin.skerrow-part";
    ASSERT_TRUE(m_host.PumpUntil(
        [&] {
            std::error_code ec;
            return std::filesystem::file_size(part, ec) > 0 && !ec && ServedMatches("index.html") &&
                   ServedMatches("/img/logo.gif") && ServedMatches("/about/team/people.htm");
        },
        std::chrono::seconds(30)));
    // The first connection is busy with big.bin: a further one sent the others.
    int logins = 0;
    EXPECT_TRUE(m_host.PumpUntil(
        [&] {
            for (const CLogLine& line : log->Drain(100000))
                logins += line.text.find("> PWD") != std::string::npos;
            return logins == 4;
        },
        std::chrono::seconds(20)));
    Controller().StopActivity();
    ASSERT_TRUE(m_host.PumpUntilIdle());
    EXPECT_EQ(m_host.hostKeyQuestions.load(), 2);
    for (const CTransferRow& row : m_list.Snapshot()) {
        if (row.name == "big.bin") {
            EXPECT_EQ(RowStateOf(row.word), kRowPending);
            EXPECT_EQ(row.error, "");
        }
    }
    EXPECT_FALSE(Served("site/big.bin"));
}

TEST_F(RunSftpTest, ADroppedLinkIsTriedAgainOnAFreshLogin)
{
    StartServer(FtpServerKind::Sshd);
    WriteSetting("Advanced", "Connections", "1");
    // Big enough that the upload is under way when its session is killed (a few hundred
    // milliseconds on an idle machine), small enough that the upload and its second try take a few
    // seconds on a busy one: each byte goes through the sanitized client and sshd.
    m_local.MakeFileOfSize("big.bin", 24u * 1024 * 1024);
    Controller().OnFindFilesTransfer();
    const auto part = m_served.Path() / "site/.big.bin.skerrow-part";
    ASSERT_TRUE(m_host.PumpUntil(
        [&] {
            std::error_code ec;
            return std::filesystem::file_size(part, ec) > 0 && !ec;
        },
        std::chrono::seconds(30)));
    m_server->DropSessions();
    ASSERT_TRUE(m_host.PumpUntilIdle(std::chrono::seconds(120)));
    EXPECT_EQ(m_list.CountInState(kRowDone), m_list.Count());
    const std::string compare = "cmp -s " + m_served.Str() + "/site/big.bin " + m_local.Str() + "/big.bin";
    EXPECT_EQ(std::system(compare.c_str()), 0) << "the file is whole after the new try";
    for (const CTransferRow& row : m_list.Snapshot()) {
        if (row.name == "big.bin") {
            EXPECT_EQ(row.error.rfind("Sent on try 2 of 3", 0), 0u) << row.error;
        }
    }
}

} // namespace
} // namespace skerrow
