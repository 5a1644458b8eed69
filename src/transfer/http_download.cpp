// Download mode of the HTTP client: one ranged GET of the project's URL that
// resumes from the local file and writes the answer's body into it.
#include <cctype>

#include "base/project.h"
#include "base/runtime.h"
#include "platform/files.h"
#include "transfer/dispatch.h"
#include "transfer/http_connection.h"
#include "transfer/segments.h"
#include "transfer/url.h"

namespace ks {

namespace {

constexpr std::int64_t kFirstRequestBytes = 1024 * 1024;

bool SameHost(const std::string& a, const std::string& b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(a[i])) !=
            std::tolower(static_cast<unsigned char>(b[i])))
            return false;
    return true;
}

// Cookies go out once, with the next request, and only to the host that set
// them; a redirect to another host drops them, and cookies set over https
// never travel in clear text.
void TakePendingCookies(CProject& project, const UrlParts& to, HttpRequestInput& in) {
    if (!project.cookiePending) return;
    const bool leaksSecure = project.cookieSecure && to.service != UrlService::Https;
    if (SameHost(project.cookieHost, to.host) && !leaksSecure) {
        in.sendCookie = true;
        in.cookieText = project.cookieText;
    }
    project.cookiePending = false;
    project.cookieText.clear();
    project.cookieHost.clear();
    project.cookieSecure = false;
}

}  // namespace

int HttpDownload(CProject& project, const std::string& url) {
    UrlParts parts;
    SplitUrl(url, parts);
    const std::string folder = project.GetText(&ProjectSettings::folder);
    const std::string name = project.localName.empty() ? HttpLocalFileName(url) : project.localName;
    project.SetText(&ProjectSettings::fileName, name);
    project.localPath = LocalPath(folder, name);

    if (project.settings.segments.load() > 0 && project.settings.totalSize.load() != 0 &&
        PreMerge(project))
        return 1;

    CHttpConnection conn;
    conn.downloadMode = true;
    const bool segment = project.segmentWorker && project.servedSegment;
    if (segment) project.localPath = LocalPath(folder, project.servedSegment->fileName);

    std::int64_t have = plat::FileSize(project.localPath).value_or(0);
    project.bytesDone = have;
    const bool segmented = project.settings.segments.load() > 0 && !segment;
    const std::int64_t total = project.settings.totalSize.load();
    if (segmented && total != 0) {
        MergeFront(project);
        have = plat::FileSize(project.localPath).value_or(0);
        project.bytesDone = have;
        if (have == total) return 1;
    }
    project.settings.savedProgress = have + (segment ? project.servedSegment->start : 0);

    HttpRequestInput in;
    in.url = url;
    in.parts = parts;
    in.offset = project.settings.savedProgress.load();
    if (segment || segmented) {
        const std::int64_t limit = RangeLimit(project, in.offset);
        if (limit > in.offset) in.rangeEnd = limit;
        // Segments split off once the size is known, and the main connection
        // then stops where the first one begins. An open-ended first request
        // would leave the server sending on past that point in vain.
        if (segmented && total == 0) in.rangeEnd = in.offset + kFirstRequestBytes;
    }
    in.proxy = GlobalRuntime().Proxy();
    TakePendingCookies(project, parts, in);
    conn.SetTarget(parts, in.proxy);
    const std::string request = BuildRequest(in);

    conn.owner = &project;
    project.SetConnection(&conn);
    if (project.stopRequested) {
        project.SetConnection(nullptr);
        return 1;
    }
    project.SetFailureText({});
    const int ok = conn.SendAndReceive(request);
    project.SetConnection(nullptr);

    if (plat::FileSize(project.localPath).value_or(-1) == 0) plat::RemoveFile(project.localPath);
    project.cookiePending = conn.cookieFlag;
    if (conn.cookieFlag) {
        project.cookieText = conn.cookieText;
        project.cookieHost = parts.host;
        project.cookieSecure = parts.service == UrlService::Https;
    }
    return ok;
}

}  // namespace ks
