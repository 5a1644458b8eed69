// The secure half of an HTTP exchange: a tunnel through the HTTP proxy for
// https, then TLS over the connection.
#include "transfer/http_connection.h"

namespace ks {

void CHttpConnection::SetTarget(const UrlParts& parts, const ProxySettings& proxy) {
    secure = parts.service == UrlService::Https;
    tlsHost = parts.host;
    tunnelTarget_.clear();
    if (UsesHttpProxy(proxy)) {
        host = proxy.httpProxyServer;
        port = proxy.httpProxyPort;
        // The proxy only relays https: it must never see the request itself.
        if (secure) tunnelTarget_ = parts.host + ":" + std::to_string(parts.port);
    } else {
        host = parts.host;
        port = parts.port;
    }
}

// Asks the proxy for a raw connection to the server. The answer is read only
// up to its empty line: the server's TLS bytes that follow belong to the
// handshake. The proxy's refusal ends the exchange with its status.
bool CHttpConnection::OpenTunnel() {
    const std::string request = "CONNECT " + tunnelTarget_ + " HTTP/1.1\r\nHost: " + tunnelTarget_ +
                                "\r\nUser-Agent: Mozilla/4.0 (compatible; "
                                "Kestrune 3.0)\r\nProxy-Connection: Keep-Alive\r\n\r\n";
    if (!socket_.SendAll(request)) return SetResult(ResultNetwork), false;
    HeaderCollector collector;
    char c;
    // One byte at a time: a handful of lines, once per connection.
    while (collector.state() == HeaderCollector::State::NeedMore) {
        if (socket_.Recv(&c, 1) != 1) return SetResult(ResultNetwork), false;
        std::size_t used = 0;
        collector.Feed(&c, 1, used);
    }
    if (collector.state() == HeaderCollector::State::TooLarge)
        return SetResult(ResultNetwork), false;
    HttpHeaders answer;
    answer.headerBlock = collector.TakeBlock();
    ParseHeaders(answer);
    if (answer.statusCode >= 200 && answer.statusCode < 300) return true;
    std::string status = answer.statusLine;
    while (!status.empty() && (status.back() == '\r' || status.back() == '\n')) status.pop_back();
    Why("the proxy refused the connection: " + status);
    SetResult(answer.statusCode >= 500 ? ResultHttpServerError : ResultHttpClientError);
    return false;
}

// A failed handshake or an untrusted certificate ends the exchange for good;
// a connection lost on the way is a network failure like any other.
bool CHttpConnection::StartTls() {
    tls_ = std::make_unique<plat::TlsStream>(socket_);
    if (tls_->Handshake(tlsHost, trust)) return true;
    Why(tls_->FailureText());
    SetResult(tls_->Failure() == plat::TlsFailure::Network ? ResultNetwork : ResultTlsFailure);
    return false;
}

std::int64_t CHttpConnection::Receive(void* buf, std::size_t len) {
    return tls_ ? tls_->Recv(buf, len) : socket_.Recv(buf, len);
}

}  // namespace ks
