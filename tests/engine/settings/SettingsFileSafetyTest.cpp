// What the settings layer does with files a user may really have: one it cannot read, one shared
// with others (0644), one saved with a byte-order mark, numbers left empty.

#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sys/fsuid.h>
#include <sys/stat.h>
#include <unistd.h>

#include "settings/CIniFile.h"
#include "settings/CViewSettings.h"
#include "support/CTempDir.h"

using namespace skerrow;

namespace {

const std::string kStored = "[Configure]\nFTPURL=ftp.example.org\nUser=anna\nPWD=0033\n[Advanced]\nPort=2121\n";

bool IsReported(const std::string& path)
{
    for (const CIniFile::Unreadable& file : CIniFile::TakeUnreadableReports()) {
        if (file.path == path)
            return true;
    }
    return false;
}

// Reads as a user without rights to the file (root reads everything, so it borrows another file
// system identity for the calling thread).
template <class F>
auto ReadWithoutPermission(const std::string& path, F read)
{
    ::chmod(path.c_str(), 0);
    const bool root = ::geteuid() == 0;
    if (root)
        ::setfsuid(65534);
    auto result = read();
    if (root)
        ::setfsuid(0);
    ::chmod(path.c_str(), 0600);
    return result;
}

struct UnreadableCase {
    const char* name;
    // Makes the settings file at path unreadable for the first read, which it performs.
    std::function<std::string(const std::string& path)> firstRead;
    int code; // the reason recorded
};

} // namespace

TEST(SettingsFileSafety, AFileThatCannotBeReadIsNeverWritten)
{
    const auto readUser = [](const std::string& path) {
        return CIniFile::GetString(path, "Configure", "User", "<default>");
    };
    const UnreadableCase cases[] = {
        {"no permission",
         [&](const std::string& path) {
             std::ofstream(path) << kStored;
             return ReadWithoutPermission(path, [&] { return readUser(path); });
         },
         EACCES},
        {"FIFO",
         [&](const std::string& path) {
             EXPECT_EQ(::mkfifo(path.c_str(), 0600), 0);
             return readUser(path);
         },
         0},
        {"directory",
         [&](const std::string& path) {
             std::filesystem::create_directory(path);
             return readUser(path);
         },
         EISDIR},
    };
    for (const UnreadableCase& test : cases) {
        SCOPED_TRACE(test.name);
        test::CTempDir dir;
        const std::string path = (dir.Path() / "s.ini").string();
        EXPECT_EQ(test.firstRead(path), "<default>");
        const auto typeBefore = std::filesystem::symlink_status(path).type();

        // From now on the file is left alone, even where it could be read and written again.
        EXPECT_FALSE(CIniFile::WriteString(path, "Data", "LastRun", "2024\\05\\01 10:00"));
        EXPECT_EQ(CIniFile::LastError().kind, CIniFile::Error::kUnreadable);
        EXPECT_EQ(CIniFile::LastError().code, test.code);
        EXPECT_FALSE(CIniFile::WriteSection(path, "TextSuffices", {".txt=1"}));
        EXPECT_EQ(CIniFile::GetInt(path, "Advanced", "Port", 21), 21);
        EXPECT_EQ(std::filesystem::symlink_status(path).type(), typeBefore);
        if (typeBefore == std::filesystem::file_type::regular) {
            EXPECT_EQ(dir.ReadFile("s.ini"), kStored);
        }

        // Reported once, with the reason.
        const auto reports = CIniFile::TakeUnreadableReports();
        ASSERT_EQ(reports.size(), 1u);
        EXPECT_EQ(reports[0].path, path);
        EXPECT_EQ(reports[0].code, test.code);
        EXPECT_FALSE(IsReported(path));
    }
}

TEST(SettingsFileSafety, AnAbsentFileIsCreatedAndAFailedWriteSaysWhy)
{
    test::CTempDir dir;
    const std::string path = (dir.Path() / "new.ini").string();
    EXPECT_TRUE(CIniFile::WriteString(path, "Configure", "User", "anna"));
    EXPECT_FALSE(IsReported(path));

    EXPECT_FALSE(CIniFile::WriteString((dir.Path() / "gone" / "s.ini").string(), "A", "x", "1"));
    EXPECT_EQ(CIniFile::LastError().kind, CIniFile::Error::kSystem);
    EXPECT_EQ(CIniFile::LastError().code, ENOENT);
    EXPECT_FALSE(CIniFile::WriteString(path, "Configure", "User", "new/site\n"));
    EXPECT_EQ(CIniFile::LastError().kind, CIniFile::Error::kInvalidText);
    EXPECT_EQ(CIniFile::GetString(path, "Configure", "User", ""), "anna");
}

TEST(SettingsFileSafety, EveryWriteLeavesTheFilePrivate)
{
    const std::function<bool(const std::string&)> writes[] = {
        [](const std::string& path) { return CIniFile::WriteString(path, "Configure", "User", "bob"); },
        [](const std::string& path) { return CIniFile::WriteSection(path, "TextSuffices", {".txt=1"}); },
    };
    for (const mode_t before : {0644, 0666, 0604, 0400}) {
        for (const auto& write : writes) {
            test::CTempDir dir;
            const std::string path = dir.WriteFile("s.ini", kStored).string();
            ::chmod(path.c_str(), before);
            ASSERT_TRUE(write(path)) << std::oct << before;
            EXPECT_EQ(test::ModeOf(path), 0600u) << std::oct << before;
            EXPECT_EQ(CIniFile::GetString(path, "Configure", "FTPURL", ""), "ftp.example.org");
        }
    }
}

TEST(SettingsFileSafety, AByteOrderMarkIsAcceptedAndKept)
{
    test::CTempDir dir;
    const std::string path = dir.WriteFile("s.ini", "\xEF\xBB\xBF" + kStored).string();
    EXPECT_EQ(CIniFile::GetString(path, "Configure", "User", ""), "anna");
    ASSERT_TRUE(CIniFile::WriteString(path, "Configure", "User", "bob"));
    EXPECT_EQ(dir.ReadFile("s.ini"), "\xEF\xBB\xBF[Configure]\nFTPURL=ftp.example.org\nUser=bob\nPWD=0033\n"
                                     "[Advanced]\nPort=2121\n");
}

TEST(SettingsFileSafety, EmptyOrUnreadableNumbersGiveTheDefault)
{
    test::CTempDir dir;
    const struct {
        const char* stored;
        int expected;
    } cases[] = {{"", 21},    {"   ", 21}, {"abc", 21}, {"-", 21},     {"+", 21},
                 {"x12", 21}, {"0", 0},    {" -3", -3}, {"12abc", 12}, {"+7", 7}};
    for (const auto& test : cases) {
        const std::string path = dir.WriteFile("s.ini", std::string("[Advanced]\nPort=") + test.stored + "\n").string();
        EXPECT_EQ(CIniFile::GetInt(path, "Advanced", "Port", 21), test.expected) << "\"" << test.stored << "\"";
    }
}

TEST(SettingsFileSafety, TheLoaderKeepsErrorLimitAndStopTimeAtOneOrMore)
{
    test::CTempDir dir;
    const struct {
        const char* stored; // for both keys
        int maxErrors;
        int stopTimeoutMs;
    } cases[] = {{"", 32000, 3000}, {"abc", 32000, 3000}, {"0", 1, 1000},
                 {"-5", 1, 1000},   {"7", 7, 7000},       {"-2147483648", 1, 1000}};
    for (const auto& test : cases) {
        const std::string path =
            dir.WriteFile("s.ini", std::string("[Advanced]\nPort=\nMaxErrors=") + test.stored + "\nStopTimeout=" +
                                       test.stored + "\n")
                .string();
        CViewSettings view;
        view.LoadFrom(path);
        EXPECT_EQ(view.maxErrors, test.maxErrors) << "\"" << test.stored << "\"";
        EXPECT_EQ(view.stopTimeoutMs, test.stopTimeoutMs) << "\"" << test.stored << "\"";
        EXPECT_EQ(view.port, 0);
    }
}
