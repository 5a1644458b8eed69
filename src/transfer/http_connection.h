// One blocking HTTP exchange over one TCP connection: connect, send the whole
// request, receive until the answer ends. Download mode writes the body to the
// owner's local file (resuming, cooperating with segments); page mode keeps the
// whole answer in memory. The object lives for one request.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "base/project.h"
#include "base/proxy_settings.h"
#include "platform/socket.h"
#include "platform/tls.h"
#include "transfer/http_headers.h"
#include "transfer/url.h"

namespace ks {

// The parsed response header (statusLine, location, cookieText, cookieFlag,
// contentLength...) is readable directly on the connection.
class CHttpConnection : public Cancellable, public HttpHeaders {
  public:
    // Download mode reads big blocks straight into the file; page mode keeps
    // the classic block size because each block is cut at its first NUL.
    static constexpr std::size_t kDownloadBlock = 256 * 1024;
    static constexpr std::size_t kPageBlock = 8191;

    // Page mode keeps at most this much of a body unless told otherwise.
    static constexpr std::size_t kMaxPageBytes = 16 * 1024 * 1024;
    // Room for the header on top of the body limit while receiving.
    static constexpr std::size_t kPageHeaderRoom = 64 * 1024;

    CHttpConnection();
    ~CHttpConnection() override;

    // Set by the caller before SendAndReceive.
    std::string host;
    std::uint16_t port = 80;
    bool downloadMode = false;
    // Whose stopRequested and result the exchange reads and writes. Required in
    // download mode; optional in page mode (a stop then comes through Cancel).
    CProject* owner = nullptr;
    std::int64_t timeoutMs;  // each blocking step; from the "timeout" setting
    // https: TLS over the connection, the certificate checked against tlsHost
    // (the URL's host, which is not the proxy's).
    bool secure = false;
    std::string tlsHost;
    plat::TlsTrust trust;  // from the "TLS" settings

    // Where the request goes: the URL's server, or the HTTP proxy when one is
    // in use; https takes TLS either way.
    void SetTarget(const UrlParts& parts, const ProxySettings& proxy);

    // Returns 1 or 0; the reason is in `result` (and the owner's result).
    int SendAndReceive(const std::string& request);

    // Thread-safe: ends the blocking step in progress and every later one.
    void Cancel() override;

    // Page mode: a longer body is cut here and the exchange still succeeds,
    // with pageTruncated set; the rest is never read.
    std::size_t pageLimit = kMaxPageBytes;
    std::string pageText;  // page mode: the body
    bool pageTruncated = false;
    bool connected = false;
    std::int32_t result = ResultOk;
    // Why the exchange failed, in the user's words ("unknown issuer",
    // "server answered 404 Not Found", ...); empty otherwise.
    std::string failureText;

  private:
    struct Download;
    bool OpenTunnel();
    bool StartTls();
    std::int64_t Receive(void* buf, std::size_t len);
    int ReceiveToFile();
    int ReceivePage();
    bool OnHeaderBytes(Download& d, char* data, std::size_t len);
    bool OnHeader(Download& d, char* body, std::size_t len);
    bool CheckRange(Download& d);
    void ShortenAtNextSegment(Download& d);
    bool OnBody(Download& d, char* data, std::size_t len, bool segmentChecks);
    void OnEnd(Download& d, bool peerClosed);
    void SetResult(std::int32_t r);
    void Fail(Download& d, std::int32_t r);
    // Keeps the reason of a failure here and in the owner.
    void Why(std::string text);
    std::string SocketWhy(bool connecting) const;

    plat::Socket socket_;
    std::unique_ptr<plat::TlsStream> tls_;
    std::string tunnelTarget_;  // "host:port" to CONNECT to through the proxy
};

std::string Base64Encode(std::string_view bytes);

// What a download request is made of.
struct HttpRequestInput {
    std::string url;  // as handed over: the request target through a proxy
    UrlParts parts;
    std::int64_t offset = 0;    // the range start
    std::int64_t rangeEnd = 0;  // exclusive end of a closed range; 0: to the end
    bool sendCookie = false;
    std::string cookieText;
    ProxySettings proxy;
};

bool UsesHttpProxy(const ProxySettings& proxy);
// The download request, every line ending in CR LF, closed by an empty line.
std::string BuildRequest(const HttpRequestInput& in);

}  // namespace ks
