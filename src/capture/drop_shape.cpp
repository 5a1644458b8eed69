#include "capture/drop_shape.h"

#include <algorithm>

namespace ks {

std::vector<ShapeRect> ShapeRuns(const std::vector<std::uint32_t>& pixels, int width, int height) {
    std::vector<ShapeRect> runs;
    if (width <= 0 || height <= 0 ||
        pixels.size() < static_cast<std::size_t>(width) * static_cast<std::size_t>(height))
        return runs;
    const std::uint32_t key = pixels[0];
    for (int y = 0; y < height; ++y) {
        const std::uint32_t* row = pixels.data() + static_cast<std::size_t>(y) * width;
        int x = 0;
        while (x < width) {
            while (x < width && row[x] == key) ++x;
            if (x == width) break;
            int start = x;
            while (x < width && row[x] != key) ++x;
            runs.push_back({start, y, x, y + 1});
        }
    }
    return runs;
}

DropPosition StartupDropPosition(DropPosition stored, int screenWidth, int screenHeight) {
    DropPosition p = stored;
    if (p.x == 0 && p.y == 0) return {screenWidth - 50, 50};
    if (p.x > screenWidth) p.x = screenWidth - 50;
    if (p.y > screenHeight) p.y = 50;
    // A position left of or above the screen (another monitor set-up) would
    // hide the window just as well.
    if (p.x < 0) p.x = 0;
    if (p.y < 0) p.y = 0;
    return p;
}

DropPosition ClampDropPosition(DropPosition p, int screenWidth, int screenHeight) {
    return {std::clamp(p.x, 0, std::max(0, screenWidth - kDropSize)),
            std::clamp(p.y, 0, std::max(0, screenHeight - kDropSize))};
}

}  // namespace ks
