#include "projects/row_moves.h"

#include <algorithm>

namespace ks {

std::vector<RowMove> PlanRowMoves(std::vector<int> rows, int target, int count) {
    std::vector<RowMove> plan;
    if (target < 0 || target > count) target = count;
    for (std::size_t i = 0; i < rows.size(); ++i) {
        int a = rows[i];
        if (a < 0 || a >= count) continue;
        if (a == target) {
            // Already where the block starts: the next row goes after it.
            ++target;
            continue;
        }
        if (a == target - 1) continue;  // already just before the insertion point
        if (a < target) {
            // Rows between a and target slide up one place; the insertion
            // point stays put, now just after the moved row.
            plan.push_back({a, target - 1});
            for (std::size_t j = i + 1; j < rows.size(); ++j)
                if (rows[j] > a && rows[j] < target) --rows[j];
        } else {
            plan.push_back({a, target});
            for (std::size_t j = i + 1; j < rows.size(); ++j)
                if (rows[j] >= target && rows[j] < a) ++rows[j];
            ++target;
        }
    }
    return plan;
}

std::vector<int> ApplyRowMoves(int count, const std::vector<RowMove>& moves) {
    std::vector<int> order(static_cast<std::size_t>(std::max(count, 0)));
    for (int i = 0; i < count; ++i) order[static_cast<std::size_t>(i)] = i;
    for (const RowMove& m : moves) {
        int v = order[static_cast<std::size_t>(m.from)];
        order.erase(order.begin() + m.from);
        order.insert(order.begin() + m.to, v);
    }
    return order;
}

}  // namespace ks
