// Copying byte ranges between files: the portable halves of the file seam.
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

std::int64_t AppendFileRange(File& dst, const std::string& srcPath, std::int64_t offset) {
    File src;
    if (!src.Open(srcPath, File::Mode::Read)) return -1;
    const std::int64_t size = src.Size();
    const std::int64_t end = dst.Size();
    if (size < 0 || offset < 0 || end < 0) return -1;
    const std::int64_t len = std::max<std::int64_t>(0, size - offset);
    const std::int64_t copied = CopyFileRange(src, offset, dst, end, len);
    if (copied < 0) {
        // Half an append would leave the file longer than its owner believes.
        (void)dst.Truncate(end);
        dst.Seek(end);
        return -1;
    }
    dst.Seek(end + copied);
    return copied;
}

}  // namespace ks::plat
