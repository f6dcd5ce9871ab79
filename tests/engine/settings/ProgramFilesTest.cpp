// Where the program keeps its settings and finds its catalogs: beside the executable in a build
// tree, the user's configuration directory and share/skerrow when installed.

#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>
#include <sys/stat.h>

#include "settings/CProgramFiles.h"
#include "settings/CSettingsFile.h"
#include "support/CScopedEnv.h"
#include "support/CTempDir.h"

using namespace skerrow;
namespace fs = std::filesystem;

namespace {

} // namespace

TEST(ProgramFiles, BuildTreeKeepsEverythingBesideTheExecutableInstalledTreeSplitsThem)
{
    const struct {
        const char* name;
        const char* dataDir;                  // made below the temporary root ("" for none)
        bool dataDirIsFile;
        std::optional<std::string> xdg;       // relative to the root when it does not start with '/'
        const char* expectSettings;           // relative to the root
        const char* expectData;
    } cases[] = {
        {"build tree", "", false, "cfg", "build/bin", "build/bin"},
        {"installed, XDG_CONFIG_HOME", "usr/share/skerrow", false, "/cfg", "cfg/skerrow", "usr/share/skerrow"},
        {"installed, no XDG_CONFIG_HOME", "usr/share/skerrow", false, std::nullopt, "home/.config/skerrow",
         "usr/share/skerrow"},
        {"installed, relative XDG_CONFIG_HOME is ignored", "usr/share/skerrow", false, "cfg",
         "home/.config/skerrow", "usr/share/skerrow"},
        {"a file named like the data directory", "usr/share/skerrow", true, "/cfg", "usr/bin", "usr/bin"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        test::CTempDir root;
        const bool installed = *c.dataDir && !c.dataDirIsFile;
        const fs::path exe = root.Path() / (*c.dataDir ? "usr/bin/skerrow" : "build/bin/skerrow");
        if (c.dataDirIsFile)
            root.WriteFile(c.dataDir, "not a directory");
        else if (*c.dataDir)
            root.MakeDir(c.dataDir);
        const std::optional<std::string> xdg =
            c.xdg && c.xdg->front() == '/' ? std::optional(root.Str() + *c.xdg) : c.xdg;
        test::CScopedEnv xdgEnv("XDG_CONFIG_HOME", xdg);
        test::CScopedEnv homeEnv("HOME", root.Str() + "/home");

        const CProgramFiles files(exe.string());
        EXPECT_EQ(files.IsInstalled(), installed);
        EXPECT_EQ(files.SettingsDir(), root.Path() / c.expectSettings);
        EXPECT_EQ(files.DataDir(), root.Path() / c.expectData);
    }
}

TEST(ProgramFiles, InstalledSettingsFileLivesInAPrivateConfigDirectory)
{
    test::CTempDir root;
    root.MakeDir("usr/share/skerrow");
    root.MakeDir("usr/bin");
    test::CScopedEnv xdgEnv("XDG_CONFIG_HOME", root.Str() + "/home/cfg");
    test::CScopedEnv iniEnv("SKERROW_INI", std::nullopt);
    CSettingsFile::SetOverridePath("");
    // skerrow-cli takes the window's name in its own directory: both find the same file.
    CSettingsFile::SetExecutablePath(root.Str() + "/usr/bin/skerrow");

    CSettingsFile settings;
    const fs::path dir = root.Path() / "home/cfg/skerrow";
    EXPECT_EQ(settings.GetPath(".txt"), (dir / "skerrow.txt").string());
    EXPECT_EQ(settings.GetPath(".ini"), (dir / "skerrow.ini").string());
    EXPECT_EQ(test::ModeOf(dir), 0700u);
    EXPECT_EQ(test::ModeOf(root.Path() / "home/cfg"), 0700u);
    EXPECT_TRUE(settings.WriteString("Configure", "FTPURL", "ftp.example.org"));
    EXPECT_NE(root.ReadFile("home/cfg/skerrow/skerrow.ini").find("FTPURL=ftp.example.org"), std::string::npos);
    EXPECT_FALSE(fs::exists(root.Path() / "usr/bin/skerrow.ini"));

    // An existing directory keeps its mode; the explicit overrides still come first.
    fs::permissions(dir, fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec);
    EXPECT_EQ(CSettingsFile().GetPath(".ini"), (dir / "skerrow.ini").string());
    EXPECT_EQ(test::ModeOf(dir), 0750u);
    {
        test::CScopedEnv fromEnvironment("SKERROW_INI", root.Str() + "/env.ini");
        EXPECT_EQ(CSettingsFile().GetPath(".ini"), root.Str() + "/env.ini");
        CSettingsFile::SetOverridePath(root.Str() + "/option.ini");
        EXPECT_EQ(CSettingsFile().GetPath(".txt"), root.Str() + "/option.txt");
        CSettingsFile::SetOverridePath("");
    }
    CSettingsFile::SetExecutablePath("");
}

TEST(ProgramFiles, MakePrivateDirFailsWhereAFileStandsInTheWay)
{
    test::CTempDir root;
    root.WriteFile("file", "x");
    EXPECT_FALSE(CProgramFiles::MakePrivateDir(root.Path() / "file"));
    EXPECT_FALSE(CProgramFiles::MakePrivateDir(root.Path() / "file/below"));
    EXPECT_TRUE(CProgramFiles::MakePrivateDir(root.Path() / "a/b/"));
    EXPECT_EQ(test::ModeOf(root.Path() / "a/b"), 0700u);
}
