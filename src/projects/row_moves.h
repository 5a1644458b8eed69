// Planning a drag of several job-list rows to a new place. The plan is a list
// of single-row moves that a row model can apply one after another.
#pragma once

#include <vector>

namespace ks {

struct RowMove {
    int from;  // index before this move
    int to;    // index the row ends at
};

// rows: the dragged rows' indices in ascending order; target: the insertion
// index (the row the rows go before; count means the end). The dragged rows
// end up together, in their old order, before the row that was at target.
// Rows already in place are not moved.
std::vector<RowMove> PlanRowMoves(std::vector<int> rows, int target, int count);

// The effect of the plan on the order 0..count-1 (for checking a plan, and
// for finding where the dragged rows end up).
std::vector<int> ApplyRowMoves(int count, const std::vector<RowMove>& moves);

}  // namespace ks
