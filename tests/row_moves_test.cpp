#include "projects/row_moves.h"

#include <gtest/gtest.h>

namespace ks {
namespace {

TEST(PlanRowMoves, DraggedRowsLandTogetherInTheirOldOrder) {
    struct Case {
        const char* what;
        int count;
        std::vector<int> rows;
        int target;
        std::vector<int> order;
    } cases[] = {
        {"three rows after a later row", 8, {1, 3, 4}, 7, {0, 2, 5, 6, 1, 3, 4, 7}},
        {"three rows before an earlier row", 8, {3, 5, 6}, 1, {0, 3, 5, 6, 1, 2, 4, 7}},
        {"rows from both sides of the target", 6, {0, 4}, 2, {1, 0, 4, 2, 3, 5}},
        {"to the end", 4, {0, 1}, 4, {2, 3, 0, 1}},
        {"beyond the end means the end", 4, {1}, 9, {0, 2, 3, 1}},
        {"negative target means the end", 3, {0}, -1, {1, 2, 0}},
        {"block already in place", 6, {2, 3}, 2, {0, 1, 2, 3, 4, 5}},
        {"block just before the target", 6, {2, 3}, 4, {0, 1, 2, 3, 4, 5}},
        {"single row onto itself", 3, {1}, 1, {0, 1, 2}},
        {"first row to second place", 3, {0}, 2, {1, 0, 2}},
    };
    for (const Case& c : cases) {
        auto plan = PlanRowMoves(c.rows, c.target, c.count);
        EXPECT_EQ(ApplyRowMoves(c.count, plan), c.order) << c.what;
        for (const RowMove& m : plan) {
            EXPECT_NE(m.from, m.to) << c.what;
            EXPECT_GE(m.to, 0) << c.what;
            EXPECT_LT(m.to, c.count) << c.what;
        }
    }
}

}  // namespace
}  // namespace ks
