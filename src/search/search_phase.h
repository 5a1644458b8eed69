// The two phases of a search, each with its own threads: the engine phase
// (queries and merge) and the offline phase (copies of the hits).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "search/cancel_slot.h"
#include "search/engine_defs.h"

namespace ks {

class CProject;

// A phase waits for its threads, but redraws its row at least this often.
inline constexpr std::int64_t kSearchTickMs = 500;

struct SearchHit {
    int index = 0;
    std::string url, title, description;
    std::string engineName, engineHome;
};

struct SearchPlan {
    int category = 0;
    SearchMethod method = SearchMethod::AllWords;
    std::string keywords;
    int engineCount = 0;
    int maxThread = 10;
    int maxResults = 10;
    std::string types;
    bool copies = false;
    std::string copyFolderName;  // the frameset name up to its first "."
};

struct EnginePhaseResult {
    std::vector<SearchHit> hits;  // in merge order
    std::string hitLines;         // the results page's lines for them
};

EnginePhaseResult RunEnginePhase(CProject& project, const EngineDefs& defs, const SearchPlan& plan);

// Returns how many hits count as copied (all of them, also after a stop).
int RunOfflinePhase(CProject& project, const std::vector<SearchHit>& hits, const SearchPlan& plan,
                    const std::string& dataFolder);

// One offline copy: GET with one redirect followed; the page text goes to
// copyFolder/<index>.html. 1 when saved.
int CopyHitPage(CProject& project, const SearchHit& hit, const std::string& copyFolder,
                CancelSlot& slot);

}  // namespace ks
