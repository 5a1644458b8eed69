// Copying a byte range between open files through user memory, for systems and
// pairs of files the kernel cannot copy between.
#include <algorithm>
#include <vector>

#include "platform/files.h"

namespace ks::plat {

std::int64_t CopyFileRangeBuffered(File& src, std::int64_t srcOffset, File& dst,
                                   std::int64_t dstOffset, std::int64_t len) {
    if (srcOffset < 0 || dstOffset < 0 || len < 0) return -1;
    if (len == 0) return 0;
    if (!src.Seek(srcOffset) || !dst.Seek(dstOffset)) return -1;
    // Large enough that the calls cost nothing beside the copying; allocated
    // no larger than the range.
    std::vector<char> buf(static_cast<std::size_t>(std::min<std::int64_t>(len, 4 << 20)));
    std::int64_t total = 0;
    while (total < len) {
        const auto want = static_cast<std::size_t>(
            std::min<std::int64_t>(len - total, static_cast<std::int64_t>(buf.size())));
        const std::int64_t n = src.Read(buf.data(), want);
        if (n < 0) return -1;
        if (n == 0) break;  // src ends before the range does
        if (!dst.Write(buf.data(), static_cast<std::size_t>(n))) return -1;
        total += n;
    }
    return total;
}

}  // namespace ks::plat
