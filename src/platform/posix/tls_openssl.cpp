// TLS on Linux: OpenSSL 3. Records travel through a BIO of our own that reads
// and writes with the Socket's blocking calls, so OpenSSL never touches the
// descriptor and the socket's time-out and cancel hold for every step.
#include <openssl/bio.h>
#include <openssl/err.h>
#include <openssl/ssl.h>
#include <openssl/x509v3.h>

#include <memory>
#include <mutex>

#include "platform/tls.h"

namespace ks::plat {

namespace {

// The BIO's view of the socket.
struct Wire {
    Socket* socket = nullptr;
    bool eof = false;     // the peer closed the TCP connection
    bool failed = false;  // a receive or send failed (socket LastError says why)
};

int WireRead(BIO* b, char* buf, std::size_t len, std::size_t* got) {
    auto* w = static_cast<Wire*>(BIO_get_data(b));
    BIO_clear_retry_flags(b);
    *got = 0;
    const std::int64_t n = w->socket->Recv(buf, len);
    if (n > 0) {
        *got = static_cast<std::size_t>(n);
        return 1;
    }
    (n == 0 ? w->eof : w->failed) = true;
    return 0;
}

int WireWrite(BIO* b, const char* buf, std::size_t len, std::size_t* put) {
    auto* w = static_cast<Wire*>(BIO_get_data(b));
    BIO_clear_retry_flags(b);
    *put = 0;
    if (!w->socket->SendAll(buf, len)) {
        w->failed = true;
        return 0;
    }
    *put = len;
    return 1;
}

long WireCtrl(BIO*, int cmd, long, void*) {
    // Writes go straight to the socket, so there is never anything to flush.
    return cmd == BIO_CTRL_FLUSH ? 1 : 0;
}

BIO_METHOD* WireMethod() {
    static BIO_METHOD* method = [] {
        BIO_METHOD* m = BIO_meth_new(BIO_get_new_index() | BIO_TYPE_SOURCE_SINK, "ks-socket");
        BIO_meth_set_read_ex(m, WireRead);
        BIO_meth_set_write_ex(m, WireWrite);
        BIO_meth_set_ctrl(m, WireCtrl);
        return m;
    }();
    return method;
}

using CtxPtr = std::shared_ptr<SSL_CTX>;

// Loading the system's roots costs time and memory, so every connection with
// the same trust shares one context (segments open several at once).
CtxPtr SharedContext(const TlsTrust& trust, std::string& error) {
    static std::mutex mu;
    static TlsTrust lastTrust;
    static CtxPtr last;
    std::lock_guard<std::mutex> g(mu);
    if (last && lastTrust.verify == trust.verify && lastTrust.caFile == trust.caFile) return last;
    CtxPtr ctx(SSL_CTX_new(TLS_client_method()), SSL_CTX_free);
    if (!ctx) return error = "TLS library unusable", nullptr;
    SSL_CTX* c = ctx.get();
    SSL_CTX_set_min_proto_version(c, TLS1_2_VERSION);
    // A peer that drops the connection without close_notify ends the stream
    // like a TCP close; the HTTP layer checks the length it was promised.
    SSL_CTX_set_options(c, SSL_OP_IGNORE_UNEXPECTED_EOF);
    // Whole records in one receive instead of header and body apart.
    SSL_CTX_set_read_ahead(c, 1);
    SSL_CTX_set_default_read_buffer_len(c, 64 * 1024);
    SSL_CTX_set_mode(c, SSL_MODE_AUTO_RETRY);
    if (trust.verify) {
        SSL_CTX_set_verify(c, SSL_VERIFY_PEER, nullptr);
        SSL_CTX_set_default_verify_paths(c);
        if (!trust.caFile.empty() &&
            SSL_CTX_load_verify_locations(c, trust.caFile.c_str(), nullptr) != 1) {
            ERR_clear_error();
            return error = "can't read the CA file " + trust.caFile, nullptr;
        }
    } else {
        SSL_CTX_set_verify(c, SSL_VERIFY_NONE, nullptr);
    }
    lastTrust = trust;
    last = ctx;
    return ctx;
}

std::string VerifyText(long code) {
    switch (code) {
        case X509_V_ERR_CERT_HAS_EXPIRED:
            return "certificate has expired";
        case X509_V_ERR_CERT_NOT_YET_VALID:
            return "certificate is not yet valid";
        case X509_V_ERR_HOSTNAME_MISMATCH:
        case X509_V_ERR_IP_ADDRESS_MISMATCH:
            return "host name mismatch";
        case X509_V_ERR_UNABLE_TO_GET_ISSUER_CERT:
        case X509_V_ERR_UNABLE_TO_GET_ISSUER_CERT_LOCALLY:
        case X509_V_ERR_UNABLE_TO_VERIFY_LEAF_SIGNATURE:
        case X509_V_ERR_DEPTH_ZERO_SELF_SIGNED_CERT:
        case X509_V_ERR_SELF_SIGNED_CERT_IN_CHAIN:
            return "unknown issuer";
        case X509_V_ERR_CERT_REVOKED:
            return "certificate has been revoked";
        default:
            return X509_verify_cert_error_string(code);
    }
}

// The library's reason for the last failure, for the user.
std::string LibraryText() {
    unsigned long e = ERR_get_error();
    ERR_clear_error();
    const char* reason = e ? ERR_reason_error_string(e) : nullptr;
    return reason ? reason : "TLS protocol error";
}

}  // namespace

struct TlsStream::Impl {
    Wire wire;
    CtxPtr ctx;
    SSL* ssl = nullptr;
    ~Impl() {
        if (ssl) SSL_free(ssl);  // frees the BIO too
    }
};

TlsStream::TlsStream(Socket& socket) : socket_(socket), impl_(std::make_unique<Impl>()) {
    impl_->wire.socket = &socket_;
}

TlsStream::~TlsStream() = default;

bool TlsStream::Fail(TlsFailure f, std::string text) {
    failure_ = f;
    failureText_ = std::move(text);
    return false;
}

bool TlsStream::Handshake(const std::string& host, const TlsTrust& trust) {
    std::string error;
    impl_->ctx = SharedContext(trust, error);
    if (!impl_->ctx) return Fail(TlsFailure::Local, error);
    SSL* ssl = impl_->ssl = SSL_new(impl_->ctx.get());
    BIO* bio = ssl ? BIO_new(WireMethod()) : nullptr;
    if (!bio) return Fail(TlsFailure::Local, "TLS library unusable");
    BIO_set_data(bio, &impl_->wire);
    BIO_set_init(bio, 1);
    SSL_set_bio(ssl, bio, bio);

    std::string name = host;
    if (name.size() > 2 && name.front() == '[' && name.back() == ']')
        name = name.substr(1, name.size() - 2);
    if (!IsAddressLiteral(name)) SSL_set_tlsext_host_name(ssl, name.c_str());
    if (trust.verify) SSL_set1_host(ssl, name.c_str());

    ERR_clear_error();
    if (SSL_connect(ssl) == 1) return true;
    const long verify = SSL_get_verify_result(ssl);
    if (trust.verify && verify != X509_V_OK) {
        ERR_clear_error();
        return Fail(TlsFailure::Certificate, VerifyText(verify));
    }
    if (impl_->wire.failed || impl_->wire.eof) {
        ERR_clear_error();
        const bool timeout = socket_.LastError() == SocketError::Timeout;
        return Fail(TlsFailure::Network, timeout ? "time-out in the TLS handshake"
                                                 : "connection closed in the TLS handshake");
    }
    return Fail(TlsFailure::Protocol, "TLS handshake failed: " + LibraryText());
}

bool TlsStream::SendAll(const void* data, std::size_t len) {
    if (!impl_->ssl) return Fail(TlsFailure::Local, "no TLS session");
    const char* p = static_cast<const char*>(data);
    while (len > 0) {
        std::size_t put = 0;
        if (SSL_write_ex(impl_->ssl, p, len, &put) != 1) {
            if (impl_->wire.failed) return Fail(TlsFailure::Network, "connection failed");
            return Fail(TlsFailure::Protocol, LibraryText());
        }
        p += put;
        len -= put;
    }
    return true;
}

std::int64_t TlsStream::Recv(void* buf, std::size_t len) {
    if (!impl_->ssl) return Fail(TlsFailure::Local, "no TLS session"), -1;
    SSL* ssl = impl_->ssl;
    char* out = static_cast<char*>(buf);
    std::size_t got = 0;
    // One record per read; gather the records already received so the caller
    // gets big blocks (fewer file writes) without waiting for more.
    do {
        std::size_t n = 0;
        if (SSL_read_ex(ssl, out + got, len - got, &n) != 1) {
            if (got > 0) break;
            const int e = SSL_get_error(ssl, 0);
            if (e == SSL_ERROR_ZERO_RETURN || (impl_->wire.eof && !impl_->wire.failed)) {
                ERR_clear_error();
                return 0;
            }
            if (impl_->wire.failed) {
                ERR_clear_error();
                return Fail(TlsFailure::Network, "connection failed"), -1;
            }
            return Fail(TlsFailure::Protocol, LibraryText()), -1;
        }
        got += n;
    } while (got < len && SSL_has_pending(ssl));
    return static_cast<std::int64_t>(got);
}

std::string TlsStream::Protocol() const {
    return impl_->ssl ? SSL_get_version(impl_->ssl) : "";
}

}  // namespace ks::plat
