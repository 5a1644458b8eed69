#include "cli/cli_progress.h"

#include <charconv>
#include <cstdio>

#include "cli/cli_engine.h"
#include "platform/clock.h"

namespace ks::cli {
namespace {

// done and total from "done/total[ (R)]"; false when the total is unknown.
bool SizeFraction(const std::string& size, double& fraction) {
    std::int64_t done = 0, total = 0;
    const char* b = size.data();
    const char* e = b + size.size();
    auto r1 = std::from_chars(b, e, done);
    if (r1.ec != std::errc() || r1.ptr == e || *r1.ptr != '/') return false;
    auto r2 = std::from_chars(r1.ptr + 1, e, total);
    if (r2.ec != std::errc() || total <= 0) return false;
    fraction = done >= total ? 1.0 : double(done) / double(total);
    return true;
}

}  // namespace

std::string ProgressLine(const RowTexts& row, int width) {
    constexpr int kBar = 20;
    std::string bar(kBar, ' ');
    double f = 0;
    if (SizeFraction(row.columns[ColSize], f)) {
        const int filled = int(f * kBar);
        for (int k = 0; k < filled; ++k) bar[k] = '=';
        if (filled < kBar && filled > 0) bar[filled] = '>';
    }
    std::string line = "[" + bar + "] " + row.columns[ColSize] + "  " + row.columns[ColStatus] +
                       "  " + row.columns[ColRate] + "  " + row.columns[ColTimeLeft];
    while (!line.empty() && line.back() == ' ') line.pop_back();
    // One column short of the width, so the terminal never wraps the line.
    if (width > 1 && line.size() >= std::size_t(width)) line.resize(std::size_t(width - 1));
    return line;
}

void ProgressPrinter::Draw(const RowTexts& row, bool force) {
    if (!enabled_) return;
    const std::int64_t now = plat::MonotonicMs();
    if (!force && lastMs_ >= 0 && now - lastMs_ < intervalMs_) return;
    lastMs_ = now;
    std::string line = ProgressLine(row, TerminalWidth());
    const std::size_t len = line.size();
    if (len < lastLen_) line.append(lastLen_ - len, ' ');
    lastLen_ = len;
    std::fprintf(stderr, "\r%s", line.c_str());
    std::fflush(stderr);
}

void ProgressPrinter::End() {
    if (enabled_ && lastMs_ >= 0) std::fputc('\n', stderr);
    lastMs_ = -1;
    lastLen_ = 0;
}

}  // namespace ks::cli
