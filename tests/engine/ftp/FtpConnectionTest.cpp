// The connection and the error texts against pyftpdlib and vsftpd; listing lines and path
// resolution on their own.

#include <gtest/gtest.h>

#include "ftp/CFtpConnection.h"
#include "ftp/CFtpListParser.h"
#include "ftp/CInternetError.h"
#include "support/CFtpTestBench.h"

namespace skerrow {
namespace {

using test::CFtpTestBench;
using test::FtpServerKind;

class FtpConnectionTest : public ::testing::TestWithParam<FtpServerKind> {
protected:
    void SetUp() override
    {
        m_bench = std::make_unique<CFtpTestBench>(GetParam());
        if (!m_bench->Ready())
            GTEST_SKIP() << m_bench->Skip();
    }
    std::unique_ptr<CFtpTestBench> m_bench;
};

TEST_P(FtpConnectionTest, RefusedLoginAndRefusedDirectoryCarryTheServersReply)
{
    CFtpConnection& connection = m_bench->Connection();
    std::vector<std::string> log;
    connection.SetLogCallback([&log](const std::string& line) { log.push_back(line); });
    const std::string user = GetParam() == FtpServerKind::Vsftpd ? "intruder" : m_bench->Server().User();
    const std::string badPassword = "Wr0ng-pass-xyz";
    connection.SetTimeouts(5, 5);
    ASSERT_FALSE(connection.Open("127.0.0.1", m_bench->Server().Port(), user, badPassword, true));
    EXPECT_FALSE(connection.IsOpen());
    ASSERT_EQ(connection.LastError(), kErrorExtended);
    std::string text;
    CInternetError(&connection).GetErrorText(connection.LastError(), text);
    const std::string head = "error code: 12003\nMessage: " + CInternetError::Description(12003) + "\n";
    ASSERT_EQ(text.substr(0, head.size()), head);
    EXPECT_EQ(text.substr(head.size(), 4), "530 ");
    EXPECT_EQ(text.back(), '\n');

    ASSERT_TRUE(m_bench->Open());
    EXPECT_TRUE(connection.IsOpen());
    EXPECT_FALSE(connection.SetCurrentDirectory("/no/such/dir"));
    ASSERT_EQ(connection.LastError(), kErrorExtended);
    CInternetError(&connection).GetErrorText(connection.LastError(), text);
    EXPECT_EQ(text.substr(head.size(), 4), "550 ");
    std::string current;
    ASSERT_TRUE(connection.GetCurrentDirectory(current));
    EXPECT_EQ(current, "/");

    // A code without a reply ends after its description; an unknown code has none.
    CInternetError(&connection).GetErrorText(kErrorTimeout, text);
    EXPECT_EQ(text, "error code: 12002\nMessage: " + CInternetError::Description(12002) + "\n");
    CInternetError(nullptr).GetErrorText(4242, text);
    EXPECT_EQ(text, "error code: 4242\nMessage: \n");

    for (const std::string& line : log) {
        EXPECT_EQ(line.find(badPassword), std::string::npos) << line;
        EXPECT_EQ(line.find(m_bench->Server().Password()), std::string::npos) << line;
    }
    EXPECT_NE(std::find(log.begin(), log.end(), "> PASS ****"), log.end());
}

TEST_P(FtpConnectionTest, DirectoriesFilesAndListingsOnTheServer)
{
    ASSERT_TRUE(m_bench->Open());
    CFtpConnection& connection = m_bench->Connection();
    const auto local = m_bench->Local().WriteFile("x.bin", "12345");
    ASSERT_TRUE(connection.CreateDirectory("d"));
    ASSERT_TRUE(connection.SetCurrentDirectory("d"));
    ASSERT_TRUE(connection.CreateDirectory("sub"));
    ASSERT_TRUE(connection.PutFile(local.string(), "x.bin", kTransferBinary));
    ASSERT_TRUE(connection.PutFile(local.string(), ".hidden", kTransferBinary));
    std::vector<CFindRecord> records;
    ASSERT_TRUE(connection.List("*", records));
    std::sort(records.begin(), records.end(), [](const auto& a, const auto& b) { return a.name < b.name; });
    ASSERT_EQ(records.size(), 3u);
    EXPECT_EQ(records[0].name, ".hidden");
    EXPECT_EQ(records[1].name, "sub");
    EXPECT_TRUE(records[1].IsDirectory());
    EXPECT_EQ(records[2].name, "x.bin");
    EXPECT_EQ(records[2].size, 5u);

    // An empty directory lists as empty, also one only assumed (an upload pass names files in
    // full and never enters what it made); a missing local file is error 2, a refused delete 12003.
    connection.AssumeDirectory("sub");
    ASSERT_TRUE(connection.List("*", records));
    EXPECT_TRUE(records.empty());
    ASSERT_TRUE(connection.SetCurrentDirectory("/d/sub"));
    ASSERT_TRUE(connection.List("*", records));
    EXPECT_TRUE(records.empty());
    EXPECT_FALSE(connection.PutFile("/no/such/file", "y", kTransferBinary));
    EXPECT_EQ(connection.LastError(), kErrorFileNotFound);
    EXPECT_FALSE(connection.DeleteFile("nothing-here"));
    EXPECT_EQ(connection.LastError(), kErrorExtended);
    EXPECT_FALSE(connection.DeleteFile("bad\r\nDELE x"));
    EXPECT_EQ(connection.LastError(), kErrorInvalidName);

    ASSERT_TRUE(connection.SetCurrentDirectory(".."));
    EXPECT_TRUE(connection.DeleteFile("x.bin"));
    EXPECT_TRUE(connection.DeleteFile("/d/.hidden"));
    EXPECT_TRUE(connection.RemoveDirectory("sub/"));
    ASSERT_TRUE(connection.SetCurrentDirectory("/"));
    EXPECT_TRUE(connection.RemoveDirectory("d"));
    EXPECT_TRUE(std::filesystem::is_empty(m_bench->Served().Path()));
    connection.Close();
    EXPECT_FALSE(connection.IsOpen());
    EXPECT_FALSE(connection.SetCurrentDirectory("/"));
    EXPECT_EQ(connection.LastError(), kErrorIncorrectHandleState);
}

INSTANTIATE_TEST_SUITE_P(Servers, FtpConnectionTest,
                         ::testing::Values(FtpServerKind::Pyftpdlib, FtpServerKind::Vsftpd),
                         test::CFtpServerProcess::ParamName<::testing::TestParamInfo<FtpServerKind>>);

TEST(FtpConnectionErrors, ClosedPortCannotConnect)
{
    CFtpConnection connection;
    connection.SetTimeouts(5, 5);
    // A port nobody listens on: bind one, close it.
    int port = 0;
    {
        test::CTempDir root;
        test::CFtpServerProcess server(test::FtpServerKind::Misbehaving, root.Str());
        ASSERT_TRUE(server.Started()) << server.Error();
        port = server.Port();
    }
    EXPECT_FALSE(connection.Open("127.0.0.1", port, "u", "p", true));
    EXPECT_EQ(connection.LastError(), kErrorCannotConnect);
}

// A login the server put in "/" needs no CWD to it; one whose PWD reply cannot be read is not taken
// to be there: entering "/" asks the server, and lists the root, not the login directory.
TEST(FtpConnectionErrors, AnUnreadablePwdIsNoProofOfTheRoot)
{
    test::CTempDir root;
    root.WriteFile("top.txt", "t");
    root.WriteFile("site/inner.txt", "i");
    test::CFtpServerProcess server(test::FtpServerKind::Misbehaving, root.Str(), {"--home", "/site", "--pwd-unquoted"});
    ASSERT_TRUE(server.Started()) << server.Error();
    CFtpConnection connection;
    connection.SetEncryption(FtpEncryption::Plain);
    ASSERT_TRUE(connection.Open("127.0.0.1", server.Port(), server.User(), server.Password(), true));
    ASSERT_TRUE(connection.SetCurrentDirectory("/"));
    std::vector<CFindRecord> records;
    ASSERT_TRUE(connection.List("*", records));
    ASSERT_EQ(records.size(), 2u);
    EXPECT_TRUE(records[0].name == "top.txt" || records[1].name == "top.txt");
}

TEST(FtpListParser, ReadsUnixAndMlsdLines)
{
    CFindRecord record;
    ASSERT_TRUE(CFtpListParser::ParseLine("drwxr-xr-x    2 0   0   4096 Dec 07 08:30 my dir\r", record));
    EXPECT_EQ(record.name, "my dir");
    EXPECT_TRUE(record.IsDirectory());
    ASSERT_TRUE(CFtpListParser::ParseLine("-rw-r--r-- 1 owner 123456 Jan 01  2020  two  spaces", record));
    EXPECT_EQ(record.name, " two  spaces");
    EXPECT_EQ(record.size, 123456u);
    EXPECT_FALSE(record.IsDirectory());
    ASSERT_TRUE(CFtpListParser::ParseLine("lrwxrwxrwx 1 a b 4 Jan 01 2020 link -> target", record));
    EXPECT_EQ(record.name, "link");
    ASSERT_TRUE(CFtpListParser::ParseLine("type=file;size=12;modify=20200101120000; a.txt", record));
    EXPECT_EQ(record.name, "a.txt");
    EXPECT_EQ(record.size, 12u);
    EXPECT_EQ(record.lastWriteTime, 1577880000);
    EXPECT_FALSE(CFtpListParser::ParseLine("type=cdir;modify=20200101120000; /x", record));
    EXPECT_FALSE(CFtpListParser::ParseLine("total 12", record));

    EXPECT_EQ(CFtpConnection::ResolvePath("/a/b", "../c/./d/"), "/a/c/d");
    EXPECT_EQ(CFtpConnection::ResolvePath("/a", "//img"), "/img");
    EXPECT_EQ(CFtpConnection::ResolvePath("/a", "/../.."), "/");
}

} // namespace
} // namespace skerrow
