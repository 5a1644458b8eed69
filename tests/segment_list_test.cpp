#include "base/segment_list.h"

#include <gtest/gtest.h>

using namespace ks;

namespace {

struct NodeSpec {
    std::int64_t start;
    std::int64_t done;
    SegmentState state;
};

void Fill(SegmentList& list, const std::vector<NodeSpec>& nodes,
          const std::string& name = "f.zip") {
    for (const NodeSpec& n : nodes) {
        ASSERT_TRUE(list.Insert(
            std::make_unique<CSegment>(n.start, SegmentFileName(n.start, name), n.state, n.done)));
    }
}

constexpr auto A = SegmentState::Active;
constexpr auto S = SegmentState::Stopped;
constexpr std::int64_t G4 = std::int64_t(1) << 32;

}  // namespace

TEST(SegmentList, OrderedByStartAndRefusesDuplicateStart) {
    SegmentList list;
    std::lock_guard<std::mutex> g(list.Mutex());
    Fill(list, {{700, 0, A}, {100, 0, A}, {400, 0, S}});
    EXPECT_EQ(list.Insert(std::make_unique<CSegment>(400, "400_other", A)), nullptr);
    ASSERT_EQ(list.Size(), 3u);
    EXPECT_EQ(list.Nodes()[0]->start, 100);
    EXPECT_EQ(list.Nodes()[1]->start, 400);
    EXPECT_EQ(list.Nodes()[1]->fileName, "400_f.zip") << "the refused node must not replace";
    EXPECT_EQ(list.Next(list.Nodes()[1].get()), list.Nodes()[2].get());
    EXPECT_EQ(list.Next(list.Nodes()[2].get()), nullptr);
    auto removed = list.Remove(list.Nodes()[0].get());
    ASSERT_TRUE(removed);
    EXPECT_EQ(removed->start, 100);
    EXPECT_EQ(list.Nodes().front()->start, 400);
}

TEST(SegmentList, ChooseSplitPoint) {
    struct Case {
        const char* what;
        std::vector<NodeSpec> nodes;
        std::int64_t p, t;
        std::int64_t want;  // 0: none, noMore set
    };
    const Case cases[] = {
        {"empty list splits the rest in the middle", {}, 0, 1000000, 500000},
        {"empty list, exactly the floor left", {}, 900000, 1000000, 950000},
        {"less than the floor left", {}, 900001, 1000000, 0},
        {"main connection past the end", {}, 1000001, 1000000, 0},
        {"running segment's range halved", {{500000, 0, A}}, 0, 1000000, 750000},
        {"gap in front of the first node is larger", {{500000, 300000, A}}, 0, 1000000, 250000},
        {"half of the best range only 100000", {{500000, 300000, A}}, 400000, 1000000, 0},
        {"a stopped node is split in front of", {{500000, 0, S}}, 0, 1000000, 250000},
        {"nothing running, front gap passed", {{300000, 0, S}}, 400000, 1000000, 0},
        {"first of two equal halves wins",
         {{200000, 0, A}, {600000, 0, A}},
         200000,
         1000000,
         400000},
        {"largest of several ranges",
         {{100000, 50000, A}, {300000, 0, A}, {2000000, 0, A}},
         100000,
         3000000,
         1150000},
        {"offsets beyond 4 GiB", {}, G4, 3 * G4, 2 * G4},
        {"running segment beyond 4 GiB", {{2 * G4, 0, A}}, 0, 4 * G4, 3 * G4},
    };
    for (const Case& c : cases) {
        SegmentList list;
        std::lock_guard<std::mutex> g(list.Mutex());
        Fill(list, c.nodes);
        bool noMore = false;
        EXPECT_EQ(list.ChooseSplitPoint(c.p, c.t, noMore), c.want) << c.what;
        EXPECT_EQ(noMore, c.want == 0) << c.what;
    }
}

TEST(SegmentList, FindResumableAndFindAt) {
    SegmentList list;
    std::lock_guard<std::mutex> g(list.Mutex());
    const std::string f = "file08.zip";
    Fill(list, {{100000, 0, S}, {150000, 0, S}}, f);      // 50000 free: too little
    Fill(list, {{200000, 0, S}}, "file07.zip");           // left from the previous file
    Fill(list, {{400000, 10000, S}, {900000, 0, A}}, f);  // 490000 free
    Fill(list, {{950000, 0, S}}, f);                      // last: up to totalSize

    CSegment* r = list.FindResumable(f, 1000000);
    ASSERT_TRUE(r);
    EXPECT_EQ(r->start, 400000);

    r->doNotReuse = true;
    EXPECT_EQ(list.FindResumable(f, 1000000), nullptr);
    EXPECT_EQ(list.FindResumable(f, 1100001)->start, 950000);
    r->doNotReuse = false;

    CProject* fakeWorker = reinterpret_cast<CProject*>(&list);  // only compared with null
    r->worker = fakeWorker;
    EXPECT_EQ(list.FindAt(400000, f), nullptr) << "a node with a worker is busy";
    r->worker = nullptr;
    EXPECT_EQ(list.FindAt(400000, "FILE08.Zip"), r) << "belonging ignores case";
    EXPECT_EQ(list.FindAt(900000, f), nullptr) << "active";
    EXPECT_EQ(list.FindAt(200000, f), nullptr) << "node of another file";
    EXPECT_NE(list.FindAt(200000, "file07.zip"), nullptr);
    EXPECT_EQ(list.FindAt(123, f), nullptr);
}
