// Encrypted connections against vsftpd and pyftpdlib with certificates made for each test by
// openssl: the certificate check and the trust the user gives, a changed certificate, implicit
// TLS, a server without TLS under each encryption choice, and uploads and deletions through
// protected data connections.

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>

#include "discovery/CTreeDelDirWalk.h"
#include "transfer/CDeletePlan.h"
#include "transfer/CFTPTransfer.h"
#include "ftp/CInternetError.h"
#include "ftp/CTlsHosts.h"
#include "ftp/CTrustedCertificates.h"
#include "support/CFtpTestBench.h"
#include "support/CScopedEnv.h"
#include "support/CTestCertificate.h"
#include "list/RowWord.h"

namespace skerrow {
namespace {

using test::CFtpTestBench;
using test::CTempDir;
using test::FtpServerKind;

// A certificate authority of the test's own and a server certificate it signed for the given
// subjectAltName ("IP:127.0.0.1", "DNS:other.example").
struct SignedCertificate {
    CTempDir dir;
    std::string ca;
    std::string cert;
    std::string key;

    explicit SignedCertificate(const std::string& altName)
    {
        const std::string d = dir.Str() + "/";
        ca = d + "ca.pem";
        cert = d + "cert.pem";
        key = d + "key.pem";
        dir.WriteFile("ext.cnf", "subjectAltName=" + altName + "\n");
        const std::string make =
            "openssl req -x509 -newkey rsa:2048 -nodes -days 2 -subj '/CN=Skerrow Test CA' -keyout " + d + "ca.key" +
            " -out " + ca + " 2>/dev/null && openssl req -newkey rsa:2048 -nodes -subj '/CN=server' -keyout " + key +
            " -out " + d + "req.csr 2>/dev/null && openssl x509 -req -in " + d + "req.csr -CA " + ca + " -CAkey " + d +
            "ca.key -CAcreateserial -days 2 -extfile " + d + "ext.cnf -out " + cert + " 2>/dev/null";
        if (std::system(make.c_str()) != 0)
            cert.clear();
        std::filesystem::permissions(dir.Path(), std::filesystem::perms::all);
        std::filesystem::permissions(key, std::filesystem::perms::owner_read | std::filesystem::perms::others_read);
    }
    std::vector<std::string> Args() const { return {"--tls-cert", cert, "--tls-key", key}; }
};

// The answers a test gives and the certificates it was asked about.
struct Asker {
    CertificateTrust answer = CertificateTrust::Once;
    std::vector<CCertificateInfo> asked;
    CertificateCheck Check()
    {
        return [this](const CCertificateInfo& info) {
            asked.push_back(info);
            return answer;
        };
    }
};

size_t Position(const std::vector<std::string>& log, const std::string& line)
{
    return static_cast<size_t>(std::find(log.begin(), log.end(), line) - log.begin());
}

class FtpTlsTest : public ::testing::Test {
protected:
    // A server of the kind over a served tree holding t/a/old.txt, with the extra arguments.
    void Start(FtpServerKind kind, const std::vector<std::string>& args)
    {
        m_bench = std::make_unique<CFtpTestBench>(kind, [args](CTempDir& served) {
            served.WriteFile("t/a/old.txt", "old");
            return args;
        });
        if (!m_bench->Ready())
            GTEST_SKIP() << m_bench->Skip();
        m_bench->Connection().SetLogCallback([this](const std::string& line) { m_log.push_back(line); });
    }
    CFtpConnection& Connection() { return m_bench->Connection(); }
    bool Logged(const std::string& line) const { return Position(m_log, line) < m_log.size(); }
    void TearDown() override
    {
        if (HasFailure()) {
            for (const std::string& line : m_log)
                std::printf("  log: %s\n", line.c_str());
            // The server's side of it, where it keeps one (vsftpd).
            if (m_bench && !m_bench->Server().LogPath().empty()) {
                std::ifstream in(m_bench->Server().LogPath());
                for (std::string line; std::getline(in, line);)
                    std::printf("  server: %s\n", line.c_str());
            }
        }
    }

    std::unique_ptr<CFtpTestBench> m_bench;
    std::vector<std::string> m_log;
};

TEST_F(FtpTlsTest, SelfSignedCertificateTrustedOnceCarriesUploadListingAndDeletion)
{
    test::CTestCertificate certificate("skerrow-tls-test");
    ASSERT_FALSE(certificate.fingerprint.empty()) << "openssl could not make a certificate";
    Start(FtpServerKind::Vsftpd, certificate.Args());
    Asker asker;
    Connection().SetCertificateCheck("", asker.Check());
    ASSERT_TRUE(m_bench->Open()) << Connection().LastError() << " " << Connection().LastResponse();

    ASSERT_EQ(asker.asked.size(), 1u);
    const CCertificateInfo& info = asker.asked[0];
    EXPECT_EQ(info.fingerprint, certificate.fingerprint);
    EXPECT_EQ(info.subject, "CN = skerrow-tls-test, O = Skerrow Tests");
    EXPECT_EQ(info.issuer, info.subject);
    EXPECT_EQ(info.host, "127.0.0.1");
    EXPECT_EQ(info.port, m_bench->Server().Port());
    EXPECT_LT(info.validFrom, info.validUntil);
    EXPECT_EQ(info.validUntil.size(), std::string("2026-12-09 11:00:00 UTC").size());
    EXPECT_FALSE(info.problem.empty());
    EXPECT_FALSE(info.Changed());
    EXPECT_TRUE(Connection().IsEncrypted());
    EXPECT_FALSE(Connection().FellBackToPlain());
    // Nothing of the login crosses before TLS; data connections are protected.
    EXPECT_LT(Position(m_log, "< 234 Proceed with negotiation."), Position(m_log, "> USER ftp"));
    EXPECT_TRUE(Logged("> PROT P"));

    // vsftpd refuses data connections that are plain or do not resume the TLS session.
    m_bench->Local().WriteFile("index.htm", "<p>\n");
    m_bench->Local().WriteFile("img/logo.gif", std::string(300000, 'g'));
    m_bench->AddRow("index.htm");
    m_bench->AddRow("/img/logo.gif", "293");
    CFTPTransfer(m_bench->Context("t")).UploadRows();
    EXPECT_EQ(m_bench->States(), (std::vector<int32_t>{1, 1})) << m_bench->List().GetText(1, kColErrors);
    EXPECT_TRUE(m_bench->Served().ReadFile("t/img/logo.gif") == std::string(300000, 'g'));

    m_bench->List().DeleteAll();
    CTreeDelDirWalk walk;
    walk.Setup(&m_bench->List());
    ASSERT_TRUE(walk.Walk(&Connection(), "/t", "*"));
    EXPECT_EQ(m_bench->List().Count(), 5u); // index.htm, old.txt, a/, logo.gif, img/
    ASSERT_TRUE(Connection().SetCurrentDirectory("/"));
    CFTPTransfer(m_bench->Context("t")).DeleteRows(CDeletePlan::TreeDelete("/t"));
    EXPECT_TRUE(std::filesystem::is_empty(m_bench->Served().Path() / "t"));
    EXPECT_EQ(asker.asked.size(), 1u); // the data connections never ask
}

TEST_F(FtpTlsTest, RememberedFingerprintPassesAndAChangedCertificateIsAskedAboutWithItsWarning)
{
    test::CTestCertificate first("first");
    test::CTestCertificate second("second");
    ASSERT_FALSE(second.fingerprint.empty());
    Start(FtpServerKind::Vsftpd, second.Args());
    Asker asker;

    // Trusted before: no question.
    Connection().SetCertificateCheck(second.fingerprint, asker.Check());
    ASSERT_TRUE(m_bench->Open());
    EXPECT_TRUE(asker.asked.empty());
    Connection().Close();

    // The server now shows another certificate than the one remembered: asked, with the warning;
    // refused, the password never goes out.
    m_log.clear();
    asker.answer = CertificateTrust::Reject;
    Connection().SetCertificateCheck(first.fingerprint, asker.Check());
    EXPECT_FALSE(m_bench->Open());
    EXPECT_EQ(Connection().LastError(), kErrorInvalidCa);
    ASSERT_EQ(asker.asked.size(), 1u);
    EXPECT_TRUE(asker.asked[0].Changed());
    EXPECT_EQ(asker.asked[0].remembered, first.fingerprint);
    EXPECT_EQ(Connection().RefusedCertificate().fingerprint, second.fingerprint);
    std::string text;
    CInternetError(&Connection()).GetErrorText(kErrorInvalidCa, text);
    EXPECT_EQ(text, "error code: 12045\nMessage: " + CInternetError::Description(kErrorInvalidCa) +
                        "\nThis is not the certificate trusted before for this server.\nSHA-256 fingerprint: " +
                        second.fingerprint + "\n");
    EXPECT_FALSE(Logged("> USER ftp"));
    EXPECT_FALSE(Connection().IsOpen());

    // Without anyone to ask the certificate is refused as well.
    Connection().SetCertificateCheck("", nullptr);
    EXPECT_FALSE(m_bench->Open());
    EXPECT_EQ(Connection().LastError(), kErrorInvalidCa);
    EXPECT_EQ(Connection().RefusedCertificate().fingerprint, second.fingerprint);
}

TEST_F(FtpTlsTest, TrustAlwaysIsRememberedInTheSettingsFileForTheHostAndPort)
{
    test::CTestCertificate certificate("always");
    Start(FtpServerKind::Vsftpd, certificate.Args());
    CTempDir settings;
    const std::string ini = (settings.Path() / "skerrow.ini").string();
    const CTrustedCertificates store(ini);
    Asker asker;
    asker.answer = CertificateTrust::Always;
    for (int round = 0; round < 2; ++round) {
        store.Apply(Connection(), "ftp://127.0.0.1/", m_bench->Server().Port(), FtpEncryption::RequireExplicit,
                    asker.Check(), nullptr);
        ASSERT_TRUE(m_bench->Open()) << round;
        EXPECT_TRUE(Connection().IsEncrypted());
        Connection().Close();
    }
    EXPECT_EQ(asker.asked.size(), 1u); // the second connection found the fingerprint remembered
    EXPECT_EQ(store.Remembered("127.0.0.1", m_bench->Server().Port()), certificate.fingerprint);
    EXPECT_TRUE(CTlsHosts(ini).OfferedTls("127.0.0.1", m_bench->Server().Port())); // a later refusal fails
}

// By address and by name: a server reached as "localhost" must show a certificate for that name.
TEST_F(FtpTlsTest, CertificateOfATrustedAuthorityPassesOnlyForItsOwnName)
{
    const struct {
        const char* altName;
        const char* host;
        bool named;
        const char* mismatch;
    } cases[] = {
        {"IP:127.0.0.1", "127.0.0.1", true, ""},
        {"DNS:other.example", "127.0.0.1", false, "IP address mismatch"},
        {"DNS:localhost", "localhost", true, ""},
        {"DNS:other.example", "localhost", false, "hostname mismatch"},
    };
    for (const auto& c : cases) {
        const std::string altName = c.altName;
        SignedCertificate certificate(altName);
        ASSERT_FALSE(certificate.cert.empty()) << "openssl could not sign a certificate";
        Start(FtpServerKind::Vsftpd, certificate.Args());
        test::CScopedEnv trust("SSL_CERT_FILE", certificate.ca); // OpenSSL's default trust store
        Asker asker;
        asker.answer = CertificateTrust::Reject;
        Connection().SetCertificateCheck("", asker.Check());
        const bool named = c.named;
        EXPECT_EQ(m_bench->Open(5, c.host), named) << altName << " " << c.host;
        EXPECT_EQ(Connection().IsEncrypted(), named);
        ASSERT_EQ(asker.asked.size(), named ? 0u : 1u) << altName;
        if (!named) {
            EXPECT_EQ(asker.asked[0].issuer, "CN = Skerrow Test CA");
            EXPECT_NE(asker.asked[0].problem.find(c.mismatch), std::string::npos) << asker.asked[0].problem;
        }
        Connection().Close();
    }
}

// A server that speaks only TLS 1.3 takes uploads and listings.
TEST_F(FtpTlsTest, AServerOfTls13AloneIsReached)
{
    test::CTestCertificate certificate("tls13-only");
    ASSERT_FALSE(certificate.fingerprint.empty()) << "openssl could not make a certificate";
    std::vector<std::string> args = certificate.Args();
    args.push_back("--tls13-only");
    Start(FtpServerKind::Vsftpd, args);
    Connection().SetEncryption(FtpEncryption::RequireExplicit);
    Connection().SetCertificateCheck(certificate.fingerprint, nullptr);
    ASSERT_TRUE(m_bench->Open()) << Connection().LastError() << " " << Connection().LastResponse();
    EXPECT_TRUE(Connection().IsEncrypted());
    m_bench->Local().WriteFile("a.htm", "a\n");
    m_bench->AddRow("a.htm");
    CFTPTransfer(m_bench->Context("")).UploadRows();
    EXPECT_EQ(m_bench->States(), (std::vector<int32_t>{kRowDone})) << m_bench->List().GetText(0, kColErrors);
    std::vector<CFindRecord> records;
    ASSERT_TRUE(Connection().List("*", records));
    EXPECT_EQ(records.size(), 2u); // a.htm and t
}

TEST_F(FtpTlsTest, ImplicitTlsUploads)
{
    test::CTestCertificate certificate("implicit");
    std::vector<std::string> args = certificate.Args();
    args.push_back("--implicit-tls");
    Start(FtpServerKind::Vsftpd, args);
    Asker asker;
    Connection().SetEncryption(FtpEncryption::Implicit);
    Connection().SetCertificateCheck("", asker.Check());
    ASSERT_TRUE(m_bench->Open()) << Connection().LastError();
    EXPECT_TRUE(Connection().IsEncrypted());
    EXPECT_FALSE(Logged("> AUTH TLS"));
    m_bench->Local().WriteFile("a.txt", "abc");
    m_bench->AddRow("a.txt");
    CFTPTransfer(m_bench->Context("")).UploadRows();
    EXPECT_EQ(m_bench->Served().ReadFile("a.txt"), "abc");
}

// A server that refuses AUTH TLS gets the password only where the user allowed it: never under
// Require, never from a server known to speak TLS, and under "if available" only with consent.
TEST_F(FtpTlsTest, ServerWithoutTlsGetsThePasswordOnlyWithConsent)
{
    Start(FtpServerKind::Pyftpdlib, {});
    enum Ask { kNobody, kRefuse, kOnce };
    const struct {
        FtpEncryption encryption;
        bool knownAbsent; // another connection of the run went on without TLS
        bool tlsExpected;
        Ask ask;
        int error; // kErrorNone: opens, unencrypted
        bool asksAuth;
        bool asked;
    } cases[] = {
        {FtpEncryption::RequireExplicit, false, false, kOnce, kErrorTlsNotOffered, true, false},
        {FtpEncryption::ExplicitIfAvailable, false, false, kNobody, kErrorPlainNotAllowed, true, false},
        {FtpEncryption::ExplicitIfAvailable, false, false, kRefuse, kErrorPlainNotAllowed, true, true},
        {FtpEncryption::ExplicitIfAvailable, false, false, kOnce, kErrorNone, true, true},
        {FtpEncryption::ExplicitIfAvailable, false, true, kOnce, kErrorTlsWithdrawn, true, false},
        {FtpEncryption::ExplicitIfAvailable, true, false, kNobody, kErrorNone, false, false},
        {FtpEncryption::Plain, false, true, kNobody, kErrorNone, false, false},
    };
    for (const auto& c : cases) {
        const int mode = static_cast<int>(&c - cases);
        m_log.clear();
        int asked = 0;
        CPlainFtpPolicy policy;
        policy.tlsExpected = c.tlsExpected;
        if (c.ask != kNobody)
            policy.consent = [&asked, &c, this](const std::string& host, int port) {
                ++asked;
                EXPECT_EQ(host, "127.0.0.1");
                EXPECT_EQ(port, m_bench->Server().Port());
                return c.ask == kOnce ? PlainConsent::Once : PlainConsent::Refuse;
            };
        Connection().SetEncryption(c.encryption);
        Connection().SetTlsKnownAbsent(c.knownAbsent);
        Connection().SetPlainFtpPolicy(policy);
        const bool opens = c.error == kErrorNone;
        EXPECT_EQ(m_bench->Open(), opens) << mode;
        EXPECT_EQ(Connection().LastError(), c.error) << mode;
        EXPECT_EQ(Logged("> AUTH TLS"), c.asksAuth) << mode;
        EXPECT_EQ(asked, c.asked ? 1 : 0) << mode;
        // The password goes only on a connection that opens.
        EXPECT_EQ(Logged("> USER tester"), opens) << mode;
        EXPECT_EQ(Logged("> PASS ****"), opens) << mode;
        EXPECT_FALSE(Connection().IsEncrypted()) << mode;
        const bool fellBack = opens && c.encryption == FtpEncryption::ExplicitIfAvailable;
        EXPECT_EQ(Connection().FellBackToPlain(), fellBack) << mode;
        EXPECT_EQ(Logged("! " + CFtpConnection::PlainFallbackText("127.0.0.1", m_bench->Server().Port())), fellBack)
            << mode;
        Connection().Close();
    }
}

// What the settings file keeps: "Always for this server" is asked once, and a server with a
// remembered certificate is never let in without TLS, whoever would answer.
TEST_F(FtpTlsTest, PlainFtpConsentAndTheCertificatesAreRememberedPerServer)
{
    Start(FtpServerKind::Pyftpdlib, {});
    CTempDir settings;
    const std::string ini = (settings.Path() / "skerrow.ini").string();
    const int port = m_bench->Server().Port();
    int asked = 0;
    auto open = [&](const CTrustedCertificates& store, PlainConsent answer) {
        store.Apply(Connection(), "127.0.0.1", port, FtpEncryption::ExplicitIfAvailable, nullptr,
                    [&](const std::string&, int) {
                        ++asked;
                        return answer;
                    });
        const bool opened = m_bench->Open();
        Connection().Close();
        return opened;
    };
    const CTrustedCertificates store(ini);
    EXPECT_TRUE(open(store, PlainConsent::Once));
    EXPECT_TRUE(open(store, PlainConsent::Always));
    EXPECT_TRUE(open(store, PlainConsent::Refuse)); // not asked: allowed always
    EXPECT_EQ(asked, 2);
    EXPECT_TRUE(CTlsHosts(ini).PlainAllowed("127.0.0.1", port));

    const CTrustedCertificates knownForTls((settings.Path() / "other.ini").string());
    ASSERT_TRUE(knownForTls.Remember("127.0.0.1", port, std::string(31, 'A') + std::string(33, 'B')));
    EXPECT_FALSE(open(knownForTls, PlainConsent::Always));
    EXPECT_EQ(Connection().LastError(), kErrorTlsWithdrawn);
    EXPECT_EQ(asked, 2);
}

// A server that counts sessions and is slow to let one go: the login without TLS, right after the
// session that asked for TLS, is refused with 421 at first and goes through on a later try.
TEST_F(FtpTlsTest, ThePlainLoginWaitsForAServerThatStillCountsTheTlsAttempt)
{
    Start(FtpServerKind::Misbehaving, {"--max-sessions", "1", "--linger", "400"});
    CPlainFtpPolicy policy;
    policy.consent = [](const std::string&, int) { return PlainConsent::Once; };
    Connection().SetPlainFtpPolicy(policy);
    EXPECT_TRUE(m_bench->Open()) << Connection().LastError() << " " << Connection().LastResponse();
    EXPECT_TRUE(Connection().FellBackToPlain());
}

// pyftpdlib 1.5.7 resets a TLS data connection whose handshake starts before the transfer command
// is answered, as curl's does (vsftpd above carries the data); its control connection serves here.
TEST_F(FtpTlsTest, PyftpdlibOffersTlsAndPlainFtpOnlyNeverAsksForIt)
{
    test::CTestCertificate certificate("pyftpdlib");
    Start(FtpServerKind::Pyftpdlib, certificate.Args());
    Asker asker;
    Connection().SetCertificateCheck("", asker.Check());
    ASSERT_TRUE(m_bench->Open()) << Connection().LastError() << " " << Connection().LastResponse();
    EXPECT_TRUE(Connection().IsEncrypted());
    EXPECT_TRUE(Connection().CreateDirectory("/t/new"));
    EXPECT_TRUE(Connection().RemoveDirectory("/t/new"));
    EXPECT_TRUE(Connection().DeleteFile("/t/a/old.txt"));
    EXPECT_EQ(asker.asked.size(), 1u);
    Connection().Close();

    m_log.clear();
    Connection().SetEncryption(FtpEncryption::Plain);
    ASSERT_TRUE(m_bench->Open());
    EXPECT_FALSE(Connection().IsEncrypted());
    EXPECT_FALSE(Connection().FellBackToPlain());
    EXPECT_FALSE(Logged("> AUTH TLS"));
    ASSERT_TRUE(Connection().SetCurrentDirectory("/t"));
    std::vector<CFindRecord> records;
    ASSERT_TRUE(Connection().List("*", records));
    ASSERT_EQ(records.size(), 1u);
    EXPECT_EQ(records[0].name, "a");
    EXPECT_EQ(asker.asked.size(), 1u);
}

TEST(TrustedCertificates, RemembersPerHostAndPortInTheSettingsFile)
{
    CTempDir dir;
    const std::string ini = (dir.Path() / "skerrow.ini").string();
    const std::string fp = "AB:CD:EF:01:23:45:67:89:AB:CD:EF:01:23:45:67:89:AB:CD:EF:01:23:45:67:89:AB:CD:EF:01:23:45:67:89";
    for (const std::string& written : {fp, std::string("abcdef0123456789abcdef0123456789abcdef0123456789abcdef0123456789"),
                                       "sha256 Fingerprint=" + fp + "\n", std::string(" ab cd ef 01") + fp.substr(11)})
        EXPECT_EQ(CTrustedCertificates::Normalize(written), fp) << written;
    for (const std::string& bad : {std::string(), fp.substr(3), fp + ":00", "XY" + fp.substr(2)})
        EXPECT_EQ(CTrustedCertificates::Normalize(bad), "") << bad;

    CTrustedCertificates store(ini);
    EXPECT_EQ(store.Remembered("ftp.example.org", 21), "");
    ASSERT_TRUE(store.Remember("FTP.Example.org", 21, fp));
    EXPECT_FALSE(store.Remember("ftp.example.org", 990, "not a fingerprint"));
    EXPECT_EQ(store.Remembered("ftp.example.org", 21), fp);
    EXPECT_EQ(store.Remembered("ftp.example.org", 990), "");
    ASSERT_TRUE(store.Remember("[::1]", 21, fp)); // an IPv6 address as the Site field may hold it
    EXPECT_EQ(CTrustedCertificates(ini).Remembered("[::1]", 21), fp);

    // The check remembers an Always, and only that; without anyone to ask it refuses.
    CCertificateInfo info;
    info.host = "ftp.example.org";
    info.port = 990;
    info.fingerprint = fp;
    EXPECT_EQ(store.RememberingCheck(nullptr)(info), CertificateTrust::Reject);
    for (CertificateTrust answer : {CertificateTrust::Reject, CertificateTrust::Once, CertificateTrust::Always}) {
        EXPECT_EQ(store.RememberingCheck([answer](const CCertificateInfo&) { return answer; })(info), answer);
        EXPECT_EQ(store.Remembered("ftp.example.org", 990), answer == CertificateTrust::Always ? fp : "");
    }

    EXPECT_EQ(CTrustedCertificates::EncryptionFromSetting(1), FtpEncryption::RequireExplicit);
    EXPECT_EQ(CTrustedCertificates::EncryptionFromSetting(3), FtpEncryption::Plain);
    EXPECT_EQ(CTrustedCertificates::EncryptionFromSetting(7), FtpEncryption::ExplicitIfAvailable);
}

} // namespace
} // namespace skerrow
