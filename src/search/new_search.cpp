#include "search/new_search.h"

#include "platform/files.h"
#include "projects/project_store.h"

namespace ks {

std::int64_t NewSearchNumber(const std::string& dataFolder) {
    return NewProjectNumber(dataFolder, {".html", "i.html"});
}

std::optional<std::size_t> AddSearchProject(ProjectQueue& queue, const NewSearch& n,
                                            const std::string& programFolder) {
    const std::string data = plat::JoinPath(programFolder, "Data");
    plat::MakeDirs(data);
    const std::int64_t number = n.number > 0 ? n.number : NewSearchNumber(data);
    ProjectSettings s = queue.NewProjectSettings(ProjectKind::Search, data);
    s.url = n.keywords;
    s.seqFrom = n.category;
    s.seqTo = n.method;
    s.autoMirror = n.copies ? 1 : 0;
    s.pingFastest = n.images ? 1 : 0;
    s.segments = 0;
    s.fileName = std::to_string(number) + "i.html";
    const std::optional<std::size_t> row = queue.AddProject(std::move(s));
    if (!row) return std::nullopt;
    // A new project is given a segment list's name; a search's is its results page.
    CProject& p = *queue.ProjectAt(*row);
    p.SetText(&ProjectSettings::segmentFile, std::to_string(number) + ".html");
    if (!SaveProject(p)) {
        queue.Delete(*row);
        return std::nullopt;
    }
    return row;
}

}  // namespace ks
