#include "transfer/upload_worker.h"

#include <vector>

#include "base/checkpoint.h"
#include "base/list_file.h"
#include "base/outcome.h"
#include "base/project.h"
#include "base/runtime.h"
#include "base/status_event.h"
#include "base/worker_threads.h"
#include "platform/files.h"
#include "platform/socket.h"
#include "transfer/download_worker.h"
#include "transfer/failure_text.h"
#include "transfer/ftp_client.h"
#include "transfer/ftp_session.h"
#include "transfer/segments.h"
#include "transfer/url.h"

namespace ks {

namespace {

void DropClient(CProject& p, std::unique_ptr<CFtpClient>& client) {
    p.clientOpen = false;
    p.SetClient(nullptr);  // a stop can no longer reach the client about to go
    client.reset();
}

void NewClient(CProject& p, std::unique_ptr<CFtpClient>& client) {
    DropClient(p, client);
    client = std::make_unique<CFtpClient>(p);
    p.SetClient(client.get());
}

}  // namespace

int UploadOne(CProject& project, std::unique_ptr<CFtpClient>& client, const std::string& localPath,
              bool last) {
    project.clientOpen = false;
    UrlParts parts;
    if (!SplitUrl(project.GetText(&ProjectSettings::url), parts) ||
        parts.service != UrlService::Ftp) {
        project.loggedOn = false;
        return 0;
    }
    std::string dir = parts.path;
    while (!dir.empty() && dir.back() == '/') dir.pop_back();
    dir += '/';
    FtpLogonParams logon =
        FtpLogonFor(parts, GlobalRuntime().Proxy(), project.GetText(&ProjectSettings::userName),
                    project.GetText(&ProjectSettings::password));

    project.localPath = localPath;
    const auto localSize = plat::FileSize(localPath);
    if (!localSize) {
        project.SetFailureText(LocalFileText(localPath, "open"));
        project.loggedOn = false;
        return 0;
    }
    const std::string remote = dir + plat::BaseName(localPath);
    if (!FtpTextsAreSafe(logon, remote)) {
        // Never sent: a line break would smuggle a command to the server.
        project.SetFailureText("a line break in the name of " + localPath);
        project.loggedOn = false;
        return 0;
    }
    project.settings.totalSize = *localSize;
    project.bytesDone = project.settings.savedProgress.load();

    if (!client) NewClient(project, client);
    if (project.stopRequested) {
        DropClient(project, client);
        project.loggedOn = false;
        return 1;
    }
    const bool passive = GlobalRuntime().Proxy().ftpPassive;
    if (!project.loggedOn) {
        NotifyRow(project, StatusEvent::Connecting);
        if (!WithClientOpen(project, [&] { return client->Logon(logon); })) {
            project.SetFailureText(client->Why());
            project.loggedOn = false;
            DropClient(project, client);
            return 0;
        }
        project.loggedOn = true;
    }

    project.settings.savedProgress = 0;
    std::int64_t onServer = 0;
    if (!WithClientOpen(project, [&] { return client->RemoteSize(remote, passive); })) {
        // A refused listing is how many servers say the file is not there yet:
        // that is the ordinary case of an upload, not a reason to skip it.
        if (client->failure != FtpFailure::Refused) {
            project.SetFailureText(client->Why());
            project.loggedOn = false;
            DropClient(project, client);
            return 0;
        }
    } else {
        onServer = client->remoteSize;
    }
    // A file whose whole length is already on the server is not sent again,
    // whatever the mode: overwriting it would only send the same bytes.
    const bool alreadyThere = onServer != 0 && onServer == project.settings.totalSize.load();
    const bool overwrite = project.settings.uploadMode == 1;
    project.settings.savedProgress = overwrite && !alreadyThere ? 0 : onServer;
    project.bytesDone = project.settings.savedProgress.load();
    if (project.stopRequested) {
        DropClient(project, client);
        project.loggedOn = false;
        return 0;
    }

    const std::int64_t total = project.settings.totalSize;
    const std::int64_t have = project.settings.savedProgress;
    int ok;
    if (alreadyThere) {
        ok = 1;
    } else {
        const bool resume = have != 0 && have < total;
        if (!resume) project.settings.savedProgress = 0;
        project.bytesDone = project.settings.savedProgress.load();
        NotifyRow(project, StatusEvent::Transferring);
        ok = WithClientOpen(
            project, [&] { return client->Transfer(remote, localPath, passive, false, resume); });
        if (!ok && project.result >= 0 && client->failure != FtpFailure::LocalFile &&
            client->failure != FtpFailure::Stopped && !project.stopRequested)
            project.result = ResultIncomplete;  // STOR refused or the server lost data
        if (!ok) {
            project.SetFailureText(plat::BaseName(localPath) + ": " + client->Why());
            project.loggedOn = false;
        }
    }
    project.settings.savedProgress = project.bytesDone.load();
    if (project.result == ResultNetwork) {
        project.loggedOn = false;
    } else if (!project.stopRequested && (last || !ok)) {
        client->Quit();
        project.loggedOn = false;
    }
    return ok;
}

int UploadWorker(CProject* projectPtr) {
    CProject& project = *projectPtr;
    std::unique_ptr<CFtpClient> client;
    project.workerRunning = true;
    project.loggedOn = false;
    project.cancelViaConnection = false;
    if (!plat::SocketLayerInit()) {
        EndWorker(&project);
        return 0;
    }
    std::vector<std::string> entries;
    // A list that cannot be read is not an empty one: uploading nothing would
    // end as "Completed.".
    if (!ReadUploadList(project.GetText(&ProjectSettings::source), entries)) {
        // The row keeps its last state: no event, no save.
        EndWorker(&project);
        return 0;
    }
    project.settings.seqTo = static_cast<std::int32_t>(entries.size());
    project.settings.seqFrom = 1;
    project.SetFailureText({});
    NewClient(project, client);
    // Files passed over for good (missing here, refused by the server): the
    // others still go, but the run is no success.
    int skipped = 0;
    std::string skippedWhy;

    for (std::size_t i = 0; i < entries.size();) {
        if (project.stopRequested) {
            project.active = false;
            break;
        }
        project.SetText(&ProjectSettings::fileName, entries[i]);
        int ok = UploadOne(project, client, entries[i], i + 1 == entries.size());
        project.rate = 0;
        if (ok) {
            if (!project.stopRequested) {
                project.settings.seqFrom += 1;
                NotifyRow(project, StatusEvent::Completed);
            }
            project.result = ResultOk;
            SaveCheckpoint(project);
            ++i;
        } else if (project.result == ResultRefused || project.result >= 0) {
            // The server's final word on this file, or a local file that cannot
            // be read: a retry would fail alike.
            if (project.result < 0) NewClient(project, client);
            if (!project.stopRequested) {
                ++skipped;
                skippedWhy = project.FailureText();
            }
            project.result = ResultOk;
            ++i;
        } else {
            NewClient(project, client);
            if (project.stopRequested) {
                project.active = false;
                project.result = ResultOk;
                break;
            }
            RetryWait(project);
            project.result = ResultOk;
        }
    }
    if (skipped > 0 && project.result >= 0 && !project.stopRequested) {
        project.result = ResultRefused;
        project.SetFailureText(skipped == 1 ? skippedWhy
                                            : std::to_string(skipped) + " files not uploaded; " +
                                                  skippedWhy);
    }

    StatusEvent final = project.result < 0      ? StatusEvent::Error
                        : project.stopRequested ? StatusEvent::Stopped
                                                : StatusEvent::Completed;
    NotifyRow(project, final);
    SaveOutcome(project, final);
    project.rate = 0;
    NotifyActivity(false);
    SaveCheckpoint(project);
    DropClient(project, client);
    EndWorker(&project);
    return 0;
}

}  // namespace ks
