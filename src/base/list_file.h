// Line lists kept beside a project: the upload list (.lst), the mirror list
// (.mir) and the segment list (.cac). Each entry ends at a line feed and is
// kept byte for byte; text after the last line feed is ignored.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace ks {

// Project files are small. One beyond these sizes is damaged or not ours and
// is left unread rather than taken whole into memory.
inline constexpr std::int64_t kProjectFileMax = 1024 * 1024;
inline constexpr std::int64_t kListFileMax = 16 * 1024 * 1024;

// The whole file when it is no larger than limit; false otherwise.
bool ReadBounded(const std::string& path, std::int64_t limit, std::string& text);

// Entries up to each line feed.
std::vector<std::string> ListEntries(const std::string& text);

// Replaces the file whole, one entry per line, line breaks inside entries dropped.
bool WriteList(const std::string& path, const std::vector<std::string>& entries);

// Entries of a list file. False when the file is missing, unreadable or larger
// than kListFileMax.
bool ReadUploadList(const std::string& path, std::vector<std::string>& entries);
// The same, with every failure read as an empty list.
std::vector<std::string> ReadUploadList(const std::string& path);

}  // namespace ks
