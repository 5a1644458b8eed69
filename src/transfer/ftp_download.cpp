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

// A reply of class 5 is the server's final word on this file.
bool RefusedForGood(const CFtpClient& client) {
    return client.failure == FtpFailure::Refused && client.replyClass == 5;
}

// After a listing: the bytes still missing, if any. 1 when the file is whole.
int FetchRest(CProject& project, CFtpClient& client, const std::string& path, bool listed,
              bool passive) {
    if (!listed) {
        // A listing the server refused leaves nothing to fetch: a failed
        // attempt, not a finished one, and with a 5xx one not worth repeating.
        if (project.result >= 0)
            project.result = RefusedForGood(client) ? ResultRefused : ResultIncomplete;
        project.SetFailureText(client.Why());
        NotifyRow(project, StatusEvent::Error);
        return 0;
    }
    const std::int64_t have = project.bytesDone, size = client.remoteSize;
    if (!project.segmentWorker && size != 0) {
        if (have == size) return 1;
        if (have > size) {
            // Resuming would ask for bytes past the end: this is another file.
            project.result = ResultRefused;
            project.SetFailureText(
                "the local file " + project.localPath + " (" + std::to_string(have) +
                " bytes) is longer than the remote one (" + std::to_string(size) + " bytes)");
            return 0;
        }
    }
    NotifyRow(project, StatusEvent::Transferring);
    int ok = WithClientOpen(
        project, [&] { return client.Transfer(path, project.localPath, passive, true, true); });
    if (plat::FileSize(project.localPath).value_or(-1) == 0) plat::RemoveFile(project.localPath);
    if (!ok && client.failure == FtpFailure::LocalFile) {
        // A file that cannot be written is no finished file, and a retry
        // will not make room.
        project.result = ResultFileError;
    } else if (!ok && project.result == ResultOk && client.failure != FtpFailure::Stopped &&
               !project.stopRequested) {
        project.result = ResultIncomplete;  // e.g. the data connection closed early
    }
    if (!ok && project.result < 0) project.SetFailureText(client.Why());
    return ok;
}

}  // namespace

int FtpDownload(CProject& project, const std::string& url) {
    UrlParts parts;
    SplitUrl(url, parts);
    project.clientOpen = false;
    const std::string fileName =
        project.localName.empty() ? FtpLocalFileName(url) : project.localName;
    project.SetText(&ProjectSettings::fileName, fileName);
    const std::string folder = project.GetText(&ProjectSettings::folder);
    project.localPath = LocalPath(folder, fileName);
    if (fileName.empty() && !project.hidden) {
        // "ftp://host/dir/" names a folder: there is no file to write to. (The
        // keep-alive fetcher only logs on and off.)
        project.result = ResultFileError;
        project.SetFailureText("no file name in " + url);
        return 0;
    }

    if (project.settings.segments > 0 && project.settings.totalSize != 0 && PreMerge(project))
        return 1;
    const bool segmentWorker = project.segmentWorker;
    PrepareLocalFile(project, folder);
    if (!segmentWorker && project.settings.segments > 0 && project.settings.totalSize != 0) {
        MergeFront(project);
        PrepareLocalFile(project, folder);
        if (project.bytesDone == project.settings.totalSize) return 1;
    }

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
        project.SetFailureText(client->Why());
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
            if (listed) RejectSegmentSource(project);
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
