// Making a search project: what the Search dialog's OK and kestrune-cli search
// both create.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "base/project.h"

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

// The project with its files written; null when they could not be.
std::unique_ptr<CProject> CreateSearchProject(const NewSearch& s, const std::string& programFolder,
                                              std::int32_t position);

}  // namespace ks
