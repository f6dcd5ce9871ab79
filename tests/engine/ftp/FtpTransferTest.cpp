// The upload and delete passes against real servers: pyftpdlib and vsftpd on 127.0.0.1.

#include <gtest/gtest.h>

#include <filesystem>

#include "app/CStringTable.h"
#include "app/StringIds.h"
#include "discovery/CTreeDelDirWalk.h"
#include "transfer/CDeletePlan.h"
#include "transfer/CFTPTransfer.h"
#include "ftp/CInternetError.h"
#include "support/CFtpTestBench.h"
#include "list/RowWord.h"
#include "support/LineEnds.h"

namespace skerrow {
namespace {

using test::CFtpTestBench;
using test::FtpServerKind;

class FtpTransferTest : public ::testing::TestWithParam<FtpServerKind> {
protected:
    void SetUp() override
    {
        m_bench = std::make_unique<CFtpTestBench>(GetParam());
        if (!m_bench->Ready())
            GTEST_SKIP() << m_bench->Skip();
        ASSERT_TRUE(m_bench->Open()) << m_bench->Connection().LastError();
    }

    // A pass as the transfer worker runs it: from the server's root directory.
    void Upload(CFTPTransfer& transfer)
    {
        ASSERT_TRUE(m_bench->Connection().SetCurrentDirectory("/"));
        transfer.UploadRows();
    }

    std::string Stored(const std::string& relative) const { return m_bench->Served().ReadFile(relative); }
    bool StoredExists(const std::string& relative) const
    {
        return std::filesystem::exists(m_bench->Served().Path() / relative);
    }
    // What the server keeps of a text sent in ASCII mode: pyftpdlib writes local line ends, vsftpd
    // keeps the CR LF of the wire.
    std::string AsciiStored(const std::string& lines) const
    {
        return GetParam() == FtpServerKind::Vsftpd ? test::LfToCrLf(lines) : lines;
    }

    std::unique_ptr<CFtpTestBench> m_bench;
};

// A text longer than two of curl's reads (512 KB each, or any power of two): one byte, then lines
// of four, so that each read ends between the CR and the LF of a line; lone CRs at the end.
std::string LongText()
{
    std::string text = "x";
    while (text.size() < 1100000)
        text += "ab\r\n";
    return text + "c\rd\r\r\n";
}

std::string BinaryBlob(size_t size)
{
    std::string data(size, '\0');
    uint32_t seed = 12345;
    for (char& c : data) {
        seed = seed * 1103515245u + 12345u;
        c = static_cast<char>(seed >> 16);
    }
    return data + "\r\n\n\r\r\n";
}

TEST_P(FtpTransferTest, UploadsATreeBelowTheStartingDirectoryByteForByte)
{
    const std::string logo = BinaryBlob(300000);
    m_bench->Local().WriteFile("index.htm", "<p>\nhello\n</p>\n");
    m_bench->Local().WriteFile("img/logo.gif", logo);
    m_bench->Local().WriteFile("img/small/dot.gif", "GIF89a\r\n");
    m_bench->Local().WriteFile("img/small/.htaccess", "deny\n");
    for (const char* name : {"index.htm", "/img/logo.gif", "/img/small/dot.gif", "/img/small/.htaccess"})
        m_bench->AddRow(name, "293");

    CFTPTransfer transfer(m_bench->Context("site/www"));
    Upload(transfer);

    EXPECT_EQ(m_bench->States(), (std::vector<int32_t>{kRowDone, kRowDone, kRowDone, kRowDone}));
    EXPECT_EQ(m_bench->Sink().GetStatusText(), "Finished");
    EXPECT_EQ(transfer.ErrorCount(), 0);
    EXPECT_EQ(Stored("site/www/img/logo.gif"), logo);
    EXPECT_EQ(Stored("site/www/img/small/dot.gif"), "GIF89a\r\n");
    EXPECT_EQ(Stored("site/www/img/small/.htaccess"), "deny\n");
    EXPECT_EQ(Stored("site/www/index.htm"), AsciiStored("<p>\nhello\n</p>\n"));
    // The percent pane went from 0% to 100% for the large file and was emptied after each one.
    const std::vector<std::string> percents = m_bench->Sink().Percents();
    EXPECT_NE(std::find(percents.begin(), percents.end(), "0%"), percents.end());
    EXPECT_NE(std::find(percents.begin(), percents.end(), "100%"), percents.end());
    ASSERT_FALSE(percents.empty());
    EXPECT_EQ(percents.back(), "");

    // A second pass over the same rows sends nothing: every row is Done.
    std::filesystem::remove(m_bench->Served().Path() / "site/www/index.htm");
    CFTPTransfer again(m_bench->Context("site/www"));
    Upload(again);
    EXPECT_FALSE(StoredExists("site/www/index.htm"));
    EXPECT_EQ(m_bench->Sink().GetStatusText(), "Finished");
}

TEST_P(FtpTransferTest, EmptyAndRootedStartingDirectoriesLandBelowTheRoot)
{
    m_bench->Local().WriteFile("logo.gif", "root file");
    m_bench->Local().WriteFile("img/a.gif", "img file");
    m_bench->AddRow("logo.gif");
    m_bench->AddRow("/img/a.gif");
    CFTPTransfer transfer(m_bench->Context(""));
    Upload(transfer);
    EXPECT_EQ(m_bench->States(), (std::vector<int32_t>{kRowDone, kRowDone}));
    EXPECT_EQ(Stored("logo.gif"), "root file");
    EXPECT_EQ(Stored("img/a.gif"), "img file");

    m_bench->List().ResetAll();
    CFTPTransfer rooted(m_bench->Context("/site"));
    Upload(rooted);
    EXPECT_EQ(m_bench->States(), (std::vector<int32_t>{kRowDone, kRowDone}));
    EXPECT_EQ(Stored("site/logo.gif"), "root file");
    EXPECT_EQ(Stored("site/img/a.gif"), "img file");

}

TEST_P(FtpTransferTest, TextSuffixesChooseAsciiAndNoLineEndIsDoubled)
{
    m_bench->Local().WriteFile("CRLF.HTM", "a\r\nb\r\n");
    m_bench->Local().WriteFile("lf.htm", "a\nb\n");
    m_bench->Local().WriteFile("mixed.txt", "a\r\nb\nc\rd\r\n");
    m_bench->Local().WriteFile("page.htm.bak", "a\r\nb\n");
    m_bench->Local().WriteFile("noext", "a\nb\r\n");
    m_bench->Local().WriteFile("v1.2.htm", "a\r\nb\n");
    m_bench->Local().WriteFile("long.txt", LongText());
    for (const char* name : {"CRLF.HTM", "lf.htm", "mixed.txt", "page.htm.bak", "noext", "v1.2.htm", "long.txt"})
        m_bench->AddRow(name);
    CFTPTransfer transfer(m_bench->Context("t"));
    Upload(transfer);
    ASSERT_EQ(m_bench->Sink().GetStatusText(), "Finished");

    EXPECT_EQ(transfer.GetTransferType(".HTM"), kTransferAscii);
    EXPECT_EQ(transfer.GetTransferType(".html"), kTransferBinary);
    EXPECT_EQ(transfer.GetTransferType(".bak"), kTransferBinary);
    EXPECT_EQ(transfer.GetTransferType(""), kTransferBinary);
    EXPECT_EQ(Stored("t/CRLF.HTM"), AsciiStored("a\nb\n"));
    EXPECT_EQ(Stored("t/lf.htm"), AsciiStored("a\nb\n"));
    EXPECT_EQ(Stored("t/page.htm.bak"), "a\r\nb\n");
    EXPECT_EQ(Stored("t/noext"), "a\nb\r\n");
    // The suffix is what follows the last dot.
    EXPECT_EQ(Stored("t/v1.2.htm"), AsciiStored("a\nb\n"));
    // A lone CR stays; no CR is lost or doubled where a read of the file ends.
    EXPECT_EQ(Stored("t/mixed.txt"), AsciiStored("a\nb\nc\rd\n"));
    const std::string longStored = Stored("t/long.txt");
    const std::string longExpected = AsciiStored(test::CrLfToLf(LongText()));
    EXPECT_EQ(longStored.size(), longExpected.size());
    EXPECT_TRUE(longStored == longExpected) << "long.txt is not stored as sent";
}

TEST_P(FtpTransferTest, ErrorLimitEndsThePassAfterTheThirdFailure)
{
    // Rows 1, 3, 5 and 7 name files that do not exist locally.
    for (int i = 0; i < 10; ++i) {
        const std::string name = "f" + std::to_string(i) + ".bin";
        if (i % 2 == 0 || i > 7)
            m_bench->Local().WriteFile(name, "data");
        m_bench->AddRow(name);
    }
    CFTPTransfer transfer(m_bench->Context("lim", 3));
    Upload(transfer);
    EXPECT_EQ(m_bench->States(), (std::vector<int32_t>{kRowDone, kRowFailed, kRowDone, kRowFailed, kRowDone,
                                                       kRowFailed, kRowPending, kRowPending, kRowPending, kRowPending}));
    EXPECT_EQ(m_bench->Sink().GetStatusText(), "Too many errors, Transfer stopped");
    EXPECT_EQ(transfer.ErrorCount(), 3);
    EXPECT_EQ(m_bench->List().GetText(1, kColErrors),
              "error code: 2\nMessage: " + CInternetError::Description(2) + "\n");

    // With every row Done nothing is touched and the pass finishes.
    std::vector<CTransferRow> rows = m_bench->List().Snapshot();
    for (CTransferRow& row : rows)
        row.word = WithRowState(row.word, kRowDone);
    m_bench->List().Replace(rows);
    CFTPTransfer done(m_bench->Context("lim", 3));
    Upload(done);
    EXPECT_EQ(done.ErrorCount(), 0);
    EXPECT_EQ(m_bench->Sink().GetStatusText(), "Finished");
    EXPECT_FALSE(StoredExists("lim/f9.bin"));
}

TEST_P(FtpTransferTest, DeletePassRemovesExactlyTheListedTree)
{
    // The served tree is created through the connection so that every server may delete it.
    m_bench->Local().WriteFile("a/b/f.txt", "f");
    m_bench->Local().WriteFile("a/g.bin", "g");
    m_bench->Local().WriteFile("keep.bin", "k");
    m_bench->Local().MakeDir("e");
    for (const char* name : {"/a/b/f.txt", "/a/g.bin"})
        m_bench->AddRow(name);
    CFTPTransfer upload(m_bench->Context("t"));
    Upload(upload);
    ASSERT_TRUE(m_bench->Connection().CreateDirectory("/t/e"));
    m_bench->List().DeleteAll();
    m_bench->AddRow("keep.bin");
    CFTPTransfer keep(m_bench->Context(""));
    Upload(keep);
    ASSERT_TRUE(StoredExists("t/a/b/f.txt"));

    m_bench->List().DeleteAll();
    ASSERT_TRUE(m_bench->Connection().SetCurrentDirectory("/"));
    CTreeDelDirWalk walk;
    walk.Setup(&m_bench->List());
    walk.SetStopCheck([this] { return m_bench->Stop().IsSet(); });
    ASSERT_TRUE(walk.Walk(&m_bench->Connection(), "/t", "*"));
    ASSERT_EQ(m_bench->List().Count(), 5u);

    CFTPTransfer remover(m_bench->Context(""));
    remover.DeleteRows(CDeletePlan::TreeDelete("/t"));
    EXPECT_EQ(m_bench->List().CountInState(kRowDone), 5u);
    EXPECT_EQ(m_bench->Sink().GetStatusText(), "Finished");
    EXPECT_TRUE(StoredExists("t"));
    EXPECT_TRUE(std::filesystem::is_empty(m_bench->Served().Path() / "t"));
    EXPECT_EQ(Stored("keep.bin"), "k");
}

INSTANTIATE_TEST_SUITE_P(Servers, FtpTransferTest, ::testing::Values(FtpServerKind::Pyftpdlib, FtpServerKind::Vsftpd),
                         test::CFtpServerProcess::ParamName<::testing::TestParamInfo<FtpServerKind>>);

} // namespace
} // namespace skerrow
