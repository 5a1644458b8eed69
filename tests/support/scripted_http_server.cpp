#include "support/scripted_http_server.h"

#include <algorithm>
#include <cctype>
#include <chrono>
#include <cstdio>

namespace ks::test {

namespace {

constexpr std::size_t kMaxRequest = 64 * 1024;

std::string Lower(std::string s) {
    for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

std::string Target(const std::string& request) {
    std::size_t a = request.find(' ');
    if (a == std::string::npos) return {};
    std::size_t b = request.find(' ', a + 1);
    return request.substr(a + 1, b == std::string::npos ? std::string::npos : b - a - 1);
}

// "Range: bytes=a-" or "a-b". False without a usable range.
bool RequestedRange(const std::string& request, std::int64_t& first, std::int64_t& last) {
    std::string lower = Lower(request);
    std::size_t p = lower.find("\r\nrange: bytes=");
    if (p == std::string::npos) return false;
    p += 15;
    char* end = nullptr;
    first = std::strtoll(lower.c_str() + p, &end, 10);
    if (end == lower.c_str() + p || *end != '-') return false;
    const char* after = end + 1;
    last = std::strtoll(after, &end, 10);
    if (end == after) last = -1;
    return true;
}

}  // namespace

HttpRule HttpRule::Redirect(std::string path, std::string location, int code) {
    HttpRule r;
    r.path = std::move(path);
    r.status = "HTTP/1.1 " + std::to_string(code) + " Moved";
    r.headers = {"Location: " + location};
    r.contentType = "text/html";
    r.body = "<html>moved</html>";
    return r;
}

HttpRule HttpRule::File(std::string path, std::shared_ptr<const std::string> bytes,
                        bool honourRange) {
    HttpRule r;
    r.path = std::move(path);
    r.kind = honourRange ? Body::Ranged : Body::IgnoreRange;
    r.bytes = std::move(bytes);
    return r;
}

std::shared_ptr<const std::string> PatternBytes(std::size_t size, unsigned seed) {
    auto s = std::make_shared<std::string>(size, '\0');
    std::uint32_t x = seed * 2654435761u + 1;
    for (std::size_t i = 0; i < size; ++i) {
        x = x * 1664525u + 1013904223u;
        (*s)[i] = static_cast<char>(x >> 24);
    }
    return s;
}

ScriptedHttpServer::ScriptedHttpServer(std::vector<HttpRule> rules) : rules_(std::move(rules)) {
    plat::SocketLayerInit();
    listener_.SetTimeoutMs(0);
    if (listener_.Listen("127.0.0.1", 0, 64)) port_ = listener_.LocalPort();
    acceptThread_ = std::thread([this] { AcceptLoop(); });
}

ScriptedHttpServer::~ScriptedHttpServer() {
    Stop();
}

std::string ScriptedHttpServer::Url(const std::string& path) const {
    return "http://127.0.0.1:" + std::to_string(port_) + path;
}

std::vector<std::string> ScriptedHttpServer::Requests() const {
    std::lock_guard<std::mutex> g(mu_);
    return requests_;
}

std::size_t ScriptedHttpServer::RequestCount() const {
    std::lock_guard<std::mutex> g(mu_);
    return requests_.size();
}

void ScriptedHttpServer::SetRules(std::vector<HttpRule> rules) {
    std::lock_guard<std::mutex> g(mu_);
    rules_ = std::move(rules);
}

void ScriptedHttpServer::Stop() {
    if (stopping_.exchange(true)) return;
    listener_.Cancel();
    if (acceptThread_.joinable()) acceptThread_.join();
    std::vector<std::thread> threads;
    {
        std::lock_guard<std::mutex> g(mu_);
        for (plat::Socket* s : live_) s->Cancel();
        threads.swap(threads_);
    }
    cv_.notify_all();
    for (auto& t : threads) t.join();
}

void ScriptedHttpServer::AcceptLoop() {
    while (!stopping_) {
        std::unique_ptr<plat::Socket> s = listener_.Accept();
        if (!s) {
            if (listener_.IsCancelled()) break;
            continue;
        }
        std::lock_guard<std::mutex> g(mu_);
        plat::Socket* raw = s.get();
        live_.push_back(raw);
        threads_.emplace_back([this, sock = std::move(s)]() mutable {
            Serve(*sock);
            std::lock_guard<std::mutex> g2(mu_);
            live_.erase(std::find(live_.begin(), live_.end(), sock.get()));
        });
    }
}

bool ScriptedHttpServer::Sleep(int ms) {
    if (ms <= 0) return !stopping_;
    std::unique_lock<std::mutex> g(mu_);
    return !cv_.wait_for(g, std::chrono::milliseconds(ms), [this] { return stopping_.load(); });
}

std::size_t ScriptedHttpServer::MaxConcurrent() const {
    std::lock_guard<std::mutex> g(mu_);
    return maxWaiting_;
}

const HttpRule* ScriptedHttpServer::Find(const std::string& target, HttpRule& copy) const {
    std::lock_guard<std::mutex> g(mu_);
    for (const HttpRule& r : rules_) {
        if (r.path.empty() || r.path == target) {
            copy = r;
            return &copy;
        }
    }
    return nullptr;
}

bool ScriptedHttpServer::ReadRequest(plat::Socket& s, std::string& request) {
    char buf[4096];
    while (request.find("\r\n\r\n") == std::string::npos) {
        if (request.size() > kMaxRequest) return false;
        std::int64_t n = s.Recv(buf, sizeof buf);
        if (n <= 0) return false;
        request.append(buf, static_cast<std::size_t>(n));
    }
    return true;
}

void ScriptedHttpServer::Serve(plat::Socket& s) {
    s.SetTimeoutMs(30000);
    std::string request;
    if (!ReadRequest(s, request)) return;
    {
        std::lock_guard<std::mutex> g(mu_);
        requests_.push_back(request);
    }
    HttpRule copy;
    const HttpRule* rule = Find(Target(request), copy);
    if (!rule) {
        HttpRule missing;
        missing.status = "HTTP/1.1 404 Not Found";
        missing.contentType = "text/html";
        missing.body = "<html>not found</html>";
        Answer(s, missing, request);
    } else {
        Answer(s, *rule, request);
    }
    s.ShutdownSend();
    s.Close();
}

void ScriptedHttpServer::Answer(plat::Socket& s, const HttpRule& rule, const std::string& request) {
    if (rule.neverAnswer) {
        char buf[256];
        while (s.Recv(buf, sizeof buf) > 0) {
        }
        return;
    }
    {
        std::lock_guard<std::mutex> g(mu_);
        maxWaiting_ = std::max(maxWaiting_, ++waiting_);
    }
    const bool slept = Sleep(rule.delayBeforeReplyMs);
    {
        std::lock_guard<std::mutex> g(mu_);
        --waiting_;
    }
    if (!slept) return;

    std::string status = rule.status;
    std::vector<std::string> lines;
    const char* body = rule.body.data();
    std::int64_t len = static_cast<std::int64_t>(rule.body.size());
    if (rule.kind != HttpRule::Body::Fixed && rule.bytes) {
        const std::int64_t size = static_cast<std::int64_t>(rule.bytes->size());
        std::int64_t first = 0, last = -1;
        body = rule.bytes->data();
        len = size;
        status = "HTTP/1.1 200 OK";
        if (rule.kind == HttpRule::Body::Ranged && RequestedRange(request, first, last)) {
            if (first >= size) {
                status = "HTTP/1.1 416 Requested Range Not Satisfiable";
                lines.push_back("Content-Range: bytes */" + std::to_string(size));
                len = 0;
            } else {
                last = last < 0 ? size - 1 : std::min(last, size - 1);
                status = "HTTP/1.1 206 Partial Content";
                lines.push_back("Content-Range: bytes " + std::to_string(first) + "-" +
                                std::to_string(last) + "/" + std::to_string(size));
                body += first;
                len = last - first + 1;
            }
        }
    }
    std::string header = status + "\r\n";
    if (!rule.contentType.empty()) header += "Content-Type: " + rule.contentType + "\r\n";
    for (const auto& l : rule.headers) header += l + "\r\n";
    for (const auto& l : lines) header += l + "\r\n";
    if (rule.chunked)
        header += "Transfer-Encoding: chunked\r\n";
    else if (rule.contentLength)
        header += "Content-Length: " + std::to_string(len) + "\r\n";
    header += "Connection: close\r\n\r\n";

    if (rule.closeAfterHeaderBytes >= 0 &&
        static_cast<std::size_t>(rule.closeAfterHeaderBytes) < header.size())
        header.resize(static_cast<std::size_t>(rule.closeAfterHeaderBytes));
    const std::size_t piece = rule.headerPieceSize ? rule.headerPieceSize : header.size();
    for (std::size_t off = 0; off < header.size(); off += piece) {
        if (off > 0 && !Sleep(rule.delayBetweenHeaderPiecesMs)) return;
        if (!s.SendAll(header.data() + off, std::min(piece, header.size() - off))) return;
    }
    if (rule.closeAfterHeaderBytes >= 0) return;
    SendBody(s, rule, body, len);
}

bool ScriptedHttpServer::SendBody(plat::Socket& s, const HttpRule& rule, const char* data,
                                  std::int64_t len) {
    const bool cut = rule.closeAfterBodyBytes >= 0 && rule.closeAfterBodyBytes < len;
    const std::int64_t limit = cut ? rule.closeAfterBodyBytes : len;
    const auto block = static_cast<std::int64_t>(std::max<std::size_t>(1, rule.blockSize));
    for (std::int64_t off = 0; off < limit; off += block) {
        if (off > 0 && !Sleep(rule.delayBetweenBlocksMs)) return false;
        const std::int64_t n = std::min(block, limit - off);
        if (rule.chunked) {
            char size[32];
            std::snprintf(size, sizeof size, "%llx\r\n", static_cast<unsigned long long>(n));
            if (!s.SendAll(size)) return false;
        }
        if (!s.SendAll(data + off, static_cast<std::size_t>(n))) return false;
        if (rule.chunked && !s.SendAll("\r\n")) return false;
    }
    if (rule.chunked && !cut) return s.SendAll("0\r\n\r\n");
    return true;
}

}  // namespace ks::test
