// Sending a file: which files go under a temporary name, what each kind of server leaves under the
// name, a server that renames nothing, and a Stop or a lost server in the middle of a large file,
// against real servers.

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "ftp/CFtpConnection.h"
#include "ftp/CInternetError.h"
#include "ftp/CSshHostKeyCheck.h"
#include "list/RowWord.h"
#include "transfer/CFTPTransfer.h"
#include "transfer/CFileSender.h"
#include "support/CFtpTestBench.h"
#include "support/CRunControlFixture.h"
#include "support/ParamByName.h"

namespace skerrow {
namespace {

using test::CFtpTestBench;
using test::FtpServerKind;
using namespace std::chrono_literals;

constexpr uint64_t kMiB = CFileSender::kLargeFileBytes;

TEST(FileSender, TheModeAndTheSizeChooseTheWay)
{
    const std::string longName(242, 'n'); // with its dot and suffix: 256 bytes
    struct Case {
        int mode;
        uint64_t size;
        std::string name;
        bool applies;
    } cases[] = {
        {0, 0, "a.htm", false},       {0, kMiB - 1, "a.htm", false}, {0, kMiB, "a.htm", true},
        {1, 0, "a.htm", true},        {2, 50 * kMiB, "a.htm", false},
        {7, kMiB, "a.htm", true},     {-1, 10, "a.htm", false}, // unknown values: the default
        {1, 5, longName, false},      {1, 5, longName.substr(1), true},
    };
    for (const Case& c : cases)
        EXPECT_EQ(CFileSender::Applies(c.mode, c.size, c.name), c.applies)
            << c.mode << " " << c.size << " " << c.name.size();
    EXPECT_EQ(CFileSender::PartName("index.html"), ".index.html.skerrow-part");
    EXPECT_EQ(CFileSender::AsideName("index.html"), ".index.html.skerrow-old");
}

std::string Head(int code)
{
    return "error code: " + std::to_string(code) + "\nMessage: " + CInternetError::Description(code) + "\n";
}

// What a server does with a file sent under a temporary name, and what the row ends with: 0 when the
// new file is published, else the row's error code and the server's reply in it.
struct ServerBehaviour {
    const char* title;
    FtpServerKind kind;
    const char* option; // the misbehaving server's
    const char* file;   // its name: the misbehaving server fails a STOR of "full..." or "drop..."
    int error;
    const char* reply;
    bool directoryToo; // also sent onto a directory of that name
};

const ServerBehaviour kServers[] = {
    {"Pyftpdlib", FtpServerKind::Pyftpdlib, nullptr, "page.bin", 0, "", true},
    {"Vsftpd", FtpServerKind::Vsftpd, nullptr, "page.bin", 0, "", true},
    {"Renames", FtpServerKind::Misbehaving, nullptr, "page.bin", 0, "", true},
    {"RefusesRnfr", FtpServerKind::Misbehaving, "--refuse-rnfr", "page.bin", 0, "", false},
    {"RefusesRenameOver", FtpServerKind::Misbehaving, "--refuse-rename-over", "page.bin", 0, "", true},
    {"RefusesRnto", FtpServerKind::Misbehaving, "--refuse-rnto", "page.bin", 12003, "553 Rename not allowed.\n", true},
    {"RefusesRntoOfPart", FtpServerKind::Misbehaving, "--refuse-rnto-from=.skerrow-part", "page.bin", 12003,
     "553 Rename not allowed.\n", false},
    {"DropsAtRnto", FtpServerKind::Misbehaving, "--drop-rnto", "page.bin", 12030, "", false},
    {"RefusesStor", FtpServerKind::Misbehaving, nullptr, "full.bin", 12003, "452 Insufficient storage space.\n", false},
    {"DropsInStor", FtpServerKind::Misbehaving, nullptr, "drop.bin", 12030, "", false},
};

// What the server holds under the name before: nothing, an old file, or a directory, which no
// file may replace.
enum class Before { Nothing, OldFile, Directory };

struct SendCase {
    ServerBehaviour server;
    Before before;
    std::string name;
};

std::vector<SendCase> SendCases()
{
    std::vector<SendCase> cases;
    for (const ServerBehaviour& server : kServers) {
        for (Before before : {Before::Nothing, Before::OldFile, Before::Directory}) {
            static const char* const kOnto[] = {"_OntoNothing", "_OntoOldFile", "_OntoDirectory"};
            if (before != Before::Directory || server.directoryToo)
                cases.push_back({server, before, server.title + std::string(kOnto[static_cast<int>(before)])});
        }
    }
    return cases;
}

class FileSenderTest : public ::testing::TestWithParam<SendCase> {};

TEST_P(FileSenderTest, ThePublishedNameHoldsTheOldOrTheWholeNewFile)
{
    const ServerBehaviour& s = GetParam().server;
    const Before before = GetParam().before;
    const std::string name = s.file;
    const std::string published = "site/" + name;
    CFtpTestBench bench(s.kind, [&](test::CTempDir& served) {
        served.MakeDir("site");
        if (before == Before::OldFile)
            served.WriteFile(published, "old");
        if (before == Before::Directory)
            served.WriteFile(published + "/inside.txt", "kept");
        return s.option ? std::vector<std::string>{s.option} : std::vector<std::string>{};
    });
    if (!bench.Ready())
        GTEST_SKIP() << bench.Skip();
    ASSERT_TRUE(bench.Open());
    const std::string content(64 * 1024, 'n'); // more than a dropped upload leaves on the server
    bench.Local().WriteFile(name, content);
    bench.AddRow("/" + name);
    CTransferContext& context = bench.Context("site");
    context.tempNameUpload = CFileSender::kAllFiles;
    ASSERT_TRUE(bench.Connection().SetCurrentDirectory("/"));
    CFTPTransfer(context).UploadRows();

    const bool done = s.error == 0 && before != Before::Directory;
    EXPECT_EQ(bench.States(), std::vector<int32_t>{done ? kRowDone : kRowFailed});
    const std::filesystem::path site = bench.Served().Path() / "site";
    if (done) {
        EXPECT_EQ(bench.Served().ReadFile(published), content);
    } else if (before == Before::OldFile) {
        EXPECT_EQ(bench.Served().ReadFile(published), "old");
    } else if (before == Before::Directory) {
        EXPECT_EQ(bench.Served().ReadFile(published + "/inside.txt"), "kept");
    } else {
        EXPECT_FALSE(std::filesystem::exists(site / name));
    }
    EXPECT_FALSE(std::filesystem::exists(site / CFileSender::PartName(name)));
    EXPECT_FALSE(std::filesystem::exists(site / CFileSender::AsideName(name)));
    if (!done && before != Before::Directory) {
        EXPECT_EQ(bench.List().GetText(0, kColErrors), Head(s.error) + s.reply);
    }
}

INSTANTIATE_TEST_SUITE_P(Servers, FileSenderTest, ::testing::ValuesIn(SendCases()), test::ParamByName());

// A refused RNFR: the pass sends its later files under their own names. A connection cut at the
// RNFR says nothing about renames: the file is tried again, and the others, under temporary names.
TEST(FileSender, OnceTheServerRefusedARenameThePassSendsDirectly)
{
    const struct {
        const char* option;
        int rnfrs;
        int parts;  // STORs under a temporary name
        int direct; // and under the file's own name
        int noRenameNotes;
    } cases[] = {{"--refuse-rnfr", 1, 1, 3, 1}, {"--cut-at=RNFR:1", 4, 4, 0, 0}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.option);
        CFtpTestBench bench(FtpServerKind::Misbehaving, [&c](test::CTempDir& served) {
            served.MakeDir("site");
            return std::vector<std::string>{c.option};
        });
        ASSERT_TRUE(bench.Ready()) << bench.Skip();
        ASSERT_TRUE(bench.Open());
        std::vector<std::string> log;
        bench.Connection().SetLogCallback([&log](const std::string& line) { log.push_back(line); });
        for (const std::string name : {"a.bin", "b.bin", "c.bin"}) {
            bench.Local().WriteFile(name, name);
            bench.AddRow("/" + name);
        }
        CTransferContext& context = bench.Context("site");
        context.tempNameUpload = CFileSender::kAllFiles;
        context.tries = 2;
        CFTPTransfer(context).UploadRows();
        EXPECT_EQ(bench.States(), std::vector<int32_t>(3, kRowDone));
        auto count = [&log](const std::string& start, const std::string& part = "") {
            return std::count_if(log.begin(), log.end(), [&](const std::string& l) {
                return l.rfind(start, 0) == 0 && l.find(part) != std::string::npos;
            });
        };
        EXPECT_EQ(count("> RNFR"), c.rnfrs);
        EXPECT_EQ(count("> STOR", ".skerrow-part"), c.parts);
        EXPECT_EQ(count("> STOR") - count("> STOR", ".skerrow-part"), c.direct);
        EXPECT_EQ(count("* This server renames no file"), c.noRenameNotes);
        for (const std::string name : {"a.bin", "b.bin", "c.bin"})
            EXPECT_EQ(bench.Served().ReadFile("site/" + name), name);
    }
}

// A replacement on a server that renames over no file (the old file moves aside first) or whose
// replies get lost, cut at one of its commands: what the name, the aside and the part hold at the
// end, and what the row says.
struct ReplaceFault {
    const char* title;
    std::vector<std::string> options; // the misbehaving server's
    bool staleNames;                  // an earlier upload left an aside and a part
    int tries;
    int32_t state;
    const char* published; // what the name holds: "old", "new" or "" (no file)
    bool asideLeft;
    bool partLeft;
    const char* text; // the start of the row's text ("" for none)
};

const ReplaceFault kFaults[] = {
    {"StaleNamesOfAnEarlierUpload", {"--refuse-rename-over"}, true, 1, kRowDone, "new", false, false, ""},
    {"ReplyToTheRenameLost", {"--lose-reply=RNTO:1"}, false, 1, kRowDone, "new", false, false, ""},
    {"ReplyLostAfterTheOldFileMovedAside", {"--refuse-rename-over", "--lose-reply=RNTO:3"}, false, 1, kRowDone, "new",
     false, false, ""},
    {"CutAfterTheOldFileMovedAside", {"--refuse-rename-over", "--cut-at=RNTO:3"}, false, 1, kRowFailed, "old", false,
     false, "error code: 12030"},
    {"CutAfterTheOldFileMovedAsideThenTriedAgain", {"--refuse-rename-over", "--cut-at=RNTO:3"}, false, 2, kRowDone,
     "new", false, false, "Sent on try 2 of 2; the try before failed: "},
    {"CutAndTheDirectoryCannotBeListed", {"--refuse-rename-over", "--cut-at=RNTO:3", "--refuse-list=site"}, false, 1,
     kRowFailed, "", true, true, "error code: 12030"},
};

class FileSenderFaultTest : public ::testing::TestWithParam<ReplaceFault> {};

TEST_P(FileSenderFaultTest, TheNamesEndAsTheRowSays)
{
    const ReplaceFault& f = GetParam();
    CFtpTestBench bench(FtpServerKind::Misbehaving, [&](test::CTempDir& served) {
        served.WriteFile("site/page.bin", "old");
        if (f.staleNames) {
            served.WriteFile("site/" + CFileSender::AsideName("page.bin"), "older");
            served.WriteFile("site/" + CFileSender::PartName("page.bin"), "half");
        }
        return f.options;
    });
    ASSERT_TRUE(bench.Ready()) << bench.Skip();
    ASSERT_TRUE(bench.Open());
    std::string log;
    bench.Connection().SetLogCallback([&log](const std::string& line) { log += line + "\n"; });
    const std::string content(64 * 1024, 'n');
    bench.Local().WriteFile("page.bin", content);
    bench.AddRow("/page.bin");
    CTransferContext& context = bench.Context("site");
    context.tempNameUpload = CFileSender::kAllFiles;
    context.tries = f.tries;
    CFTPTransfer(context).UploadRows();

    EXPECT_EQ(bench.States(), std::vector<int32_t>{f.state}) << log;
    const std::string text = bench.List().GetText(0, kColErrors);
    EXPECT_EQ(text.rfind(f.text, 0), 0u) << text;
    if (!*f.text) {
        EXPECT_EQ(text, "");
    }
    const std::filesystem::path site = bench.Served().Path() / "site";
    const std::string published = *f.published == 'n' ? content : f.published;
    EXPECT_EQ(std::filesystem::exists(site / "page.bin"), !published.empty());
    if (!published.empty()) {
        EXPECT_TRUE(bench.Served().ReadFile("site/page.bin") == published) << "not the " << f.published << " file";
    }
    EXPECT_EQ(std::filesystem::exists(site / CFileSender::AsideName("page.bin")), f.asideLeft);
    EXPECT_EQ(std::filesystem::exists(site / CFileSender::PartName("page.bin")), f.partLeft);
    // Where the old file is, when it is not under its name.
    if (f.asideLeft) {
        EXPECT_EQ(bench.Served().ReadFile("site/" + CFileSender::AsideName("page.bin")), "old");
        EXPECT_NE(text.find("The old file is now .page.bin.skerrow-old, and the new one .page.bin.skerrow-part"),
                  std::string::npos)
            << text;
    }
}

INSTANTIATE_TEST_SUITE_P(Faults, FileSenderFaultTest, ::testing::ValuesIn(kFaults),
                         [](const ::testing::TestParamInfo<ReplaceFault>& p) { return std::string(p.param.title); });

// A server that forgets an RNFR followed by anything but RNTO (as proftpd does): the connection
// that curl opens again inside the STOR after a dropped one must rename all the same.
TEST(FileSender, NothingComesBetweenRnfrAndRntoOnAConnectionOpenedInAStor)
{
    CFtpTestBench bench(FtpServerKind::Misbehaving, [](test::CTempDir& served) {
        served.WriteFile("site/big.bin", "old");
        return std::vector<std::string>{"--strict-rename"};
    });
    ASSERT_TRUE(bench.Ready()) << bench.Skip();
    ASSERT_TRUE(bench.Open());
    std::vector<std::string> log;
    bench.Connection().SetLogCallback([&log](const std::string& line) { log.push_back(line); });
    bench.Local().WriteFile("drop.bin", std::string(64 * 1024, 'd')); // sent directly; drops the connection
    bench.Local().MakeFileOfSize("big.bin", kMiB);
    bench.AddRow("/drop.bin");
    bench.AddRow("/big.bin");
    CFTPTransfer(bench.Context("site")).UploadRows();
    EXPECT_EQ(bench.States(), (std::vector<int32_t>{kRowFailed, kRowDone})) << bench.List().GetText(1, kColErrors);
    EXPECT_EQ(std::filesystem::file_size(bench.Served().Path() / "site/big.bin"), kMiB);
    const auto rnfr = std::find_if(log.begin(), log.end(), [](const std::string& l) { return l.rfind("> RNFR", 0) == 0; });
    ASSERT_GE(std::distance(rnfr, log.end()), 3);
    EXPECT_EQ(rnfr[2].rfind("> RNTO", 0), 0u) << rnfr[2];
}

// OpenSSH renames over no file: the old file is moved aside, and the server stops answering (its
// session stopped) at the rename of the part to the name. The rename times out after the stall
// time; a new session shows the name free, the old file goes back under it, and the next try sends
// the file.
TEST(FileSender, AnSftpServerThatStopsBetweenTheRenamesIsSettledOnANewSession)
{
    CFtpTestBench bench(FtpServerKind::Sshd, [](test::CTempDir& served) {
        served.WriteFile("site/page.bin", "old");
        return std::vector<std::string>{};
    });
    if (!bench.Ready())
        GTEST_SKIP() << bench.Skip();
    test::CTempDir settings;
    CFtpConnection& connection = bench.Connection();
    connection.SetProtocol(FtpProtocol::Sftp);
    connection.SetSshKey(bench.Server().ClientKey(), "");
    auto check = std::make_shared<CSshHostKeyCheck>((settings.Path() / "skerrow.ini").string(), "127.0.0.1",
                                                    bench.Server().Port());
    check->SetKnownHostsFile((settings.Path() / "known_hosts").string());
    check->SetTrusted(bench.Server().HostKeyFingerprint());
    connection.SetHostKeyCheck(check);
    ASSERT_TRUE(bench.Open(1)) << connection.LastResponse();
    int renames = 0;
    std::vector<std::string> log;
    connection.SetLogCallback([&](const std::string& line) {
        log.push_back(line);
        if (line.rfind("> rename ", 0) == 0 && ++renames == 3)
            bench.Server().SuspendSessions();
    });
    const std::string content(64 * 1024, 'n');
    bench.Local().WriteFile("page.bin", content);
    bench.AddRow("/page.bin");
    CTransferContext& context = bench.Context("site");
    context.tempNameUpload = CFileSender::kAllFiles;
    context.tries = 2;
    CFTPTransfer(context).UploadRows();

    EXPECT_EQ(bench.States(), std::vector<int32_t>{kRowDone});
    const std::string text = bench.List().GetText(0, kColErrors);
    EXPECT_EQ(text.rfind("Sent on try 2 of 2; the try before failed: " + CInternetError::Description(kErrorTimeout), 0),
              0u)
        << text;
    EXPECT_NE(std::find_if(log.begin(), log.end(),
                           [](const std::string& line) { return line.find("the old file is back under") != std::string::npos; }),
              log.end());
    EXPECT_EQ(bench.Served().ReadFile("site/page.bin"), content);
    EXPECT_FALSE(std::filesystem::exists(bench.Served().Path() / "site" / CFileSender::AsideName("page.bin")));
    EXPECT_FALSE(std::filesystem::exists(bench.Served().Path() / "site" / CFileSender::PartName("page.bin")));
}

// A large file is interrupted on its way; the old copy on the server must stay whole, and the next
// upload must leave no temporary file behind.
enum class Interruption { Stop, ServerKilled };

class FileSenderInterruptionTest : public test::RunControlTest, public ::testing::WithParamInterface<Interruption> {};

TEST_P(FileSenderInterruptionTest, TheOldFileStaysWholeAndTheNextUploadLeavesNoPart)
{
    const std::string old = "the old big file, whole";
    m_served.WriteFile("site/big.bin", old);
    m_local.MakeFileOfSize("big.bin", 3 * kMiB); // the default: 1 MiB and more
    StartServer(FtpServerKind::Misbehaving, {"--slow-stor", "300000"});
    Controller().OnFindFilesTransfer();
    const auto part = m_served.Path() / "site/.big.bin.skerrow-part";
    ASSERT_TRUE(m_host.PumpUntil(
        [&part] {
            std::error_code ec;
            return std::filesystem::file_size(part, ec) > 0 && !ec;
        },
        20s));
    if (GetParam() == Interruption::Stop)
        Controller().StopActivity();
    else
        m_server->Kill();
    ASSERT_TRUE(m_host.PumpUntilIdle());
    EXPECT_EQ(m_served.ReadFile("site/big.bin"), old);
    for (const CTransferRow& row : m_list.Snapshot()) {
        if (Relative(row.name) == "big.bin") { // Stop cuts it short, which is no failure
            EXPECT_EQ(RowStateOf(row.word), GetParam() == Interruption::Stop ? kRowPending : kRowFailed);
        }
    }

    // The next upload of the file, on a server that is there again.
    Controller().OnShutdownConnection();
    ASSERT_TRUE(m_host.PumpUntilIdle());
    StartServer(FtpServerKind::Misbehaving);
    Controller().OnTransferDelete();
    ASSERT_TRUE(m_host.PumpUntilIdle());
    EXPECT_EQ(m_list.CountInState(kRowDone), m_list.Count());
    EXPECT_TRUE(ServedMatches("big.bin"));
    EXPECT_FALSE(std::filesystem::exists(part));
}

INSTANTIATE_TEST_SUITE_P(Ways, FileSenderInterruptionTest, ::testing::Values(Interruption::Stop, Interruption::ServerKilled),
                         [](const ::testing::TestParamInfo<Interruption>& p) {
                             return p.param == Interruption::Stop ? "Stop" : "ServerKilled";
                         });

} // namespace
} // namespace skerrow
