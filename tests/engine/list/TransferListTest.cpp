#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "list/CTransferList.h"
#include "list/RowWord.h"

using namespace skerrow;

TEST(RowWord, StateKindImageAndSize)
{
    EXPECT_EQ(WithRowState(0x30, kRowFailed), 0x32);
    EXPECT_EQ(WithRowState(0x32, kRowPending), 0x30);
    EXPECT_EQ(WithRowState(0x10031, kRowDone), 0x31); // bits above 15 are cleared
    EXPECT_EQ(RowImage(0x30), 3);
    EXPECT_EQ(RowImage(0x32), 2);
    EXPECT_EQ(RowImage(0x01), 1);
    EXPECT_EQ(RowImage(0x03), 0); // an unknown state shows the kind's image
    EXPECT_EQ(SizeInKb(0), 1u);
    EXPECT_EQ(SizeInKb(1023), 1u);
    EXPECT_EQ(SizeInKb(1024), 2u);
    EXPECT_EQ(SizeInKb(5000000000ull), (uint32_t(5000000000ull) + 1024u) >> 10);
}

TEST(TransferList, ResetAndDeleteKeepOrderAndKind)
{
    CTransferList list;
    for (int i = 0; i < 6; ++i)
        list.Insert(size_t(i), i % 2 ? 0x30 : 0, "f" + std::to_string(i), "1");
    list.SetWord(1, 0x32);
    list.SetText(1, kColErrors, "boom");
    list.SetWord(2, kRowDone);
    list.ResetFailed();
    int32_t word = -1;
    ASSERT_TRUE(list.GetWord(1, word));
    EXPECT_EQ(word, 0x30);
    EXPECT_EQ(list.GetText(1, kColErrors), "");
    ASSERT_TRUE(list.GetWord(2, word));
    EXPECT_EQ(word, kRowDone); // Done rows stay Done when only Failed ones are reset
    list.ResetAll();
    ASSERT_TRUE(list.GetWord(2, word));
    EXPECT_EQ(word, kRowPending);

    list.Delete({5, 2, 2});
    ASSERT_EQ(list.Count(), 4u);
    EXPECT_EQ(list.GetText(0, kColName), "f0");
    EXPECT_EQ(list.GetText(2, kColName), "f3");
    EXPECT_EQ(list.GetText(3, kColName), "f4");
    EXPECT_FALSE(list.SetWord(10, 1)); // a row another thread removed fails harmlessly
    EXPECT_EQ(list.GetText(10, kColName), "");
    EXPECT_TRUE(list.AllDone() == false);
    list.DeleteAll();
    EXPECT_TRUE(list.AllDone());
}

TEST(TransferList, WorkerAndWindowTogetherAreSafe)
{
    CTransferList list;
    struct Counter : ITransferListObserver {
        std::atomic<int> changes{0};
        void OnRowsChanged(size_t, size_t) override { ++changes; }
        void OnCountChanged() override { ++changes; }
    } counter;
    list.SetObserver(&counter);
    std::thread worker([&] {
        for (int i = 0; i < 2000; ++i)
            list.Insert(list.Count(), 0, "w", "1");
    });
    for (int i = 0; i < 2000; ++i) {
        list.SetWord(size_t(i % 50), kRowDone);
        if (i % 500 == 0)
            list.Delete({0});
    }
    worker.join();
    list.SetObserver(nullptr);
    EXPECT_GE(list.Count(), 1996u);
    EXPECT_GT(counter.changes.load(), 2000);
}
