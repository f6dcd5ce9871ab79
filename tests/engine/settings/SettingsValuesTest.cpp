#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>

#include "settings/CIniFile.h"
#include "settings/CPasswordCodec.h"
#include "settings/CSettingsFile.h"
#include "settings/CTextSuffixList.h"
#include "settings/CViewSettings.h"
#include "support/CTempDir.h"

using namespace skerrow;

namespace {

std::string SuffixSection(size_t count)
{
    std::string text = "[TextSuffices]\n";
    char line[32];
    for (size_t i = 0; i < count; ++i) {
        std::snprintf(line, sizeof line, ".s%05zu=1\n", i);
        text += line;
    }
    return text;
}

} // namespace

TEST(TextSuffixList, EntriesDefaultsAndTheGrowingBuffer)
{
    test::CTempDir dir;
    CTextSuffixList list;
    list.LoadFrom((dir.Path() / "missing.ini").string());
    EXPECT_EQ(list.Suffixes(), CTextSuffixList::Defaults());
    ASSERT_EQ(list.Count(), 9u);
    EXPECT_EQ(list.At(0), ".bat");
    EXPECT_EQ(list.At(8), ".txt");

    list.LoadFrom(dir.WriteFile("a.ini", "[TextSuffices]\n.txt=1\n.log\n=x\n").string());
    EXPECT_EQ(list.Suffixes(), (std::vector<std::string>{".txt", ".log", "=x"}));

    // A section that exists but holds nothing still gives the defaults.
    list.LoadFrom(dir.WriteFile("b.ini", "[TextSuffices]\n\n[Data]\nLastRun=x\n").string());
    EXPECT_EQ(list.Suffixes(), CTextSuffixList::Defaults());

    // 15000 characters: read again with a 20480-byte buffer, every entry arrives.
    list.LoadFrom(dir.WriteFile("c.ini", SuffixSection(1500)).string());
    ASSERT_EQ(list.Count(), 1500u);
    EXPECT_EQ(list.At(1499), ".s01499");

    // 40000 characters: the third read (30720 bytes) is used as it comes, cut.
    list.LoadFrom(dir.WriteFile("d.ini", SuffixSection(4000)).string());
    ASSERT_EQ(list.Count(), 3072u);
    EXPECT_EQ(list.At(3070), ".s03070");
}

TEST(PasswordCodec, StoredFormAndRoundTrips)
{
    CPasswordCodec codec;
    std::string stored = "A";
    codec.Encode(stored);
    EXPECT_EQ(stored, "001b"); // 'A' ^ 0x5A

    std::string high = "\x80\xff\x01 z";
    std::string encoded = high;
    codec.Encode(encoded);
    ASSERT_EQ(encoded.size(), 20u);
    for (size_t i = 0; i < encoded.size(); i += 4)
        EXPECT_EQ(encoded.substr(i, 2), "00");
    std::string decoded = "left over";
    codec.Decode(encoded, decoded);
    EXPECT_EQ(decoded, high);

    codec.Decode("", decoded);
    EXPECT_EQ(decoded, "");
    codec.Decode("001B003", decoded); // upper case, and a short last group read as it stands
    EXPECT_EQ(decoded, std::string("A") + static_cast<char>(0x03 ^ 0x5A));
}

TEST(ViewSettings, LoaderDefaultsAndLongValuesSurvive)
{
    test::CTempDir dir;
    CViewSettings empty;
    empty.LoadFrom((dir.Path() / "missing.ini").string());
    EXPECT_EQ(empty.port, 0);
    EXPECT_EQ(empty.stopTimeoutMs, 3000);
    EXPECT_EQ(empty.maxErrors, 32000);
    EXPECT_EQ(empty.language, 0);
    EXPECT_FALSE(empty.passive);
    EXPECT_FALSE(empty.uploadAllFiles);
    EXPECT_EQ(empty.lastRun, (CDateTime{1000, 1, 1, 1, 1, 0}));
    EXPECT_EQ(empty.pcDir, "");

    // What the Connect and Advanced dialogs write, read back by the loader.
    const std::string path = (dir.Path() / "s.ini").string();
    // Past 256 and past 1,024 characters: the password is stored as 1,200, the start directory 1,100.
    std::string password;
    while (password.size() < 300)
        password += "0123456789abcdefghijKLMNOPQRST\xe9\xa0!#$%&*()" + std::to_string(password.size());
    password.resize(300);
    std::string pcDir = "/home/user/";
    for (int i = 0; pcDir.size() < 300; ++i)
        pcDir += "dir" + std::to_string(i) + "/";
    std::string startDir = "/www";
    for (int i = 0; startDir.size() < 1100; ++i)
        startDir += "/sub" + std::to_string(i);
    std::string stored = password;
    CPasswordCodec().Encode(stored);
    CIniFile::WriteString(path, "Configure", "PWD", stored);
    CIniFile::WriteString(path, "Configure", "PCDir", pcDir);
    CIniFile::WriteString(path, "Configure", "FTPStartDir", startDir);
    CIniFile::WriteString(path, "Configure", "UploadAllFiles", "1");
    CIniFile::WriteString(path, "Data", "LastRun", "2005\\03\\07 18:30");
    CIniFile::WriteString(path, "Advanced", "StopTimeout", "5");
    CIniFile::WriteString(path, "Advanced", "PASV", "1");
    CIniFile::WriteString(path, "Advanced", "Port", "2121");
    CViewSettings view;
    view.LoadFrom(path);
    ASSERT_EQ(stored.size(), 1200u);
    EXPECT_EQ(view.password, password);
    EXPECT_EQ(view.pcDir, pcDir);
    EXPECT_EQ(view.ftpStartDir, startDir);
    EXPECT_TRUE(view.uploadAllFiles);
    EXPECT_TRUE(view.passive);
    EXPECT_EQ(view.port, 2121);
    EXPECT_EQ(view.stopTimeoutMs, 5000);
    EXPECT_EQ(view.lastRun, (CDateTime{2005, 3, 7, 18, 30, 0}));

    // A stored date that is no date, and a timeout too large to hold in milliseconds.
    CIniFile::WriteString(path, "Data", "LastRun", "2005\\13\\40 18:30");
    CIniFile::WriteString(path, "Advanced", "StopTimeout", "99999999");
    view.LoadFrom(path);
    EXPECT_EQ(view.lastRun, (CDateTime{1000, 1, 1, 1, 1, 0}));
    EXPECT_GT(view.stopTimeoutMs, 0);
}

TEST(SettingsFile, PathBesideTheExecutableOrTheOverride)
{
    CSettingsFile::SetOverridePath("");
    const char* oldEnv = std::getenv("SKERROW_INI");
    const std::string savedEnv = oldEnv ? oldEnv : "";
    ::unsetenv("SKERROW_INI");

    CSettingsFile settings;
    CSettingsFile::SetExecutablePath("/opt/tools.d/skerrow");
    EXPECT_EQ(settings.GetPath(".ini"), "/opt/tools.d/skerrow.ini");
    EXPECT_EQ(settings.CurrentPath(), "/opt/tools.d/skerrow.ini");
    CSettingsFile::SetExecutablePath("/opt/tools/skerrow.bin");
    EXPECT_EQ(settings.GetPath(".txt"), "/opt/tools/skerrow.txt");

    ::setenv("SKERROW_INI", "/tmp/from-env.conf", 1);
    EXPECT_EQ(settings.GetPath(".ini"), "/tmp/from-env.conf");
    CSettingsFile::SetOverridePath("/srv/my.dir/site.ini");
    EXPECT_EQ(settings.GetPath(".ini"), "/srv/my.dir/site.ini");
    EXPECT_EQ(settings.GetPath(".txt"), "/srv/my.dir/site.txt");

    // The readers and writers use the current file.
    test::CTempDir dir;
    CSettingsFile::SetOverridePath((dir.Path() / "s.ini").string());
    CSettingsFile fresh;
    EXPECT_TRUE(fresh.WriteUInt("Advanced", "Port", 4000000000u));
    EXPECT_TRUE(fresh.WriteInt("Configure", "UploadAllFiles", -1));
    EXPECT_EQ(fresh.ReadString("advanced", "port"), "4000000000");
    EXPECT_EQ(fresh.ReadInt("Configure", "UploadAllFiles", 0), -1);

    CSettingsFile::SetOverridePath("");
    CSettingsFile::SetExecutablePath("");
    if (oldEnv)
        ::setenv("SKERROW_INI", savedEnv.c_str(), 1);
    else
        ::unsetenv("SKERROW_INI");
}
