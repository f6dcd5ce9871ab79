#include <gtest/gtest.h>

#include <cerrno>
#include <csignal>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "settings/CIniFile.h"
#include "support/CTempDir.h"

using namespace skerrow;

namespace {

size_t FileCount(const std::filesystem::path& dir)
{
    size_t count = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(dir))
        ++count;
    return count;
}

// n characters that never repeat within 62, so a cut or a shifted copy never compares equal.
std::string LongValue(size_t n)
{
    static const char kAlphabet[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    std::string value(n, ' ');
    for (size_t i = 0; i < n; ++i)
        value[i] = kAlphabet[(i * 7 + i / 62) % 62];
    return value;
}

// A forked child that is killed and reaped when the test leaves, whichever way it leaves: a failed
// assertion returns at once and must not leave the child running.
class CKilledChild {
public:
    explicit CKilledChild(pid_t pid) : m_pid(pid) {}
    ~CKilledChild() { KillAndReap(); }
    CKilledChild(const CKilledChild&) = delete;
    CKilledChild& operator=(const CKilledChild&) = delete;

    // Kills the child (once) and returns its wait status.
    int KillAndReap()
    {
        if (m_pid > 0) {
            ::kill(m_pid, SIGKILL);
            while (::waitpid(m_pid, &m_status, 0) < 0 && errno == EINTR) {
            }
            m_pid = -1;
        }
        return m_status;
    }

private:
    pid_t m_pid;
    int m_status = 0;
};

} // namespace

TEST(IniFile, MissingFileGivesDefaultsAndKeysMatchWithoutCase)
{
    test::CTempDir dir;
    const std::string missing = (dir.Path() / "none.ini").string();
    EXPECT_EQ(CIniFile::GetInt(missing, "Advanced", "Port", 21), 21);
    EXPECT_EQ(CIniFile::GetString(missing, "Configure", "User", "dflt"), "dflt");
    EXPECT_TRUE(CIniFile::GetSection(missing, "TextSuffices").empty());

    const std::string path = dir.WriteFile("s.ini", "; settings\n[configure]\n  user = bob \n; keep me\n\n"
                                                    "[ADVANCED]\nport=  -42x\nlong=" + std::string(200, 'v') + "\n")
                                 .string();
    EXPECT_EQ(CIniFile::GetString(path, "Configure", "USER", ""), "bob");
    EXPECT_EQ(CIniFile::GetInt(path, "advanced", "Port", 0), -42);
    EXPECT_EQ(CIniFile::GetString(path, "Advanced", "Long", ""), std::string(200, 'v')); // no cut at 63
    EXPECT_EQ(CIniFile::GetInt(path, "Advanced", "Other", 7), 7);

    // Replacing one key keeps every other line, comment and the order; a new key joins its section.
    ASSERT_TRUE(CIniFile::WriteString(path, "CONFIGURE", "User", "alice"));
    ASSERT_TRUE(CIniFile::WriteString(path, "Configure", "PCDir", "/home/web"));
    ASSERT_TRUE(CIniFile::WriteString(path, "Data", "LastRun", "2005\\03\\14 09:05"));
    EXPECT_EQ(dir.ReadFile("s.ini"), "; settings\n[configure]\n  user =alice\n; keep me\nPCDir=/home/web\n\n"
                                     "[ADVANCED]\nport=  -42x\nlong=" + std::string(200, 'v') + "\n\n"
                                     "[Data]\nLastRun=2005\\03\\14 09:05\n");
    EXPECT_EQ(CIniFile::GetString(path, "configure", "user", ""), "alice");

    // A value with a line break would turn into a line of its own: refused, the file untouched.
    const std::string before = dir.ReadFile("s.ini");
    EXPECT_FALSE(CIniFile::WriteString(path, "Configure", "User", "x\n[Advanced]"));
    EXPECT_FALSE(CIniFile::WriteString(path, "Configure", "a=b", "x"));
    EXPECT_EQ(dir.ReadFile("s.ini"), before);
}

TEST(IniFile, LongValuesAreReadAndWrittenWhole)
{
    const std::vector<size_t> lengths{255, 256, 257, 1023, 1024, 1025, 4097, 70000};
    test::CTempDir dir;
    std::string text = "[Long]\n";
    for (size_t n : lengths)
        text += "k" + std::to_string(n) + "=" + LongValue(n) + "\n";
    const std::string byHand = dir.WriteFile("hand.ini", text).string();
    const std::string written = (dir.Path() / "written.ini").string();
    for (size_t n : lengths)
        ASSERT_TRUE(CIniFile::WriteString(written, "Long", "k" + std::to_string(n), LongValue(n)));
    EXPECT_EQ(dir.ReadFile("written.ini"), text);

    for (const std::string& path : {byHand, written}) {
        const std::vector<std::string> section = CIniFile::GetSection(path, "long");
        ASSERT_EQ(section.size(), lengths.size());
        for (size_t i = 0; i < lengths.size(); ++i) {
            const std::string key = "k" + std::to_string(lengths[i]);
            EXPECT_EQ(CIniFile::GetString(path, "Long", key, ""), LongValue(lengths[i])) << key;
            EXPECT_EQ(section[i], key + "=" + LongValue(lengths[i])) << key;
        }
    }
}

TEST(IniFile, SectionBufferBehavesLikeThePlatformCall)
{
    test::CTempDir dir;
    const std::string path = dir.WriteFile("s.ini", "[S]\na = 1\nbb=2\n[Empty]\n").string();
    char buffer[32];
    std::memset(buffer, 'X', sizeof buffer);
    ASSERT_EQ(CIniFile::GetSectionBuffer(path, "s", buffer, sizeof buffer), 9u);
    EXPECT_EQ(std::string(buffer, 10), std::string("a=1\0bb=2\0\0", 10));

    // Too small: the last string is cut, two NULs follow, the result is size - 2.
    std::memset(buffer, 'X', sizeof buffer);
    ASSERT_EQ(CIniFile::GetSectionBuffer(path, "S", buffer, 7), 5u);
    EXPECT_EQ(std::string(buffer, 7), std::string("a=1\0b\0\0", 7));
    EXPECT_EQ(buffer[7], 'X');

    EXPECT_EQ(CIniFile::GetSectionBuffer(path, "Empty", buffer, sizeof buffer), 0u);
    EXPECT_EQ(CIniFile::GetSectionBuffer(path, "Absent", buffer, sizeof buffer), 0u);
    EXPECT_EQ(buffer[0], '\0');

    // A whole section written replaces the old lines and nothing else.
    ASSERT_TRUE(CIniFile::WriteSection(path, "S", {".txt=1", ".log=1"}));
    EXPECT_EQ(CIniFile::GetSection(path, "s"), (std::vector<std::string>{".txt=1", ".log=1"}));
    EXPECT_EQ(dir.ReadFile("s.ini"), "[S]\n.txt=1\n.log=1\n[Empty]\n");
}

TEST(IniFile, WritesAreAtomicWithPrivateMode)
{
    test::CTempDir dir;
    const std::filesystem::path path = dir.Path() / "new.ini";
    ASSERT_TRUE(CIniFile::WriteString(path.string(), "Configure", "PWD", "0033"));
    EXPECT_EQ(test::ModeOf(path), 0600u);
    EXPECT_EQ(FileCount(dir.Path()), 1u); // no temporary file left behind

    // A file shared before, and a failed write: SettingsFileSafetyTest.
}

TEST(IniFile, KilledWriterNeverLeavesAHalfWrittenFile)
{
    test::CTempDir dir;
    const std::string path = (dir.Path() / "s.ini").string();
    const std::string valueA(50000, 'a'), valueB(50000, 'b');
    ASSERT_TRUE(CIniFile::WriteString(path, "Data", "Value", valueA));

    int ready[2];
    ASSERT_EQ(::pipe(ready), 0);
    const pid_t pid = ::fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
        ::close(ready[0]);
        for (unsigned round = 0;; ++round) {
            CIniFile::WriteString(path, "Data", "Value", round % 2 ? valueA : valueB);
            if (round == 1)
                (void)!::write(ready[1], "x", 1);
        }
    }
    CKilledChild child(pid);
    ::close(ready[1]);
    char byte = 0;
    ASSERT_EQ(::read(ready[0], &byte, 1), 1); // the writer is busy writing
    ::close(ready[0]);

    for (int i = 0; i < 200; ++i) {
        const std::string value = CIniFile::GetString(path, "Data", "Value", "");
        ASSERT_TRUE(value == valueA || value == valueB) << "read " << value.size() << " characters";
    }
    ASSERT_TRUE(WIFSIGNALED(child.KillAndReap()));
    const std::string last = CIniFile::GetString(path, "Data", "Value", "");
    EXPECT_TRUE(last == valueA || last == valueB);
}
