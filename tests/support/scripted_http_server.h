// An in-process HTTP server on loopback for tests. Scenarios are data: a
// table of rules, each naming a request path and how to answer it. Every
// connection gets its own thread, so many parallel downloads can use it; every
// request's exact bytes are recorded for assertions.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "platform/socket.h"

namespace ks::test {

struct HttpRule {
    enum class Body {
        Fixed,        // `body` as it is
        Ranged,       // `bytes`, honouring "Range: bytes=a-" / "a-b" (206, 416)
        IgnoreRange,  // `bytes` whole, always 200
    };

    std::string path;  // the request target to answer; empty answers any
    Body kind = Body::Fixed;
    std::string status = "HTTP/1.1 200 OK";  // Fixed only; Ranged sets its own
    std::vector<std::string> headers;        // extra lines, without CR LF
    std::string body;
    std::shared_ptr<const std::string> bytes;
    std::string contentType = "application/octet-stream";
    bool contentLength = true;                // send Content-Length (never with chunked)
    bool chunked = false;                     // Transfer-Encoding: chunked, in blocks of blockSize
    std::int64_t closeAfterBodyBytes = -1;    // close after this many body bytes
    std::int64_t closeAfterHeaderBytes = -1;  // close inside the header
    int delayBeforeReplyMs = 0;
    int delayBetweenBlocksMs = 0;
    std::size_t blockSize = 64 * 1024;
    std::size_t headerPieceSize = 0;  // > 0: the header goes out in pieces this small
    int delayBetweenHeaderPiecesMs = 0;
    bool neverAnswer = false;  // read the request, then stay silent

    static HttpRule Redirect(std::string path, std::string location, int code = 302);
    static HttpRule File(std::string path, std::shared_ptr<const std::string> bytes,
                         bool honourRange = true);
};

class ScriptedHttpServer {
  public:
    explicit ScriptedHttpServer(std::vector<HttpRule> rules);
    ~ScriptedHttpServer();  // stops: cancels every connection and joins its thread

    std::uint16_t Port() const { return port_; }
    std::string Url(const std::string& path) const;

    // Raw bytes of every request received so far, in arrival order.
    std::vector<std::string> Requests() const;
    std::size_t RequestCount() const;
    // The most requests that were waiting for their answer at the same moment.
    std::size_t MaxConcurrent() const;
    // Replaces the rule table (for later requests).
    void SetRules(std::vector<HttpRule> rules);

    void Stop();

  private:
    void AcceptLoop();
    void Serve(plat::Socket& s);
    bool ReadRequest(plat::Socket& s, std::string& request);
    void Answer(plat::Socket& s, const HttpRule& rule, const std::string& request);
    bool SendBody(plat::Socket& s, const HttpRule& rule, const char* data, std::int64_t len);
    bool Sleep(int ms);  // false when the server stops meanwhile
    const HttpRule* Find(const std::string& target, HttpRule& copy) const;

    plat::Socket listener_;
    std::uint16_t port_ = 0;
    std::thread acceptThread_;
    mutable std::mutex mu_;
    std::condition_variable cv_;
    std::atomic<bool> stopping_{false};
    std::vector<HttpRule> rules_;
    std::vector<std::string> requests_;
    std::vector<std::thread> threads_;
    std::vector<plat::Socket*> live_;
    std::size_t waiting_ = 0, maxWaiting_ = 0;
};

// Deterministic content for download tests.
std::shared_ptr<const std::string> PatternBytes(std::size_t size, unsigned seed = 1);

}  // namespace ks::test
