// grab: one URL list project from a list file or a web page, run to its end.
#include <cstdio>

#include "base/runtime.h"
#include "base/text.h"
#include "cli/cli_commands.h"
#include "cli/cli_engine.h"
#include "platform/files.h"
#include "projects/project_store.h"
#include "transfer/url.h"

namespace ks::cli {
namespace {

// "zip, exe;.rar" -> zip exe rar: the separators a user is likely to type.
std::vector<std::string> ParseTypes(const std::string& text) {
    std::vector<std::string> types;
    std::string cur;
    auto flush = [&] {
        if (!cur.empty()) types.push_back(cur);
        cur.clear();
    };
    for (char c : text) {
        if (c == ',' || c == ';' || c == ' ' || c == '\t' || c == '.')
            flush();
        else
            cur += c;
    }
    flush();
    return types;
}

}  // namespace

int RunGrab(const CliArgs& a) {
    Engine e;
    if (!OpenEngine(e, a.home)) return kExitError;
    InstallInterruptHandler();
    const std::string folder = a.dir.empty() ? plat::CurrentDir() : AbsolutePath(a.dir);
    if (!plat::MakeDirs(folder)) {
        Complain("can't create folder " + folder);
        return kExitError;
    }
    if (a.types) {
        const std::vector<std::string> types = ParseTypes(*a.types);
        if (types.empty()) {
            Complain("--types names no file type");
            return kExitUsage;
        }
        // This process runs only this project, so its file types can be the
        // ones the workers read.
        GlobalRuntime().SetCaptureFileTypes(types);
    }
    const std::string given(TrimSpacesTabs(a.urls[0]));
    ProjectSettings s;
    s.position = e.queue->CountRows();
    s.source = IsHttpOrFtpUrl(given) ? given : AbsolutePath(given);
    s.folder = folder;
    s.seqFrom = 1;
    s.seqTo = 1;
    s.sequential = 1;
    s.segments = a.segments.value_or(e.settings.download.acceleration);
    s.kind = std::int32_t(ProjectKind::UrlListGrab);
    std::unique_ptr<CProject> p = CreateProject(s, true, e.programFolder);
    if (!p) {
        Complain("can't create the project in " + e.programFolder);
        return kExitError;
    }
    p->attemptLimit = a.retries.value_or(0);
    const std::size_t row = e.queue->AppendProject(ProjectPtr(std::move(p)));
    const int status = StartAndWait(e, row, a.quiet);
    return status == kExitInvalidUrl ? kExitError : status;
}

}  // namespace ks::cli
