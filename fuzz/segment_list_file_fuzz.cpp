// The segment list file (.cac) of a segmented download, read back at start-up
// against the segment files on disk. Every line names a file; the fuzzer's
// lines are created as files (of a few bytes) in a scratch folder, then the
// project is loaded. The nodes must be ordered, unique, within any file's
// size and name one file each; the arithmetic on them must not overflow for
// any size and position; and a save followed by a load gives the same nodes.
#include <stdlib.h>

#include <set>
#include <vector>

#include "fuzz_support.h"
#include "platform/files.h"
#include "projects/project_store.h"

using namespace ks;

namespace {

const std::string& Scratch() {
    static const std::string dir = [] {
        std::string pattern =
            plat::DirExists("/dev/shm") ? "/dev/shm/kscac.XXXXXX" : "/tmp/kscac.XXXXXX";
        FUZZ_CHECK(mkdtemp(pattern.data()) != nullptr);
        return pattern;
    }();
    return dir;
}

void EmptyScratch() {
    for (const std::string& name : plat::ListFiles(Scratch(), "")) {
        plat::RemoveFile(plat::JoinPath(Scratch(), name));
    }
}

struct Node {
    std::int64_t start, done;
    std::string name;
    bool operator<(const Node& o) const { return start < o.start; }
    bool operator==(const Node& o) const {
        return start == o.start && done == o.done && name == o.name;
    }
};

std::vector<Node> Load(const ProjectSettings& s) {
    auto p = CreateProject(s, false, Scratch());
    std::vector<Node> nodes;
    std::lock_guard<std::mutex> g(p->segmentList.Mutex());
    for (const auto& n : p->segmentList.Nodes()) {
        nodes.push_back({n->start, n->bytesDone.load(), n->fileName});
    }
    return nodes;
}

std::int64_t Offset(fuzz::Input& in) {
    std::uint64_t v = 0;
    for (int i = 0; i < 8; ++i) v = v << 8 | in.Byte();
    const std::uint64_t span = 2 * std::uint64_t(plat::kMaxPlausibleOffset) + 1;
    return std::int64_t(v % span) - plat::kMaxPlausibleOffset;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::Input in(data, size);
    const std::int64_t total = Offset(in), position = Offset(in);
    const std::string cacText(in.Rest());
    EmptyScratch();

    // Files for the lines as the reader sees them (a CR before the LF dropped).
    int lines = 0;
    for (std::size_t pos = 0; pos < cacText.size() && lines < 32; ++lines) {
        std::size_t lf = std::min(cacText.find('\n', pos), cacText.size());
        std::string name = cacText.substr(pos, lf - pos);
        if (!name.empty() && name.back() == '\r') name.pop_back();
        pos = lf + 1;
        if (name.empty() || name.size() > 200 || name == "." || name == ".." ||
            name.find_first_of(std::string_view("/\0", 2)) != std::string::npos)
            continue;
        plat::File f;
        if (f.Open(plat::JoinPath(Scratch(), name), plat::File::Mode::Truncate)) {
            f.Write(std::string(name.size() % 7, 'x'));
        }
    }
    ProjectSettings s;
    s.kind = static_cast<std::int32_t>(ProjectKind::UrlListGrab);  // no mirror file
    s.url = "http://h/f.zip";
    s.fileName = "f.zip";
    s.folder = Scratch();
    s.segments = 4;
    s.totalSize = total;
    s.projectFile = plat::JoinPath(Scratch(), "1.kpr.fuzz");
    s.segmentFile = plat::JoinPath(Scratch(), "1.cac.fuzz");
    {
        plat::File f;
        FUZZ_CHECK(f.Open(s.segmentFile, plat::File::Mode::Truncate) && f.Write(cacText));
    }

    auto p = CreateProject(s, false, Scratch());
    std::vector<Node> first;
    {
        std::lock_guard<std::mutex> g(p->segmentList.Mutex());
        std::set<std::int64_t> starts;
        for (const auto& n : p->segmentList.Nodes()) {
            FUZZ_CHECK(n->start >= 0 && n->start <= plat::kMaxPlausibleOffset);
            FUZZ_CHECK(n->bytesDone >= 0 && n->bytesDone <= plat::kMaxPlausibleOffset);
            FUZZ_CHECK(n->fileName.find('\0') == std::string::npos);
            FUZZ_CHECK(starts.insert(n->start).second);
            FUZZ_CHECK(starts.size() == 1 || n->start > *std::prev(starts.end(), 2));
            first.push_back({n->start, n->bytesDone.load(), n->fileName});
        }
        bool noMore = false;
        p->segmentList.FindResumable("f.zip", total);
        p->segmentList.FindResumable("", total);
        p->segmentList.ChooseSplitPoint(position, total, noMore);
    }
    FUZZ_CHECK(SaveProject(*p));
    p.reset();
    FUZZ_CHECK(Load(s) == first);
    return 0;
}
