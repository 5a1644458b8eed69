// How a project's last run ended, kept beside its project file ("%d.out") so
// that another process (the command line's `list --long`) can tell a user
// what happened and why, after the worker that knew it is gone.
//
// The file is two lines: the final status ("Completed.", "Error", "Stopped",
// "Invalid URL") and the failure text, empty when nothing failed.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "base/status_event.h"

namespace ks {

class CProject;

struct Outcome {
    std::string status;
    std::string why;
};

// The outcome file of a project file ("...\12.kpr" -> "...\12.out").
std::string OutcomePath(const std::string& projectFile);

// "skipped 2 5": the numbers of a series that were passed over.
std::string SkippedText(const std::vector<std::int64_t>& numbers);

// Written by the worker at its end with its final event and the project's
// failure text. Unchanged files are not written again.
bool SaveOutcome(CProject& project, StatusEvent finalEvent);
std::optional<Outcome> ReadOutcome(const std::string& projectFile);

}  // namespace ks
