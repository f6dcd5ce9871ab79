// A run over TLS with a certificate the system does not trust: the user is asked once for the run,
// however many connections it opens; an automatic run asks nobody and refuses it. A server without
// TLS: the user is asked before the password goes; an automatic run goes on and logs why.

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <memory>
#include <set>

#include "app/CStringTable.h"
#include "ftp/CFtpConnection.h"
#include "list/RowWord.h"
#include "run/CRunWorker.h"
#include "log/CCommandLog.h"
#include "log/CLogFile.h"
#include "support/CRunControlFixture.h"
#include "support/CScopedEnv.h"
#include "support/CTempDir.h"
#include "support/CTestCertificate.h"

namespace skerrow {
namespace {

using test::FtpServerKind;

class RunTlsTest : public test::RunControlTest {
protected:
    // Each TLS connection reads the system's trust store (a few hundred certificates) at its first
    // handshake: on a busy machine seconds per run, and a run's end waits for the further logins
    // still reading it. That store cannot know the tests' certificates: the suite's connections read
    // an empty one. Set before any thread starts, put back once they have all ended.
    static void SetUpTestSuite()
    {
        s_noStore = std::make_unique<test::CTempDir>();
        s_trust = std::make_unique<test::CScopedEnv>("SSL_CERT_FILE", (s_noStore->Path() / "none.pem").string());
        s_trust->Set("SSL_CERT_DIR", s_noStore->Str());
    }
    static void TearDownTestSuite()
    {
        s_trust.reset();
        s_noStore.reset();
    }

    void TearDown() override
    {
        // The server's side of a failure, where it keeps a log (vsftpd).
        if (HasFailure() && m_server && !m_server->LogPath().empty()) {
            std::ifstream in(m_server->LogPath());
            for (std::string line; std::getline(in, line);)
                std::printf("  server: %s\n", line.c_str());
        }
    }

    static inline std::unique_ptr<test::CTempDir> s_noStore;
    static inline std::unique_ptr<test::CScopedEnv> s_trust;
};

TEST_F(RunTlsTest, TheUserIsAskedOncePerRunAndAnAutomaticRunRefusesTheCertificate)
{
    test::CTestCertificate certificate("run-tls");
    ASSERT_FALSE(certificate.fingerprint.empty()) << "openssl could not make a certificate";
    for (int i = 0; i < 8; ++i)
        m_local.WriteFile("d" + std::to_string(i % 3) + "/f" + std::to_string(i) + ".bin", std::string(4000 + i, 'x'));
    // Each session sends at most 2 MB a second, so that the later run's further connections have
    // time to log in (a few TLS handshakes) before the first alone could send its 12 MB.
    std::vector<std::string> args = certificate.Args();
    args.insert(args.end(), {"--max-rate", "2000000"});
    StartServer(FtpServerKind::Vsftpd, args);
    WriteSetting("Advanced", "Encryption", "1"); // TLS required
    WriteSetting("Advanced", "Connections", "4");

    // Nobody is there to answer: the certificate is refused, the message names its fingerprint.
    m_host.certificateAnswer = CertificateTrust::Once;
    Controller().CheckAutomaticRun("skerrow /a");
    ASSERT_TRUE(m_host.PumpUntilIdle());
    EXPECT_EQ(m_host.certificateQuestions.load(), 0);
    ASSERT_EQ(m_sink.Messages().size(), 1u);
    EXPECT_NE(m_sink.Messages()[0].find(certificate.fingerprint), std::string::npos) << m_sink.Messages()[0];
    EXPECT_TRUE(std::filesystem::is_empty(m_served.Path() / "site"));

    // Asked once, trusted once: the run's other connections take the same certificate.
    Controller().OnFindFilesTransfer();
    ASSERT_TRUE(m_host.PumpUntilIdle());
    EXPECT_EQ(m_host.certificateQuestions.load(), 1);
    EXPECT_EQ(m_list.CountInState(kRowDone), m_list.Count());
    for (const CTransferRow& row : m_list.Snapshot())
        EXPECT_TRUE(ServedMatches(row.name)) << row.name << " " << row.error;

    // The next run on the same connection is not asked again and still logs its others in.
    auto log = std::make_shared<CCommandLog>();
    Controller().SetCommandLog(log);
    WriteSetting("Configure", "UploadAllFiles", "1");
    for (int i = 0; i < 40; ++i)
        m_local.WriteFile("more/g" + std::to_string(i) + ".bin", std::string(300000, 'y'));
    Controller().OnFindFilesTransfer();
    ASSERT_TRUE(m_host.PumpUntilIdle());
    EXPECT_EQ(m_host.certificateQuestions.load(), 1);
    EXPECT_EQ(m_list.CountInState(kRowDone), m_list.Count());
    for (const CTransferRow& row : m_list.Snapshot())
        EXPECT_EQ(row.error, "") << row.name;
    size_t logins = 0;
    for (const CLogLine& line : log->Drain(100000))
        logins += line.text.find("] > USER ") != std::string::npos ? 1 : 0;
    EXPECT_GT(logins, 0u);

    // With TLS if available, every further connection asks for TLS as the first one did, early
    // logins included: none names its user, let alone its password, in clear to this server.
    WriteSetting("Advanced", "Encryption", "0");
    Controller().OnFindFilesTransfer();
    ASSERT_TRUE(m_host.PumpUntilIdle());
    EXPECT_EQ(m_list.CountInState(kRowDone), m_list.Count());
    std::set<std::string> askedForTls; // by the log's connection prefix
    size_t users = 0;
    for (const CLogLine& line : log->Drain(100000)) {
        const std::string connection = line.text.substr(0, line.text.find(' '));
        if (line.text.find("> AUTH TLS") != std::string::npos)
            askedForTls.insert(connection);
        if (line.text.find("> USER ") != std::string::npos) {
            ++users;
            EXPECT_EQ(askedForTls.count(connection), 1u) << line.text;
        }
    }
    EXPECT_GT(users, 1u);
}

// A further connection trusts the certificate the user trusted for the run's first one, and no
// other: with another fingerprint, or none, it is refused without a question.
TEST_F(RunTlsTest, AFurtherConnectionTrustsTheRunsCertificateAndNoOther)
{
    test::CTestCertificate certificate("further");
    ASSERT_FALSE(certificate.fingerprint.empty()) << "openssl could not make a certificate";
    StartServer(FtpServerKind::Vsftpd, certificate.Args());
    WriteSetting("Advanced", "Encryption", "1");
    CRunSettings settings;
    settings.Load();
    const std::string other(certificate.fingerprint.size(), 'A');
    for (const auto& [accepted, opens] : {std::pair{certificate.fingerprint, true}, {other, false}, {std::string(), false}}) {
        CFtpConnection connection;
        EXPECT_EQ(CRunWorker::FurtherLogin(settings, accepted, 5, 5, nullptr)(connection), opens) << accepted;
        EXPECT_EQ(connection.IsEncrypted(), opens);
    }
}

TEST_F(RunTlsTest, AServerWithoutTlsIsAskedAboutOnceAndTheAutomaticRunGoesOnSayingSo)
{
    for (int i = 0; i < 8; ++i)
        m_local.WriteFile("f" + std::to_string(i) + ".bin", std::string(30000, 'p'));
    StartServer(FtpServerKind::Pyftpdlib);
    WriteSetting("Advanced", "Connections", "4");
    auto log = std::make_shared<CCommandLog>();
    Controller().SetCommandLog(log);
    auto logged = [&log](const std::string& text) {
        size_t count = 0;
        for (const CLogLine& line : log->Drain(100000))
            count += line.text.size() > text.size() && line.text.compare(line.text.size() - text.size(), text.size(), text) == 0 ? 1 : 0;
        return count;
    };
    const std::string notice = "! " + CFtpConnection::PlainFallbackText("127.0.0.1", m_server->Port());

    m_host.plainAnswer = PlainConsent::Refuse;
    Controller().OnFindFilesTransfer();
    ASSERT_TRUE(m_host.PumpUntilIdle());
    EXPECT_EQ(m_host.plainQuestions.load(), 1);
    ASSERT_EQ(m_sink.Messages().size(), 1u);
    EXPECT_NE(m_sink.Messages()[0].find("The password was not sent"), std::string::npos) << m_sink.Messages()[0];
    EXPECT_TRUE(std::filesystem::is_empty(m_served.Path() / "site"));
    EXPECT_EQ(logged("> USER " + m_server->User()), 0u);

    // Not asked; every connection of the run goes on without TLS, and the log says so.
    Controller().CheckAutomaticRun("skerrow /a");
    ASSERT_TRUE(m_host.PumpUntilIdle());
    EXPECT_EQ(m_host.plainQuestions.load(), 1);
    EXPECT_EQ(m_list.CountInState(kRowDone), m_list.Count());
    EXPECT_GE(logged(notice), 1u);
}

} // namespace
} // namespace skerrow
