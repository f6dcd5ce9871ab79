#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <random>
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

TEST(PackedRow, TextsChangeOneColumnAtATimeAndCopiesAreDeep)
{
    CPackedRow row(0x31, "/a/b.html", "12", "550 refused", 7);
    struct Step {
        int column;
        std::string text;
        const char* name;
        const char* size;
        const char* error;
    };
    const Step steps[] = {
        {kColErrors, "", "/a/b.html", "12", ""},                 // the error goes in place
        {kColName, "/a/much/longer/name.html", "/a/much/longer/name.html", "12", ""},
        {kColSize, "", "/a/much/longer/name.html", "", ""},
        {kColErrors, "421 gone", "/a/much/longer/name.html", "", "421 gone"},
        {kColName, "", "", "", "421 gone"},
        {kColErrors, "", "", "", ""},                           // every text empty: no block left
        {kColSize, "3", "", "3", ""},
    };
    for (const Step& step : steps) {
        ASSERT_TRUE(row.SetText(step.column, step.text));
        EXPECT_EQ(row.Name(), step.name);
        EXPECT_EQ(row.Size(), step.size);
        EXPECT_EQ(row.Error(), step.error);
    }
    EXPECT_FALSE(row.SetText(kColStatus, "x"));
    EXPECT_EQ(row.Text(kColStatus), "");

    CPackedRow copy(row);
    copy.SetText(kColSize, "99");
    EXPECT_EQ(row.Size(), "3");
    row = copy;
    EXPECT_EQ(row.Size(), "99");
    EXPECT_EQ(row.word, 0x31);
    EXPECT_EQ(row.id, 7u);
    const CTransferRow plain = CPackedRow(CTransferRow{2, "n", "s", "e", 5}).Unpacked();
    EXPECT_EQ(plain.word, 2);
    EXPECT_EQ(plain.name + plain.size + plain.error, "nse");
    EXPECT_EQ(plain.id, 5u);
}

TEST(TransferList, DeletingManyRowsKeepsOrderAndIdsWhicheverWayTheRowsCame)
{
    // The rows come in list order (a find, an opened file) or partly inserted before others, and
    // are deleted in random batches; a model list erases one row at a time.
    enum class Filled { Appended, Replaced, InsertedBefore };
    std::mt19937 random(14);
    for (Filled filled : {Filled::Appended, Filled::Replaced, Filled::InsertedBefore}) {
        SCOPED_TRACE(static_cast<int>(filled));
        CTransferList list;
        std::vector<CTransferRow> rows;
        for (int i = 0; i < 3000; ++i)
            rows.push_back({i % 3 == 0 ? 0x30 : 0, "/f" + std::to_string(i), std::to_string(i % 7), ""});
        if (filled == Filled::Replaced) {
            list.Insert(0, 0, "/old", "1");
            list.Replace(rows);
        } else {
            for (const CTransferRow& row : rows) {
                const size_t at = filled == Filled::InsertedBefore && list.Count() % 4 == 1 ? list.Count() / 2 : list.Count();
                list.Insert(at, row.word, row.name, row.size);
            }
        }
        std::vector<CTransferRow> model = list.Snapshot();
        // The ids a pass took before the deletes.
        const std::vector<RowId> ids = list.Ids();
        while (model.size() > 10) {
            std::vector<size_t> batch;
            const size_t take = random() % (model.size() / 2) + 1;
            for (size_t k = 0; k < take; ++k)
                batch.push_back(random() % (model.size() + 5)); // a few past the end, some twice
            list.Delete(batch);
            std::sort(batch.begin(), batch.end());
            batch.erase(std::unique(batch.begin(), batch.end()), batch.end());
            for (auto it = batch.rbegin(); it != batch.rend(); ++it) {
                if (*it < model.size())
                    model.erase(model.begin() + static_cast<std::ptrdiff_t>(*it));
            }
            ASSERT_EQ(list.Count(), model.size());
            // Every id the pass holds either finds its own row or none; a state set by id lands there.
            size_t found = 0;
            for (size_t k = 0; k < ids.size(); k += 7) {
                CTransferRow row;
                const auto inModel = std::find_if(model.begin(), model.end(),
                                                  [&](const CTransferRow& r) { return r.id == ids[k]; });
                ASSERT_EQ(list.GetRowById(ids[k], row), inModel != model.end());
                if (inModel == model.end())
                    continue;
                ++found;
                EXPECT_EQ(row.name, inModel->name);
                ASSERT_TRUE(list.SetRowState(ids[k], kRowFailed, "boom " + row.name));
                inModel->word = WithRowState(inModel->word, kRowFailed);
                inModel->error = "boom " + row.name;
            }
            if (model.size() > 200) {
                EXPECT_GT(found, 0u);
            }
            const std::vector<CTransferRow> now = list.Snapshot();
            for (size_t i = 0; i < now.size(); ++i) {
                ASSERT_TRUE(now[i].id == model[i].id && now[i].name == model[i].name && now[i].word == model[i].word &&
                            now[i].error == model[i].error) << "row " << i;
            }
        }
        EXPECT_EQ(list.CountInState(kRowFailed) > 0, true);
        list.ResetAll();
        EXPECT_EQ(list.CountInState(kRowFailed), 0u);
        EXPECT_EQ(list.GetText(0, kColErrors), "");
    }
}

TEST(TransferList, LongestNamesAreTheOnesAColumnMeasures)
{
    CTransferList list;
    for (const char* name : {"/a", "/bbbb", "", "/cc", "/dddddd", "/eeee", "/f"})
        list.Insert(list.Count(), 0, name, "1");
    struct Case {
        size_t count;
        std::vector<std::string> expected;
    };
    const Case cases[] = {
        {0, {}},
        {1, {"/dddddd"}},
        {2, {"/dddddd", "/bbbb"}}, // of two names as long, the first in the list is taken
        {3, {"/dddddd", "/eeee", "/bbbb"}},
        {50, {"/dddddd", "/eeee", "/bbbb", "/cc", "/f", "/a", ""}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(list.LongestNames(c.count), c.expected) << c.count;
}
