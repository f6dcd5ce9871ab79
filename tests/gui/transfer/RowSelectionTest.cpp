// The list's own selection: runs of rows against a plain array of flags, under random clicks,
// moves and ranges, and the meaning of Ctrl and Shift.

#include <random>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "transfer/CRowSelection.h"

namespace {

std::string Flags(const CRowSelection& selection, size_t count)
{
    std::string flags;
    for (size_t row = 0; row < count; ++row)
        flags += selection.Contains(row) ? '1' : '0';
    return flags;
}

} // namespace

TEST(RowSelectionTest, RandomChangesMatchAnArrayOfFlags)
{
    const size_t kRows = 40;
    for (unsigned seed = 1; seed <= 200; ++seed) {
        std::mt19937 random(seed);
        auto row = [&] { return std::uniform_int_distribution<size_t>(0, kRows - 1)(random); };
        CRowSelection selection;
        std::vector<bool> model(kRows, false);
        size_t anchor = 0;
        for (int step = 0; step < 60; ++step) {
            const int action = static_cast<int>(random() % 6);
            const size_t a = row();
            const size_t b = row();
            const bool ctrl = random() % 2 != 0;
            const bool shift = random() % 2 != 0;
            CRowSelection::Span changed{1, 0};
            std::vector<bool> before = model;
            if (action == 0 || action == 1) {
                changed = selection.Set(std::min(a, b), std::max(a, b), action == 0);
                for (size_t r = std::min(a, b); r <= std::max(a, b); ++r)
                    model[r] = action == 0;
            } else if (action == 2 || action == 3) {
                const bool move = action == 3;
                changed = move ? selection.MoveTo(a, ctrl, shift) : selection.Click(a, ctrl, shift);
                if (shift) {
                    if (!ctrl)
                        model.assign(kRows, false);
                    for (size_t r = std::min(anchor, a); r <= std::max(anchor, a); ++r)
                        model[r] = true;
                } else if (ctrl && !move) {
                    model[a] = !model[a];
                    anchor = a;
                } else if (!ctrl) {
                    model.assign(kRows, false);
                    model[a] = true;
                    anchor = a;
                }
            } else if (action == 4) {
                changed = selection.Toggle(a);
                model[a] = !model[a];
                anchor = a;
            } else {
                const bool all = random() % 4 != 0;
                changed = all ? selection.SelectAll(kRows) : selection.Clear();
                model.assign(kRows, all);
            }
            std::string expected;
            std::vector<size_t> rows;
            for (size_t r = 0; r < kRows; ++r) {
                expected += model[r] ? '1' : '0';
                if (model[r])
                    rows.push_back(r);
                // Every row whose state changed lies in the span the window redraws.
                if (model[r] != before[r]) {
                    ASSERT_TRUE(changed.first <= r && r <= changed.last) << "seed " << seed << " step " << step;
                }
            }
            ASSERT_EQ(Flags(selection, kRows), expected) << "seed " << seed << " step " << step;
            ASSERT_EQ(selection.Rows(), rows) << "seed " << seed;
            ASSERT_EQ(selection.Count(), rows.size()) << "seed " << seed;
        }
    }
}
