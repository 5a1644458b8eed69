// Cutting an engine's result page into hits: one line per hit,
// "url||title||description||\n". The page is an ordinary HTML page written
// for people and possibly hostile, so every scan is bounded: the page is cut
// at kMaxEnginePage, at most kMaxRecords records and kMaxCandidates addresses
// are looked at, and titles and descriptions are cut to a readable length.
#pragma once

#include <atomic>
#include <cstddef>
#include <functional>
#include <string>
#include <string_view>

#include "search/engine_defs.h"

namespace ks {

inline constexpr std::size_t kMaxEnginePage = 4u << 20;
inline constexpr std::size_t kMaxRecords = 1000;
inline constexpr std::size_t kMaxCandidates = 4096;
inline constexpr std::size_t kMaxHits = 200;  // per engine page
inline constexpr std::size_t kMaxHitUrl = 2048;
inline constexpr std::size_t kMaxTitle = 1024;
inline constexpr std::size_t kMaxDescription = 2048;

struct ExtractContext {
    const EngineDef* engine = nullptr;
    std::string_view types;                   // the category's types value
    const std::atomic<bool>* stop = nullptr;  // polled between steps
    // Fetches a page for "dig" (empty on failure); absent: no digging.
    std::function<std::string(const std::string&)> fetch;

    bool Stopped() const { return stop && stop->load(std::memory_order_relaxed); }
};

// The hit lines of one engine page.
std::string ExtractHits(std::string_view page, const ExtractContext& ctx);

// title + "||" + description + "||" from record[start..], t1 ending the title
// and t2 the description (both matched without regard to case).
std::string ExtractTitleAndDescription(std::string_view record, std::size_t start,
                                       std::string_view t1, std::string_view t2);

// The text without tags, trimmed.
std::string StripTags(std::string_view text);

// Whether an address fits a category: a file of one of its types, or, for a
// category of web pages (types mentioning "htm"), a page or folder.
bool IsAcceptedLink(std::string_view types, std::string_view url);

// A click-counter address reduced to the address wrapped inside it.
std::string UnwrapRedirect(std::string url, std::string_view types,
                           const std::atomic<bool>* stop = nullptr);

// The first quoted piece of a page that IsAcceptedLink takes, or empty.
std::string FirstAcceptedLink(std::string_view page, std::string_view types);

}  // namespace ks
