// The drop window's geometry: the shape cut from its picture and where it may
// stand on the screen.
#pragma once

#include <cstdint>
#include <vector>

namespace ks {

inline constexpr int kDropSize = 32;

struct ShapeRect {
    int left, top, right, bottom;
    bool operator==(const ShapeRect&) const = default;
};

// The visible part of a width x height picture (row-major colours): every
// horizontal run of pixels that differ from the key colour, pixel (0, 0).
// A picture all of the key colour gives no rectangles (the whole square shows).
std::vector<ShapeRect> ShapeRuns(const std::vector<std::uint32_t>& pixels, int width, int height);

struct DropPosition {
    int x, y;
    bool operator==(const DropPosition&) const = default;
};

// The stored position at start-up: off the screen to the right or below (or
// never set, 0/0) puts the window near the top right corner.
DropPosition StartupDropPosition(DropPosition stored, int screenWidth, int screenHeight);

// Where a move leaves the window: wholly on the screen.
DropPosition ClampDropPosition(DropPosition p, int screenWidth, int screenHeight);

}  // namespace ks
