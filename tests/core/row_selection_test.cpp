#include <gtest/gtest.h>

#include <algorithm>

#include "list/row_selection.h"

namespace {

TEST(RowSelection, AnswersTheSelectedRowsAscendingWhateverTheOrderOfClicks) {
    const struct {
        std::vector<int> before;  // rows toggled first
        bool selectAll;
        std::vector<int> after;  // rows toggled then
        std::vector<int> selected;
    } cases[] = {
        {{4, 0, 2}, false, {}, {0, 2, 4}},  // clicked out of order
        {{4, 0, 4}, false, {}, {0}},        // a second click takes a row out
        {{3}, true, {5, 1}, {0, 2, 3, 4}},  // all, then two taken out
        {{}, true, {0, 1, 4}, {2, 3, 5}},   // all, then the first two taken out
        {{6, -1}, false, {}, {}},           // rows the list does not have
    };
    for (const auto& c : cases) {
        RowSelection selection;
        selection.Reset(6);
        for (const int row : c.before) {
            selection.Toggle(row);
        }
        if (c.selectAll) {
            selection.SelectAll();
        }
        for (const int row : c.after) {
            selection.Toggle(row);
        }
        EXPECT_EQ(selection.Indices(), c.selected);
        // What a screen reader asks: how many, and the nth.
        const int count = static_cast<int>(c.selected.size());
        EXPECT_EQ(selection.Count(), count);
        for (int n = 0; n <= count; ++n) {
            EXPECT_EQ(selection.NthSelected(n), n < count ? c.selected[n] : -1) << n;
        }
        for (int row = -1; row <= 6; ++row) {
            const bool listed = std::count(c.selected.begin(), c.selected.end(), row) == 1;
            EXPECT_EQ(selection.IsSelected(row), listed) << row;
        }
        // A refresh starts over with nothing selected.
        selection.Reset(6);
        EXPECT_TRUE(selection.Indices().empty());
    }
}

}  // namespace
