// The engine update: about once a week, at the start of a search, the user is
// asked whether to fetch fresh engine definitions; the answer "yes" downloads
// "update.ini" and merges it key by key into "search.ini", keeping the engines
// the user switched off.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

#include "search/engine_defs.h"

namespace ks {

class CProject;

// An update is due this long after the last settled one (or at once when the
// recorded time lies in the future).
inline constexpr std::int64_t kEngineUpdatePeriod = 600000;

struct EngineUpdateFlags {
    // The question was settled since the program started.
    std::atomic<bool> asked{false};
    // Some search is asking or updating right now; others wait for it.
    std::atomic<bool> running{false};

    // The searches waiting for `running` to clear: each waits on its own
    // project (so its stop wakes it too), and Finish wakes them all.
    void AddWaiter(CProject* p);
    void RemoveWaiter(CProject* p);
    // Clears `running` and wakes the waiters.
    void Finish();

  private:
    std::mutex mu_;
    std::vector<CProject*> waiters_;
};
EngineUpdateFlags& GlobalEngineUpdateFlags();

// Whether the update should be offered at time `now` (seconds since 1970).
bool EngineUpdateDue(const EngineDefs& defs, std::int64_t now);

// The search worker's call before it reads its limits. `ask` puts the
// question; `fetch` downloads the update page (empty on failure).
struct EngineUpdateIo {
    std::function<bool()> ask;
    std::function<std::string(const std::string&)> fetch;
    std::string programFolder;
};
void CheckEngineUpdate(CProject& project, const EngineDefs& defs, const EngineUpdateIo& io);
void RunEngineUpdate(CProject& project, const EngineDefs& defs, const EngineUpdateIo& io);

// Copies the definitions of `source` into the file `destination`. False when
// the destination could not be written.
bool MergeEngineUpdate(const std::string& source, const std::string& destination, std::int64_t now);

// "Update search engines on next search".
void ResetEngineUpdate(const EngineDefs& defs);

}  // namespace ks
