// Directory listings as real servers send them: recorded listings of several server kinds read line
// by line, and MLSD and MS-DOS style listings read from running servers, where a name that is no
// entry of the listed directory never comes through.

#include <gtest/gtest.h>

#include "discovery/CTreeDelDirWalk.h"
#include "ftp/CFtpListParser.h"
#include "support/CFtpTestBench.h"
#include "support/RowNames.h"

namespace skerrow {
namespace {

using test::CFtpTestBench;
using test::CTempDir;
using test::FtpServerKind;

struct Entry {
    std::string name;
    bool directory;
    uint64_t size;
    bool operator==(const Entry&) const = default;
};

std::ostream& operator<<(std::ostream& out, const Entry& e)
{
    return out << "{" << e.name << (e.directory ? " dir " : " file ") << e.size << "}";
}

std::vector<Entry> Entries(const std::vector<CFindRecord>& records)
{
    std::vector<Entry> entries;
    for (const CFindRecord& record : records)
        entries.push_back({record.name, record.IsDirectory(), record.size});
    return entries;
}

struct Recorded {
    const char* server;
    bool mlsd;
    const char* listing;
    std::vector<Entry> expected;
};

TEST(FtpListParser, RecordedListingsOfSeveralServerKinds)
{
    const Recorded cases[] = {
        {"vsftpd", false,
         "drwxr-xr-x    2 1000     1000         4096 Mar 03 09:15 img\r\n"
         "-rw-r--r--    1 1000     1000        12345 Dec 24  2019 index.html\r\n",
         {{"img", true, 4096}, {"index.html", false, 12345}}},
        {"proftpd", false,
         "total 8\r\n"
         "drwxr-xr-x   3 web      www          4096 Jan  5 10:00 my site\r\n"
         "lrwxrwxrwx   1 web      www             9 Jan  5 10:00 current -> releases/\r\n",
         {{"my site", true, 4096}, {"current", false, 9}}},
        {"busybox, no group", false, "-rw-r--r--    1 ftp        77 Jul 04 2021 a.txt\n", {{"a.txt", false, 77}}},
        {"IIS, two-digit year", false,
         "02-08-21  02:51PM       <DIR>          aspnet_client\r\n"
         "02-08-21  02:51PM                  689 iisstart.htm\r\n"
         "12-31-99  12:00AM              1,234,567 big file.zip\r\n",
         {{"aspnet_client", true, 0}, {"iisstart.htm", false, 689}, {"big file.zip", false, 1234567}}},
        {"IIS, four-digit year and 24-hour clock", false,
         "2021-02-08  14:51       <DIR>          Logs\r\n"
         "02-08-2021  23:59                    0 empty.txt\r\n",
         {{"Logs", true, 0}, {"empty.txt", false, 0}}},
        {"pure-ftpd MLSD", true,
         "type=cdir;sizd=4096;modify=20210208145100;UNIX.mode=0755; .\r\n"
         "type=pdir;sizd=4096;modify=20210208145100;UNIX.mode=0755; ..\r\n"
         "type=file;size=42;modify=20210208145100;UNIX.mode=0644; semi;colon=name.txt\r\n"
         "type=dir;sizd=4096;modify=20210208145100;UNIX.mode=0755;  leading blank\r\n",
         {{"semi;colon=name.txt", false, 42}, {" leading blank", true, 0}}},
        {"proftpd MLSD", true,
         "modify=20200101120000;perm=adfrw;size=5;type=file;unique=FD01U1;UNIX.group=33; -rw-r--r-- 1 looks unix\n"
         "Type=DIR;Modify=20200101120000; 01-01-20 looks dos\n"
         "type=OS.unix=slink:/etc;modify=20200101120000; link\n",
         {{"-rw-r--r-- 1 looks unix", false, 5}, {"01-01-20 looks dos", true, 0}, {"link", false, 0}}},
    };
    for (const Recorded& c : cases) {
        const std::vector<CFindRecord> records = CFtpListParser::ParseListing(c.listing, c.mlsd);
        EXPECT_EQ(Entries(records), c.expected) << c.server;
        for (const CFindRecord& record : records)
            EXPECT_FALSE(record.forged) << c.server << ": " << record.name;
    }

    // Lines of no known style name nothing.
    for (const char* line : {"13-01-20  11:05PM  5 bad-month", "01-01-20  25:00  5 bad-hour",
                             "01-01-20  11:05PM  5x bad-size", "01-01-20  11:05PM  <DIR>", "total 0"}) {
        CFindRecord record;
        EXPECT_FALSE(CFtpListParser::ParseLine(line, record)) << line;
    }
    CFindRecord record;
    ASSERT_TRUE(CFtpListParser::ParseLine("01-02-20  12:30AM  10 a", record));
    EXPECT_EQ(record.lastWriteTime, 1577925000); // 2020-01-02 00:30
}

// What a walk needs of each entry: whether it is a link, and its unique fact.
std::vector<std::string> Links(const std::vector<CFindRecord>& records)
{
    std::vector<std::string> links;
    for (const CFindRecord& record : records)
        links.push_back(record.name + (record.link ? " link " : " ") + record.unique);
    return links;
}

TEST(FtpListParser, LinksUniqueFactsAndAnMlsdDirectoryThatListDoesNotShowAsOne)
{
    EXPECT_EQ(Links(CFtpListParser::ParseListing("type=OS.unix=slink:/etc;unique=801g2; etc\n"
                                                 "type=OS.unix=symlink; up\ntype=dir;UNIQUE=FD01U1; d\n",
                                                 true)),
              (std::vector<std::string>{"etc link 801g2", "up link ", "d FD01U1"}));
    EXPECT_EQ(CFtpListParser::MlstUnique("250-Listing /www\n type=dir;unique=fe00g1; /www\n250 End.\n"), "fe00g1");

    // LIST shows a as a directory, b and e as links, c as a file and d not at all.
    std::vector<CFindRecord> mlsd =
        CFtpListParser::ParseListing("type=dir; a\ntype=dir; b\ntype=dir; c\ntype=dir; d\ntype=file; e\n", true);
    CFtpListParser::MarkLinks(mlsd, CFtpListParser::ParseListing("drwx------ 1 u g 1 Jan 01 2020 a\n"
                                                                 "lrwx------ 1 u g 1 Jan 01 2020 b -> x\n"
                                                                 "-rwx------ 1 u g 1 Jan 01 2020 c\n"
                                                                 "lrwx------ 1 u g 1 Jan 01 2020 e -> f\n"));
    EXPECT_EQ(Links(mlsd), (std::vector<std::string>{"a ", "b link ", "c link ", "d link ", "e link "}));
}

// What a name with a line end in it leaves in a listing: the entries around it are marked forged.
TEST(FtpListParser, EntriesAroundANameWithALineEndAreMarkedForged)
{
    const std::string d = "drwxr-xr-x 2 u u 4096 Jan 01 12:00 ";
    const std::string f = "-rw-r--r-- 1 u u 1 Jan 01 12:00 ";
    const std::string l = "lrwxrwxrwx 1 u u 9 Jan 01 12:00 ";
    struct Case {
        const char* what;
        bool mlsd;
        std::string listing;
        std::vector<std::string> forged;
    };
    const Case cases[] = {
        {"CR LF in a name, beside the link", false, f + "a\r\n" + d + "lnk\r\n" + l + "lnk -> ../out\r\n", {"lnk", "lnk"}},
        {"the same over SFTP (LF lines)", false, f + "a\r\n" + d + "lnk\n" + l + "lnk -> ../out\n", {"a", "lnk", "lnk"}},
        {"LF alone in a name", false, f + "a\n" + d + "sub\r\n" + f + "b\r\n", {"a", "sub"}},
        {"a line that names nothing", false, "total 8\r\n" + d + "sub\r\nno entry\r\n" + f + "b\r\n" + f + "c\r\n",
         {"sub", "b"}},
        {"CR inside a line", false, f + "a\r" + d + "x\r\n" + f + "b\r\n", {"a\r" + d + "x"}},
        {"a directory named as a link", false, d + "lnk -> z\r\n" + l + "lnk -> z -> ../out\r\n", {"lnk -> z"}},
        {"MLSD", true, "type=file; a\r\ntype=dir; lnk\r\ntype=dir; lnk\r\n", {"lnk", "lnk"}},
        {"MLSD, a line without facts", true, "type=file; a\r\n" + d + "lnk\r\ntype=dir; sub\r\n", {"a", "sub"}},
    };
    for (const Case& c : cases) {
        std::vector<std::string> forged;
        for (const CFindRecord& record : CFtpListParser::ParseListing(c.listing, c.mlsd)) {
            if (record.forged)
                forged.push_back(record.name);
        }
        EXPECT_EQ(forged, c.forged) << c.what;
    }
    // MLSD shows the link as a directory: LIST's lines of that name make it a link, and forged.
    std::vector<CFindRecord> mlsd = CFtpListParser::ParseListing("type=dir; lnk\r\n", true);
    CFtpListParser::MarkLinks(mlsd, CFtpListParser::ParseListing(cases[0].listing));
    EXPECT_TRUE(mlsd.at(0).link && mlsd.at(0).forged);
}

// A misbehaving server with the given listing options, serving t/ok.txt and t/sub/in.txt.
std::unique_ptr<CFtpTestBench> ListingBench(const std::vector<std::string>& options)
{
    return std::make_unique<CFtpTestBench>(FtpServerKind::Misbehaving, [options](CTempDir& served) {
        served.WriteFile("t/ok.txt", "ok");
        served.WriteFile("t/sub/in.txt", "in");
        return options;
    });
}

TEST(FtpListing, TreeOfEveryListingStyleHoldsOnlyEntriesOfTheWalkedDirectory)
{
    for (const auto& options : {std::vector<std::string>{"--bad-list", "--dos-list"},
                                std::vector<std::string>{"--bad-list", "--mlsd"},
                                std::vector<std::string>{"--bad-list"}}) {
        auto bench = ListingBench(options);
        ASSERT_TRUE(bench->Ready()) << bench->Skip();
        ASSERT_TRUE(bench->Open());
        std::vector<std::string> log;
        bench->Connection().SetLogCallback([&log](const std::string& line) { log.push_back(line); });
        CTreeDelDirWalk walk;
        walk.Setup(&bench->List());
        ASSERT_TRUE(walk.Walk(&bench->Connection(), "/t", "*"));
        EXPECT_EQ(test::RowNames(bench->List()), (std::vector<std::string>{"/t/ok.txt", "/t/sub/in.txt", "/t/sub/"}))
            << options.back();
        const bool mlsd = options.back() == "--mlsd";
        EXPECT_EQ(std::count(log.begin(), log.end(), "> MLSD"), mlsd ? 2 : 0) << options.back();
        EXPECT_EQ(std::count(log.begin(), log.end(), "> FEAT"), 1) << options.back();
    }
}

TEST(FtpListing, PyftpdlibListsWithMlsdExactNamesAndSizes)
{
    CFtpTestBench bench(FtpServerKind::Pyftpdlib, [](CTempDir& served) {
        served.WriteFile("d/ two  spaces.txt", "12345");
        served.WriteFile("d/Jan 01 2020 x", "1");
        served.WriteFile("d/01-01-20  11:05PM 7 y", "12");
        served.MakeDir("d/type=dir; z");
        return std::vector<std::string>{};
    });
    ASSERT_TRUE(bench.Ready()) << bench.Skip();
    ASSERT_TRUE(bench.Open());
    std::vector<std::string> log;
    bench.Connection().SetLogCallback([&log](const std::string& line) { log.push_back(line); });
    ASSERT_TRUE(bench.Connection().SetCurrentDirectory("/d"));
    std::vector<CFindRecord> records;
    ASSERT_TRUE(bench.Connection().List("*", records));
    std::vector<Entry> entries = Entries(records);
    std::sort(entries.begin(), entries.end(), [](const Entry& a, const Entry& b) { return a.name < b.name; });
    EXPECT_EQ(entries, (std::vector<Entry>{{" two  spaces.txt", false, 5},
                                           {"01-01-20  11:05PM 7 y", false, 2},
                                           {"Jan 01 2020 x", false, 1},
                                           {"type=dir; z", true, entries.size() == 4 ? entries[3].size : 0}}));
    EXPECT_NE(std::find(log.begin(), log.end(), "> MLSD"), log.end());
}

} // namespace
} // namespace skerrow
