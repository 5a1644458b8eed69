#include "projects/row_model.h"

#include <gtest/gtest.h>

#include "base/project.h"

namespace ks {
namespace {

// A scripted sequence of structural changes; after each one every lookup by
// project must agree with the row order.
struct Step {
    enum Op { Append, InsertAt, Remove, Move } op;
    int a = 0;  // the project's number (Append, InsertAt, Remove) or the row to move
    int b = 0;  // the insert index or the move's target
};

void ExpectConsistent(RowModel& rows, const std::vector<CProject*>& all, const std::string& what) {
    std::vector<CProject*> order = rows.Projects();
    ASSERT_EQ(order.size(), rows.Count()) << what;
    for (std::size_t i = 0; i < order.size(); ++i) {
        EXPECT_EQ(rows.IndexOf(order[i]), std::optional<std::size_t>(i)) << what;
        EXPECT_EQ(rows.OwnerOf(order[i]).get(), order[i]) << what;
    }
    for (CProject* p : all) {
        bool listed = std::find(order.begin(), order.end(), p) != order.end();
        EXPECT_EQ(rows.Contains(p), listed) << what;
        EXPECT_EQ(rows.Update(p, RowTexts{}), listed) << what;
    }
}

TEST(RowModel, LookupsFollowEveryChangeOfOrder) {
    struct Case {
        const char* what;
        std::vector<Step> steps;
        std::vector<int> order;
    } cases[] = {
        {"appends", {{Step::Append, 0}, {Step::Append, 1}, {Step::Append, 2}}, {0, 1, 2}},
        {"insert at the front",
         {{Step::Append, 0}, {Step::Append, 1}, {Step::InsertAt, 2, 0}},
         {2, 0, 1}},
        {"remove the first",
         {{Step::Append, 0}, {Step::Append, 1}, {Step::Append, 2}, {Step::Remove, 0}},
         {1, 2}},
        {"remove the middle then the last",
         {{Step::Append, 0},
          {Step::Append, 1},
          {Step::Append, 2},
          {Step::Remove, 1},
          {Step::Remove, 2}},
         {0}},
        {"move down and up",
         {{Step::Append, 0},
          {Step::Append, 1},
          {Step::Append, 2},
          {Step::Append, 3},
          {Step::Move, 0, 3},
          {Step::Move, 2, 1}},
         {1, 3, 2, 0}},
        {"a project appended twice keeps one row",
         {{Step::Append, 0}, {Step::Append, 1}, {Step::Append, 0}},
         {0, 1}},
        {"removed and appended again goes last",
         {{Step::Append, 0}, {Step::Append, 1}, {Step::Remove, 0}, {Step::Append, 0}},
         {1, 0}},
    };
    for (const Case& c : cases) {
        std::vector<ProjectPtr> owners;
        std::vector<CProject*> all;
        for (int i = 0; i < 4; ++i) {
            owners.push_back(std::make_shared<CProject>());
            all.push_back(owners.back().get());
        }
        RowModel rows;
        for (const Step& s : c.steps) {
            switch (s.op) {
                case Step::Append:
                    rows.Append(owners[s.a], RowTexts{});
                    break;
                case Step::InsertAt:
                    rows.Insert(std::size_t(s.b), owners[s.a], RowTexts{});
                    break;
                case Step::Remove:
                    EXPECT_TRUE(rows.Remove(all[s.a])) << c.what;
                    break;
                case Step::Move:
                    EXPECT_TRUE(rows.Move(std::size_t(s.a), std::size_t(s.b)));
                    break;
            }
            ExpectConsistent(rows, all, c.what);
        }
        std::vector<CProject*> want;
        for (int i : c.order) want.push_back(all[i]);
        EXPECT_EQ(rows.Projects(), want) << c.what;
        EXPECT_FALSE(rows.Remove(nullptr)) << c.what;
    }
}

}  // namespace
}  // namespace ks
