// Commands that create projects, edit them, and act on their downloaded files.
// windows.h must come before the headers that use its types.
// clang-format off
#include <windows.h>
#include <shellapi.h>
// clang-format on

#include <algorithm>

#include "dialogs/win_util.h"
#include "platform/files.h"
#include "platform/process.h"
#include "projects/project_edit.h"
#include "projects/project_store.h"
#include "projects/win32/project_view.h"

#if __has_include("dialogs/dialogs.h")
#include "dialogs/dialogs.h"
#define KS_HAVE_DIALOGS 1
#endif

namespace ks {

namespace {
const char kPauseFirst[] = "Please pause/stop this item first.";
const char kNoFile[] = "Can't find the file.";

int CountLineFeeds(const std::string& path) {
    std::string text;
    if (!plat::ReadWholeFile(path, text)) return 0;
    return static_cast<int>(std::count(text.begin(), text.end(), '\n'));
}

}  // namespace

#ifdef KS_HAVE_DIALOGS
namespace {
DialogContext Context(const CProjectView::Host& host, CProject* project) {
    DialogContext ctx;
    ctx.programFolder = host.programFolder;
    ctx.urlHistory = &host.histories->urls;
    ctx.uploadHistory = &host.histories->uploads;
    ctx.project = project;
    return ctx;
}
}  // namespace

void CProjectView::CmdNewDownload() {
    ProjectSettings s = host_.queue->NewProjectSettings(ProjectKind::Download, folder_);
    DialogContext ctx = Context(host_, nullptr);
    if (!RunDownloadSettingsDialog(GetParent(hwnd_), s, ctx)) return;
    folder_ = s.folder;
    s.ownerList = list_;
    const std::string url = s.url;
    const auto row = host_.queue->AddProject(std::move(s));
    if (!row) return;
    AddToHistory(host_.histories->urls, url);
    LoadProjectMirrors(*host_.queue->ProjectAt(*row));
}

void CProjectView::CmdNewUrlList() {
    ProjectSettings s = host_.queue->NewProjectSettings(ProjectKind::UrlListGrab, folder_);
    DialogContext ctx = Context(host_, nullptr);
    if (!RunUrlListGrabDialog(GetParent(hwnd_), s, ctx)) return;
    folder_ = s.folder;
    s.sequential = 1;
    s.kind = static_cast<std::int32_t>(ProjectKind::UrlListGrab);
    s.savedProgress = 0;
    s.totalSize = 0;
    s.ownerList = list_;
    host_.queue->AddProject(std::move(s));
}

void CProjectView::CmdNewUpload() {
    ProjectSettings s = host_.queue->NewProjectSettings(ProjectKind::FtpUpload, folder_);
    DialogContext ctx = Context(host_, nullptr);
    if (!RunFtpUploadDialog(GetParent(hwnd_), s, ctx)) return;
    s.seqFrom = 1;
    s.seqTo = 1;
    s.folder = folder_;
    s.sequential = 0;
    s.segments = 0;
    s.kind = static_cast<std::int32_t>(ProjectKind::FtpUpload);
    s.savedProgress = 0;
    s.totalSize = 0;
    s.ownerList = list_;
    const std::string url = s.url;
    if (host_.queue->AddProject(std::move(s))) AddToHistory(host_.histories->uploads, url);
}

void CProjectView::OpenProperties(int row) {
    CProject* p = host_.queue->ProjectAt(static_cast<std::size_t>(row));
    if (!p) return;
    ProjectSettings s = p->Snapshot();
    DialogContext ctx = Context(host_, p);
    HWND owner = GetParent(hwnd_);
    switch (s.Kind()) {
        case ProjectKind::UrlListGrab:
            if (!RunUrlListGrabDialog(owner, s, ctx)) return;
            p->settings.disabled = s.disabled.load();
            p->settings.segments = s.segments.load();
            p->SetText(&ProjectSettings::source, s.source);
            p->SetText(&ProjectSettings::folder, s.folder);
            folder_ = s.folder;
            break;
        case ProjectKind::FtpUpload:
            if (!RunFtpUploadDialog(owner, s, ctx)) return;
            p->SetText(&ProjectSettings::url, s.url);
            p->settings.disabled = s.disabled.load();
            p->SetText(&ProjectSettings::password, s.password);
            p->SetText(&ProjectSettings::userName, s.userName);
            p->SetText(&ProjectSettings::source, s.source);
            p->settings.uploadMode = s.uploadMode.load();
            AddToHistory(host_.histories->uploads, s.url);
            p->settings.seqTo = CountLineFeeds(s.source);
            break;
        case ProjectKind::Download: {
            const ProjectSettings opened = s;
            if (!RunDownloadSettingsDialog(owner, s, ctx)) return;
            s.ownerList = list_;
            ApplyDownloadSettings(*p, opened, s);
            folder_ = s.folder;
            AddToHistory(host_.histories->urls, s.url);
            LoadProjectMirrors(*p);
            break;
        }
        case ProjectKind::Search:
            if (host_.searchProperties) host_.searchProperties(static_cast<std::size_t>(row));
            return;  // saved and redrawn there
        default:
            return;
    }
    p->settings.position = row;
    SaveProject(*p);
    host_.queue->RefreshRow(*p, StatusEvent::Redraw);
}

void CProjectView::CmdSetFolder() {
    RunSetCurrentFolderDialog(GetParent(hwnd_), folder_);
}

void CProjectView::CmdEnterUrl() {
    std::string url, folder = folder_;
    DialogContext ctx = Context(host_, nullptr);
    HWND owner = GetParent(hwnd_);
    if (!RunEnterUrlDialog(owner, url, folder, ctx)) return;
    bool now = win::Message(owner, "Download now?", MB_YESNO | MB_ICONQUESTION) == IDYES;
    folder_ = folder;
    host_.queue->AddUrl(url, now, true);
}
#else
void CProjectView::CmdNewDownload() {}
void CProjectView::CmdNewUrlList() {}
void CProjectView::CmdNewUpload() {}
void CProjectView::OpenProperties(int) {}
void CProjectView::CmdSetFolder() {}
void CProjectView::CmdEnterUrl() {}
#endif

void CProjectView::CmdNewSearch() {
    if (host_.newSearch) host_.newSearch();
}

void CProjectView::CmdProperties() {
    int row;
    if (RequireSelection(row)) OpenProperties(row);
}

void CProjectView::CmdView() {
    int row;
    if (!RequireSelection(row)) return;
    CProject* p = host_.queue->ProjectAt(static_cast<std::size_t>(row));
    if (!p) return;
    ProjectSettings s = p->Snapshot();
    std::string path = plat::JoinPath(s.folder, s.fileName);
    HWND owner = GetParent(hwnd_);
    if (p->workerRunning.load()) {
        win::Message(owner, kPauseFirst);
    } else if (s.fileName.empty() || !plat::FileExists(path)) {
        win::Message(owner, kNoFile);
    } else if (s.Kind() == ProjectKind::Search) {
        plat::OpenInBrowser(path);
    } else {
        ShellExecuteA(nullptr, "Open", path.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
    }
}

void CProjectView::CmdFileDelete() {
    int row;
    if (!RequireSelection(row)) return;
    CProject* p = host_.queue->ProjectAt(static_cast<std::size_t>(row));
    if (!p) return;
    HWND owner = GetParent(hwnd_);
    if (p->workerRunning.load()) {
        win::Message(owner, kPauseFirst);
        return;
    }
    ProjectSettings s = p->Snapshot();
    {
        std::lock_guard<std::mutex> g(p->segmentList.Mutex());
        for (const auto& node : p->segmentList.Nodes())
            plat::RemoveFile(plat::JoinPath(s.folder, node->fileName));
        p->segmentList.Clear();
    }
    std::string path = plat::JoinPath(s.folder, s.fileName);
    if (s.fileName.empty() || !plat::FileExists(path)) {
        win::Message(owner, kNoFile);
        return;
    }
    plat::RemoveFile(path);
    if (s.Kind() == ProjectKind::Search && !s.segmentFile.empty())
        plat::RemoveFile(plat::JoinPath(s.folder, s.segmentFile));
    p->bytesDone = 0;
    p->rate = 0;
    host_.queue->RefreshRow(*p, StatusEvent::Stopped);
}

}  // namespace ks
