// The texts and image of one job-list row, formed from a project and the event
// that made it change. Kept apart from any window so every view (the Win32
// list, the terminal) shows exactly the same row.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "base/status_event.h"

namespace ks {

class CProject;

enum RowColumn : int {
    ColBaseUrl = 0,
    ColSize = 1,
    ColFrom = 2,
    ColTo = 3,
    ColStatus = 4,
    ColRate = 5,
    ColTimeLeft = 6,
    ColFileName = 7,
    kRowColumns = 8,
};

// Column headers in display order.
const char* ColumnHeader(int column);

struct RowTexts {
    std::array<std::string, kRowColumns> columns;
    int image = 4;  // index into the 24-image strip: imageBase + 8 (upload) / + 16 (search)
};

// Applies the event to the project's state image (imageBase) and returns the
// row as it must now be shown. Called from the UI thread and worker threads.
RowTexts FormatRow(CProject& project, StatusEvent event);

// "%d:%d:%d " from the bytes left and the rate (kB/s). Remaining bytes are
// clamped at 0 so a size that is unknown or already exceeded does not wrap.
std::string FormatTimeLeft(std::int64_t totalSize, std::int64_t done, double rateKbps);

}  // namespace ks
