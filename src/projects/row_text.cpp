#include "projects/row_text.h"

#include <algorithm>
#include <cinttypes>
#include <cstdio>

#include "base/project.h"

namespace ks {
namespace {

struct SegmentSums {
    std::int64_t bytes = 0;
    int active = 0;
    double rate = 0;
};

SegmentSums SumSegments(CProject& p) {
    SegmentSums s;
    if (p.settings.segments.load() <= 0) return s;
    std::lock_guard<std::mutex> g(p.segmentList.Mutex());
    for (const auto& node : p.segmentList.Nodes()) {
        s.bytes += node->bytesDone.load();
        CProject* w = node->worker.load();
        if (node->state.load() == SegmentState::Active && w != nullptr) {
            ++s.active;
            s.rate += w->rate.load();
        }
    }
    return s;
}

bool Animates(StatusEvent e) {
    switch (e) {
        case StatusEvent::Tick:
        case StatusEvent::Connecting:
        case StatusEvent::Transferring:
        case StatusEvent::Retrying:
        case StatusEvent::SearchDownloading:
        case StatusEvent::Searching:
        case StatusEvent::WaitingForEngineUpdate:
        case StatusEvent::UpdatingEngine:
        case StatusEvent::GettingWebPage:
            return true;
        default:
            return false;
    }
}

// Events beyond the known range behave like a redraw.
StatusEvent Normalise(StatusEvent e) {
    auto v = static_cast<std::int32_t>(e);
    return (v < 0 || v > 14) ? StatusEvent::Redraw : e;
}

// The fixed status text of the event, if it has one; updates the state image.
bool EventStatus(CProject& p, StatusEvent e, std::string& text) {
    if (Animates(e)) {
        std::int32_t next = p.imageBase.load() + 1;
        p.imageBase.store(next > 3 ? 0 : next);
    }
    char buf[64];
    switch (e) {
        case StatusEvent::Connecting:
            text = "Connecting...";
            return true;
        case StatusEvent::Transferring:
            text = "Transferring...";
            return true;
        case StatusEvent::Retrying:
            std::snprintf(buf, sizeof buf, "Retrying...(%d)", int(p.retryCountdown.load()));
            text = buf;
            return true;
        case StatusEvent::Stopped:
            p.imageBase.store(4);
            return false;
        case StatusEvent::Completed:
            p.imageBase.store(5);
            text = "Completed.";
            return true;
        case StatusEvent::Error:
            p.imageBase.store(6);
            text = "Error";
            return true;
        case StatusEvent::Queued:
            p.imageBase.store(7);
            text = "Queued";
            return true;
        case StatusEvent::InvalidUrl:
            p.imageBase.store(6);
            text = "Invalid URL";
            return true;
        case StatusEvent::GettingWebPage:
            text = "Getting web page...";
            return true;
        case StatusEvent::Redraw: {
            bool any = false;
            if (p.queued.load()) {
                p.imageBase.store(7);
                text = "Queued";
                any = true;
            }
            if (p.settings.disabled.load()) {
                text = "Disabled";
                any = true;
            }
            return any;
        }
        default:
            return false;
    }
}

std::string SizeText(CProject& p, StatusEvent e, std::int64_t done, bool running) {
    char buf[96];
    const std::int64_t total = p.settings.totalSize.load();
    if (p.settings.Kind() != ProjectKind::Search) {
        if (total == 0)
            std::snprintf(buf, sizeof buf, "%" PRId64 "/0", done);
        else
            std::snprintf(buf, sizeof buf, "%" PRId64 "/%" PRId64 "%s", done, total,
                          p.resumable.load() ? " (R)" : "");
        return buf;
    }
    const std::int64_t progress = p.settings.savedProgress.load();
    std::snprintf(buf, sizeof buf,
                  e == StatusEvent::Searching ? "%" PRId64 "/%" PRId64 " engines"
                                              : "%" PRId64 "/%" PRId64 " sites",
                  progress, total);
    if (e == StatusEvent::Completed || !running) {
        if (total >= 2)
            std::snprintf(buf, sizeof buf, "Found %" PRId64 " sites.", total);
        else if (total == 1)
            std::snprintf(buf, sizeof buf, "Found %" PRId64 " site.", total);
        else
            std::snprintf(buf, sizeof buf, "Found none.");
    }
    return buf;
}

std::string StatusText(CProject& p, StatusEvent e, std::int64_t done, int segActive, bool running) {
    char buf[96];
    const bool stopping = p.stopRequested.load() && running;
    if (p.settings.Kind() == ProjectKind::Search) {
        const double p3 = double(p.settings.savedProgress.load()) /
                          double(std::max<std::int64_t>(p.settings.totalSize.load(), 1)) * 100.0;
        switch (e) {
            case StatusEvent::SearchDownloading:
                std::snprintf(buf, sizeof buf, "Downloading...(%.1f%%)", p3);
                break;
            case StatusEvent::Searching:
                std::snprintf(buf, sizeof buf, "Searching...(%.1f%%)", p3);
                break;
            case StatusEvent::WaitingForEngineUpdate:
                std::snprintf(buf, sizeof buf, "Waiting for engine update...");
                break;
            case StatusEvent::UpdatingEngine:
                std::snprintf(buf, sizeof buf, "Updating engine...");
                break;
            default:
                return " ";
        }
        return stopping ? "Stopping..." : buf;
    }
    double p1 =
        double(done) / double(std::max<std::int64_t>(p.settings.totalSize.load(), 1)) * 100.0;
    double p2 = double(p.settings.seqFrom.load()) /
                double(std::max<std::int32_t>(p.settings.seqTo.load(), 1)) * 100.0;
    p1 = std::min(p1, 100.0);
    p2 = std::min(p2, 100.0);
    if (p.settings.segments.load() > 0 && segActive > 0)
        std::snprintf(buf, sizeof buf, "%.1f%%/%.1f%% (%d)", p1, p2, segActive + 1);
    else
        std::snprintf(buf, sizeof buf, "%.1f%%/%.1f%%", p1, p2);
    if (stopping && e != StatusEvent::Stopped) return "Stopping...";
    return buf;
}

}  // namespace

const char* ColumnHeader(int column) {
    static const char* const kHeaders[kRowColumns] = {"Base URL", "Size", "From",      "To",
                                                      "Status",   "Rate", "Time left", "Filename"};
    return (column >= 0 && column < kRowColumns) ? kHeaders[column] : "";
}

std::string FormatTimeLeft(std::int64_t totalSize, std::int64_t done, double rateKbps) {
    const std::int64_t remainingKb = std::max<std::int64_t>(totalSize - done, 0) / 1000;
    if (rateKbps == 0) rateKbps = 0.001;
    double secs = double(remainingKb) / rateKbps;
    // Beyond this the text would be meaningless anyway; keep the cast defined.
    secs = std::clamp(secs, 0.0, 9.0e15);
    const auto s = static_cast<std::int64_t>(secs);
    char buf[64];
    std::snprintf(buf, sizeof buf, "%" PRId64 ":%d:%d ", s / 3600, int(s % 3600 / 60), int(s % 60));
    return buf;
}

RowTexts FormatRow(CProject& p, StatusEvent event) {
    const StatusEvent e = Normalise(event);
    RowTexts row;
    const ProjectKind kind = p.settings.Kind();
    const bool running = p.workerRunning.load();

    row.columns[ColBaseUrl] =
        kind == ProjectKind::UrlListGrab
            ? p.GetText(&ProjectSettings::source) + "->" + p.GetText(&ProjectSettings::url)
            : p.GetText(&ProjectSettings::url);

    std::string fixedStatus;
    const bool hasFixed = EventStatus(p, e, fixedStatus);
    const SegmentSums seg = SumSegments(p);
    const std::int64_t done = p.bytesDone.load() + seg.bytes;

    row.columns[ColSize] = SizeText(p, e, done, running);
    row.columns[ColFrom] = std::to_string(p.settings.seqFrom.load());
    row.columns[ColTo] = std::to_string(p.settings.seqTo.load());
    row.columns[ColStatus] = hasFixed ? fixedStatus : StatusText(p, e, done, seg.active, running);
    // A list read only in part says so for as long as the row shows its run.
    const std::int64_t cutAt = p.listCutAt.load();
    if (kind == ProjectKind::UrlListGrab && cutAt >= 0 && row.columns[ColStatus] != " ")
        row.columns[ColStatus] += " (list cut at " + std::to_string(cutAt) + " links)";

    const double rate = p.rate.load() + seg.rate;
    char buf[64];
    if (!running || e == StatusEvent::Stopped) {
        row.columns[ColRate] = "0.0kb/s";
    } else {
        std::snprintf(buf, sizeof buf, "%.2fkb/s", rate);
        row.columns[ColRate] = buf;
    }
    if (!running || e == StatusEvent::Stopped || e == StatusEvent::Completed)
        row.columns[ColTimeLeft] = "00:00:00";
    else
        row.columns[ColTimeLeft] = FormatTimeLeft(p.settings.totalSize.load(), done, rate);

    if (kind != ProjectKind::Search)
        row.columns[ColFileName] = p.GetText(&ProjectSettings::fileName);

    int offset = kind == ProjectKind::FtpUpload ? 8 : kind == ProjectKind::Search ? 16 : 0;
    row.image = p.imageBase.load() + offset;
    return row;
}

}  // namespace ks
