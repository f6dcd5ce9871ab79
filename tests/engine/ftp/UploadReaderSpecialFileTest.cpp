// The upload reader sends regular files only: a pipe, a socket or a device (also behind a link)
// fails at once with its own code instead of blocking or streaming without end.

#include <gtest/gtest.h>

#include <fcntl.h>
#include <filesystem>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

#include "transfer/CFTPTransfer.h"
#include "ftp/CFtpConnection.h"
#include "ftp/CFtpUploadReader.h"
#include "ftp/CInternetError.h"
#include "support/CFtpTestBench.h"
#include "support/CTempDir.h"
#include "list/RowWord.h"

using namespace skerrow;
namespace fs = std::filesystem;

TEST(UploadReaderSpecialFile, OnlyRegularFilesOpen)
{
    test::CTempDir dir;
    const fs::path pipe = dir.Path() / "pipe.html";
    ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
    // Holding the pipe open for both ends, with bytes in it, keeps an unguarded open from blocking.
    const int pipeEnds = ::open(pipe.c_str(), O_RDWR | O_NONBLOCK);
    ASSERT_GE(pipeEnds, 0);
    ASSERT_EQ(::write(pipeEnds, "abc", 3), 3);

    const fs::path socketPath = dir.MakeSocket("sock");
    ASSERT_FALSE(socketPath.empty());

    fs::create_symlink("/dev/zero", dir.Path() / "x.txt");
    fs::create_symlink("pipe.html", dir.Path() / "pipe-link.html");
    const fs::path regular = dir.WriteFile("page.html", "<html>\r\n");

    const struct {
        fs::path path;
        int code;
    } cases[] = {
        {pipe, kErrorNotRegularFile},
        {dir.Path() / "pipe-link.html", kErrorNotRegularFile},
        {socketPath, kErrorNotRegularFile},
        {dir.Path() / "x.txt", kErrorNotRegularFile},
        {"/dev/null", kErrorNotRegularFile},
        {dir.Path(), kErrorNotRegularFile},
        {dir.Path() / "missing.html", kErrorFileNotFound},
        {regular, kErrorNone},
    };
    for (const auto& c : cases) {
        for (const bool ascii : {false, true}) {
            CFtpUploadReader reader;
            EXPECT_EQ(reader.Open(c.path.string(), ascii), c.code) << c.path;
        }
    }
    ::close(pipeEnds);
    EXPECT_FALSE(CInternetError::Description(kErrorNotRegularFile).empty());

    // (What a regular file reads as after this open: FtpUploadReaderTest.)
}

// In a pass, such a row fails with that code while the regular files around it are sent.
TEST(UploadReaderSpecialFile, SpecialFileRowsFailInAPass)
{
    test::CFtpTestBench bench(test::FtpServerKind::Pyftpdlib);
    if (!bench.Ready())
        GTEST_SKIP() << bench.Skip();
    ASSERT_TRUE(bench.Open());
    bench.Local().WriteFile("a.txt", "a");
    bench.Local().WriteFile("c.txt", "c");
    bench.Local().MakeDir("b.txt"); // a directory where the find saw a file
    ASSERT_FALSE(bench.Local().MakeSocket("s.txt").empty());
    for (const char* name : {"a.txt", "b.txt", "s.txt", "c.txt"})
        bench.AddRow(name);

    ASSERT_TRUE(bench.Connection().SetCurrentDirectory("/"));
    CFTPTransfer transfer(bench.Context("t"));
    transfer.UploadRows();
    const std::vector<CTransferRow> rows = bench.List().Snapshot();
    ASSERT_EQ(rows.size(), 4u);
    for (const CTransferRow& row : rows) {
        const bool special = row.name == "b.txt" || row.name == "s.txt";
        EXPECT_EQ(RowStateOf(row.word), special ? kRowFailed : kRowDone) << row.name;
        EXPECT_EQ(row.error.find("error code: 222"), special ? 0u : std::string::npos) << row.name;
        EXPECT_EQ(fs::exists(bench.Served().Path() / "t" / row.name), !special) << row.name;
    }
}
