// The connection over SFTP against a real OpenSSH server on 127.0.0.1: the refusals a pass must
// read right (a rename over an existing file, a directory that is not there). Logins that fail are
// tested through whole runs and the headless command.

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <functional>
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

// A connection that trusts the test server's key for the run, logging in with its client key.
struct CSftpLogin {
    CFtpServerProcess& server;
    CTempDir settings;
    std::vector<std::string> log;

    std::unique_ptr<CFtpConnection> Open(const std::string& key, const std::string& trusted, long stallSeconds = 60)
    {
        auto connection = std::make_unique<CFtpConnection>();
        connection->SetTimeouts(5, stallSeconds);
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

// What a whole run does not show: the refusals, and the rename that OpenSSH refuses over a file.
TEST(SftpConnection, RefusalsReadAsTheServerGaveThem)
{
    CTempDir served, local;
    CFtpServerProcess server(FtpServerKind::Sshd, served.Str());
    ASSERT_TRUE(server.Started()) << server.Error();
    CSftpLogin login{server, {}, {}};
    auto connection = login.Open(server.ClientKey(), server.HostKeyFingerprint());
    ASSERT_TRUE(connection->IsOpen()) << connection->LastResponse();
    EXPECT_TRUE(connection->IsEncrypted());
    const std::string root = served.Str();
    EXPECT_EQ(connection->LoginDirectory(), root) << "read with pwd after the login";

    std::ofstream(local.Path() / "page.html", std::ios::binary) << "page";
    ASSERT_TRUE(connection->CreateDirectory(root + "/a b"));
    EXPECT_FALSE(connection->CreateDirectory(root + "/a b")) << "made twice";
    EXPECT_EQ(connection->LastError(), kErrorExtended);
    EXPECT_NE(connection->LastResponse().find("mkdir"), std::string::npos) << connection->LastResponse();
    EXPECT_FALSE(connection->SetCurrentDirectory(root + "/missing"));
    ASSERT_TRUE(connection->SetCurrentDirectory(root + "/a b"));
    for (const char* name : {"page.html", "other.html"})
        ASSERT_TRUE(connection->PutFile((local.Path() / "page.html").string(), name, kTransferBinary));
    EXPECT_EQ(connection->Rename("page.html", "other.html"), CFtpConnection::RenameResult::ToRefused);
    EXPECT_EQ(connection->Rename("page.html", "moved.html"), CFtpConnection::RenameResult::Done);
    EXPECT_NE(std::find(login.log.begin(), login.log.end(), "> rename " + root + "/a b/page.html " + root +
                                                                "/a b/moved.html"),
              login.log.end());
}

// A session that stops answering (its process stopped) holds no call for longer than the stall
// time: each operation then fails with a time-out, and the next call logs in on a new session.
TEST(SftpConnection, AnOperationThatIsNeverAnsweredTimesOut)
{
    CTempDir served, local;
    CFtpServerProcess server(FtpServerKind::Sshd, served.Str());
    ASSERT_TRUE(server.Started()) << server.Error();
    CSftpLogin login{server, {}, {}};
    auto connection = login.Open(server.ClientKey(), server.HostKeyFingerprint(), 1);
    ASSERT_TRUE(connection->IsOpen()) << connection->LastResponse();
    const std::string root = served.Str();
    std::ofstream(local.Path() / "page.html", std::ios::binary) << "page";
    const std::pair<const char*, std::function<bool(CFtpConnection&)>> operations[] = {
        {"rename", [&](CFtpConnection& c) { return c.Rename(root + "/f", root + "/g") == CFtpConnection::RenameResult::Done; }},
        {"rm", [&](CFtpConnection& c) { return c.DeleteFile(root + "/f"); }},
        {"mkdir", [&](CFtpConnection& c) { return c.CreateDirectory(root + "/new"); }},
        {"ls", [&](CFtpConnection& c) {
             std::vector<CFindRecord> records;
             return c.List("*", records);
         }},
    };
    for (const auto& [name, operation] : operations) {
        SCOPED_TRACE(name);
        ASSERT_TRUE(connection->SetCurrentDirectory(root));
        ASSERT_TRUE(connection->PutFile((local.Path() / "page.html").string(), "f", kTransferBinary))
            << connection->LastResponse(); // a live session, which then stops
        server.SuspendSessions();
        EXPECT_FALSE(operation(*connection));
        EXPECT_EQ(connection->LastError(), kErrorTimeout);
        EXPECT_NE(connection->LastResponse().find("did not answer"), std::string::npos) << connection->LastResponse();
    }
}

} // namespace
} // namespace skerrow
