// FtpDownload: one fetch of an ftp:// URL into the project's local file (or,
// for a segment worker, into its segment's file).
#include <memory>

#include "base/runtime.h"
#include "base/status_event.h"
#include "platform/clock.h"
#include "platform/files.h"
#include "transfer/dispatch.h"
#include "transfer/ftp_client.h"
#include "transfer/ftp_session.h"
#include "transfer/segments.h"
#include "transfer/url.h"

namespace ks {

namespace {

// The project reaches the client (to abort it) only while this lives.
class ClientScope {
  public:
    explicit ClientScope(CProject& p) : p_(p), client_(std::make_unique<CFtpClient>(p)) {
        p_.SetClient(client_.get());
    }
    ~ClientScope() {
        p_.clientOpen = false;
        p_.SetClient(nullptr);
    }
    CFtpClient& operator*() { return *client_; }
    CFtpClient* operator->() { return client_.get(); }

  private:
    CProject& p_;
    std::unique_ptr<CFtpClient> client_;
};

void PauseUnlessStopped(CProject& p, std::int64_t ms) {
    p.WaitForStop(ms);
}

bool ParentStopping(const CProject& p) {
    return p.parentProject && p.parentProject->stopRequested.load();
}

// The local file of this fetch (the segment's own file for a segment worker)
// and what it already holds.
void PrepareLocalFile(CProject& project, const std::string& folder) {
    const bool segmentWorker = project.segmentWorker;
    if (segmentWorker && project.servedSegment)
        project.localPath = LocalPath(folder, project.servedSegment->fileName);
    const std::int64_t have = plat::FileSize(project.localPath).value_or(0);
    project.bytesDone = have;
    project.settings.savedProgress =
        have + (segmentWorker && project.servedSegment ? project.servedSegment->start : 0);
}

// After a listing: the bytes still missing, if any. 1 when the file is whole.
int FetchRest(CProject& project, CFtpClient& client, const std::string& path, bool listed,
              bool passive) {
    if (!listed) {
        // A listing the server refused leaves nothing to fetch: a failed
        // attempt, not a finished one.
        if (project.result >= 0) project.result = ResultIncomplete;
        NotifyRow(project, StatusEvent::Error);
        return 0;
    }
    if (project.bytesDone == client.remoteSize && client.remoteSize != 0 && !project.segmentWorker)
        return 1;
    NotifyRow(project, StatusEvent::Transferring);
    int ok = WithClientOpen(
        project, [&] { return client.Transfer(path, project.localPath, passive, true, true); });
    if (plat::FileSize(project.localPath).value_or(-1) == 0) plat::RemoveFile(project.localPath);
    if (!ok && project.result == ResultOk && client.failure != FtpFailure::LocalFile &&
        client.failure != FtpFailure::Stopped && !project.stopRequested)
        project.result = ResultIncomplete;  // e.g. RETR refused: no file arrived
    return ok;
}

}  // namespace

int FtpDownload(CProject& project, const std::string& url) {
    UrlParts parts;
    SplitUrl(url, parts);
    project.clientOpen = false;
    const std::string fileName = FtpLocalFileName(url);
    project.SetText(&ProjectSettings::fileName, fileName);
    const std::string folder = project.GetText(&ProjectSettings::folder);
    project.localPath = LocalPath(folder, fileName);

    if (project.settings.segments > 0 && project.settings.totalSize != 0 && PreMerge(project))
        return 1;
    const bool segmentWorker = project.segmentWorker;
    PrepareLocalFile(project, folder);

    const ProxySettings proxy = GlobalRuntime().Proxy();
    FtpLogonParams logon = FtpLogonFor(parts, proxy, "", "");
    if (!FtpTextsAreSafe(logon, parts.path)) {
        // A line break in a name would smuggle commands to the server.
        project.SignalStop();
        project.result = ResultInvalidUrl;
        return 0;
    }
    if (project.stopRequested) return 1;

    ClientScope client(project);
    NotifyRow(project, StatusEvent::Connecting);
    if (!WithClientOpen(project, [&] { return client->Logon(logon); })) {
        NotifyRow(project, StatusEvent::Error);
        PauseUnlessStopped(project, GlobalRuntime().errorPauseMs.load());
        return 0;
    }
    if (project.hidden) {
        client->Quit();
        return 1;
    }

    const bool passive = proxy.ftpPassive;
    int listed = WithClientOpen(project, [&] { return client->RemoteSize(parts.path, passive); });

    if (segmentWorker) {
        const CProject* parent = project.parentProject;
        const std::int64_t parentTotal = parent ? parent->settings.totalSize.load() : -1;
        if (!listed || client->remoteSize != parentTotal) {
            // Bytes of another file, or of a size we cannot check, are never kept.
            if (project.result != ResultNetwork) {
                if (ParentStopping(project)) project.SignalStop();
                if (!project.stopRequested) client->Quit();
            }
            return 1;
        }
    }
    if (project.stopRequested) return 1;

    const int ok = FetchRest(project, *client, parts.path, listed, passive);
    if (project.result != ResultNetwork) {
        if (segmentWorker && ParentStopping(project)) project.SignalStop();
        if (!project.stopRequested) client->Quit();
    }
    return ok;
}

}  // namespace ks
