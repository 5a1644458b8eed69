// CFtpClient::Transfer: one RETR or STOR, resumed with REST where the server
// allows it.
#include <algorithm>
#include <string>
#include <vector>

#include "platform/clock.h"
#include "transfer/failure_text.h"
#include "transfer/ftp_client.h"
#include "transfer/segments.h"

namespace ks {

namespace {
// Data blocks: large, so a loopback or LAN transfer is not bound by system
// calls. Allocated per transfer, never on a worker thread's stack.
constexpr std::size_t kBlock = 256 * 1024;

// mergeFlag stays set for the whole transfer, whichever way it ends.
struct MergeFlagScope {
    explicit MergeFlagScope(CProject& p) : p_(p) { p_.mergeFlag = true; }
    ~MergeFlagScope() { p_.mergeFlag = false; }
    CProject& p_;
};
}  // namespace

void CFtpClient::LocalFileFailed(int number, const char* action) {
    localError = LocalFileText(localPathOpen_, action);
    SetMessage(number);
    failure = FtpFailure::LocalFile;
}

// 1: REST works; 0: refused; -1: the connection failed.
int CFtpClient::ProbeRest() {
    if (!SendLine("REST 100") || !ReadReply()) return -1;
    if (replyClass != 3) return 0;
    // Clear the marker again before any offset is relied on.
    if (!SendLine("REST 0") || !ReadReply()) return -1;
    return replyClass == 3 ? 1 : 0;
}

// Without a usable offset the transfer starts over from byte 0.
bool CFtpClient::Restart(bool download) {
    if (download) {
        file_.Close();
        if (!file_.Open(localPathOpen_, plat::File::Mode::Truncate)) {
            LocalFileFailed(kFtpLocalFile, "open");
            return false;
        }
    } else if (!file_.Seek(0)) {
        LocalFileFailed(kFtpFileError, "open");
        return false;
    }
    owner_.settings.savedProgress = 0;
    owner_.bytesDone = 0;
    return true;
}

int CFtpClient::Transfer(const std::string& remote, const std::string& local, bool passive,
                         bool download, bool resume) {
    failure = FtpFailure::None;
    MergeFlagScope mergeScope(owner_);
    auto abandon = [this] {
        file_.Close();
        CloseData();
        return 0;
    };
    localPathOpen_ = local;
    if (!file_.Open(local, download ? plat::File::Mode::ReadWrite : plat::File::Mode::Read)) {
        LocalFileFailed(kFtpLocalFile, "open");
        return 0;
    }
    if (!Command("TYPE I")) return abandon();
    if (resume) {
        int probe = ProbeRest();
        if (probe < 0) return abandon();
        resume = probe == 1;
    }
    const std::int64_t offset = owner_.settings.savedProgress;
    bool positioned = download ? (resume ? file_.SeekEnd() : file_.Seek(0))
                               : (resume ? file_.Seek(offset) : true);
    if (!positioned) {
        LocalFileFailed(kFtpFileError, "open");
        return abandon();
    }
    if (download && !resume) owner_.settings.savedProgress = 0;
    if (!OpenData(passive)) return abandon();
    if (resume) {
        owner_.resumable = true;
        if (!SendLine("REST " + std::to_string(offset)) || !ReadReply()) return abandon();
        resume = replyClass == 3;
    }
    if (!resume) {
        // A segment's bytes are only worth anything at their offset.
        if (download && owner_.segmentWorker) {
            failure = FtpFailure::Refused;
            return abandon();
        }
        if (!Restart(download)) return abandon();
    }
    if (!SendLine((download ? "RETR " : "STOR ") + remote) || !ReadReply()) return abandon();
    if (replyClass != 1) {
        failure = FtpFailure::Refused;
        // A 5xx is the server's final word on this file; a 4xx may pass.
        owner_.result = replyClass == 5 ? ResultRefused : ResultIncomplete;
        return abandon();
    }
    owner_.settings.totalSize = download ? remoteSize : file_.Size();
    if (!AttachData()) return abandon();
    owner_.lastTick = plat::NowSeconds();

    LoopEnd end = download ? DownloadLoop() : UploadLoop();
    return FinishTransfer(download, end);
}

// How many of n received bytes this fetch may keep: a file of a segmented
// download takes nothing past the start of the next segment, which fetches
// those bytes itself.
std::int64_t CFtpClient::Keep(std::int64_t n, std::int64_t& limit) const {
    const bool segment = owner_.segmentWorker && owner_.servedSegment;
    if (!segment && (owner_.segmentWorker || owner_.settings.segments <= 0)) return n;
    const std::int64_t base = segment ? owner_.servedSegment->start : 0;
    const std::int64_t next = RangeLimit(owner_, owner_.settings.savedProgress);
    if (next <= 0) return n;
    limit = next - base;
    return std::max<std::int64_t>(0, std::min(n, limit - owner_.bytesDone));
}

CFtpClient::LoopEnd CFtpClient::DownloadLoop() {
    std::vector<char> block(kBlock);
    char* buf = block.data();
    const bool segmentWorker = owner_.segmentWorker;
    const bool mayMerge = !segmentWorker && remoteSize > 0 && owner_.settings.segments > 0;
    for (;;) {
        if (owner_.stopRequested) return LoopEnd::OwnStop;
        std::int64_t n = data_->Recv(buf, block.size());
        if (n == 0) return LoopEnd::ServerClosed;
        if (n < 0) {
            NetworkFailed(data_->LastError(), false);
            return LoopEnd::Failed;
        }
        std::int64_t limit = -1;
        n = Keep(n, limit);
        if (n > 0 && !file_.Write(buf, static_cast<std::size_t>(n))) {
            LocalFileFailed(kFtpFileError, "write");
            return LoopEnd::Failed;
        }
        owner_.bytesDone += n;
        owner_.bytesSinceTick += n;
        if (segmentWorker) {
            if (owner_.servedSegment) owner_.servedSegment->bytesDone = owner_.bytesDone.load();
            if (SegmentMustStop(owner_)) return LoopEnd::OwnStop;
        } else if (mayMerge) {
            SegmentScratch scratch;
            const bool merge = CheckSegments(owner_, scratch);
            if (merge) MergeSegment(owner_, file_, scratch);
            // At a segment's start the data connection is dropped at once; the
            // next session merges that segment and goes on behind it.
            if (merge || owner_.bytesDone == limit) {
                owner_.result = ResultFetchAgain;
                owner_.nextUrl = owner_.requestedUrl;
                return LoopEnd::Merged;
            }
        }
    }
}

CFtpClient::LoopEnd CFtpClient::UploadLoop() {
    std::vector<char> block(kBlock);
    char* buf = block.data();
    for (;;) {
        std::int64_t n = file_.Read(buf, block.size());
        if (n == 0) return LoopEnd::ServerClosed;
        if (n < 0) {
            LocalFileFailed(kFtpFileError, "read");
            return LoopEnd::Failed;
        }
        if (!data_->SendAll(buf, static_cast<std::size_t>(n))) {
            NetworkFailed(data_->LastError(), false);
            return LoopEnd::Failed;
        }
        if (owner_.stopRequested) return LoopEnd::OwnStop;
        owner_.bytesDone += n;
        owner_.bytesSinceTick += n;
    }
}

int CFtpClient::FinishTransfer(bool download, LoopEnd end) {
    file_.Close();
    // Closing our side ends an upload for the server and aborts anything else.
    CloseData();
    if (end == LoopEnd::Failed) return 0;
    if (owner_.stopRequested) return 1;
    const bool ranToEnd = end == LoopEnd::ServerClosed;
    if (!Command("")) {
        // 426 and the like: the server says the data did not all arrive.
        if (ranToEnd && failure == FtpFailure::Refused) owner_.result = ResultIncomplete;
        return 0;
    }
    if (!ranToEnd) return end == LoopEnd::OwnStop ? 1 : 0;
    if (download && !owner_.segmentWorker && remoteSize > 0 && owner_.bytesDone < remoteSize) {
        // A data connection that closed early is no finished file.
        failure = FtpFailure::Refused;
        owner_.result = ResultIncomplete;
        return 0;
    }
    return 1;
}

}  // namespace ks
