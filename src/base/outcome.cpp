#include "base/outcome.h"

#include <string_view>
#include <vector>

#include "base/project.h"
#include "platform/files.h"

namespace ks {
namespace {

// The final events and the status each one leaves; reading and writing both
// follow this table.
struct FinalStatus {
    StatusEvent event;
    const char* text;
};
constexpr FinalStatus kFinalStatus[] = {
    {StatusEvent::Completed, "Completed."},
    {StatusEvent::Error, "Error"},
    {StatusEvent::Stopped, "Stopped"},
    {StatusEvent::InvalidUrl, "Invalid URL"},
};

const char* TextOf(StatusEvent e) {
    for (const FinalStatus& f : kFinalStatus)
        if (f.event == e) return f.text;
    return nullptr;
}

bool KnownStatus(std::string_view text) {
    for (const FinalStatus& f : kFinalStatus)
        if (text == f.text) return true;
    return false;
}

// One line of the file: a line break inside a server's text would start a
// new field.
std::string OneLine(std::string s) {
    for (char& c : s)
        if (c == '\r' || c == '\n') c = ' ';
    constexpr std::size_t kMaxWhy = 1024;
    if (s.size() > kMaxWhy) s.resize(kMaxWhy);
    return s;
}

}  // namespace

std::string OutcomePath(const std::string& projectFile) {
    constexpr std::string_view kExt = ".kpr";
    std::string base = projectFile;
    if (base.size() >= kExt.size() &&
        std::string_view(base).substr(base.size() - kExt.size()) == kExt)
        base.resize(base.size() - kExt.size());
    return base + ".out";
}

std::string SkippedText(const std::vector<std::int64_t>& numbers) {
    std::string text = "skipped";
    for (std::int64_t n : numbers) {
        text += ' ';
        text += std::to_string(n);
    }
    return text;
}

bool SaveOutcome(CProject& p, StatusEvent finalEvent) {
    const char* status = TextOf(finalEvent);
    const std::string projectFile = p.GetText(&ProjectSettings::projectFile);
    if (!status || projectFile.empty() || p.segmentWorker || p.hidden) return false;
    // A project whose files are gone (deleted while it ran) leaves nothing.
    if (!plat::FileExists(projectFile)) return false;
    const std::vector<std::int64_t> skipped = p.SkippedNumbers();
    std::string why;
    if (!skipped.empty()) why = SkippedText(skipped) + ": ";
    if (finalEvent != StatusEvent::Completed || !skipped.empty()) why += p.FailureText();
    why = OneLine(why);
    const std::string text = std::string(status) + "\n" + why + "\n";
    const std::string path = OutcomePath(projectFile);
    std::string old;
    if (plat::ReadWholeFile(path, old) && old == text) return true;
    // Written in place, without a temporary: a crash midway leaves at worst a
    // cut reason or a file that reads as no outcome, and nothing to clean up.
    plat::File f;
    return f.Open(path, plat::File::Mode::Truncate) && f.Write(text);
}

std::optional<Outcome> ReadOutcome(const std::string& projectFile) {
    std::string text;
    constexpr std::size_t kMaxFile = 4096;
    if (!plat::ReadWholeFile(OutcomePath(projectFile), text) || text.size() > kMaxFile)
        return std::nullopt;
    const std::size_t first = text.find('\n');
    if (first == std::string::npos) return std::nullopt;
    Outcome o;
    o.status = text.substr(0, first);
    if (!KnownStatus(o.status)) return std::nullopt;
    const std::size_t second = text.find('\n', first + 1);
    o.why = text.substr(first + 1,
                        second == std::string::npos ? std::string::npos : second - first - 1);
    return o;
}

}  // namespace ks
