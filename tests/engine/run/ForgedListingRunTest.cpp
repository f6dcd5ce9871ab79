// A server file whose name holds a line end adds a line of its own to a listing, and that line can
// show a link out of the tree as a directory. Tree Delete and the server leftovers, answered Yes,
// then fail with a text that says so, and nothing is deleted: not what the link points to, and not
// the tree either.

#include <gtest/gtest.h>

#include <filesystem>

#include "support/CRunControlFixture.h"
#include "support/ParamByName.h"

namespace skerrow {
namespace {

namespace fs = std::filesystem;
using test::FtpServerKind;

struct Forgery {
    const char* name;
    FtpServerKind kind;
    std::vector<std::string> args;
    const char* forgedLine; // what follows "a\r\n" in the name of a file beside the link; none: the server forges
    const char* says;
};

constexpr const char* kUnixLine = "drwxr-xr-x 2 u u 4096 Jan 01 12:00 lnk";
constexpr const char* kMlsdLine = "type=dir;size=0;modify=20200101120000; lnk";
constexpr const char* kForged = "/doomed looks forged around the entry"; // which one: the server's order

const Forgery kForgeries[] = {
    {"vsftpd", FtpServerKind::Vsftpd, {}, kUnixLine, kForged},
    {"pyftpdlib", FtpServerKind::Pyftpdlib, {}, kUnixLine, kForged},
    {"mlsd", FtpServerKind::Misbehaving, {"--mlsd"}, kMlsdLine, kForged},
    {"sftp", FtpServerKind::Sshd, {}, kUnixLine, kForged},
    // No line gives the link away: the server's own path for it, once entered, does.
    {"link_as_directory", FtpServerKind::Misbehaving, {"--forged-names"}, nullptr, "/lnk turned out to be /outside"},
};

class ForgedListingRunTest : public test::RunControlTest, public ::testing::WithParamInterface<Forgery> {};

TEST_P(ForgedListingRunTest, NothingIsDeletedThroughALinkAForgedLineShowsAsADirectory)
{
    const Forgery& c = GetParam();
    m_served.WriteFile("outside/keep.txt", "k");
    m_served.WriteFile("site/doomed/a.txt", "a");
    m_served.WriteFile("site/doomed/sub/b.txt", "b");
    fs::create_directory_symlink("../../outside", m_served.Path() / "site/doomed/lnk");
    if (c.forgedLine)
        m_served.WriteFile(std::string("site/doomed/a\r\n") + c.forgedLine, "x");
    StartServer(c.kind, c.args);
    WriteSetting("Advanced", "Connections", "1"); // one connection deletes the rows in the order listed
    const std::string site = (c.kind == FtpServerKind::Sshd ? m_served.Str() : std::string()) + "/site";

    // Tree Delete of doomed/, then the leftovers of the PC folder (which lacks doomed/), both
    // answered Yes.
    m_sink.SetAnswer(true);
    WriteSetting("Configure", "FTPDirTreeDel", site + "/doomed");
    Controller().OnTreeDelete();
    ASSERT_TRUE(m_host.PumpUntilIdle());
    Controller().OnFindLeftovers();
    ASSERT_TRUE(m_host.PumpUntilIdle());
    Controller().OnTransferDelete();
    ASSERT_TRUE(m_host.PumpUntilIdle());

    EXPECT_TRUE(Served("outside/keep.txt"));
    EXPECT_TRUE(Served("site/doomed/a.txt") && Served("site/doomed/sub/b.txt") && Served("site/doomed/lnk"));
    int told = 0;
    for (const std::string& message : m_sink.Messages())
        told += message.find(c.says) != std::string::npos && message.find("nothing is deleted") != std::string::npos;
    EXPECT_EQ(told, 2) << "Tree Delete and the leftovers";
}

INSTANTIATE_TEST_SUITE_P(Servers, ForgedListingRunTest, ::testing::ValuesIn(kForgeries), test::ParamByName());

} // namespace
} // namespace skerrow
