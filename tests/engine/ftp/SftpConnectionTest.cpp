// The connection over SFTP against a real OpenSSH server on 127.0.0.1: every call a pass makes
// (directories, uploads, listings with links, renames over an existing file, deletes) lands where
// FTP's would, each operation a line of the log; and the login fails clearly: a host key nobody
// trusts, a key the server does not take (with the methods it offers).

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <memory>

#include "ftp/CFtpConnection.h"
#include "ftp/CSshHostKeyCheck.h"
#include "support/CFtpServerProcess.h"
#include "support/CTempDir.h"

namespace skerrow {
namespace {

using test::CFtpServerProcess;
using test::CTempDir;
using test::FtpServerKind;

std::string ReadAll(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// A connection that trusts the test server's key for the run, logging in with its client key.
struct CSftpLogin {
    CFtpServerProcess& server;
    CTempDir settings;
    std::vector<std::string> log;

    std::unique_ptr<CFtpConnection> Open(const std::string& key, const std::string& trusted)
    {
        auto connection = std::make_unique<CFtpConnection>();
        connection->SetProtocol(FtpProtocol::Sftp);
        connection->SetSshKey(key, "");
        auto check = std::make_shared<CSshHostKeyCheck>((settings.Path() / "skerrow.ini").string(), "127.0.0.1",
                                                        server.Port());
        check->SetKnownHostsFile((settings.Path() / "known_hosts").string());
        check->SetTrusted(trusted);
        connection->SetHostKeyCheck(check);
        connection->SetLogCallback([this](const std::string& line) { log.push_back(line); });
        connection->Open("sftp://127.0.0.1", server.Port(), server.User(), "", true);
        return connection;
    }
};

TEST(SftpConnection, EveryCallOfAPassLandsOnTheServer)
{
    CTempDir served, local;
    CFtpServerProcess server(FtpServerKind::Sshd, served.Str());
    ASSERT_TRUE(server.Started()) << server.Error();
    CSftpLogin login{server, {}, {}};
    auto connection = login.Open(server.ClientKey(), server.HostKeyFingerprint());
    ASSERT_TRUE(connection->IsOpen()) << connection->LastResponse();
    EXPECT_TRUE(connection->IsEncrypted());
    const std::string root = served.Str();
    EXPECT_EQ(connection->LoginDirectory(), served.Str()) << "read with pwd after the login";

    const std::string text = "line one\r\nline two\n";
    std::ofstream(local.Path() / "page.html", std::ios::binary) << text;
    ASSERT_TRUE(connection->CreateDirectory(root + "/a b"));
    EXPECT_FALSE(connection->CreateDirectory(root + "/a b")) << "made twice";
    EXPECT_EQ(connection->LastError(), kErrorExtended);
    EXPECT_NE(connection->LastResponse().find("mkdir"), std::string::npos) << connection->LastResponse();
    ASSERT_TRUE(connection->SetCurrentDirectory(root + "/a b"));
    EXPECT_FALSE(connection->SetCurrentDirectory(root + "/missing"));
    ASSERT_TRUE(connection->SetCurrentDirectory(root + "/a b"));
    ASSERT_TRUE(connection->PutFile((local.Path() / "page.html").string(), "q\"uote.html", kTransferAscii));
    EXPECT_EQ(ReadAll(served.Path() / "a b" / "q\"uote.html"), text) << "text goes byte for byte";
    ASSERT_TRUE(connection->PutFile((local.Path() / "page.html").string(), "page.html", kTransferBinary));
    std::filesystem::create_symlink("/", served.Path() / "a b" / "link");

    std::vector<CFindRecord> records;
    ASSERT_TRUE(connection->ListForWalk("*", records));
    std::sort(records.begin(), records.end(), [](auto& l, auto& r) { return l.name < r.name; });
    ASSERT_EQ(records.size(), 3u);
    EXPECT_EQ(records[0].name, "link");
    EXPECT_TRUE(records[0].link);
    EXPECT_EQ(records[1].name, "page.html");
    EXPECT_EQ(records[1].size, text.size());
    EXPECT_EQ(records[2].name, "q\"uote.html");

    // Renaming over an existing file: OpenSSH refuses, and says so as a refusal.
    EXPECT_EQ(connection->Rename("page.html", "q\"uote.html"), CFtpConnection::RenameResult::ToRefused);
    EXPECT_EQ(connection->Rename("page.html", "moved.html"), CFtpConnection::RenameResult::Done);
    EXPECT_TRUE(std::filesystem::exists(served.Path() / "a b" / "moved.html"));
    EXPECT_TRUE(connection->DeleteFile("moved.html"));
    EXPECT_TRUE(connection->DeleteFile(root + "/a b/q\"uote.html"));
    std::filesystem::remove(served.Path() / "a b" / "link");
    EXPECT_TRUE(connection->RemoveDirectory(root + "/a b"));
    EXPECT_FALSE(std::filesystem::exists(served.Path() / "a b"));
    EXPECT_NE(std::find(login.log.begin(), login.log.end(), "> rmdir " + root + "/a b"), login.log.end());
}

TEST(SftpConnection, ALoginThatCannotGoOnSaysWhy)
{
    CTempDir served;
    CFtpServerProcess server(FtpServerKind::Sshd, served.Str());
    ASSERT_TRUE(server.Started()) << server.Error();
    CSftpLogin login{server, {}, {}};
    auto untrusted = login.Open(server.ClientKey(), "");
    EXPECT_FALSE(untrusted->IsOpen());
    EXPECT_EQ(untrusted->LastError(), kErrorHostKeyRefused);
    EXPECT_EQ(untrusted->RefusedHostKey().type, "ssh-ed25519");
    // A key the server does not hold, with the key's own fingerprint trusted: the login is refused.
    auto refused = login.Open("/nonexistent/key", untrusted->RefusedHostKey().fingerprint);
    EXPECT_FALSE(refused->IsOpen());
    EXPECT_EQ(refused->LastError(), kErrorExtended);
    EXPECT_NE(refused->LastResponse().find("publickey"), std::string::npos) << refused->LastResponse();
}

} // namespace
} // namespace skerrow
