// The rows a delete pass shares between its connections: on a random tree, whatever the number of
// connections and their timing, every row is handed out once and a directory only once every row
// inside it is done (failed ones too: the directory's RMD then gets the server's answer); one
// connection takes the rows in list order. A Stop ends the pass on every connection.

#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <functional>
#include <map>
#include <mutex>
#include <random>
#include <thread>

#include "list/RowWord.h"
#include "support/CFtpTestBench.h"
#include "transfer/CDeleteLanes.h"
#include "transfer/CDeletePlan.h"
#include "transfer/CDeleteQueue.h"
#include "transfer/CFTPTransfer.h"

namespace skerrow {
namespace {

TEST(DeleteQueue, ADirectoryComesOnlyAfterEverythingInsideItOnAnyNumberOfConnections)
{
    const unsigned seed = std::random_device{}();
    SCOPED_TRACE("seed " + std::to_string(seed));
    std::mt19937 random(seed);
    CTransferList list; // as a walk lists a tree: each directory after its contents
    std::function<void(const std::string&, int)> grow = [&](const std::string& dir, int depth) {
        for (auto i = random() % 6; i > 0; --i) {
            const std::string name = dir + "e" + std::to_string(i);
            const bool directory = depth < 4 && random() % 3 == 0;
            if (directory)
                grow(name + "/", depth + 1);
            list.Insert(list.Count(), kKindFtpEntry << 4, directory ? name + "/" : name, "1");
        }
    };
    for (int top = 0; list.Count() < 40; ++top) {
        const std::string dir = "/t/x" + std::to_string(top) + "/";
        grow(dir, 1);
        list.Insert(list.Count(), kKindFtpEntry << 4, dir, "1");
    }
    std::map<RowId, std::string> names;
    for (const RowId id : list.Ids()) {
        CTransferRow row;
        ASSERT_TRUE(list.GetRowById(id, row));
        names[id] = row.name;
    }
    for (const int connections : {1, 4}) {
        SCOPED_TRACE(std::to_string(connections) + " connections");
        CDeleteQueue queue(list, CDeletePlan::TreeDelete("/t"), 1000);
        std::mutex mutex;
        std::vector<std::pair<RowId, bool>> events; // (row, done): taken, then done
        auto record = [&mutex, &events](RowId row, bool done) {
            std::lock_guard lock(mutex);
            events.emplace_back(row, done);
        };
        std::vector<std::thread> threads;
        for (int c = 0; c < connections; ++c) {
            threads.emplace_back([&, c] {
                std::mt19937 pace(seed + static_cast<unsigned>(c));
                while (const std::optional<RowId> row = queue.Next([] { return false; })) {
                    record(*row, false);
                    for (auto i = pace() % 50; i > 0; --i)
                        std::this_thread::yield();
                    record(*row, true);
                    queue.Done(*row, pace() % 5 == 0 ? 1 : 0);
                }
            });
        }
        for (std::thread& thread : threads)
            thread.join();
        std::vector<RowId> taken;
        std::map<RowId, size_t> doneAt;
        for (size_t i = 0; i < events.size(); ++i) {
            if (events[i].second)
                doneAt[events[i].first] = i;
            else
                taken.push_back(events[i].first);
        }
        ASSERT_EQ(taken.size(), list.Count());
        if (connections == 1) {
            EXPECT_EQ(taken, list.Ids());
        }
        for (size_t i = 0; i < events.size(); ++i) {
            const std::string& dir = names[events[i].first];
            if (events[i].second || dir.back() != '/')
                continue;
            for (const auto& [id, name] : names) {
                if (name != dir && name.rfind(dir, 0) == 0) {
                    EXPECT_LT(doneAt[id], i) << dir << " handed out before " << name << " was done";
                }
            }
        }
    }
}

// A Stop as the tenth row begins, on three connections: what the others were deleting then ends, and
// the rest stays Pending with no error, its files on the server.
TEST(DeleteQueue, AStopEndsThePassOnEveryConnection)
{
    test::CFtpTestBench bench(test::FtpServerKind::Pyftpdlib, [](test::CTempDir& served) {
        for (int i = 0; i < 60; ++i)
            served.WriteFile("t/f" + std::to_string(i), "x");
        return std::vector<std::string>();
    });
    ASSERT_TRUE(bench.Ready()) << bench.Skip();
    ASSERT_TRUE(bench.Open());
    for (int i = 0; i < 60; ++i)
        bench.List().Insert(bench.List().Count(), kKindFtpEntry << 4, "/t/f" + std::to_string(i), "1");
    struct CStopAtTenth : test::CFtpRecordingSink {
        CStopSignal stop;
        std::atomic<int> rows{0};
        void SetStatusText(const std::string&) override // "Deleting ..." as each row begins
        {
            if (++rows == 10)
                stop.Set();
        }
    } sink;
    CProgressMeter progress(sink);
    CTransferContext context{bench.List(), bench.Connection(), sink, sink, sink.stop, progress, "", "", 32000, {}};
    CDeleteLanes(context, bench.Lanes(3)).Run(CDeletePlan::TreeDelete("/t"));
    const size_t done = bench.List().CountInState(kRowDone);
    EXPECT_TRUE(done >= 10u && done <= 10u + 2u) << done;
    EXPECT_EQ(bench.List().CountInState(kRowFailed), 0u);
    for (const CTransferRow& row : bench.List().Snapshot()) {
        EXPECT_EQ(row.error, "") << row.name;
        EXPECT_EQ(std::filesystem::exists(bench.Served().Path() / row.name.substr(1)), RowStateOf(row.word) != kRowDone)
            << row.name;
    }
}

// A DELE whose reply is lost after the file went is settled by a listing; one cut before it was
// done is tried again, up to the tries per file.
TEST(DeleteQueue, ALostReplyIsSettledAndACutDeleteTriedAgain)
{
    const struct {
        const char* option;
        int tries;
        int32_t state;
        const char* text; // the start of the row's text
    } cases[] = {
        {"--lose-reply=DELE:1", 1, kRowDone, ""},
        {"--cut-at=DELE:1", 2, kRowDone, ""},
        {"--cut-at=DELE:1", 1, kRowFailed, "error code: 12030"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.option) + " " + std::to_string(c.tries));
        test::CFtpTestBench bench(test::FtpServerKind::Misbehaving, [&c](test::CTempDir& served) {
            served.WriteFile("t/f", "x");
            return std::vector<std::string>{c.option};
        });
        ASSERT_TRUE(bench.Ready()) << bench.Skip();
        ASSERT_TRUE(bench.Open());
        bench.List().Insert(0, kKindFtpEntry << 4, "/t/f", "1");
        CTransferContext& context = bench.Context("");
        context.tries = c.tries;
        CFTPTransfer(context).DeleteRows(CDeletePlan::TreeDelete("/t"));
        EXPECT_EQ(bench.States(), std::vector<int32_t>{c.state});
        const std::string text = bench.List().GetText(0, kColErrors);
        EXPECT_EQ(text.rfind(c.text, 0), 0u) << text;
        EXPECT_EQ(std::filesystem::exists(bench.Served().Path() / "t/f"), c.state != kRowDone);
    }
}

} // namespace
} // namespace skerrow
