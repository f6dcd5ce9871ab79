// The headless command, run as the real binary against real servers: what it sends, deletes and
// prints, the exit codes, and the last-upload date it leaves in the settings file.

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <filesystem>
#include <set>
#include <sstream>
#include <thread>

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include "list/CSavedListFile.h"
#include "list/RowWord.h"
#include "settings/CPasswordCodec.h"
#include "settings/CSettingsFile.h"
#include "support/CCliProcess.h"
#include "support/CRunControlFixture.h"
#include "support/TiedChild.h"

using namespace skerrow;
using namespace skerrow::test;

namespace {

// A saved list read back whole, its rows unpacked.
bool ReadList(const std::string& path, int& runState, std::vector<CTransferRow>& rows)
{
    std::vector<CPackedRow> packed;
    if (!CSavedListFile().Read(path, runState, packed))
        return false;
    rows.clear();
    for (const CPackedRow& row : packed)
        rows.push_back(row.Unpacked());
    return true;
}

std::set<std::string> Lines(const std::string& text)
{
    std::set<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        lines.insert(line);
    return lines;
}

// The names as the find gives them (a file at the top has no leading "/").
const std::set<std::string> kSiteFiles{"index.html", "/img/logo.gif", "/about/team/people.htm"};

class CliTest : public RunControlTest {
protected:
    std::string Ini() const { return (m_settingsDir.Path() / "skerrow.ini").string(); }
    CCliResult Cli(std::vector<std::string> args, const std::vector<std::string>& environment = {})
    {
        args.insert(args.begin(), {"--settings", Ini()});
        return CCliProcess::Run(args, environment);
    }
    // Everything the site should have on the server is there, byte for byte.
    void ExpectSiteServed()
    {
        for (const std::string& name : kSiteFiles)
            EXPECT_TRUE(ServedMatches(name)) << name;
        EXPECT_FALSE(std::filesystem::exists(m_served.Path() / "site/_drafts"));
    }
};

class CliServerTest : public CliTest, public ::testing::WithParamInterface<FtpServerKind> {};

} // namespace

TEST(CliUsageTest, UsageErrorsExitTwoAndSayWhatIsWrong)
{
    const struct {
        std::vector<std::string> args;
        const char* said;
    } cases[] = {
        {{}, "no command given"},
        {{"fly"}, "unknown command \"fly\""},
        {{"\x1b[2Jfly"}, "unknown command \"\\x1b[2Jfly\""}, // shown, not obeyed
        {{"upload", "--bogus"}, "unknown option --bogus"},
        {{"upload", "--password", "x"}, "never taken on the command line"},
        {{"--password=x", "upload"}, "never taken on the command line"},
        {{"send"}, "needs the saved list"},
        {{"tree-delete", "--yes"}, "needs the server directory"},
        {{"upload", "extra"}, "unexpected argument \"extra\""},
        {{"find", "--yes"}, "--yes does not go with find"},
        {{"send", "l.txt", "--all"}, "--all does not go with send"},
        {{"upload", "--settings"}, "--settings needs a value"},
        {{"--quiet=1", "upload"}, "--quiet takes no value"},
        {{"upload", "-q", "-v"}, "exclude each other"},
        {{"upload", "--password-env", "A", "--password-file", "B"}, "either --password-env or --password-file"},
        {{"find", "--delete-leftovers"}, "--delete-leftovers does not go with find"},
        {{"tree-delete", "d", "--delete-leftovers"}, "--delete-leftovers does not go with tree-delete"},
        {{"upload", "--yes"}, "--yes does not go with upload"},
    };
    for (const auto& c : cases) {
        const CCliResult result = CCliProcess::Run(c.args);
        EXPECT_EQ(result.exitCode, 2) << c.said;
        EXPECT_NE(result.err.find(c.said), std::string::npos) << result.err;
        EXPECT_NE(result.err.find("Usage: skerrow-cli"), std::string::npos);
        EXPECT_EQ(result.out, "");
    }
    const CCliResult help = CCliProcess::Run({"upload", "--help"});
    EXPECT_EQ(help.exitCode, 0);
    for (const char* part : {"upload", "send LIST", "find", "tree-delete DIR", "--password-env", "Exit status"})
        EXPECT_NE(help.out.find(part), std::string::npos) << part;
    // It names the file used without --settings: the window's beside it, or SKERROW_INI's.
    const auto beside = std::filesystem::path(CCliProcess::BinaryPath()).parent_path() / "skerrow.ini";
    EXPECT_NE(help.out.find(" " + beside.string() + "\n"), std::string::npos) << help.out;
    EXPECT_NE(CCliProcess::Run({"--help"}, {"SKERROW_INI=/srv/w.ini"}).out.find(" /srv/w.ini\n"), std::string::npos);
}

TEST_F(CliTest, SettingsAndSecretsThatCannotBeUsedExitTwoBeforeAnythingIsSent)
{
    StartServer(FtpServerKind::Pyftpdlib);
    const std::string missing = (m_settingsDir.Path() / "none").string();
    const struct {
        std::vector<std::string> args;
        const char* said;
    } cases[] = {
        // The last --settings counts.
        {{"upload", "--settings", missing + ".ini"}, "no settings file at"},
        {{"upload", "--settings", m_settingsDir.Str()}, "cannot read the settings file"},
        {{"upload", "--password-env", "SKERROW_TEST_NO_SUCH_VARIABLE"}, "SKERROW_TEST_NO_SUCH_VARIABLE is not set"},
        {{"upload", "--password-file", missing}, "cannot read the password file"},
        {{"upload", "--password-file", m_settingsDir.Str()}, "cannot read the password file"},
        {{"send", missing + ".txt"}, "cannot read the list"},
    };
    for (const auto& c : cases) {
        const CCliResult result = Cli(c.args);
        EXPECT_EQ(result.exitCode, 2) << c.said;
        EXPECT_NE(result.err.find(c.said), std::string::npos) << result.err;
    }
    EXPECT_TRUE(std::filesystem::is_empty(m_served.Path() / "site"));
    EXPECT_EQ(LastRun(), "absent");

    // A list of server entries to delete is not sent.
    const std::string deletions = m_settingsDir.Str() + "/deletions.txt";
    ASSERT_TRUE(CSavedListFile().Write(deletions, 2, {CPackedRow(CTransferRow{0x30, "/site/old", "1", ""})}));
    EXPECT_EQ(Cli({"send", deletions}).exitCode, 2);

    // A PC directory that is gone is not an empty site.
    WriteSetting("Configure", "PCDir", missing);
    const CCliResult noPcDir = Cli({"upload"});
    EXPECT_EQ(noPcDir.exitCode, 2);
    EXPECT_NE(noPcDir.err.find("the PC directory " + missing + " does not exist"), std::string::npos) << noPcDir.err;
    EXPECT_EQ(LastRun(), "absent");
    WriteSetting("Configure", "PCDir", m_local.Str());

    // No site: the window would ask with its Connect dialog; here that is a settings error.
    // Finding files needs no site.
    WriteSetting("Configure", "FTPURL", "");
    const CCliResult upload = Cli({"upload"});
    EXPECT_EQ(upload.exitCode, 2);
    EXPECT_NE(upload.err.find("names no FTP site"), std::string::npos) << upload.err;
    EXPECT_EQ(Cli({"tree-delete", "site"}).exitCode, 2);
    EXPECT_EQ(Cli({"find"}).exitCode, 0);
    EXPECT_TRUE(std::filesystem::is_empty(m_served.Path() / "site"));
    // Without --settings, SKERROW_INI names the file, as for the window.
    const CCliResult fromEnvironment = CCliProcess::Run({"find", "--all"}, {"SKERROW_INI=" + Ini()});
    EXPECT_EQ(fromEnvironment.exitCode, 0) << fromEnvironment.err;
    EXPECT_EQ(Lines(fromEnvironment.out), kSiteFiles);
}

TEST_P(CliServerTest, UploadSendsTheSiteRecordsTheDateAndFindThenListsOnlyWhatChanged)
{
    StartServer(GetParam());
    const std::string before = FormatLastRun(CDateTime::Now());
    // Options after the command word; the output is no terminal: one plain line per file.
    const CCliResult upload = Cli({"upload", "--verbose"});
    ASSERT_EQ(upload.exitCode, 0) << upload.err;
    ExpectSiteServed();
    const std::string lastRun = LastRun();
    EXPECT_GE(lastRun, before);
    EXPECT_LE(lastRun, FormatLastRun(CDateTime::Now()));
    for (const std::string& name : kSiteFiles)
        EXPECT_NE(upload.err.find("sent: " + name + "\n"), std::string::npos) << upload.err;
    EXPECT_NE(upload.err.find("> PASS ****"), std::string::npos) << upload.err; // the command log, masked
    EXPECT_EQ(upload.err.find(m_server->Password()), std::string::npos);
    EXPECT_NE(upload.err.find("Sent: 3, failed: 0, not sent: 0 (of 3 files)."), std::string::npos) << upload.err;
    EXPECT_EQ(upload.out, "");

    // Nothing changed since: find lists nothing; --all (before the command word) lists every file.
    const CCliResult nothing = Cli({"find"});
    EXPECT_EQ(nothing.exitCode, 0);
    EXPECT_EQ(nothing.out, "");
    const CCliResult all = Cli({"--all", "find"});
    EXPECT_EQ(all.exitCode, 0);
    EXPECT_EQ(Lines(all.out), kSiteFiles);
    EXPECT_EQ(LastRun(), lastRun); // a dry run writes nothing

    // A changed file goes with the next upload; --quiet prints nothing when all went well (the site
    // is set to plain FTP now, so no warning about it is due).
    m_local.WriteFile("index.html", "<html>changed</html>\n");
    WriteSetting("Advanced", "Encryption", "3");
    const CCliResult quiet = Cli({"-q", "upload"});
    EXPECT_EQ(quiet.exitCode, 0) << quiet.err;
    EXPECT_EQ(quiet.out + quiet.err, "");
    EXPECT_TRUE(ServedMatches("index.html"));
}

INSTANTIATE_TEST_SUITE_P(Servers, CliServerTest, ::testing::Values(FtpServerKind::Pyftpdlib, FtpServerKind::Vsftpd),
                         CFtpServerProcess::ParamName<::testing::TestParamInfo<FtpServerKind>>);

TEST_F(CliTest, ThePasswordComesFromTheEnvironmentOrAFileAndAWrongOneExitsThree)
{
    StartServer(FtpServerKind::Pyftpdlib);
    WriteSetting("Configure", "PWD", "");
    const std::string file = m_settingsDir.Str() + "/password";
    const struct {
        std::vector<std::string> args;
        std::string secret;
        int exitCode;
    } cases[] = {
        {{"upload", "--password-env", "SKERROW_TEST_SECRET"}, "wrong", 3},
        {{"upload", "--password-file", file}, "wrong\n", 3},
        {{"upload", "--password-file", file}, m_server->Password() + "\r\nsecond line\n", 0},
        {{"upload", "--all", "--password-env", "SKERROW_TEST_SECRET"}, m_server->Password(), 0},
    };
    for (const auto& c : cases) {
        std::filesystem::remove(file);
        m_settingsDir.WriteFile("password", c.secret);
        const std::string lastRunBefore = LastRun();
        const CCliResult result = Cli(c.args, {"SKERROW_TEST_SECRET=" + c.secret});
        EXPECT_EQ(result.exitCode, c.exitCode) << result.err;
        if (c.exitCode == 3) {
            // The server is named, and a refused login says what to check.
            EXPECT_NE(result.err.find("error: Connecting to 127.0.0.1:"), std::string::npos) << result.err;
            EXPECT_NE(result.err.find("530 "), std::string::npos) << result.err;
            EXPECT_NE(result.err.find("Check the user name and the password"), std::string::npos) << result.err;
            EXPECT_EQ(LastRun(), lastRunBefore); // the find never ran
        }
    }
    ExpectSiteServed();
}

TEST_F(CliTest, NoServerListeningExitsThreeAndWritesNoList)
{
    StartServer(FtpServerKind::Pyftpdlib);
    m_server->Kill();
    const std::string list = m_settingsDir.Str() + "/failed.txt";
    const CCliResult result = Cli({"upload", "--save-list", list});
    EXPECT_EQ(result.exitCode, 3);
    EXPECT_NE(result.err.find("error code: 12029"), std::string::npos) << result.err;
    EXPECT_FALSE(std::filesystem::exists(list));
    EXPECT_EQ(LastRun(), "absent");
}

TEST_F(CliTest, AFailedFileExitsOneIsSavedAsAListAndThatListIsSentLater)
{
    StartServer(FtpServerKind::Pyftpdlib, {"--refuse", "logo.gif"});
    const std::string list = m_settingsDir.Str() + "/failed.txt";
    const CCliResult upload = Cli({"upload", "--save-list", list});
    EXPECT_EQ(upload.exitCode, 1);
    EXPECT_NE(upload.err.find("failed: /img/logo.gif: error code: 12003"), std::string::npos) << upload.err;
    EXPECT_NE(upload.err.find("550 Uploads of this file are not allowed."), std::string::npos) << upload.err;
    // The date stays before the file that was not sent: the next find lists it again.
    EXPECT_NE(LastRun(), "absent");
    EXPECT_EQ(NextFindNames().count("/img/logo.gif"), 1u);

    int runState = -1;
    std::vector<CTransferRow> rows;
    ASSERT_TRUE(ReadList(list, runState, rows));
    EXPECT_EQ(runState, 1);
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0].name, "/img/logo.gif");
    EXPECT_EQ(RowStateOf(rows[0].word), kRowFailed);
    EXPECT_NE(rows[0].error.find("12003"), std::string::npos);

    // The server takes it now: send the saved list, and save what is left (nothing).
    m_server = std::make_unique<CFtpServerProcess>(FtpServerKind::Pyftpdlib, m_served.Str());
    ASSERT_TRUE(m_server->Started());
    WriteSettings();
    std::filesystem::remove(m_served.Path() / "site/index.html");
    const CCliResult send = Cli({"send", list, "--save-list", list});
    EXPECT_EQ(send.exitCode, 0) << send.err;
    EXPECT_TRUE(ServedMatches("/img/logo.gif"));
    EXPECT_FALSE(std::filesystem::exists(m_served.Path() / "site/index.html")); // only the list was sent
    ASSERT_TRUE(ReadList(list, runState, rows));
    EXPECT_EQ(runState, 0);
    EXPECT_TRUE(rows.empty());
}

TEST_F(CliTest, TreeDeleteListsEverythingAndDeletesOnlyWithYes)
{
    StartServer(FtpServerKind::Pyftpdlib);
    m_served.WriteFile("site/old/a.htm", "a");
    m_served.WriteFile("site/old/sub/b.htm", "b");
    // A directory is named with its trailing "/", after what it holds.
    const std::set<std::string> entries{"/site/old/a.htm", "/site/old/sub/b.htm", "/site/old/sub/"};

    const CCliResult listed = Cli({"tree-delete", "site/old"});
    EXPECT_EQ(listed.exitCode, 0) << listed.err;
    EXPECT_EQ(Lines(listed.out), entries);
    EXPECT_NE(listed.err.find("3 entries listed; nothing was deleted"), std::string::npos) << listed.err;
    EXPECT_TRUE(std::filesystem::exists(m_served.Path() / "site/old/sub/b.htm"));

    const CCliResult deleted = Cli({"--yes", "tree-delete", "/site//old"});
    EXPECT_EQ(deleted.exitCode, 0) << deleted.err;
    EXPECT_EQ(Lines(deleted.out), entries);
    for (const std::string& entry : entries)
        EXPECT_NE(deleted.err.find("deleted: " + entry + "\n"), std::string::npos) << deleted.err;
    EXPECT_TRUE(std::filesystem::is_directory(m_served.Path() / "site/old"));
    EXPECT_TRUE(std::filesystem::is_empty(m_served.Path() / "site/old"));
}

TEST_F(CliTest, ARefusedListingFailsTheTreeDeleteAndNothingIsDeleted)
{
    m_served.WriteFile("site/old/a.htm", "a");
    m_served.WriteFile("site/old/sub/b.htm", "b");
    // A sub-directory's listing refused, then the start directory's.
    for (const std::string refused : {"/site/old/sub", "/site/old"}) {
        StartServer(FtpServerKind::Misbehaving, {"--refuse-list", refused});
        const CCliResult result = Cli({"--yes", "tree-delete", "site/old"});
        EXPECT_EQ(result.exitCode, 1) << result.err;
        const std::string said = "error: The server directory " + refused + " could not be listed. error code: "
                                 "12003 Message: An extended error was returned from the server. 550 Permission "
                                 "denied. Tree Delete failed: nothing has been deleted.";
        EXPECT_NE(result.err.find(said), std::string::npos) << result.err;
        EXPECT_EQ(result.out, "");
        EXPECT_TRUE(std::filesystem::exists(m_served.Path() / "site/old/a.htm"));
        EXPECT_TRUE(std::filesystem::exists(m_served.Path() / "site/old/sub/b.htm"));
    }
}

TEST_F(CliTest, CtrlCStopsTheUploadAndWhatWasNotSentIsSavedAndFoundAgain)
{
    // Every upload is read at 1000 bytes per second: the big file takes long enough to be stopped.
    StartServer(FtpServerKind::Misbehaving, {"--slow-stor", "1000"});
    m_local.WriteFile("big.bin", std::string(60000, 'b'));
    const std::string list = m_settingsDir.Str() + "/left.txt";
    CCliProcess upload({"--settings", Ini(), "upload", "--save-list", list});
    ASSERT_TRUE(upload.Started());
    // Once a file has reached the server the run is under way.
    const auto site = m_served.Path() / "site";
    for (int i = 0; i < 3000 && std::filesystem::is_empty(site); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    upload.Signal(SIGINT);
    const CCliResult result = upload.Wait();
    EXPECT_EQ(result.exitCode, 1) << result.err;
    EXPECT_NE(result.err.find("Transfer Stopped"), std::string::npos) << result.err;

    int runState = -1;
    std::vector<CTransferRow> rows;
    ASSERT_TRUE(ReadList(list, runState, rows));
    EXPECT_EQ(runState, 1);
    ASSERT_FALSE(rows.empty());
    const std::set<std::string> next = NextFindNames();
    for (const CTransferRow& row : rows) {
        EXPECT_NE(RowStateOf(row.word), kRowDone);
        EXPECT_EQ(next.count(row.name), 1u) << row.name << " is not found again";
    }
}

// upload --delete-leftovers: the leftovers are printed, deleted only with --yes, and excluded files
// are never touched.
TEST_F(CliTest, LeftoversAreListedWithoutYesDeletedWithYesAndExcludedFilesKept)
{
    m_served.WriteFile("site/old.html", "o");
    m_served.WriteFile("site/gone/a.htm", "a");
    m_served.WriteFile("site/.htaccess", "deny");
    StartServer(FtpServerKind::Pyftpdlib);
    WriteSetting("Exclusions", "Count", "1");
    WriteSetting("Exclusions", "Pattern1", ".htaccess");

    const CCliResult listed = Cli({"upload", "--delete-leftovers"});
    EXPECT_EQ(listed.exitCode, 0) << listed.err;
    EXPECT_EQ(Lines(listed.out), (std::set<std::string>{"/site/old.html", "/site/gone/a.htm", "/site/gone/"}));
    EXPECT_NE(listed.err.find("3 server leftovers listed; nothing was deleted"), std::string::npos) << listed.err;
    EXPECT_TRUE(ServedMatches("index.html")); // the upload itself went on
    EXPECT_TRUE(Served("site/old.html") && Served("site/gone/a.htm"));

    const CCliResult deleted = Cli({"upload", "--delete-leftovers", "--yes"});
    EXPECT_EQ(deleted.exitCode, 0) << deleted.err;
    EXPECT_FALSE(Served("site/old.html"));
    EXPECT_FALSE(Served("site/gone"));
    EXPECT_TRUE(Served("site/.htaccess"));
    EXPECT_TRUE(ServedMatches("index.html"));
}

// What the command never deletes or sends, whatever the folder, the saved list or the operand
// says. Each case starts from the bench's site (index.html, img/logo.gif, about/team/people.htm).
struct SafetyCase {
    const char* name;
    std::vector<std::string> serverFiles; // below the served directory before the command
    std::vector<std::string> args;        // "LIST" stands for a saved list with rows that point out
    int exitCode;
    std::vector<std::string> untouched; // server copies that stay as they were
    std::vector<std::string> absent;    // not served afterwards
    std::vector<std::string> present;   // served afterwards
    bool emptyFolder = false;
    std::vector<std::string> serverArgs = {}; // given: the misbehaving server with these, else pyftpdlib
    const char* startDir = "site";
};

class CliSafetyTest : public CliTest, public ::testing::WithParamInterface<SafetyCase> {};

TEST_P(CliSafetyTest, HarmfulDeletionsAreRefusedAndEveryPathStaysBelowItsRoot)
{
    const SafetyCase& c = GetParam();
    m_local.WriteFile("up.txt", "sent");
    for (const std::string& file : c.serverFiles)
        m_served.WriteFile(file, "server copy");
    if (c.emptyFolder) {
        for (const auto& entry : std::filesystem::directory_iterator(m_local.Path()))
            std::filesystem::remove_all(entry.path());
    }
    if (c.serverArgs.empty())
        StartServer(FtpServerKind::Pyftpdlib);
    else
        StartServer(FtpServerKind::Misbehaving, c.serverArgs);
    WriteSetting("Configure", "FTPStartDir", c.startDir);
    WriteSetting("Data", "LastRun", "2000\\01\\01 00:00");
    // Rows that climb out of the folder to a file that exists beside it, and out of the Start Dir.
    const std::string beside = "../" + m_settingsDir.Path().filename().string();
    m_settingsDir.WriteFile("outside.txt", "not part of the site");
    const std::string list = m_settingsDir.Str() + "/rows.txt";
    m_settingsDir.WriteFile("rows.txt", "1\n0\t/" + beside + "/outside.txt\t1\n0\tup.txt\t1\n0\t" + beside +
                                            "/../secret.txt\t1\n0\t../../secret.txt\t1\n");
    std::vector<std::string> args = c.args;
    std::replace(args.begin(), args.end(), std::string("LIST"), list);
    const CCliResult result = Cli(args);
    EXPECT_EQ(result.exitCode, c.exitCode) << result.err;
    for (const std::string& file : c.untouched)
        EXPECT_EQ(m_served.ReadFile(file), "server copy") << file;
    for (const std::string& file : c.absent)
        EXPECT_FALSE(Served(file)) << file;
    for (const std::string& file : c.present)
        EXPECT_TRUE(Served(file)) << file;
    // Nothing was written anywhere but below the Start Dir.
    for (const auto& entry : std::filesystem::recursive_directory_iterator(m_served.Path())) {
        const std::string relative = std::filesystem::relative(entry.path(), m_served.Path()).string();
        const bool before = std::find(c.serverFiles.begin(), c.serverFiles.end(), relative) != c.serverFiles.end();
        EXPECT_TRUE(before || relative.rfind("site", 0) == 0) << relative;
    }
    if (args[0] == "send") {
        EXPECT_EQ(LastRun(), "2000\\01\\01 00:00"); // a saved list moves no date
    }
}

const std::vector<std::string> kUploadAll{"upload", "--all", "--delete-leftovers", "--yes"};
const std::vector<std::string> kFourOld{"site/a.htm", "site/b.htm", "site/c.htm", "site/d/e.htm"};

INSTANTIATE_TEST_SUITE_P(
    Cases, CliSafetyTest,
    ::testing::Values(
        SafetyCase{"LetterCaseRenamed", {"site/IMG/Logo.GIF", "site/Index.html"}, kUploadAll, 0,
                   {"site/IMG/Logo.GIF", "site/Index.html"}, {}, {"site/img/logo.gif"}},
        SafetyCase{"LetterCaseFoldedByTheServer", {"site/img/LOGO.GIF", "site/INDEX.HTML"}, kUploadAll, 0, {}, {},
                   {"site/img/LOGO.GIF", "site/INDEX.HTML"}, false, {"--fold-case", "--mlsd"}},
        SafetyCase{"EmptyStartDirIsTheLoginDirectory", {"site/old.htm", "other.htm", "site/index.html"}, kUploadAll,
                   0, {"other.htm"}, {"site/old.htm"}, {"site/img/logo.gif"}, false, {"--home", "/site"}, ""},
        SafetyCase{"EmptyFolder", {"site/a.htm", "site/b.htm"}, kUploadAll, 2, {"site/a.htm", "site/b.htm"}, {}, {},
                   true},
        SafetyCase{"MostOfTheSite", kFourOld, kUploadAll, 2, kFourOld, {"site/index.html"}, {}},
        SafetyCase{"MostOfTheSiteAllowed", kFourOld, {"upload", "--all", "--delete-leftovers", "--yes", "--max-delete", "5"},
                   0, {}, {"site/a.htm", "site/d"}, {"site/index.html"}},
        // Four files and the directory d: the directory counts too.
        SafetyCase{"MostOfTheSiteOneEntryOverTheLimit", kFourOld,
                   {"upload", "--all", "--delete-leftovers", "--yes", "--max-delete", "4"}, 2, kFourOld,
                   {"site/index.html"}, {}},
        SafetyCase{"APageOrTwo", {"site/index.html", "site/img/logo.gif", "site/old.htm", "site/older.htm"}, kUploadAll,
                   0, {}, {"site/old.htm", "site/older.htm"}, {"site/index.html"}},
        SafetyCase{"WholeAccount", {"site/a.htm", "other.htm"}, {"tree-delete", "/", "--yes"}, 2,
                   {"site/a.htm", "other.htm"}, {}, {}},
        SafetyCase{"SavedRowsPointingOut", {"secret.txt"}, {"send", "LIST"}, 1, {"secret.txt"}, {},
                   {"site/up.txt"}}),
    [](const ::testing::TestParamInfo<SafetyCase>& param) { return std::string(param.param.name); });

TEST_F(CliTest, OverSftpAnUnknownHostKeyOrARefusedLoginExitsThreeAndTrustOrThePasswordLetsItIn)
{
    StartServer(FtpServerKind::Sshd, {"--password", "s3cret-Pw"}); // root only: sshd checks the password
    const std::string fingerprint = m_server->HostKeyFingerprint();
    const std::string key = "127.0.0.1:" + std::to_string(m_server->Port());
    WriteSetting("HostKeys", key.c_str(), "");
    // The same key under a passphrase, kept in the settings as the password is.
    const std::string locked = m_settingsDir.Str() + "/locked_key";
    std::filesystem::copy_file(m_server->ClientKey(), locked);
    ASSERT_EQ(std::system(("ssh-keygen -q -p -N pass-phrase -f " + locked + " > /dev/null").c_str()), 0);
    std::string passphrase = "pass-phrase";
    CPasswordCodec().Encode(passphrase);
    WriteSetting("Configure", "KeyPassphrase", passphrase);
    const struct {
        const char* what;
        std::vector<std::string> args;
        std::string keyFile, secret;
        int exitCode;
        std::string said;
    } cases[] = {
        {"unknown key", {"upload"}, m_server->ClientKey(), "", 3, "Key: ssh-ed25519 " + fingerprint},
        {"another key trusted", {"upload", "--trust", "SHA256:" + std::string(43, 'A')}, m_server->ClientKey(), "", 3,
         "--trust names another"},
        {"key trusted, key login", {"upload", "--trust", fingerprint}, m_server->ClientKey(), "", 0, ""},
        {"remembered, wrong password", {"upload", "--password-env", "SKERROW_TEST_SECRET"}, "", "wrong", 3,
         "the server offers: publickey,password"},
        {"password login", {"upload", "--all", "--password-env", "SKERROW_TEST_SECRET"}, "", "s3cret-Pw", 0, ""},
        {"the agent's key", {"upload", "--all", "--password-env", "SKERROW_TEST_SECRET"}, "", "wrong", 0, ""},
        {"a key under its passphrase", {"upload", "--all", "--password-env", "SKERROW_TEST_SECRET"}, locked, "wrong",
         0, ""},
    };
    // The user's SSH agent, holding the client key (the last case logs in with it); like a server, it
    // ends with this process.
    const std::string agent = m_settingsDir.Str() + "/agent.sock";
    const pid_t agentPid = ForkTiedChild([&agent] {
        const int devnull = ::open("/dev/null", O_WRONLY);
        ::dup2(devnull, STDOUT_FILENO);
        ::execlp("ssh-agent", "ssh-agent", "-D", "-a", agent.c_str(), static_cast<char*>(nullptr));
    });
    ASSERT_GT(agentPid, 0);
    for (int i = 0; i < 200 && !std::filesystem::exists(agent); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    ASSERT_EQ(std::system(("SSH_AUTH_SOCK=" + agent + " ssh-add -q " + m_server->ClientKey()).c_str()), 0);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        WriteSetting("Configure", "KeyFile", c.keyFile);
        const std::string sock = c.what == std::string("the agent's key") ? agent : "";
        const CCliResult result = Cli(c.args, {"SKERROW_TEST_SECRET=" + c.secret, "SSH_AUTH_SOCK=" + sock});
        EXPECT_EQ(result.exitCode, c.exitCode) << result.err;
        EXPECT_NE(result.err.find(c.said), std::string::npos) << result.err;
    }
    ::kill(agentPid, SIGTERM);
    ::waitpid(agentPid, nullptr, 0);
    EXPECT_EQ(CSettingsFile().ReadString("HostKeys", key.c_str()), fingerprint) << "--trust remembers it";
    ExpectSiteServed();
}
