#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <ctime>
#include <dirent.h>
#include <fcntl.h>
#include <filesystem>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "discovery/CUploadDirWalk.h"
#include "support/CTempDir.h"
#include "support/CScopedZone.h"
#include "list/CTransferList.h"
#include "list/RowWord.h"
#include "support/RowNames.h"

using namespace skerrow;
using test::RowNames;
using test::Sorted;
namespace fs = std::filesystem;

namespace {

// Records every call of the walk, in order.
class CRecordingWalk : public CDirWalk {
public:
    std::vector<std::string> events;

protected:
    void OnFileFound(const FindRecord& record, const std::string& directory) override
    {
        events.push_back("found " + directory + "|" + std::string(record.name) + (record.isDirectory ? "/" : ""));
    }
    void OnEnterDirectory(const std::string& name) override { events.push_back("enter " + name); }
    void OnLeaveDirectory(const std::string& name) override { events.push_back("leave " + name); }
};

// The entry names of a directory in the order the system lists them.
std::vector<std::string> Listing(const std::string& dir)
{
    std::vector<std::string> names;
    DIR* handle = ::opendir(dir.c_str());
    while (const dirent* entry = ::readdir(handle)) {
        const std::string name = entry->d_name;
        if (name != "." && name != "..")
            names.push_back(name);
    }
    ::closedir(handle);
    return names;
}

// What the walk must report below dir: every entry first, then each sub-directory in turn.
void ExpectedEvents(const std::string& dir, std::vector<std::string>& events)
{
    const std::vector<std::string> names = Listing(dir);
    for (const std::string& name : names)
        events.push_back("found " + dir + "|" + name + (fs::is_directory(dir + "/" + name) ? "/" : ""));
    for (const std::string& name : names) {
        if (!fs::is_directory(dir + "/" + name))
            continue;
        events.push_back("enter " + name);
        ExpectedEvents(dir + "/" + name, events);
        events.push_back("leave " + name);
    }
}

void SetModified(const fs::path& path, std::time_t when)
{
    const timespec times[2] = {{when, 0}, {when, 0}};
    ASSERT_EQ(::utimensat(AT_FDCWD, path.c_str(), times, AT_SYMLINK_NOFOLLOW), 0);
}


// A small web site: files at the root, nested directories, underscore directories, a hidden file.
void MakeSite(test::CTempDir& dir)
{
    dir.WriteFile("site/index.html", "<html>");
    dir.WriteFile("site/.htaccess", "x");
    dir.MakeFileOfSize("site/empty.txt", 0);
    dir.MakeFileOfSize("site/img/a.png", 1023);
    dir.MakeFileOfSize("site/img/small/b.gif", 1024);
    dir.WriteFile("site/_private/secret.txt", "s");
    dir.WriteFile("site/_private/pub/open.txt", "o");
    dir.WriteFile("site/_vti_cnf/index.html", "v");
    dir.WriteFile("site/_vti_cnf/sub/deep.html", "d");
    dir.MakeDir("site/emptydir/inner");
}

} // namespace

TEST(DirWalk, ReportsEachDirectoryThenDescendsInListingOrder)
{
    test::CTempDir dir;
    MakeSite(dir);
    const std::string root = (dir.Path() / "site").string();

    CRecordingWalk walk;
    ASSERT_TRUE(walk.Walk(root + "/", "*.*"));
    std::vector<std::string> expected;
    ExpectedEvents(root, expected);
    EXPECT_EQ(walk.events, expected);

    // Another pattern reports fewer entries but still enters every sub-directory.
    CRecordingWalk htmlOnly;
    ASSERT_TRUE(htmlOnly.Walk(root, "*.HTML"));
    std::vector<std::string> found, entered;
    for (const std::string& event : htmlOnly.events)
        (event.rfind("found ", 0) == 0 ? found : entered).push_back(event);
    EXPECT_EQ(Sorted(found), Sorted({"found " + root + "|index.html", "found " + root + "/_vti_cnf|index.html",
                                     "found " + root + "/_vti_cnf/sub|deep.html"}));
    EXPECT_EQ(entered.size(), 2u * 8u); // enter and leave for each of the eight directories

    CRecordingWalk missing;
    EXPECT_FALSE(missing.Walk(root + "/nowhere", "*.*"));
    EXPECT_TRUE(missing.events.empty());
}

TEST(UploadDirWalk, RowsNamesSizesAndUnderscoreDirectories)
{
    test::CTempDir dir;
    MakeSite(dir);
    const std::string root = (dir.Path() / "site").string();
    CTransferList list;
    list.Insert(0, kKindPcFile, "stale row", "1");
    list.DeleteAll();

    CUploadDirWalk walk;
    walk.Setup(&list, root + "/", true);
    ASSERT_TRUE(walk.Walk(root + "/", "*.*"));
    const std::vector<std::string> names = RowNames(list);
    EXPECT_EQ(Sorted(names), Sorted({"index.html", ".htaccess", "empty.txt", "/img/a.png", "/img/small/b.gif",
                                     "/_private/pub/open.txt", "/_vti_cnf/sub/deep.html"}));
    EXPECT_EQ(walk.RowCount(), names.size());
    // The root's own files come first, and a directory's files before those of its sub-directories.
    for (size_t i = 0; i < 3; ++i)
        EXPECT_EQ(names[i].find('/'), std::string::npos) << names[i];
    const auto at = [&names](const std::string& name) { return std::find(names.begin(), names.end(), name); };
    EXPECT_LT(at("/img/a.png"), at("/img/small/b.gif"));

    for (const CTransferRow& row : list.Snapshot()) {
        EXPECT_EQ(row.word, kKindPcFile);
        EXPECT_EQ(row.error, "");
        if (row.name == "empty.txt" || row.name == "/img/a.png") {
            EXPECT_EQ(row.size, "1") << row.name;
        }
        if (row.name == "/img/small/b.gif") {
            EXPECT_EQ(row.size, "2");
        }
    }

    // A root whose own name begins with "_" gives none of its own files.
    CTransferList underscored;
    dir.WriteFile("_web/top.html", "t");
    dir.WriteFile("_web/sub/inner.html", "i");
    CUploadDirWalk second;
    second.Setup(&underscored, (dir.Path() / "_web").string(), true);
    ASSERT_TRUE(second.Walk((dir.Path() / "_web").string(), "*.*"));
    EXPECT_EQ(RowNames(underscored), std::vector<std::string>{"/sub/inner.html"});
}

TEST(UploadDirWalk, LastUploadThresholdInLocalTime)
{
    test::CScopedZone paris("Europe/Paris");
    test::CTempDir dir;
    const auto at = [&dir](const std::string& name, std::time_t when) {
        SetModified(dir.WriteFile("site/" + name, name), when);
    };
    // Last upload 2024-07-10 12:00 in Paris, summer time: 10:00 UTC.
    at("after.html", test::UtcSeconds(2024, 7, 10, 10, 30));
    at("before.html", test::UtcSeconds(2024, 7, 10, 9, 59));
    at("same-second.html", test::UtcSeconds(2024, 7, 10, 10, 0, 0));
    at("one-second-older.html", test::UtcSeconds(2024, 7, 10, 9, 59, 59));
    at("_old/x.html", test::UtcSeconds(2024, 7, 10, 11, 0));
    at("old/_new/y.html", test::UtcSeconds(2024, 7, 10, 11, 0));

    CTransferList list;
    CUploadDirWalk walk;
    walk.Setup(&list, (dir.Path() / "site").string(), false);
    walk.m_lastUpload = CDateTime{2024, 7, 10, 12, 0, 0};
    ASSERT_TRUE(walk.Walk((dir.Path() / "site").string(), "*.*"));
    EXPECT_EQ(Sorted(RowNames(list)), Sorted({"after.html", "same-second.html"}));

    // Every file, whatever its date, when all files are wanted; still no underscore directories.
    CTransferList all;
    walk.Setup(&all, (dir.Path() / "site").string(), true);
    ASSERT_TRUE(walk.Walk((dir.Path() / "site").string(), "*.*"));
    EXPECT_EQ(Sorted(RowNames(all)), Sorted({"after.html", "before.html", "same-second.html", "one-second-older.html"}));

    // The default last run lets every file through.
    CTransferList fromDefault;
    walk.Setup(&fromDefault, (dir.Path() / "site").string(), false);
    walk.m_lastUpload = CDateTime{1000, 1, 1, 1, 1, 0};
    ASSERT_TRUE(walk.Walk((dir.Path() / "site").string(), "*.*"));
    EXPECT_EQ(fromDefault.Count(), 4u);
}

TEST(UploadDirWalk, LinksAreFollowedWithoutLooping)
{
    test::CTempDir dir;
    dir.WriteFile("site/page.html", "p");
    dir.MakeFileOfSize("elsewhere/big.bin", 5000);
    dir.WriteFile("shared/common.css", "c");
    fs::create_symlink(dir.Path() / "elsewhere/big.bin", dir.Path() / "site/linked.bin");
    fs::create_symlink(dir.Path() / "shared", dir.Path() / "site/css");
    fs::create_symlink("..", dir.Path() / "site/css/up"); // shared/up -> the parent of shared
    fs::create_symlink(dir.Path() / "site", dir.Path() / "site/self");
    fs::create_symlink(dir.Path() / "gone", dir.Path() / "site/dangling");

    CTransferList list;
    CUploadDirWalk walk;
    walk.Setup(&list, (dir.Path() / "site").string(), true);
    ASSERT_TRUE(walk.Walk((dir.Path() / "site").string(), "*.*"));
    const std::vector<std::string> names = RowNames(list);
    EXPECT_TRUE(std::find(names.begin(), names.end(), "/css/common.css") != names.end());
    EXPECT_TRUE(std::find(names.begin(), names.end(), "page.html") != names.end());
    std::string linkedSize;
    for (const CTransferRow& row : list.Snapshot()) {
        if (row.name == "linked.bin")
            linkedSize = row.size;
    }
    EXPECT_EQ(linkedSize, "5"); // the target's size
    // css/up is the temporary directory (outside the site): it is entered, but site and shared,
    // already walked, are not entered again; site/self leads inside the site and is left out.
    for (const std::string& name : names) {
        EXPECT_EQ(name.find("/self/"), std::string::npos) << name;
        EXPECT_EQ(name.find("/up/site/"), std::string::npos) << name;
    }
    EXPECT_TRUE(std::find(names.begin(), names.end(), "/css/up/elsewhere/big.bin") != names.end());
    EXPECT_EQ(names.size(), 4u);
}

TEST(UploadDirWalk, UnreadableDirectoryIsSkipped)
{
    test::CTempDir dir;
    dir.WriteFile("site/a/before.html", "a");
    dir.WriteFile("site/b/hidden.html", "b");
    dir.WriteFile("site/c/after.html", "c");
    ::chmod(dir.Path().c_str(), 0755);
    ::chmod((dir.Path() / "site/b").c_str(), 0);

    const auto walkFindsTheOthers = [&dir]() {
        CTransferList list;
        CUploadDirWalk walk;
        walk.Setup(&list, (dir.Path() / "site").string(), true);
        return walk.Walk((dir.Path() / "site").string(), "*.*")
               && Sorted(RowNames(list)) == Sorted({"/a/before.html", "/c/after.html"});
    };
    if (::geteuid() != 0) {
        EXPECT_TRUE(walkFindsTheOthers());
        return;
    }
    // The superuser reads every directory: walk as an ordinary user in a child process.
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        if (::setgid(65534) != 0 || ::setuid(65534) != 0)
            ::_exit(2);
        ::_exit(walkFindsTheOthers() ? 0 : 1);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
}

TEST(UploadDirWalk, EveryFileWantedEvenWhenTheLastRunIsLaterThanEveryFile)
{
    test::CTempDir dir;
    MakeSite(dir);
    const std::string root = (dir.Path() / "site").string();
    // The files were written just now; the last run is two days ahead of them.
    const CDateTime lastRun = CDateTime::FromUtc(std::time(nullptr) + 2 * 24 * 3600);
    const std::vector<std::string> everyFile{"index.html", ".htaccess", "empty.txt", "/img/a.png",
                                             "/img/small/b.gif", "/_private/pub/open.txt",
                                             "/_vti_cnf/sub/deep.html"};
    for (const bool uploadAll : {true, false}) {
        CTransferList list;
        CUploadDirWalk walk;
        walk.Setup(&list, root, uploadAll);
        walk.m_lastUpload = lastRun;
        ASSERT_TRUE(walk.Walk(root, "*.*"));
        EXPECT_EQ(Sorted(RowNames(list)), uploadAll ? Sorted(everyFile) : std::vector<std::string>{})
            << "upload all: " << uploadAll;
    }
}

// Folders deeper than the system's longest path cannot be opened by their path: the walk names
// them instead of leaving their files out in silence. The chain is made and removed through
// directory handles, as no path reaches its bottom.
TEST(UploadDirWalk, FoldersBeyondTheLongestPathAreReported)
{
    test::CTempDir root;
    const std::string part(250, 'd');
    constexpr int kLevels = 18; // 18 * 251 bytes: past the 4096 of PATH_MAX
    int fd = ::open(root.Str().c_str(), O_RDONLY | O_DIRECTORY);
    for (int level = 0; level < kLevels && fd >= 0; ++level) {
        ASSERT_EQ(::mkdirat(fd, part.c_str(), 0700), 0);
        const int next = ::openat(fd, part.c_str(), O_RDONLY | O_DIRECTORY);
        ::close(fd);
        fd = next;
    }
    ASSERT_GE(fd, 0);
    const int file = ::openat(fd, "deep.htm", O_WRONLY | O_CREAT, 0600);
    ::close(file);
    CTransferList list;
    CUploadDirWalk walk;
    walk.Setup(&list, root.Str(), true);
    walk.Walk(root.Str(), "*.*");
    EXPECT_FALSE(walk.TooLong().empty());
    EXPECT_EQ(list.Count(), 0u);
    // Back up the chain, removing each level from its parent's handle.
    ::unlinkat(fd, "deep.htm", 0);
    for (int level = 0; level < kLevels; ++level) {
        const int parent = ::openat(fd, "..", O_RDONLY | O_DIRECTORY);
        ::close(fd);
        fd = parent;
        ::unlinkat(fd, part.c_str(), AT_REMOVEDIR);
    }
    ::close(fd);
}
