// Faults of a server that misbehaves on purpose: each one gives a Failed row with its text, the
// pass goes on (or ends by the error limit), and an upload can be aborted from another thread.

#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <future>

#include "transfer/CFTPTransfer.h"
#include "ftp/CInternetError.h"
#include "support/CFtpTestBench.h"
#include "list/RowWord.h"

namespace skerrow {
namespace {

using test::CFtpTestBench;
using test::CTempDir;
using test::FtpServerKind;

std::string Head(int code)
{
    return "error code: " + std::to_string(code) + "\nMessage: " + CInternetError::Description(code) + "\n";
}

std::unique_ptr<CFtpTestBench> StartBench(std::vector<std::string> args = {})
{
    return std::make_unique<CFtpTestBench>(FtpServerKind::Misbehaving, [args](CTempDir&) { return args; });
}

TEST(FtpFaults, DroppedConnectionAndRefusedUploadFailOnlyTheirRows)
{
    auto bench = StartBench();
    ASSERT_TRUE(bench->Ready()) << bench->Skip();
    ASSERT_TRUE(bench->Open(2));
    for (const char* name : {"a.bin", "drop.bin", "b.bin", "full.bin", "c.bin"}) {
        bench->Local().WriteFile(name, std::string(100000, 'z'));
        bench->AddRow(name);
    }
    CFTPTransfer transfer(bench->Context("up"));
    transfer.UploadRows();
    EXPECT_EQ(bench->States(), (std::vector<int32_t>{kRowDone, kRowFailed, kRowDone, kRowFailed, kRowDone}));
    EXPECT_EQ(bench->List().GetText(1, kColErrors).substr(0, Head(12030).size()), Head(12030));
    EXPECT_EQ(bench->List().GetText(3, kColErrors), Head(12003) + "452 Insufficient storage space.\n");
    EXPECT_EQ(bench->Served().ReadFile("up/c.bin"), std::string(100000, 'z'));
    EXPECT_EQ(bench->Sink().GetStatusText(), "Finished");
}

TEST(FtpFaults, RefusedDirectoryCreationFailsTheRow)
{
    auto bench = StartBench({"--refuse-mkd"});
    ASSERT_TRUE(bench->Ready()) << bench->Skip();
    ASSERT_TRUE(bench->Open(2));
    bench->Local().WriteFile("new/x.txt", "x");
    bench->Local().WriteFile("y.txt", "y");
    bench->AddRow("/new/x.txt");
    bench->AddRow("y.txt");
    CFTPTransfer transfer(bench->Context(""));
    transfer.UploadRows();
    EXPECT_EQ(bench->States(), (std::vector<int32_t>{kRowFailed, kRowDone}));
    EXPECT_EQ(bench->List().GetText(0, kColErrors), Head(12003) + "550 Permission denied.\n");
}

TEST(FtpFaults, SilentServerTimesOutAndTheLimitEndsThePass)
{
    auto bench = StartBench({"--hang-after-login"});
    ASSERT_TRUE(bench->Ready()) << bench->Skip();
    ASSERT_TRUE(bench->Open(2));
    for (const char* name : {"a.txt", "b.txt", "c.txt"}) {
        bench->Local().WriteFile(name, "data");
        bench->AddRow(name);
    }
    CFTPTransfer transfer(bench->Context("d", 2));
    transfer.UploadRows();
    EXPECT_EQ(bench->States(), (std::vector<int32_t>{kRowFailed, kRowFailed, kRowPending}));
    EXPECT_EQ(bench->List().GetText(0, kColErrors), Head(12002));
    EXPECT_EQ(bench->Sink().GetStatusText(), "Too many errors, Transfer stopped");
}

TEST(FtpFaults, StalledUploadTimesOutAndAbortEndsItFromAnotherThread)
{
    auto bench = StartBench();
    ASSERT_TRUE(bench->Ready()) << bench->Skip();
    ASSERT_TRUE(bench->Open(2));
    const auto big = bench->Local().MakeFileOfSize("stall.bin", 200ull * 1024 * 1024);
    CFtpConnection& connection = bench->Connection();

    // No progress for the stall time: a time-out.
    EXPECT_FALSE(connection.PutFile(big.string(), "stall.bin", kTransferBinary));
    EXPECT_EQ(connection.LastError(), kErrorTimeout);

    // The same upload with a long stall time, aborted once bytes are on their way.
    connection.SetTimeouts(5, 120);
    std::mutex mutex;
    std::condition_variable started;
    bool sending = false;
    connection.SetStatusCallback([&](int status, uint64_t) {
        if (status != kStatusRequestSent)
            return;
        std::lock_guard lock(mutex);
        sending = true;
        started.notify_all();
    });
    auto upload = std::async(std::launch::async, [&] { return connection.PutFile(big.string(), "stall.bin", kTransferBinary); });
    {
        std::unique_lock lock(mutex);
        ASSERT_TRUE(started.wait_for(lock, std::chrono::seconds(20), [&] { return sending; }));
    }
    connection.Abort();
    ASSERT_EQ(upload.wait_for(std::chrono::seconds(10)), std::future_status::ready);
    EXPECT_FALSE(upload.get());
    EXPECT_EQ(connection.LastError(), kErrorOperationCancelled);
    connection.SetStatusCallback(nullptr);

    // An abort is never lost between two calls: every later call of the connection fails at once,
    // without a word to the server.
    const int sent = connection.CommandsSent();
    const auto small = bench->Local().WriteFile("after.txt", "after");
    EXPECT_FALSE(connection.SetCurrentDirectory("/elsewhere"));
    EXPECT_FALSE(connection.PutFile(small.string(), "after.txt", kTransferBinary));
    EXPECT_EQ(connection.LastError(), kErrorOperationCancelled);
    EXPECT_EQ(connection.CommandsSent(), sent);
    EXPECT_FALSE(std::filesystem::exists(bench->Served().Path() / "after.txt"));
    // Closing it waits for nothing.
    const auto closing = std::chrono::steady_clock::now();
    connection.Close();
    EXPECT_LT(std::chrono::steady_clock::now() - closing, std::chrono::seconds(1));
}

// Listings that would hold a run for ever or eat the memory end with their own error.
TEST(FtpFaults, ADrippingOrEndlessListingFailsWithItsReason)
{
    const struct {
        std::vector<std::string> args;
        long stallSeconds; // the server takes a moment to make a huge listing
        int code;
    } cases[] = {
        {{"--drip-list", "--huge-list", "50"}, 2, kErrorTimeout},
        {{"--huge-list", std::to_string(CFtpConnection::kMostListedEntries + 1)}, 20, kErrorListingTooLong},
    };
    for (const auto& c : cases) {
        auto bench = StartBench(c.args);
        ASSERT_TRUE(bench->Ready()) << bench->Skip();
        ASSERT_TRUE(bench->Open(c.stallSeconds));
        std::vector<CFindRecord> records;
        EXPECT_FALSE(bench->Connection().List("*", records)) << c.args[0];
        EXPECT_EQ(bench->Connection().LastError(), c.code) << c.args[0];
        EXPECT_TRUE(records.empty());
    }
}

} // namespace
} // namespace skerrow
