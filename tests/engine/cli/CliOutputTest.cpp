// What skerrow-cli prints and writes, and the options it refuses aloud, as real runs.

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <csignal>
#include <functional>
#include <optional>
#include <unistd.h>

#include "support/CCliProcess.h"
#include "support/CRunControlFixture.h"
#include "support/CTestCertificate.h"

using namespace skerrow::test;
using std::filesystem::perms;

namespace {

class CliOutputTest;

struct OutputCase {
    const char* name;
    std::vector<std::string> args; // @LIST@, @PASSWORD@: the case's files; @FP@, @fp@: its fingerprint
    int exitCode;
    std::vector<std::string> said; // in standard error; "!text": not in it
    std::string listed;            // a line of standard output
    std::vector<std::string> server = {}; // {"tls"}: vsftpd and a self-signed certificate; else misbehaving
    std::function<void(CliOutputTest&)> prepare = nullptr;
    std::function<void(CliOutputTest&, CCliProcess&)> during = nullptr;
    std::function<void(CliOutputTest&, const CCliResult&)> after = nullptr;
    std::vector<std::string> environment = {};
    bool terminal = false;     // standard error is a terminal: the bar is drawn
    bool settingsKept = false; // the settings file stays byte for byte
};

class CliOutputTest : public RunControlTest, public ::testing::WithParamInterface<OutputCase> {
public:
    std::string Path(const char* name) const { return m_settingsDir.Str() + "/" + name; }
    std::string Expand(std::string text) const
    {
        const std::string fingerprint = m_certificate ? m_certificate->fingerprint : "";
        std::string typed = fingerprint; // as a user may type it
        std::transform(typed.begin(), typed.end(), typed.begin(), [](unsigned char c) { return std::tolower(c); });
        const std::vector<std::pair<std::string, std::string>> tokens{
            {"@LIST@", Path("list.txt")}, {"@PASSWORD@", Path("password")}, {"@FP@", fingerprint}, {"@fp@", typed}};
        for (const auto& [token, value] : tokens)
            for (size_t at; (at = text.find(token)) != std::string::npos;)
                text.replace(at, token.size(), value);
        return text;
    }
    std::optional<CTestCertificate> m_certificate;
};

TEST_P(CliOutputTest, PrintsEscapedWritesNoLinkAndRefusesWhatCannotWork)
{
    const OutputCase& c = GetParam();
    if (c.server == std::vector<std::string>{"tls"}) {
        m_certificate.emplace("cli-tls");
        StartServer(FtpServerKind::Vsftpd, m_certificate->Args());
        WriteSetting("Advanced", "Encryption", "1");
    } else {
        StartServer(c.server.empty() ? FtpServerKind::Pyftpdlib : FtpServerKind::Misbehaving, c.server);
    }
    if (c.prepare)
        c.prepare(*this);
    const std::string settings = m_settingsDir.ReadFile("skerrow.ini");
    std::vector<std::string> args{"--settings", Path("skerrow.ini")};
    for (const std::string& arg : c.args)
        args.push_back(Expand(arg));
    CCliProcess process(args, c.environment, c.terminal ? CliOutputs::ErrorTerminal : CliOutputs::OutputPipe);
    if (c.during)
        c.during(*this, process);
    const CCliResult result = process.Wait();
    EXPECT_EQ(result.exitCode, c.exitCode) << result.err;
    for (const std::string& text : c.said) {
        const bool wanted = text[0] != '!';
        EXPECT_EQ(result.err.find(Expand(text.substr(wanted ? 0 : 1))) != std::string::npos, wanted) << text;
    }
    EXPECT_TRUE(c.listed.empty() || result.out.find(c.listed + "\n") != std::string::npos) << result.out;
    // No ESC reaches the terminal but the bar's own "clear the line".
    std::string shown = result.out + result.err;
    for (size_t at; (at = shown.find("\x1b[K")) != std::string::npos;)
        shown.erase(at, 3);
    EXPECT_EQ(shown.find('\x1b'), std::string::npos) << shown;
    EXPECT_TRUE(!c.settingsKept || m_settingsDir.ReadFile("skerrow.ini") == settings);
    if (c.after)
        c.after(*this, result);
}

void WritePassword(CliOutputTest& fx, const std::string& text, perms others)
{
    std::filesystem::permissions(fx.m_settingsDir.WriteFile("password", text), perms::owner_read | others);
}

INSTANTIATE_TEST_SUITE_P(Cases, CliOutputTest, ::testing::Values(
    OutputCase{"ServerNamesAndRepliesAreEscaped", {"tree-delete", "site/old", "-v"}, 0,
               {"< 250 \"/site/old/\\x1b[2Jx\" is the current"}, "/site/old/\\x1b[2Jx/a\\x1b]0;owned\\x07.htm", {},
               [](CliOutputTest& fx) { fx.m_served.WriteFile("site/old/\x1b[2Jx/a\x1b]0;owned\x07.htm", "a"); }},
    // A C1 CSI: a name that may be sent (C0 controls are not), in the bar while it goes slowly.
    OutputCase{"TheProgressBarEscapesTheName", {"upload"}, 0, {"/4 ", "\\u009b2Jslow.bin", "!\xc2\x9b"}, "",
               {"--slow-stor", "1000"},
               [](CliOutputTest& fx) { fx.m_local.WriteFile("\xc2\x9b" "2Jslow.bin", std::string(2000, 's')); },
               nullptr, nullptr, {}, true},
    OutputCase{"TreeDeleteLeavesTheSettingsFileAlone", {"tree-delete", "site/old"}, 0, {}, "/site/old/a.htm", {},
               [](CliOutputTest& fx) {
                   fx.m_served.WriteFile("site/old/a.htm", "a");
                   fx.WriteSetting("Configure", "FTPDirTreeDel", "site/kept");
               }, nullptr, nullptr, {}, false, true},
    OutputCase{"SavedListIsNotWrittenThroughAPlantedLink", {"upload", "--save-list", "@LIST@"}, 0, {}, "", {},
               [](CliOutputTest& fx) { fx.m_settingsDir.WriteFile("victim", "mine"); },
               [](CliOutputTest& fx, CCliProcess& process) { // where the list was written first
                   const std::string planted = fx.Path("list.txt") + ".tmp-" + std::to_string(process.Pid());
                   ASSERT_EQ(::symlink(fx.Path("victim").c_str(), planted.c_str()), 0);
               },
               [](CliOutputTest& fx, const CCliResult&) {
                   EXPECT_EQ(fx.m_settingsDir.ReadFile("victim"), "mine");
                   EXPECT_EQ(fx.m_settingsDir.ReadFile("list.txt"), "0\r\n");
                   EXPECT_EQ(ModeOf(fx.Path("list.txt")), 0600u); // a file, not a link
               }},
    OutputCase{"MalformedTrust", {"upload", "--trust", "AB:CD:EF"}, 2, {"--trust needs a SHA-256 fingerprint"}, ""},
    OutputCase{"RefusedCertificateSaysWhy", {"upload"}, 3,
               {"certificate of 127.0.0.1:", "is refused: self", "Issued to CN = cli-tls", "fingerprint: @FP@; once"},
               "", {"tls"}},
    OutputCase{"TrustedByItsFingerprint", {"upload", "--trust", "@fp@"}, 0, {}, "", {"tls"},
               nullptr, nullptr, [](CliOutputTest& fx, const CCliResult&) { // and offering TLS, remembered
                   EXPECT_NE(fx.m_settingsDir.ReadFile("skerrow.ini").find("[TLS Servers]"), std::string::npos);
               }},
    // A server that refuses AUTH TLS: reached unencrypted with a warning, unless --require-tls, or
    // unless it offered TLS before; the password is never sent then.
    OutputCase{"PlainFtpWarnsEachTime", {"upload", "-q"}, 0,
               {"warning: 127.0.0.1:", "the password and the files travel unencrypted"}, "", {"--mlsd"}},
    OutputCase{"PlainFtpRefusedByRequireTls", {"upload", "-v", "--require-tls"}, 3,
               {"--require-tls refuses such a server", "!> USER", "!warning"}, "", {"--mlsd"}},
    OutputCase{"PlainFtpRefusedFromAServerThatOfferedTls", {"upload", "-v"}, 3,
               {"has offered encryption (TLS) before and refuses it now", "!> USER", "!warning"}, "", {"--mlsd"},
               [](CliOutputTest& fx) {
                   fx.WriteSetting("TLS Servers", ("127.0.0.1:" + std::to_string(fx.m_server->Port())).c_str(), "1");
               }},
    OutputCase{"EmptyPasswordFile", {"upload", "--password-file", "@PASSWORD@"}, 2,
               {"file @PASSWORD@ gives no password", "!warning"}, "", {},
               [](CliOutputTest& fx) { WritePassword(fx, "\n", perms::none); },
               nullptr, nullptr, {}, false, true},
    OutputCase{"EmptyPasswordVariable", {"upload", "--password-env", "EMPTY_SECRET"}, 2,
               {"variable EMPTY_SECRET is empty"}, "", {}, nullptr, nullptr, nullptr, {"EMPTY_SECRET="}},
    OutputCase{"PasswordFileOthersCanRead", {"upload", "--password-file", "@PASSWORD@"}, 0,
               {"warning: the password file @PASSWORD@ can be read by others"}, "", {},
               [](CliOutputTest& fx) { WritePassword(fx, fx.m_server->Password(), perms::group_read); }},
    OutputCase{"FindStoppedByCtrlC", {"find", "--all"}, 1, {"Find stopped: ", "!files would be sent"}, "", {},
               [](CliOutputTest& fx) { // far more than the pipe holds: the listing waits for a reader
                   for (int i = 0; i < 3000; ++i)
                       fx.m_local.WriteFile("many/" + std::string(60, 'n') + std::to_string(i), "n");
               },
               [](CliOutputTest&, CCliProcess& process) {
                   ASSERT_TRUE(process.WaitForOutput(30000));
                   process.Signal(SIGINT);
               },
               [](CliOutputTest&, const CCliResult& result) { // it stopped then, not once the pipe was read
                   EXPECT_LT(std::count(result.out.begin(), result.out.end(), '\n'), 3000);
               }, {}, false, true}),
    [](const ::testing::TestParamInfo<OutputCase>& param) { return std::string(param.param.name); });

} // namespace
