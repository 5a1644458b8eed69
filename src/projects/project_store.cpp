#include "projects/project_store.h"

#include <algorithm>
#include <charconv>
#include <limits>
#include <map>
#include <mutex>
#include <set>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <variant>

#include "base/checkpoint.h"
#include "base/list_file.h"
#include "base/text.h"
#include "platform/clock.h"
#include "platform/files.h"

namespace ks {

namespace {

// Workers save through the checkpoint hook. Every program that makes projects
// links this file (they are all made here), so the saver is in place before
// any worker runs.
[[maybe_unused]] const bool kSaverInstalled = (SetProjectSaver(&SaveProject), true);

constexpr std::size_t kProjectFileLines = 22;

std::string Clean(std::string_view s) {
    return WithoutLineBreaks(s);
}

// What this process last read from or wrote to each project file. A save that
// would write the same bytes again writes nothing: a command that changes
// nothing must not rewrite thousands of files, nor an exit the projects that
// did not change.
class KnownContents {
  public:
    bool Same(const std::string& path, const std::string& text) {
        {
            std::lock_guard<std::mutex> g(mu_);
            auto it = text_.find(path);
            if (it == text_.end() || it->second != text) return false;
        }
        return plat::FileExists(path);
    }
    void Remember(const std::string& path, std::string text) {
        std::lock_guard<std::mutex> g(mu_);
        text_[path] = std::move(text);
    }

  private:
    std::mutex mu_;
    std::unordered_map<std::string, std::string> text_;
};

KnownContents& Known() {
    // Never destroyed: freeing thousands of remembered texts would only
    // lengthen the exit, and a worker may still save while the process ends.
    static KnownContents* known = new KnownContents;
    return *known;
}

bool WriteIfChanged(const std::string& path, const std::string& text) {
    if (Known().Same(path, text)) return true;
    if (!plat::WriteFileAtomic(path, text)) return false;
    Known().Remember(path, text);
    return true;
}

bool WriteListIfChanged(const std::string& path, const std::vector<std::string>& entries) {
    std::string text;
    for (const std::string& e : entries) {
        text += Clean(e);
        text += '\n';
    }
    return WriteIfChanged(path, text);
}

// The decimal number at the start of s (blanks and one sign allowed before
// the digits); 0 when there is none, saturated when it does not fit.
std::int64_t LeadingNumber(std::string_view s) {
    std::size_t i = 0;
    while (i < s.size() && (s[i] == ' ' || s[i] == '\t')) ++i;
    bool negative = false;
    if (i < s.size() && (s[i] == '-' || s[i] == '+')) negative = s[i++] == '-';
    // from_chars would take a second '-' itself: "--5" is no number.
    if (i >= s.size() || s[i] < '0' || s[i] > '9') return 0;
    std::uint64_t v = 0;
    const char* first = s.data() + i;
    auto [end, ec] = std::from_chars(first, s.data() + s.size(), v);
    constexpr std::uint64_t kMax = std::numeric_limits<std::int64_t>::max();
    if (ec == std::errc::result_out_of_range || v > kMax) v = kMax;
    return negative ? -static_cast<std::int64_t>(v) : static_cast<std::int64_t>(v);
}

// A stored offset or size, kept within what any file can hold.
std::int64_t LeadingOffset(std::string_view s) {
    return std::clamp(LeadingNumber(s), -plat::kMaxPlausibleOffset, plat::kMaxPlausibleOffset);
}

std::int32_t LeadingInt32(std::string_view s) {
    std::int64_t v = LeadingNumber(s);
    v = std::clamp<std::int64_t>(v, std::numeric_limits<std::int32_t>::min(),
                                 std::numeric_limits<std::int32_t>::max());
    return static_cast<std::int32_t>(v);
}

// Lines as a text-mode reader sees them: a carriage return before the line
// feed is dropped and a last line without a line feed still counts.
std::vector<std::string> TextLines(const std::string& text) {
    std::vector<std::string> lines;
    std::size_t pos = 0;
    while (pos < text.size()) {
        std::size_t lf = text.find('\n', pos);
        std::size_t end = lf == std::string::npos ? text.size() : lf;
        std::string line = text.substr(pos, end - pos);
        if (!line.empty() && line.back() == '\r') line.pop_back();
        lines.push_back(std::move(line));
        if (lf == std::string::npos) break;
        pos = lf + 1;
    }
    return lines;
}

std::string NumberedName(const std::string& dir, std::int64_t n, const char* ext) {
    return plat::JoinPath(dir, std::to_string(n) + ext);
}

// Segment files listed in the .cac file that still exist, as Stopped nodes.
void ReadSegmentFile(CProject& p) {
    ProjectSettings s = p.Snapshot();
    // A search's segmentFile names its results page, never a segment list.
    if (s.segments <= 0 || s.segmentFile.empty() || s.Kind() == ProjectKind::Search) return;
    std::string text;
    if (!ReadBounded(s.segmentFile, kListFileMax, text)) return;
    Known().Remember(s.segmentFile, text);
    std::lock_guard<std::mutex> g(p.segmentList.Mutex());
    for (const std::string& line : TextLines(text)) {
        if (!IsPlainName(line)) continue;
        auto size = plat::FileSize(plat::JoinPath(s.folder, line));
        std::int64_t start = LeadingNumber(line);
        if (!size || start < 0 || start > plat::kMaxPlausibleOffset ||
            *size > plat::kMaxPlausibleOffset)
            continue;
        p.segmentList.Insert(std::make_unique<CSegment>(start, line, SegmentState::Stopped, *size));
    }
}

std::vector<std::string> SegmentNames(CProject& p) {
    std::vector<std::string> names;
    std::lock_guard<std::mutex> g(p.segmentList.Mutex());
    for (const auto& node : p.segmentList.Nodes()) {
        auto same = [&](const std::string& n) {
            return n.size() == node->fileName.size() &&
                   std::equal(n.begin(), n.end(), node->fileName.begin(), [](char a, char b) {
                       return std::tolower(static_cast<unsigned char>(a)) ==
                              std::tolower(static_cast<unsigned char>(b));
                   });
        };
        if (std::none_of(names.begin(), names.end(), same)) names.push_back(node->fileName);
    }
    return names;
}

// Numbers continue from the highest one handed out or found on disk, so that
// making a project costs one file check rather than a scan up from the clock.
std::mutex& NumbersMu() {
    static std::mutex mu;
    return mu;
}
std::map<std::string, std::int64_t>& NextNumbers() {
    static std::map<std::string, std::int64_t> next;
    return next;
}

void NoteProjectNumber(const std::string& dir, const std::string& fileName) {
    const std::int64_t n = LeadingNumber(fileName);
    if (n <= 0 || n == std::numeric_limits<std::int64_t>::max()) return;
    std::lock_guard<std::mutex> g(NumbersMu());
    std::int64_t& next = NextNumbers()[dir];
    next = std::max(next, n + 1);
}

// The .mir name is handed out on the first save that needs it; the check and
// the assignment happen under the project's lock so two savers agree on one.
std::string EnsureMirrorFile(CProject& p, const std::string& projectsDir) {
    std::lock_guard<std::mutex> g(p.mu);
    if (p.settings.mirrorFile.empty()) {
        std::int64_t n = NewProjectNumber(projectsDir, {".mir"});
        p.settings.mirrorFile = NumberedName(projectsDir, n, ".mir");
    }
    return p.settings.mirrorFile;
}

// The Projects folder as one listing found it: its project files, and every
// name in it (lower case), so that loading asks the file system nothing about
// a file it already knows to be missing. A lookup that fails can cost a scan
// of the whole folder where names are matched without regard to case.
struct ProjectsListing {
    std::vector<std::string> projectFiles;
    std::unordered_set<std::string> names;

    // False only for a file in this folder that the listing did not see.
    bool MayExist(const std::string& dir, const std::string& path) const {
        if (plat::DirName(path) != dir) return true;
        return names.count(AsciiLower(plat::BaseName(path))) != 0;
    }
};

// Also removes the temporaries of replacements a crash interrupted.
ProjectsListing ListProjectsFolder(const std::string& dir) {
    static const char* const kPatterns[] = {".kpr.tmp", ".cac.tmp", ".mir.tmp", ".lst.tmp"};
    ProjectsListing out;
    for (std::string& name : plat::ListFiles(dir, "")) {
        bool stale = false;
        for (const char* pat : kPatterns) stale = stale || name.find(pat) != std::string::npos;
        if (stale) {
            plat::RemoveFile(plat::JoinPath(dir, name));
            continue;
        }
        std::string lower = AsciiLower(name);
        const std::string ext = lower.size() > 4 ? lower.substr(lower.size() - 4) : "";
        // New numbers continue above every numbered file, lists included, so
        // the first number tried is normally free.
        if (ext == ".kpr" || ext == ".cac" || ext == ".mir" || ext == ".lst")
            if (ext == ".kpr") out.projectFiles.push_back(std::move(name));
        out.names.insert(std::move(lower));
    }
    return out;
}

}  // namespace

std::string ProjectsFolder(const std::string& programFolder) {
    return plat::JoinPath(programFolder, "Projects");
}

std::int64_t NewProjectNumber(const std::string& projectsDir,
                              const std::vector<std::string>& exts) {
    static std::set<std::string> handedOut;
    std::lock_guard<std::mutex> g(NumbersMu());
    std::int64_t& next = NextNumbers()[projectsDir];
    for (std::int64_t n = std::max(plat::NowSeconds(), next);; ++n) {
        bool taken = false;
        for (const std::string& ext : exts) {
            std::string path = NumberedName(projectsDir, n, ext.c_str());
            if (handedOut.count(path) || plat::FileExists(path)) taken = true;
        }
        if (taken) continue;
        for (const std::string& ext : exts)
            handedOut.insert(NumberedName(projectsDir, n, ext.c_str()));
        next = n + 1;
        return n;
    }
}

namespace {

// The project file, one field per line in this order; writing and reading
// both follow it. Line 8 is savedProgress (FormatProjectFile is told what to
// write there).
using TextField = std::string ProjectSettings::*;
using IntField = Atom<std::int32_t> ProjectSettings::*;
using OffsetField = Atom<std::int64_t> ProjectSettings::*;
using ProjectField = std::variant<TextField, IntField, OffsetField>;
using PS = ProjectSettings;
const ProjectField kProjectFileFields[] = {
    &PS::url,         &PS::fileName,   &PS::seqSuffix,     &PS::seqDigits,   &PS::folder,
    &PS::seqFrom,     &PS::seqTo,      &PS::savedProgress, &PS::totalSize,   &PS::source,
    &PS::kind,        &PS::userName,   &PS::password,      &PS::uploadMode,  &PS::sequential,
    &PS::position,    &PS::disabled,   &PS::segments,      &PS::segmentFile, &PS::autoMirror,
    &PS::pingFastest, &PS::mirrorFile,
};
static_assert(std::size(kProjectFileFields) == kProjectFileLines);

template <class... F>
struct Visitor : F... {
    using F::operator()...;
};
template <class... F>
Visitor(F...) -> Visitor<F...>;

}  // namespace

std::string FormatProjectFile(const ProjectSettings& settings, std::int64_t line8) {
    ProjectSettings s = settings;
    s.savedProgress = line8;
    std::string text;
    for (const ProjectField& f : kProjectFileFields) {
        std::visit(Visitor{
                       [&](TextField m) { text += Clean(s.*m); },
                       [&](IntField m) { text += std::to_string((s.*m).load()); },
                       [&](OffsetField m) { text += std::to_string((s.*m).load()); },
                   },
                   f);
        text += '\n';
    }
    return text;
}

ProjectSettings ParseProjectFile(const std::string& text) {
    std::vector<std::string> l = TextLines(text);
    l.resize(kProjectFileLines);
    ProjectSettings s;
    for (std::size_t i = 0; i < std::size(kProjectFileFields); ++i) {
        const std::string& line = l[i];
        std::visit(Visitor{
                       [&](TextField m) { s.*m = line; },
                       [&](IntField m) { s.*m = LeadingInt32(line); },
                       [&](OffsetField m) { s.*m = LeadingOffset(line); },
                   },
                   kProjectFileFields[i]);
    }
    return s;
}

std::unique_ptr<CProject> CreateProject(ProjectSettings settings, bool assignNewFiles,
                                        const std::string& programFolder) {
    if (assignNewFiles) {
        std::string dir = ProjectsFolder(programFolder);
        plat::MakeDirs(dir);
        std::int64_t n = NewProjectNumber(dir, {".kpr", ".cac"});
        settings.projectFile = NumberedName(dir, n, ".kpr");
        settings.segmentFile = NumberedName(dir, n, ".cac");
    }
    auto p = std::make_unique<CProject>(settings);
    ReadSegmentFile(*p);
    LoadProjectMirrors(*p);
    p->rate = 0;
    if (assignNewFiles) {
        if (p->settings.Kind() == ProjectKind::Download)
            EnsureMirrorFile(*p, plat::DirName(settings.projectFile));
        SaveProject(*p);
    }
    return p;
}

bool SaveProject(CProject& p) {
    if (p.segmentWorker) return ReturnSegment(p);
    // A mirror list about to be written is named before the project file is
    // written, so the project file names it from this save on: a name handed
    // out after would be lost with the process, and the mirrors with it. A
    // project without mirrors gets no name here; saving it changes nothing.
    const std::vector<std::string> mirrors = p.Mirrors();
    const bool writeMirrors = p.settings.Kind() == ProjectKind::Download && !mirrors.empty() &&
                              p.settings.segments.load() > 0;
    if (writeMirrors) {
        const std::string kpr = p.GetText(&ProjectSettings::projectFile);
        if (!kpr.empty()) EnsureMirrorFile(p, plat::DirName(kpr));
    }
    ProjectSettings s = p.Snapshot();
    std::int64_t line8 =
        s.Kind() == ProjectKind::Search ? s.savedProgress.load() : p.bytesDone.load();
    if (s.projectFile.empty() || !WriteIfChanged(s.projectFile, FormatProjectFile(s, line8)))
        return false;
    // A search's segmentFile is its results page: never overwrite it with a list.
    if (s.segments > 0 && !s.segmentFile.empty() && s.Kind() != ProjectKind::Search) {
        WriteListIfChanged(s.segmentFile, SegmentNames(p));
    }
    if (writeMirrors && !s.mirrorFile.empty()) WriteListIfChanged(s.mirrorFile, mirrors);
    return true;
}

std::vector<std::unique_ptr<CProject>> LoadProjects(const std::string& programFolder,
                                                    void* ownerList) {
    std::vector<std::unique_ptr<CProject>> projects;
    std::string dir = ProjectsFolder(programFolder);
    if (!plat::MakeDirs(dir)) return projects;
    const ProjectsListing listing = ListProjectsFolder(dir);
    projects.reserve(listing.projectFiles.size());
    for (const std::string& name : listing.projectFiles) {
        std::string path = plat::JoinPath(dir, name);
        std::string text;
        if (!ReadBounded(path, kProjectFileMax, text)) continue;
        NoteProjectNumber(dir, name);
        Known().Remember(path, text);
        ProjectSettings s = ParseProjectFile(text);
        s.projectFile = path;
        s.ownerList = ownerList;
        auto p = std::make_unique<CProject>(s);
        if (listing.MayExist(dir, s.segmentFile)) ReadSegmentFile(*p);
        if (listing.MayExist(dir, s.mirrorFile)) LoadProjectMirrors(*p);
        p->rate = 0;
        // Line 8 was written from bytesDone; an upload that does not get it
        // back shows 0 and writes 0 over its progress at the next save.
        if (s.Kind() == ProjectKind::Download || s.Kind() == ProjectKind::FtpUpload)
            p->bytesDone = s.savedProgress.load();
        bool finished = static_cast<std::uint32_t>(s.seqTo.load()) <
                        static_cast<std::uint32_t>(s.seqFrom.load());
        p->imageBase = finished ? 5 : 4;
        projects.push_back(std::move(p));
    }
    std::stable_sort(projects.begin(), projects.end(), [](const auto& a, const auto& b) {
        return a->settings.position.load() < b->settings.position.load();
    });
    for (std::size_t i = 0; i < projects.size(); ++i) {
        projects[i]->settings.position = static_cast<std::int32_t>(i);
    }
    return projects;
}

bool WriteUploadList(CProject& project, const std::vector<std::string>& paths,
                     const std::string& programFolder) {
    std::string path;
    {
        std::lock_guard<std::mutex> g(project.mu);
        if (project.settings.source.empty()) {
            std::string dir = ProjectsFolder(programFolder);
            plat::MakeDirs(dir);
            project.settings.source = NumberedName(dir, NewProjectNumber(dir, {".lst"}), ".lst");
        }
        path = project.settings.source;
    }
    return WriteList(path, paths);
}

std::vector<std::string> ReadMirrorList(const std::string& path) {
    return ReadUploadList(path);
}

bool WriteMirrorList(const std::string& path, const std::vector<std::string>& mirrors) {
    return WriteList(path, mirrors);
}

void LoadProjectMirrors(CProject& p) {
    ProjectSettings s = p.Snapshot();
    if (s.Kind() != ProjectKind::Download || s.mirrorFile.empty()) return;
    p.nextMirror = 0;
    p.SetMirrors(ReadMirrorList(s.mirrorFile));
}

bool StoreProjectMirrors(CProject& project, std::vector<std::string> mirrors,
                         const std::string& programFolder) {
    std::string dir = ProjectsFolder(programFolder);
    plat::MakeDirs(dir);
    std::string path = EnsureMirrorFile(project, dir);
    project.SetMirrors(mirrors);
    return WriteMirrorList(path, mirrors);
}

}  // namespace ks
