#include "search/new_search.h"

#include "platform/files.h"
#include "projects/project_store.h"

namespace ks {

std::int64_t NewSearchNumber(const std::string& dataFolder) {
    return NewProjectNumber(dataFolder, {".html", "i.html"});
}

std::unique_ptr<CProject> CreateSearchProject(const NewSearch& n, const std::string& programFolder,
                                              std::int32_t position) {
    const std::string data = plat::JoinPath(programFolder, "Data");
    plat::MakeDirs(data);
    const std::int64_t number = n.number > 0 ? n.number : NewSearchNumber(data);
    ProjectSettings s;
    s.position = position;
    s.url = n.keywords;
    s.seqFrom = n.category;
    s.seqTo = n.method;
    s.kind = std::int32_t(ProjectKind::Search);
    s.autoMirror = n.copies ? 1 : 0;
    s.pingFastest = n.images ? 1 : 0;
    s.segments = 0;
    s.folder = data;
    s.fileName = std::to_string(number) + "i.html";
    std::unique_ptr<CProject> p = CreateProject(s, true, programFolder);
    if (!p) return nullptr;
    p->SetText(&ProjectSettings::segmentFile, std::to_string(number) + ".html");
    if (!SaveProject(*p)) return nullptr;
    return p;
}

}  // namespace ks
