#include "base/segment_list.h"

#include <algorithm>
#include <cctype>

#include "base/text.h"

namespace ks {

CSegment::CSegment(std::int64_t start_, std::string fileName_, SegmentState state_,
                   std::int64_t bytesDone_)
    : start(start_), bytesDone(bytesDone_), fileName(std::move(fileName_)), state(state_) {}

// The worker is not destroyed here: whoever removes a node decides about a
// worker that may still be running (see CProject's destruction).
CSegment::~CSegment() = default;

bool CSegment::BelongsTo(const std::string& projectFileName) const {
    return AsciiLower(fileName).find(AsciiLower(projectFileName)) != std::string::npos;
}

SegmentList::SegmentList() = default;
SegmentList::~SegmentList() = default;

CSegment* SegmentList::Insert(std::unique_ptr<CSegment> node) {
    if (!node) return nullptr;
    auto at = std::lower_bound(
        nodes_.begin(), nodes_.end(), node->start,
        [](const std::unique_ptr<CSegment>& n, std::int64_t start) { return n->start < start; });
    if (at != nodes_.end() && (*at)->start == node->start) return nullptr;
    CSegment* stored = node.get();
    nodes_.insert(at, std::move(node));
    return stored;
}

std::unique_ptr<CSegment> SegmentList::Remove(CSegment* node) {
    auto at = std::find_if(nodes_.begin(), nodes_.end(),
                           [node](const std::unique_ptr<CSegment>& n) { return n.get() == node; });
    if (at == nodes_.end()) return nullptr;
    std::unique_ptr<CSegment> out = std::move(*at);
    nodes_.erase(at);
    return out;
}

void SegmentList::Clear() {
    nodes_.clear();
}

CSegment* SegmentList::Next(const CSegment* node) const {
    for (std::size_t i = 0; i + 1 < nodes_.size(); ++i) {
        if (nodes_[i].get() == node) return nodes_[i + 1].get();
    }
    return nullptr;
}

static bool Reusable(const CSegment& n, const std::string& fileName) {
    return n.state == SegmentState::Stopped && !n.doNotReuse && n.worker.load() == nullptr &&
           n.BelongsTo(fileName);
}

CSegment* SegmentList::FindAt(std::int64_t a, const std::string& fileName) const {
    for (const auto& n : nodes_) {
        if (n->start == a && Reusable(*n, fileName)) return n.get();
    }
    return nullptr;
}

CSegment* SegmentList::FindResumable(const std::string& fileName, std::int64_t totalSize) const {
    for (std::size_t i = 0; i < nodes_.size(); ++i) {
        const CSegment& n = *nodes_[i];
        if (!Reusable(n, fileName)) continue;
        std::int64_t end = i + 1 < nodes_.size() ? nodes_[i + 1]->start : totalSize;
        // Signed: a segment that already ran into its successor has nothing left.
        if (end - (n.start + n.bytesDone) > kMinSegmentBytes) return nodes_[i].get();
    }
    return nullptr;
}

// The first segment splits the remainder in the middle; later ones split the
// largest range still to fetch, either by a running segment or by the main
// connection in front of the first node, never leaving kMinSegmentBytes or less.
std::int64_t SegmentList::ChooseSplitPoint(std::int64_t bytesDone, std::int64_t totalSize,
                                           bool& noMore) const {
    const std::int64_t P = bytesDone, T = totalSize;
    if (T - P < kMinSegmentBytes) {
        noMore = true;
        return 0;
    }
    if (nodes_.empty()) return P + (T - P) / 2;

    const CSegment* best = nullptr;
    std::int64_t bestHalf = 0;
    for (std::size_t i = 0; i < nodes_.size(); ++i) {
        const CSegment& n = *nodes_[i];
        if (n.state != SegmentState::Active) continue;
        std::int64_t from = n.start + n.bytesDone;
        std::int64_t to = i + 1 < nodes_.size() ? nodes_[i + 1]->start : T;
        if (to <= from) continue;
        std::int64_t half = (to - from) / 2;
        if (!best || half > bestHalf) {
            best = &n;
            bestHalf = half;
        }
    }

    const std::int64_t F = nodes_.front()->start;
    if (F > P && (F - P) / 2 > bestHalf) {
        if ((F - P) / 2 > kMinSegmentBytes) return P + (F - P) / 2;
        noMore = true;
        return 0;
    }
    if (best && bestHalf > kMinSegmentBytes) {
        std::int64_t a = best->start + best->bytesDone + bestHalf;
        if (a < T) return a;
    }
    noMore = true;
    return 0;
}

std::string SegmentFileName(std::int64_t start, const std::string& projectFileName) {
    return std::to_string(start) + "_" + projectFileName;
}

}  // namespace ks
