// What keeps a server entry from being taken for a leftover, against real local folders: names that
// fold alike beyond ASCII, folders that cannot be read (never a reason to delete), and a stop that
// leaves every unread name present.

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "discovery/CCaseFold.h"
#include "discovery/CLocalCounterpart.h"
#include "support/CTempDir.h"

namespace skerrow {
namespace {

using Freshness = CLocalNameIndex::Freshness;

TEST(LocalCounterpart, NamesThatFoldAlikeAreTheSameFile)
{
    const struct {
        const char* local;
        const char* server;
        bool kept;
    } cases[] = {
        {"über.html", "Über.html", true},         {"ÜBER.HTML", "über.html", true},
        {"Straße.htm", "STRAßE.HTM", true},       {"straße.htm", "STRASSE.HTM", false},
        {"ẞ.htm", "ß.htm", true},                 {"Ωμέγα.txt", "ΩΜΈΓΑ.TXT", true},
        {"σοφός", "ΣΟΦΌΣ", true},                 {"ς.txt", "σ.txt", true},
        {"Привет.html", "пРИВЕТ.HTML", true},     {"ёлка", "Ёлка", true},
        {"ǅ.txt", "ǆ.txt", true},                 {"Kelvin", "\u212Aelvin", true},
        {"ıi.txt", "II.TXT", true},               {"Ǉ", "Ǌ", false},
        {"über.html", "uber.html", false},        {"Σ.txt", "Ξ.txt", false},
        {"a\xC3.txt", "A\xC3.txt", true},         {"a\xC3.txt", "a\xC4.txt", false},
        {"\xC1\x81.txt", "a.txt", false},         {"plain.html", "Plain.HTML", true},
        {"img", "IMG/logo.gif", false},           {"Ünder/x.html", "ünder/X.html", true},
    };
    for (const Freshness freshness : {Freshness::ReadOnce, Freshness::Checked}) {
        test::CTempDir dir;
        for (size_t i = 0; i < std::size(cases); ++i)
            dir.WriteFile(std::to_string(i) + "/" + cases[i].local, "x");
        CLocalCounterpart local;
        ASSERT_TRUE(local.Setup(dir.Str(), {}, freshness));
        for (size_t i = 0; i < std::size(cases); ++i) {
            const std::string server = std::to_string(i) + "/" + cases[i].server;
            EXPECT_EQ(local.KeepsFile(server), cases[i].kept) << cases[i].local << " / " << server;
            if (std::string(cases[i].server).find('/') == std::string::npos) {
                EXPECT_EQ(CCaseFold::Fold(cases[i].local) == CCaseFold::Fold(cases[i].server), cases[i].kept)
                    << cases[i].local;
            }
        }
        // A delete pass asks right before each command: it sees what came into the folder since.
        if (freshness == Freshness::Checked) {
            dir.WriteFile("0/UBER.HTML", "x");
            EXPECT_TRUE(local.KeepsFile("0/uber.html"));
        }
    }
}

// A folder that cannot be read, or whose reading was stopped, holds whatever the server has in it;
// the folders around it are still told apart.
TEST(LocalCounterpart, AFolderNotReadIsNeverAReasonToDelete)
{
    test::CTempDir dir;
    dir.WriteFile("open/page.html", "o");
    dir.WriteFile("locked/page.html", "l");
    const std::string root = dir.Str();
    for (const Freshness freshness : {Freshness::ReadOnce, Freshness::Checked}) {
        CLocalCounterpart local;
        local.SetDirectoryReader([&root](const std::string& directory, std::vector<std::string>& names,
                                         const std::function<bool()>& stopped) {
            return directory == root + "/locked" ? CLocalNameIndex::Read::Unreadable
                                                 : CLocalNameIndex::ReadDirectory(directory, names, stopped);
        });
        ASSERT_TRUE(local.Setup(root, {}, freshness));
        EXPECT_TRUE(local.KeepsFile("locked/gone.html"));
        EXPECT_TRUE(local.KeepsDirectory("locked/gone"));
        EXPECT_FALSE(local.KeepsFile("open/gone.html"));
        EXPECT_FALSE(local.KeepsDirectory("gone"));

        bool stop = false;
        CLocalCounterpart stopped;
        stopped.SetStopCheck([&stop] { return stop; });
        ASSERT_TRUE(stopped.Setup(root, {}, freshness));
        stop = true;
        EXPECT_TRUE(stopped.KeepsFile("open/gone.html"));
    }

    // The same with the system's own refusal: as an ordinary user in a child process, since the
    // tests run as the superuser, who reads every folder.
    ::chmod(root.c_str(), 0755);
    ::chmod((dir.Path() / "open").c_str(), 0755);
    ::chmod((dir.Path() / "locked").c_str(), 0700);
    const auto seesOnlyWhatItReads = [&root] {
        CLocalCounterpart local;
        return local.Setup(root, {}) && local.KeepsFile("locked/gone.html") && local.KeepsFile("locked/x/y.html") &&
               !local.KeepsFile("open/gone.html") && local.KeepsFile("open/Page.html");
    };
    if (::geteuid() != 0) {
        EXPECT_TRUE(seesOnlyWhatItReads());
        return;
    }
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        if (::setresgid(65534, 65534, 65534) != 0 || ::setresuid(65534, 65534, 65534) != 0)
            ::_exit(2);
        ::_exit(seesOnlyWhatItReads() ? 0 : 1);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
}

} // namespace
} // namespace skerrow
