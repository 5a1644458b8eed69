#include "transfer/http_connection.h"

#include <algorithm>
#include <cctype>
#include <chrono>
#include <cstring>

#include "base/runtime.h"
#include "base/status_event.h"
#include "platform/files.h"
#include "transfer/chunked.h"
#include "transfer/failure_text.h"
#include "transfer/segments.h"

namespace ks {

namespace {

using Clock = std::chrono::steady_clock;
// Progress reaches the row at most this often; the counters themselves move
// with every block.
constexpr auto kTickInterval = std::chrono::milliseconds(250);

std::string Lower(std::string_view s) {
    std::string out(s);
    for (char& c : out) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return out;
}

std::int64_t NowSeconds() {
    return std::chrono::duration_cast<std::chrono::seconds>(
               std::chrono::system_clock::now().time_since_epoch())
        .count();
}

}  // namespace

// State of one ReceiveToFile.
struct CHttpConnection::Download {
    explicit Download(CProject& project) : p(project) {}
    CProject& p;
    bool headerDone = false;
    bool lengthUnknown = false;
    bool partial = false;
    // bytesDone at which this answer's body ends (known length only).
    std::int64_t end = 0;
    int ret = 1;
    plat::File file;
    HeaderCollector collector;
    bool chunkedBody = false;
    ChunkedDecoder chunked;
    Clock::time_point lastNotify = Clock::now();
};

CHttpConnection::CHttpConnection()
    : timeoutMs(GlobalRuntime().TimeoutMs()), trust(GlobalRuntime().Tls()) {}

CHttpConnection::~CHttpConnection() = default;

void CHttpConnection::Cancel() {
    socket_.Cancel();
}

void CHttpConnection::SetResult(std::int32_t r) {
    result = r;
    if (owner) owner->result = r;
}

void CHttpConnection::Fail(Download& d, std::int32_t r) {
    SetResult(r);
    d.ret = 0;
}

void CHttpConnection::Why(std::string text) {
    failureText = std::move(text);
    if (owner) owner->SetFailureText(failureText);
}

std::string CHttpConnection::SocketWhy(bool connecting) const {
    return SocketFailureText(socket_.LastError(), host, port, connecting);
}

int CHttpConnection::SendAndReceive(const std::string& request) {
    if (downloadMode && !owner) return SetResult(ResultNetwork), 0;
    if (downloadMode) {
        owner->imageBase = 0;
        NotifyRow(*owner, StatusEvent::Connecting);
    }
    socket_.SetTimeoutMs(timeoutMs);
    if (!socket_.Connect(host, port)) {
        connected = false;
        SetResult(ResultNetwork);
        Why(SocketWhy(true));
        return 0;
    }
    connected = true;
    if (!tunnelTarget_.empty() && !OpenTunnel()) return 0;
    if (secure && !StartTls()) return 0;
    if (!(tls_ ? tls_->SendAll(request) : socket_.SendAll(request))) {
        if (downloadMode) SetResult(ResultNetwork);
        Why(SocketWhy(false));
        return 0;
    }
    if (!downloadMode) return ReceivePage();
    NotifyRow(*owner, StatusEvent::Transferring);
    return ReceiveToFile();
}

int CHttpConnection::ReceiveToFile() {
    CProject& p = *owner;
    NotifyRow(p, StatusEvent::Tick);
    Download d(p);
    std::unique_ptr<char[]> buf(new char[kDownloadBlock]);
    while (!p.stopRequested) {
        std::int64_t n = Receive(buf.get(), kDownloadBlock);
        if (n <= 0) {
            OnEnd(d, n == 0);
            break;
        }
        p.bytesSinceTick += n;
        const auto len = static_cast<std::size_t>(n);
        if (!(d.headerDone ? OnBody(d, buf.get(), len, true) : OnHeaderBytes(d, buf.get(), len)))
            break;
        if (Clock::now() - d.lastNotify >= kTickInterval) {
            d.lastNotify = Clock::now();
            NotifyRow(p, StatusEvent::Tick);
        }
    }
    d.file.Close();
    p.mergeFlag = false;
    NotifyRow(p, StatusEvent::Tick);
    return d.ret;
}

// The answer ended: the peer closed (0 bytes) or the receive failed.
void CHttpConnection::OnEnd(Download& d, bool peerClosed) {
    CProject& p = d.p;
    const std::string where = host + ":" + std::to_string(port);
    const std::string closedEarly = "connection closed by " + where + " before the end of the file";
    if (!d.headerDone) {
        // Without a complete header nothing was learnt, let alone written.
        Fail(d, ResultNetwork);
        Why(peerClosed ? "connection closed by " + where + " without an answer" : SocketWhy(false));
    } else if (d.chunkedBody) {
        if (!d.chunked.Done()) {
            Fail(d, peerClosed ? ResultIncomplete : ResultNetwork);
            Why(peerClosed ? closedEarly : SocketWhy(false));
        }
    } else if (peerClosed) {
        if (!d.lengthUnknown && p.settings.totalSize.load() != p.bytesDone.load()) {
            Fail(d, ResultIncomplete);
            Why(closedEarly);
        }
    } else if (d.lengthUnknown || p.settings.totalSize.load() != p.bytesDone.load()) {
        Fail(d, ResultNetwork);
        Why(SocketWhy(false));
    } else {
        SetResult(ResultOk);
    }
}

bool CHttpConnection::OnHeaderBytes(Download& d, char* data, std::size_t len) {
    std::size_t used = 0;
    switch (d.collector.Feed(data, len, used)) {
        case HeaderCollector::State::NeedMore:
            return true;
        case HeaderCollector::State::TooLarge:
            Fail(d, ResultNetwork);
            return false;
        case HeaderCollector::State::Done:
            break;
    }
    headerBlock = d.collector.TakeBlock();
    ParseHeaders(*this);
    return OnHeader(d, data + used, len - used);
}

bool CHttpConnection::OnHeader(Download& d, char* body, std::size_t len) {
    CProject& p = d.p;
    const int code = statusCode;
    if (code == 206) {
        p.resumable = true;
        d.partial = true;
    } else if (code >= 400 && code < 600) {
        // Asking for the range from the end of a complete file.
        if (code == 416 && rangeTotal >= 0 && rangeTotal == p.settings.savedProgress.load()) {
            p.settings.totalSize = rangeTotal;
            return false;
        }
        if (code < 500) RejectSegmentSource(p);
        Fail(d, code < 500 ? ResultHttpClientError : ResultHttpServerError);
        Why(ServerAnswerText(statusLine));
        return false;
    } else if (code >= 300 && code < 400 && Lower(location) != Lower(p.nextUrl)) {
        p.nextUrl = location;
        if (!location.empty()) SetResult(ResultFetchAgain);
        return false;
    }
    const std::string lowerPath = Lower(p.localPath);
    if (lowerHeader.find("text/html") != std::string::npos &&
        lowerPath.find(".htm") == std::string::npos &&
        lowerPath.find(".txt") == std::string::npos) {
        Fail(d, ResultIncomplete);
        Why("server sent a web page instead of the file");
        return false;
    }
    if (d.partial) {
        // A closed range says the whole size only in Content-Range; a segment's
        // total counts from its start.
        const std::int64_t start = p.segmentWorker && p.servedSegment ? p.servedSegment->start : 0;
        p.settings.totalSize =
            rangeTotal > 0 ? rangeTotal - start : p.bytesDone.load() + contentLength;
    } else {
        p.settings.totalSize = contentLength;
        if (contentLength != 0 && p.settings.savedProgress.load() >= contentLength) return false;
    }
    d.lengthUnknown = contentLength == 0;
    if (!CheckRange(d)) {
        RejectSegmentSource(p);
        return false;
    }
    if (!d.partial) {
        p.bytesDone = 0;
        p.settings.savedProgress = 0;
    }
    d.end = p.bytesDone.load() + contentLength;
    if (!p.hidden) {
        bool opened =
            d.partial ? d.file.Open(p.localPath, plat::File::Mode::ReadWrite) && d.file.SeekEnd()
                      : d.file.Open(p.localPath, plat::File::Mode::Truncate);
        if (!opened) {
            Why(LocalFileText(p.localPath, "open"));
            Fail(d, ResultFileError);
            return false;
        }
    }
    d.headerDone = true;
    d.chunkedBody = chunked;
    p.lastTick = NowSeconds();
    p.mergeFlag = true;
    return len == 0 || OnBody(d, body, len, false);
}

// Whether the answer's bytes belong where this request will put them.
bool CHttpConnection::CheckRange(Download& d) {
    CProject& p = d.p;
    const std::int64_t asked = p.settings.savedProgress.load();
    if (p.segmentWorker) {
        // A segment file only takes bytes that start exactly where it asked
        // and that come from the same file as the parent's.
        if (!d.partial || rangeStart != asked) return false;
        if (!p.parentProject) return true;
        const std::int64_t parentTotal = p.parentProject->settings.totalSize.load();
        const std::int64_t start = p.servedSegment ? p.servedSegment->start : 0;
        return rangeTotal == parentTotal && p.settings.totalSize.load() + start == parentTotal;
    }
    if (d.partial && rangeStart >= 0 && rangeStart != asked) {
        // Appending these bytes at the end of the file would corrupt it.
        Fail(d, ResultIncomplete);
        return false;
    }
    return true;
}

// A segment split off inside this answer's range fetches the rest itself: the
// answer ends at its start.
void CHttpConnection::ShortenAtNextSegment(Download& d) {
    CProject& p = d.p;
    const bool segment = p.segmentWorker.load() && p.servedSegment;
    if (!segment && (p.segmentWorker.load() || p.settings.segments.load() <= 0)) return;
    const std::int64_t base = segment ? p.servedSegment->start : 0;
    const std::int64_t limit = RangeLimit(p, p.settings.savedProgress.load());
    if (limit > 0 && limit - base < d.end) d.end = std::max(limit - base, p.bytesDone.load());
}

bool CHttpConnection::OnBody(Download& d, char* data, std::size_t len, bool segmentChecks) {
    CProject& p = d.p;
    if (d.chunkedBody) {
        len = d.chunked.Decode(data, len);
        if (d.chunked.Failed()) {
            Fail(d, ResultIncomplete);
            return false;
        }
    }
    const std::int64_t total = p.settings.totalSize.load();
    if (!d.lengthUnknown) ShortenAtNextSegment(d);
    if (!d.lengthUnknown) {
        // Bytes beyond the announced length are not part of the file.
        std::int64_t room = std::max<std::int64_t>(0, d.end - p.bytesDone.load());
        len = static_cast<std::size_t>(std::min<std::int64_t>(room, std::int64_t(len)));
    }
    if (len > 0 && !p.hidden && !d.file.Write(data, len)) {
        Why(LocalFileText(p.localPath, "write"));
        Fail(d, ResultFileError);
        return false;
    }
    const std::int64_t done = p.bytesDone.fetch_add(std::int64_t(len)) + std::int64_t(len);
    if (segmentChecks) {
        if (p.segmentWorker) {
            if (p.servedSegment) p.servedSegment->bytesDone = done;
            if (SegmentMustStop(p)) return false;
        } else if (!d.lengthUnknown && p.settings.segments.load() > 0) {
            SegmentScratch scratch;
            if (CheckSegments(p, scratch)) {
                MergeSegment(p, d.file, scratch);
                p.nextUrl = p.requestedUrl;
                Fail(d, ResultFetchAgain);
                return false;
            }
        }
    } else if (p.segmentWorker && p.servedSegment) {
        p.servedSegment->bytesDone = done;
    }
    if (d.chunkedBody && d.chunked.Done()) return false;
    if (d.lengthUnknown || p.bytesDone.load() < d.end) return true;
    if (d.end < total && !p.segmentWorker) {
        // The range ended where a segment begins: a new request merges it first.
        p.nextUrl = p.requestedUrl;
        Fail(d, ResultFetchAgain);
    }
    return false;
}

int CHttpConnection::ReceivePage() {
    std::unique_ptr<char[]> buf(new char[kPageBlock + 1]);
    const std::size_t readLimit = pageLimit + kPageHeaderRoom;
    for (;;) {
        if (owner && owner->stopRequested) break;
        std::int64_t n = Receive(buf.get(), kPageBlock);
        if (n == 0) break;
        if (n < 0) {
            if (owner && owner->stopRequested) break;
            SetResult(ResultNetwork);
            return 0;
        }
        // A block is text: it ends at its first NUL.
        buf[n] = '\0';
        pageText.append(buf.get(), std::strlen(buf.get()));
        if (pageText.size() >= readLimit) {
            pageTruncated = true;
            break;
        }
    }
    std::size_t end = pageText.find("\r\n\r\n");
    if (end == std::string::npos) return 1;
    headerBlock = pageText.substr(0, end + 4);
    pageText.erase(0, end + 4);
    ParseHeaders(*this);
    if (chunked) {
        ChunkedDecoder dec;
        pageText.resize(dec.Decode(pageText.data(), pageText.size()));
        if (!dec.Done() && !pageTruncated) {
            SetResult(ResultIncomplete);
            return 0;
        }
    }
    if (pageText.size() > pageLimit) {
        pageText.resize(pageLimit);
        pageTruncated = true;
    }
    return 1;
}

std::string Base64Encode(std::string_view bytes) {
    static const char kAlphabet[] =
        "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string out;
    out.reserve((bytes.size() + 2) / 3 * 4);
    std::size_t i = 0;
    for (; i + 2 < bytes.size(); i += 3) {
        unsigned v = (unsigned char)bytes[i] << 16 | (unsigned char)bytes[i + 1] << 8 |
                     (unsigned char)bytes[i + 2];
        out += kAlphabet[v >> 18];
        out += kAlphabet[(v >> 12) & 63];
        out += kAlphabet[(v >> 6) & 63];
        out += kAlphabet[v & 63];
    }
    if (i < bytes.size()) {
        unsigned v = (unsigned char)bytes[i] << 16;
        if (i + 1 < bytes.size()) v |= (unsigned char)bytes[i + 1] << 8;
        out += kAlphabet[v >> 18];
        out += kAlphabet[(v >> 12) & 63];
        out += i + 1 < bytes.size() ? kAlphabet[(v >> 6) & 63] : '=';
        out += '=';
    }
    return out;
}

bool UsesHttpProxy(const ProxySettings& proxy) {
    return proxy.useHttpProxy && !proxy.httpProxyServer.empty();
}

std::string BuildRequest(const HttpRequestInput& in) {
    // https through a proxy travels in a tunnel: the server sees a plain request.
    const bool proxy = UsesHttpProxy(in.proxy) && in.parts.service != UrlService::Https;
    const std::string path = in.parts.path.empty() ? "/" : in.parts.path;
    std::string r = "GET " + (proxy ? in.url : path) + " HTTP/1.1\r\n";
    if (Lower(path).find("/get/") == std::string::npos) {
        r += "Host: " + in.parts.host + "\r\n";
        r += "Accept: */*\r\n";
        r += "User-Agent: Mozilla/4.0 (compatible; Kestrune 3.0)\r\n";
        r += "Connection: close\r\n";
        if (proxy) r += "Proxy-Connection: Keep-Alive\r\n";
        r += "Pragma: no-cache\r\n";
        r += "Cache-Control: no-cache\r\n";
    } else {
        r += "Connection: Keep-Alive\r\n";
        r += "User-Agent: Gnutella\r\n";
    }
    r += "Range: bytes=" + std::to_string(in.offset) + "-";
    if (in.rangeEnd > in.offset) r += std::to_string(in.rangeEnd - 1);
    r += "\r\n";
    if (!in.parts.userName.empty() || !in.parts.password.empty())
        r += "Authorization: Basic " + Base64Encode(in.parts.userName + ":" + in.parts.password) +
             "\r\n";
    if (in.sendCookie) r += "Cookie: " + in.cookieText + "\r\n";
    r += "\r\n";
    return r;
}

}  // namespace ks
