// What the headless command prints and writes, and the options it refuses aloud: control
// characters from the server are shown escaped, the saved list is never written through a planted
// link, a certificate or a password that cannot be used says why, tree-delete leaves the settings
// file as it was, and a stopped find ends with a failure.

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <csignal>
#include <filesystem>
#include <functional>
#include <optional>
#include <unistd.h>

#include "list/CSavedListFile.h"
#include "support/CCliProcess.h"
#include "support/CRunControlFixture.h"
#include "support/CTestCertificate.h"

using namespace skerrow;
using namespace skerrow::test;

namespace {

class CliOutputTest;

struct OutputCase {
    const char* name;
    // @LIST@, @PASSWORD@, @FP@ (as the check writes it) and @fp@ (lower case, no colons) stand
    // for the case's saved list, password file and server certificate.
    std::vector<std::string> args;
    int exitCode;
    std::vector<std::string> said = {};   // in standard error
    std::vector<std::string> listed = {}; // in standard output
    std::vector<std::string> notSaid = {};
    std::vector<std::string> environment = {};
    bool tls = false;          // vsftpd with a self-signed certificate, TLS required
    std::vector<std::string> serverArgs = {}; // given: our misbehaving server with these
    bool terminal = false;     // standard error is a terminal: the progress bar is drawn
    bool settingsKept = false; // the settings file is byte for byte as before
    std::function<void(CliOutputTest&)> prepare = nullptr;
    std::function<void(CliOutputTest&, CCliProcess&)> during = nullptr;
    std::function<void(CliOutputTest&, const CCliResult&)> after = nullptr;
};

// A failing case is named, not dumped byte by byte.
void PrintTo(const OutputCase& c, std::ostream* out)
{
    *out << c.name;
}

class CliOutputTest : public RunControlTest, public ::testing::WithParamInterface<OutputCase> {
public:
    std::string ListPath() const { return m_settingsDir.Str() + "/list.txt"; }
    std::string Expand(std::string text) const
    {
        const std::string fingerprint = m_certificate ? m_certificate->fingerprint : "";
        std::string typed; // as a user may type it
        for (const char c : fingerprint)
            if (c != ':')
                typed += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        const std::vector<std::pair<std::string, std::string>> tokens{
            {"@LIST@", ListPath()}, {"@PASSWORD@", m_settingsDir.Str() + "/password"}, {"@FP@", fingerprint},
            {"@fp@", typed}};
        for (const auto& [token, value] : tokens)
            for (size_t at; (at = text.find(token)) != std::string::npos;)
                text.replace(at, token.size(), value);
        return text;
    }
    void WritePassword(const std::string& contents, std::filesystem::perms mode)
    {
        std::filesystem::permissions(m_settingsDir.WriteFile("password", contents), mode);
    }
    std::optional<CTestCertificate> m_certificate;
};

TEST_P(CliOutputTest, PrintsEscapedWritesNoLinkAndRefusesWhatCannotWork)
{
    const OutputCase& c = GetParam();
    if (c.tls) {
        m_certificate.emplace("cli-tls");
        ASSERT_FALSE(m_certificate->fingerprint.empty()) << "openssl could not make a certificate";
        StartServer(FtpServerKind::Vsftpd, m_certificate->Args());
        WriteSetting("Advanced", "Encryption", "1");
    } else if (!c.serverArgs.empty()) {
        StartServer(FtpServerKind::Misbehaving, c.serverArgs);
    } else {
        StartServer(FtpServerKind::Pyftpdlib);
    }
    if (c.prepare)
        c.prepare(*this);
    const std::string settingsBefore = m_settingsDir.ReadFile("skerrow.ini");
    std::vector<std::string> args{"--settings", m_settingsDir.Str() + "/skerrow.ini"};
    for (const std::string& arg : c.args)
        args.push_back(Expand(arg));
    CCliProcess process(args, c.environment, c.terminal ? CliOutputs::ErrorTerminal : CliOutputs::OutputPipe);
    ASSERT_TRUE(process.Started());
    if (c.during)
        c.during(*this, process);
    const CCliResult result = process.Wait();
    EXPECT_EQ(result.exitCode, c.exitCode) << result.err;
    for (const std::string& text : c.said)
        EXPECT_NE(result.err.find(Expand(text)), std::string::npos) << Expand(text) << " not in:\n" << result.err;
    for (const std::string& text : c.notSaid)
        EXPECT_EQ(result.err.find(text), std::string::npos) << result.err;
    for (const std::string& text : c.listed)
        EXPECT_NE(result.out.find(text + "\n"), std::string::npos) << result.out;
    // Whatever the server names and says, no ESC reaches the terminal but the bar's own "clear line".
    std::string shown = result.out + result.err;
    for (size_t at; (at = shown.find("\x1b[K")) != std::string::npos;)
        shown.erase(at, 3);
    EXPECT_EQ(shown.find('\x1b'), std::string::npos) << shown;
    if (c.settingsKept) {
        EXPECT_EQ(m_settingsDir.ReadFile("skerrow.ini"), settingsBefore);
    }
    if (c.after)
        c.after(*this, result);
}

using std::filesystem::perms;

INSTANTIATE_TEST_SUITE_P(
    Cases, CliOutputTest,
    ::testing::Values(
        OutputCase{.name = "ServerNamesAndRepliesAreEscaped",
                   .args = {"tree-delete", "site/old", "-v"},
                   .exitCode = 0,
                   .said = {"\"/site/old/\\x1b[2Jx\" is the current directory"},
                   .listed = {"/site/old/\\x1b[2Jx/a\\x1b]0;owned\\x07.htm"},
                   .prepare =
                       [](CliOutputTest& fx) {
                           fx.m_served.WriteFile("site/old/\x1b[2Jx/a\x1b]0;owned\x07.htm", "a");
                       }},
        // A C1 CSI: a name that may be sent (C0 controls are not), drawn in the bar while it goes.
        OutputCase{.name = "TheProgressBarEscapesTheName",
                   .args = {"upload"},
                   .exitCode = 0,
                   .said = {"/4 ", "\\u009b2Jslow.bin"},
                   .notSaid = {"\xc2\x9b"},
                   .serverArgs = {"--slow-stor", "1000"},
                   .terminal = true,
                   .prepare =
                       [](CliOutputTest& fx) { fx.m_local.WriteFile("\xc2\x9b" "2Jslow.bin", std::string(2000, 's')); }},
        OutputCase{.name = "TreeDeleteLeavesTheSettingsFileAlone",
                   .args = {"tree-delete", "site/old"},
                   .exitCode = 0,
                   .listed = {"/site/old/a.htm"},
                   .settingsKept = true,
                   .prepare =
                       [](CliOutputTest& fx) {
                           fx.m_served.WriteFile("site/old/a.htm", "a");
                           fx.WriteSetting("Configure", "FTPDirTreeDel", "site/kept");
                       }},
        OutputCase{.name = "SavedListIsNotWrittenThroughAPlantedLink",
                   .args = {"upload", "--save-list", "@LIST@"},
                   .exitCode = 0,
                   .prepare = [](CliOutputTest& fx) { fx.m_settingsDir.WriteFile("victim", "mine"); },
                   .during =
                       [](CliOutputTest& fx, CCliProcess& process) {
                           // Where the list used to be written first, planted before the run ends.
                           const std::string planted = fx.ListPath() + ".tmp-" + std::to_string(process.Pid());
                           ASSERT_EQ(::symlink((fx.m_settingsDir.Str() + "/victim").c_str(), planted.c_str()), 0);
                       },
                   .after =
                       [](CliOutputTest& fx, const CCliResult&) {
                           EXPECT_EQ(fx.m_settingsDir.ReadFile("victim"), "mine");
                           const auto list = std::filesystem::symlink_status(fx.ListPath());
                           EXPECT_TRUE(std::filesystem::is_regular_file(list));
                           EXPECT_EQ(fx.m_settingsDir.ReadFile("list.txt"), "0\r\n");
                           EXPECT_EQ(ModeOf(fx.ListPath()), 0600u);
                       }},
        OutputCase{.name = "MalformedTrust",
                   .args = {"upload", "--trust", "AB:CD:EF"},
                   .exitCode = 2,
                   .said = {"--trust needs a SHA-256 fingerprint", "(\"AB:CD:EF\" is none)"}},
        OutputCase{.name = "RefusedCertificateSaysWhyAndItsFingerprint",
                   .args = {"upload"},
                   .exitCode = 3,
                   .said = {"error: the certificate of 127.0.0.1:", "is refused: self", "Issued to CN = cli-tls",
                            "SHA-256 fingerprint: @FP@; once it is checked"},
                   .tls = true},
        OutputCase{
            .name = "TrustedByItsFingerprint", .args = {"upload", "--trust", "@fp@"}, .exitCode = 0, .tls = true},
        OutputCase{.name = "EmptyPasswordFile",
                   .args = {"upload", "--password-file", "@PASSWORD@"},
                   .exitCode = 2,
                   .said = {"the password file @PASSWORD@ gives no password"},
                   .notSaid = {"warning"},
                   .settingsKept = true,
                   .prepare =
                       [](CliOutputTest& fx) { fx.WritePassword("\n", perms::owner_read | perms::owner_write); }},
        OutputCase{.name = "EmptyPasswordVariable",
                   .args = {"upload", "--password-env", "SKERROW_TEST_EMPTY"},
                   .exitCode = 2,
                   .said = {"the environment variable SKERROW_TEST_EMPTY is empty"},
                   .environment = {"SKERROW_TEST_EMPTY="}},
        OutputCase{.name = "PasswordFileOthersCanRead",
                   .args = {"upload", "--password-file", "@PASSWORD@"},
                   .exitCode = 0,
                   .said = {"skerrow-cli: warning: the password file @PASSWORD@ can be read by others"},
                   .prepare =
                       [](CliOutputTest& fx) {
                           fx.WritePassword(fx.m_server->Password() + "\n",
                                           perms::owner_read | perms::owner_write | perms::group_read);
                       }},
        OutputCase{.name = "FindStoppedByCtrlC",
                   .args = {"find", "--all"},
                   .exitCode = 1,
                   .said = {"Find stopped: "},
                   .notSaid = {"files would be sent"},
                   .settingsKept = true,
                   .prepare =
                       [](CliOutputTest& fx) {
                           // Far more than the pipe holds: the listing waits for a reader.
                           for (int i = 0; i < 3000; ++i)
                               fx.m_local.WriteFile("many/" + std::string(60, 'n') + std::to_string(i), "n");
                       },
                   .during =
                       [](CliOutputTest&, CCliProcess& process) {
                           ASSERT_TRUE(process.WaitForOutput(30000));
                           process.Signal(SIGINT);
                       },
                   // It stopped printing then, not once the pipe was read.
                   .after = [](CliOutputTest&, const CCliResult& result) {
                       EXPECT_LT(std::count(result.out.begin(), result.out.end(), '\n'), 3000);
                   }}),
    [](const ::testing::TestParamInfo<OutputCase>& param) { return std::string(param.param.name); });

} // namespace
