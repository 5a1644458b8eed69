// TLS on Windows: SChannel through SSPI. SChannel only transforms bytes; the
// records travel through the Socket, so its time-out and cancel hold here too.
//
// The server's certificate is checked here, not by SChannel: some SChannel
// implementations accept any certificate when left to themselves, and none of
// them knows the extra roots of a CA file.
#define SECURITY_WIN32
#include <winsock2.h>
#include <ws2tcpip.h>
// The security headers need the Windows types first.
#include <wincrypt.h>
// SChannel's structures use the certificate types.
#include <schannel.h>
#include <security.h>
#include <sspi.h>

#include <cstring>
#include <vector>

#include "platform/files.h"
#include "platform/tls.h"
#include "platform/win32/tls_verify.h"

namespace ks::plat {

namespace {

// Handshake messages and records never need more than this; a peer that
// sends more is not speaking TLS.
constexpr std::size_t kInCapacity = 64 * 1024;

constexpr DWORD kContextFlags = ISC_REQ_SEQUENCE_DETECT | ISC_REQ_REPLAY_DETECT |
                                ISC_REQ_CONFIDENTIALITY | ISC_REQ_ALLOCATE_MEMORY | ISC_REQ_STREAM |
                                ISC_REQ_EXTENDED_ERROR;

}  // namespace

struct TlsStream::Impl {
    CredHandle cred{};
    bool haveCred = false;
    CtxtHandle ctx{};
    bool haveCtx = false;
    std::string target;  // SNI and the name SChannel knows; empty for addresses
    SecPkgContext_StreamSizes sizes{};
    // Received, not yet decrypted: in[inStart, inEnd).
    std::vector<char> in = std::vector<char>(kInCapacity);
    std::size_t inStart = 0, inEnd = 0;
    // Decrypted but not yet handed out (a record bigger than the caller's buffer).
    std::vector<char> plain;
    std::size_t plainPos = 0;
    std::vector<char> out;  // one encrypted record
    bool peerClosed = false;

    ~Impl() {
        if (haveCtx) DeleteSecurityContext(&ctx);
        if (haveCred) FreeCredentialsHandle(&cred);
    }
    std::size_t Pending() const { return inEnd - inStart; }
    void Compact() {
        if (inStart == 0) return;
        std::memmove(in.data(), in.data() + inStart, Pending());
        inEnd -= inStart;
        inStart = 0;
    }
};

TlsStream::TlsStream(Socket& socket) : socket_(socket), impl_(std::make_unique<Impl>()) {}

TlsStream::~TlsStream() = default;

bool TlsStream::Fail(TlsFailure f, std::string text) {
    failure_ = f;
    failureText_ = std::move(text);
    return false;
}

namespace {

bool Acquire(CredHandle& cred) {
    // TLS 1.2 at least; 1.3 where this SChannel has it (where it does not,
    // asking for it fails, so ask again without).
    for (DWORD protocols :
         {DWORD(SP_PROT_TLS1_2_CLIENT | SP_PROT_TLS1_3_CLIENT), DWORD(SP_PROT_TLS1_2_CLIENT)}) {
        SCHANNEL_CRED sc{};
        sc.dwVersion = SCHANNEL_CRED_VERSION;
        sc.grbitEnabledProtocols = protocols;
        sc.dwFlags = SCH_CRED_MANUAL_CRED_VALIDATION | SCH_CRED_NO_DEFAULT_CREDS;
        TimeStamp expiry;
        SECURITY_STATUS s = AcquireCredentialsHandleA(nullptr, const_cast<char*>(UNISP_NAME_A),
                                                      SECPKG_CRED_OUTBOUND, nullptr, &sc, nullptr,
                                                      nullptr, &cred, &expiry);
        if (s == SEC_E_OK) return true;
    }
    return false;
}

}  // namespace

// Reads more of the peer's bytes into the input buffer. False on a failure or
// when the peer closed (peerClosed tells which).
static bool ReadMore(Socket& socket, TlsStream::Impl& m, bool& full) {
    m.Compact();
    full = m.inEnd == m.in.size();
    if (full) return false;
    const std::int64_t n = socket.Recv(m.in.data() + m.inEnd, m.in.size() - m.inEnd);
    if (n <= 0) {
        m.peerClosed = n == 0;
        return false;
    }
    m.inEnd += static_cast<std::size_t>(n);
    return true;
}

// The handshake proper (also what a renegotiation request runs again): feeds
// SChannel what the server sent and sends what SChannel answers, until done.
static SECURITY_STATUS HandshakeLoop(Socket& socket, TlsStream::Impl& m, bool first,
                                     bool& networkFailure) {
    networkFailure = false;
    SECURITY_STATUS status = SEC_I_CONTINUE_NEEDED;
    bool needInput = !first && m.Pending() == 0;
    for (;;) {
        if (needInput) {
            bool full = false;
            if (!ReadMore(socket, m, full)) {
                networkFailure = !full;
                return full ? SEC_E_INVALID_TOKEN : SEC_E_INCOMPLETE_MESSAGE;
            }
            // Some SChannels wait for more of a peer that is not speaking TLS
            // at all; its first byte already tells (a record type, 20..23).
            const auto type = static_cast<unsigned char>(m.in[m.inStart]);
            if (type < 20 || type > 23) return SEC_E_INVALID_TOKEN;
        }
        SecBuffer inBufs[2] = {
            {static_cast<unsigned long>(m.Pending()), SECBUFFER_TOKEN, m.in.data() + m.inStart},
            {0, SECBUFFER_EMPTY, nullptr}};
        SecBufferDesc inDesc{SECBUFFER_VERSION, 2, inBufs};
        SecBuffer outBuf{0, SECBUFFER_TOKEN, nullptr};
        SecBufferDesc outDesc{SECBUFFER_VERSION, 1, &outBuf};
        DWORD got = 0;
        const char* target = m.target.empty() ? nullptr : m.target.c_str();
        status = InitializeSecurityContextA(
            &m.cred, first ? nullptr : &m.ctx, const_cast<char*>(target), kContextFlags, 0, 0,
            first ? nullptr : &inDesc, 0, first ? &m.ctx : nullptr, &outDesc, &got, nullptr);
        if (first) m.haveCtx = status == SEC_I_CONTINUE_NEEDED || status == SEC_E_OK;
        first = false;
        if (outBuf.pvBuffer) {
            // Alerts are worth sending too: the server learns why.
            const bool sent =
                outBuf.cbBuffer == 0 || socket.SendAll(outBuf.pvBuffer, outBuf.cbBuffer);
            FreeContextBuffer(outBuf.pvBuffer);
            if (!sent) {
                networkFailure = true;
                return SEC_E_INTERNAL_ERROR;
            }
        }
        if (status == SEC_E_INCOMPLETE_MESSAGE) {
            needInput = true;
            continue;
        }
        if (status != SEC_E_OK && status != SEC_I_CONTINUE_NEEDED) return status;
        if (inBufs[1].BufferType == SECBUFFER_EXTRA && inBufs[1].cbBuffer > 0) {
            m.inStart = m.inEnd - inBufs[1].cbBuffer;
            needInput = false;
        } else {
            m.inStart = m.inEnd = 0;
            needInput = true;
        }
        if (status == SEC_E_OK) return SEC_E_OK;
    }
}

bool TlsStream::Handshake(const std::string& host, const TlsTrust& trust) {
    Impl& m = *impl_;
    std::string name = host;
    if (name.size() > 2 && name.front() == '[' && name.back() == ']')
        name = name.substr(1, name.size() - 2);
    const bool literal = IsAddressLiteral(name);
    // Address literals get no SNI (and SChannel would send one).
    m.target = literal ? std::string() : name;

    TrustAnchors anchors;
    if (trust.verify && !trust.caFile.empty() && !anchors.Load(trust.caFile))
        return Fail(TlsFailure::Local, "can't read the CA file " + trust.caFile);
    if (!Acquire(m.cred)) return Fail(TlsFailure::Local, "TLS is not available on this system");
    m.haveCred = true;

    bool networkFailure = false;
    const SECURITY_STATUS s = HandshakeLoop(socket_, m, true, networkFailure);
    if (networkFailure) {
        const bool timeout = socket_.LastError() == SocketError::Timeout;
        return Fail(TlsFailure::Network, timeout ? "time-out in the TLS handshake"
                                                 : "connection closed in the TLS handshake");
    }
    if (s != SEC_E_OK) return Fail(TlsFailure::Protocol, "TLS handshake failed: " + StatusText(s));
    if (QueryContextAttributesA(&m.ctx, SECPKG_ATTR_STREAM_SIZES, &m.sizes) != SEC_E_OK)
        return Fail(TlsFailure::Protocol, "TLS handshake failed: no stream sizes");
    m.out.resize(m.sizes.cbHeader + m.sizes.cbMaximumMessage + m.sizes.cbTrailer);

    if (trust.verify) {
        PCCERT_CONTEXT remote = nullptr;
        if (QueryContextAttributesA(&m.ctx, SECPKG_ATTR_REMOTE_CERT_CONTEXT, &remote) != SEC_E_OK ||
            !remote)
            return Fail(TlsFailure::Certificate, "the server sent no certificate");
        std::string why = VerifyServerCertificate(remote, name, literal, anchors);
        CertFreeCertificateContext(remote);
        if (!why.empty()) return Fail(TlsFailure::Certificate, why);
    }
    return true;
}

bool TlsStream::SendAll(const void* data, std::size_t len) {
    Impl& m = *impl_;
    if (!m.haveCtx || m.out.empty()) return Fail(TlsFailure::Local, "no TLS session");
    const char* p = static_cast<const char*>(data);
    while (len > 0) {
        const std::size_t part = std::min<std::size_t>(len, m.sizes.cbMaximumMessage);
        char* rec = m.out.data();
        std::memcpy(rec + m.sizes.cbHeader, p, part);
        SecBuffer bufs[4] = {
            {m.sizes.cbHeader, SECBUFFER_STREAM_HEADER, rec},
            {static_cast<unsigned long>(part), SECBUFFER_DATA, rec + m.sizes.cbHeader},
            {m.sizes.cbTrailer, SECBUFFER_STREAM_TRAILER, rec + m.sizes.cbHeader + part},
            {0, SECBUFFER_EMPTY, nullptr}};
        SecBufferDesc desc{SECBUFFER_VERSION, 4, bufs};
        const SECURITY_STATUS s = EncryptMessage(&m.ctx, 0, &desc, 0);
        if (s != SEC_E_OK) return Fail(TlsFailure::Protocol, "TLS error: " + StatusText(s));
        if (!socket_.SendAll(rec, bufs[0].cbBuffer + bufs[1].cbBuffer + bufs[2].cbBuffer))
            return Fail(TlsFailure::Network, "connection failed");
        p += part;
        len -= part;
    }
    return true;
}

std::int64_t TlsStream::Recv(void* buf, std::size_t len) {
    Impl& m = *impl_;
    if (!m.haveCtx || m.out.empty()) return Fail(TlsFailure::Local, "no TLS session"), -1;
    char* dst = static_cast<char*>(buf);
    std::size_t got = 0;
    auto give = [&](const char* p, std::size_t n) {
        const std::size_t now = std::min(n, len - got);
        std::memcpy(dst + got, p, now);
        got += now;
        return now;
    };
    if (m.plainPos < m.plain.size()) {
        m.plainPos += give(m.plain.data() + m.plainPos, m.plain.size() - m.plainPos);
        return static_cast<std::int64_t>(got);
    }
    // Decrypt every whole record already here (big blocks for the caller),
    // reading from the socket only while nothing could be handed out yet.
    while (got < len) {
        if (m.Pending() > 0) {
            SecBuffer bufs[4] = {
                {static_cast<unsigned long>(m.Pending()), SECBUFFER_DATA, m.in.data() + m.inStart},
                {0, SECBUFFER_EMPTY, nullptr},
                {0, SECBUFFER_EMPTY, nullptr},
                {0, SECBUFFER_EMPTY, nullptr}};
            SecBufferDesc desc{SECBUFFER_VERSION, 4, bufs};
            const SECURITY_STATUS s = DecryptMessage(&m.ctx, &desc, 0, nullptr);
            if (s == SEC_E_OK || s == SEC_I_RENEGOTIATE || s == SEC_I_CONTEXT_EXPIRED) {
                const SecBuffer* data = nullptr;
                const SecBuffer* extra = nullptr;
                for (const SecBuffer& b : bufs) {
                    if (b.BufferType == SECBUFFER_DATA) data = &b;
                    if (b.BufferType == SECBUFFER_EXTRA) extra = &b;
                }
                if (data && data->cbBuffer > 0) {
                    const char* p = static_cast<const char*>(data->pvBuffer);
                    const std::size_t used = give(p, data->cbBuffer);
                    if (used < data->cbBuffer) {
                        m.plain.assign(p + used, p + data->cbBuffer);
                        m.plainPos = 0;
                    }
                }
                if (extra && extra->cbBuffer > 0)
                    m.inStart = m.inEnd - extra->cbBuffer;
                else
                    m.inStart = m.inEnd = 0;
                if (s == SEC_I_CONTEXT_EXPIRED) {  // the server's close_notify
                    m.peerClosed = true;
                    return static_cast<std::int64_t>(got);
                }
                if (s == SEC_I_RENEGOTIATE) {
                    bool networkFailure = false;
                    const SECURITY_STATUS r = HandshakeLoop(socket_, m, false, networkFailure);
                    if (r != SEC_E_OK) {
                        if (got > 0) return static_cast<std::int64_t>(got);
                        return Fail(networkFailure ? TlsFailure::Network : TlsFailure::Protocol,
                                    "TLS renegotiation failed: " + StatusText(r)),
                               -1;
                    }
                }
                if (m.plainPos < m.plain.size()) break;
                continue;
            }
            if (s != SEC_E_INCOMPLETE_MESSAGE) {
                if (got > 0) break;
                return Fail(TlsFailure::Protocol, "TLS error: " + StatusText(s)), -1;
            }
        }
        if (got > 0 || m.peerClosed) break;
        bool full = false;
        if (!ReadMore(socket_, m, full)) {
            if (full) return Fail(TlsFailure::Protocol, "TLS record too large"), -1;
            // A close without close_notify ends the stream like a TCP close;
            // the HTTP layer checks the length it was promised.
            if (m.peerClosed) return 0;
            return Fail(TlsFailure::Network, "connection failed"), -1;
        }
    }
    return static_cast<std::int64_t>(got);
}

std::string TlsStream::Protocol() const {
    SecPkgContext_ConnectionInfo info{};
    if (!impl_->haveCtx ||
        QueryContextAttributesA(&impl_->ctx, SECPKG_ATTR_CONNECTION_INFO, &info) != SEC_E_OK)
        return "";
    if (info.dwProtocol & SP_PROT_TLS1_3_CLIENT) return "TLSv1.3";
    if (info.dwProtocol & SP_PROT_TLS1_2_CLIENT) return "TLSv1.2";
    return "TLS";
}

}  // namespace ks::plat
