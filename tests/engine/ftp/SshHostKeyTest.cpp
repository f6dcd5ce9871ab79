// The host key of a real OpenSSH server, started on 127.0.0.1: its fingerprint reads as ssh-keygen
// prints it, and each way of knowing a key (the user's known_hosts, the settings, the run, the
// user's answer) lets the connection go on or stops it, as a table.

#include <gtest/gtest.h>

#include <curl/curl.h>

#include <cstdio>
#include <fstream>
#include <optional>
#include <sstream>

#include "ftp/CSshHostKeyCheck.h"
#include "support/CFtpServerProcess.h"
#include "support/CTempDir.h"

namespace skerrow {
namespace {

using test::CFtpServerProcess;
using test::CTempDir;
using test::FtpServerKind;

std::string Field(const std::string& path, int index)
{
    std::ifstream in(path);
    std::string word;
    for (int i = 0; i <= index && (in >> word);)
        ++i;
    return word;
}

std::string KeygenFingerprint(const std::string& publicKey)
{
    std::string output(256, '\0');
    FILE* pipe = popen(("ssh-keygen -l -E sha256 -f " + publicKey).c_str(), "r");
    const size_t read = pipe ? fread(output.data(), 1, output.size(), pipe) : 0;
    if (pipe)
        pclose(pipe);
    std::istringstream words(output.substr(0, read));
    std::string bits, fingerprint;
    words >> bits >> fingerprint;
    return fingerprint;
}

TEST(SshHostKey, KnownHostsTheSettingsTheRunAndTheUserDecideAsATable)
{
    CTempDir served, settings;
    CFtpServerProcess server(FtpServerKind::Sshd, served.Str());
    ASSERT_TRUE(server.Started()) << server.Error();
    const std::string hostKey = Field(server.HostPublicKey(), 1);
    const CSshHostKey expected = CSshHostKey::FromBase64(hostKey);
    EXPECT_EQ(expected.type, "ssh-ed25519");
    EXPECT_EQ(expected.fingerprint, KeygenFingerprint(server.HostPublicKey()));
    const std::string otherKey = Field(server.ClientKey() + ".pub", 1);
    const std::string knownHosts = (settings.Path() / "known_hosts").string();
    const std::string ini = (settings.Path() / "skerrow.ini").string();
    const std::string entry = "[127.0.0.1]:" + std::to_string(server.Port()) + " ssh-ed25519 ";

    struct Row {
        const char* what;
        std::string knownHost;      // known_hosts's key for the host ("" for none)
        std::string remembered;     // the settings' fingerprint beforehand ("" for none)
        std::string trusted;        // trusted for the run
        std::optional<CertificateTrust> answer; // none: nobody to ask
        bool goesOn, asked, changed;
    };
    const Row rows[] = {
        {"in known_hosts", hostKey, "", "", std::nullopt, true, false, false},
        {"another key in known_hosts", otherKey, "", "", CertificateTrust::Reject, false, true, true},
        {"unknown, trusted once", "", "", "", CertificateTrust::Once, true, true, false},
        {"unknown, trusted always", "", "", "", CertificateTrust::Always, true, true, false},
        {"remembered", "", expected.fingerprint, "", std::nullopt, true, false, false},
        {"another key remembered", "", "SHA256:AAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAA", "", CertificateTrust::Reject,
         false, true, true},
        {"unknown, nobody to ask", "", "", "", std::nullopt, false, false, false},
        {"unknown, trusted for the run", "", "", expected.fingerprint, std::nullopt, true, false, false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        std::ofstream(knownHosts) << (row.knownHost.empty() ? "" : entry + row.knownHost + "\n");
        CSshHostKeyCheck check(ini, "127.0.0.1", server.Port());
        std::remove(ini.c_str());
        if (!row.remembered.empty())
            check.Remember(row.remembered);
        check.SetKnownHostsFile(knownHosts);
        check.SetTrusted(row.trusted);
        std::optional<CHostKeyQuestion> asked;
        if (row.answer) {
            check.SetAsk([&](const CHostKeyQuestion& question) {
                asked = question;
                return *row.answer;
            });
        }
        CURL* curl = curl_easy_init();
        const std::string url = "sftp://" + server.User() + "@127.0.0.1:" + std::to_string(server.Port()) + "/";
        curl_easy_setopt(curl, CURLOPT_URL, url.c_str());
        curl_easy_setopt(curl, CURLOPT_SSH_PRIVATE_KEYFILE, server.ClientKey().c_str());
        curl_easy_setopt(curl, CURLOPT_SSH_PUBLIC_KEYFILE, (server.ClientKey() + ".pub").c_str());
        curl_easy_setopt(curl, CURLOPT_NOBODY, 1L);
        check.Install(curl);
        const CURLcode result = curl_easy_perform(curl);
        curl_easy_cleanup(curl);
        EXPECT_EQ(result == CURLE_OK, row.goesOn) << curl_easy_strerror(result);
        EXPECT_EQ(asked.has_value(), row.asked);
        if (asked) {
            EXPECT_EQ(asked->key.fingerprint, expected.fingerprint);
            EXPECT_EQ(asked->changed, row.changed);
            // The key known before, from known_hosts or the settings.
            const std::string before = row.knownHost.empty() ? row.remembered : CSshHostKey::FromBase64(otherKey).fingerprint;
            EXPECT_EQ(asked->before, row.changed ? before : "");
        }
        EXPECT_EQ(check.Seen().fingerprint, expected.fingerprint); // what a refusal prints
        // The same key met again by this check (a reconnection) is decided alike, without a question.
        check.SetAsk({});
        EXPECT_EQ(check.Decide(expected, row.knownHost == hostKey ? KnownHostsMatch::Match : KnownHostsMatch::Missing),
                  row.goesOn);
        EXPECT_EQ(check.Remembered() == expected.fingerprint,
                  row.answer == CertificateTrust::Always || row.remembered == expected.fingerprint);
    }
}

} // namespace
} // namespace skerrow
