// Making a search project: what the Search dialog's OK and kestrune-cli search
// both create, through the queue's one way of making projects.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

#include "projects/queue.h"

namespace ks {

struct NewSearch {
    std::string keywords;
    int category = 0;  // 0-based
    int method = 0;    // 0 all words, 1 any word, 2 exact phrase
    bool copies = false;
    bool images = false;
    std::int64_t number = 0;  // the search number; 0: take a fresh one
};

// A search number for new pages in the results folder: the current time, or
// the next free number, so two searches never share their pages.
std::int64_t NewSearchNumber(const std::string& dataFolder);

// Adds the search to the job list as a new project of the queue (its files
// written) and returns its row; nullopt when its files could not be written.
// The results go to the program folder's "Data".
std::optional<std::size_t> AddSearchProject(ProjectQueue& queue, const NewSearch& s,
                                            const std::string& programFolder);

}  // namespace ks
