// Segment bookkeeping of one segmented download, as a plain data structure.
//
// The nodes are kept ordered by start offset; no two share a start. One mutex
// per list guards the structure (insert, remove, walk); a node's bytesDone and
// state are atomics because its segment worker updates them without the lock.
// The transfer logic (when to split, merge, stop) lives in segments.h and uses
// this list; everything here is testable without sockets or threads.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace ks {

class CProject;

enum class SegmentState : std::uint32_t { New = 0, Active = 1, Stopped = 2 };

// The smallest remainder worth a new segment.
inline constexpr std::int64_t kMinSegmentBytes = 100000;

class CSegment {
  public:
    CSegment(std::int64_t start, std::string fileName, SegmentState state,
             std::int64_t bytesDone = 0);
    virtual ~CSegment();

    const std::int64_t start;
    std::atomic<std::int64_t> bytesDone{0};
    const std::string fileName;  // "%d_%s": start and the project's fileName
    std::atomic<SegmentState> state{SegmentState::New};
    // The worker serving this node, named, never owned: its thread owns it,
    // and it clears this (ReturnSegment) under the list lock before it ends.
    std::atomic<CProject*> worker{nullptr};
    std::atomic<bool> doNotReuse{false};
    std::atomic<bool> stopAsked{false};

    // The node belongs to a project whose fileName this is: its file name,
    // lower-cased, contains the project's, lower-cased.
    bool BelongsTo(const std::string& projectFileName) const;
};

class SegmentList {
  public:
    SegmentList();
    ~SegmentList();
    SegmentList(const SegmentList&) = delete;
    SegmentList& operator=(const SegmentList&) = delete;

    // Callers hold this while they walk or change the list.
    std::mutex& Mutex() const { return mu_; }
    // Notified when a node stops or a worker lets go of one, and on a stop
    // request; waited on with Mutex().
    std::condition_variable& Changed() const { return changed_; }

    // --- all below expect Mutex() held by the caller ---
    bool Empty() const { return nodes_.empty(); }
    std::size_t Size() const { return nodes_.size(); }
    // Ordered by start, ascending.
    const std::vector<std::unique_ptr<CSegment>>& Nodes() const { return nodes_; }
    // Links node in by start; refuses (returns nullptr, node destroyed) a start
    // already listed. Returns the stored node.
    CSegment* Insert(std::unique_ptr<CSegment> node);
    // Unlinks and returns the node (the caller decides its fate); its file is untouched.
    std::unique_ptr<CSegment> Remove(CSegment* node);
    void Clear();
    // Node after `node` in start order, or nullptr.
    CSegment* Next(const CSegment* node) const;

    // Stopped, belongs, doNotReuse clear, no worker, start == a.
    CSegment* FindAt(std::int64_t a, const std::string& fileName) const;
    // First Stopped node that belongs, has doNotReuse clear, no worker, and
    // leaves more than kMinSegmentBytes free after its data (up to the next
    // node's start, or totalSize for the last node).
    CSegment* FindResumable(const std::string& fileName, std::int64_t totalSize) const;
    // The split point for a new segment given the main connection's position
    // (bytesDone) and the total size; 0 with noMore set when none is worth it.
    std::int64_t ChooseSplitPoint(std::int64_t bytesDone, std::int64_t totalSize,
                                  bool& noMore) const;

  private:
    mutable std::mutex mu_;
    mutable std::condition_variable changed_;
    std::vector<std::unique_ptr<CSegment>> nodes_;
};

// "%d_%s" of start and the project's file name.
std::string SegmentFileName(std::int64_t start, const std::string& projectFileName);

}  // namespace ks
