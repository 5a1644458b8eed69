// The live progress line of a transfer on the terminal.
#pragma once

#include <cstdint>
#include <string>

#include "projects/row_text.h"

namespace ks::cli {

// "[=====>    ] " then the row's Size, Status, Rate and Time left, cut to width
// columns. The bar follows the Size column ("done/total"); with an unknown
// total it stays empty.
std::string ProgressLine(const RowTexts& row, int width);

// Redraws at most every intervalMs; pads over the previous, longer line.
class ProgressPrinter {
  public:
    explicit ProgressPrinter(bool enabled, std::int64_t intervalMs = 250)
        : enabled_(enabled), intervalMs_(intervalMs) {}
    void Draw(const RowTexts& row, bool force = false);
    void End();  // moves past the line

  private:
    bool enabled_;
    std::int64_t intervalMs_;
    std::int64_t lastMs_ = -1;
    std::size_t lastLen_ = 0;
};

}  // namespace ks::cli
