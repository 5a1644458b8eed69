#include "platform/win32/tls_verify.h"

#include <winsock2.h>
#include <ws2tcpip.h>

#include <cstdio>
#include <cstring>

#include "platform/files.h"

namespace ks::plat {

namespace {

constexpr DWORD kEncoding = X509_ASN_ENCODING | PKCS_7_ASN_ENCODING;

std::string Hex(unsigned long v) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "0x%08lX", v);
    return buf;
}

std::wstring Widen(const std::string& s) {
    std::wstring w;
    for (char c : s) w += static_cast<wchar_t>(static_cast<unsigned char>(c));
    return w;
}

// The address bytes of an IPv4 or IPv6 literal.
std::string AddressBytes(const std::string& host) {
    unsigned char buf[16];
    if (inet_pton(AF_INET, host.c_str(), buf) == 1) return std::string(buf, buf + 4);
    if (inet_pton(AF_INET6, host.c_str(), buf) == 1) return std::string(buf, buf + 16);
    return {};
}

// The policy check cannot match address names, so they are compared here
// against the certificate's iPAddress entries (a CN never names an address).
bool HasAddressName(PCCERT_CONTEXT leaf, const std::string& host) {
    const std::string want = AddressBytes(host);
    PCERT_EXTENSION ext = CertFindExtension(szOID_SUBJECT_ALT_NAME2, leaf->pCertInfo->cExtension,
                                            leaf->pCertInfo->rgExtension);
    if (want.empty() || !ext) return false;
    CERT_ALT_NAME_INFO* info = nullptr;
    DWORD size = 0;
    if (!CryptDecodeObjectEx(kEncoding, X509_ALTERNATE_NAME, ext->Value.pbData, ext->Value.cbData,
                             CRYPT_DECODE_ALLOC_FLAG, nullptr, &info, &size))
        return false;
    bool found = false;
    for (DWORD i = 0; i < info->cAltEntry && !found; ++i) {
        const CERT_ALT_NAME_ENTRY& e = info->rgAltEntry[i];
        found = e.dwAltNameChoice == CERT_ALT_NAME_IP_ADDRESS &&
                e.IPAddress.cbData == want.size() &&
                std::memcmp(e.IPAddress.pbData, want.data(), want.size()) == 0;
    }
    LocalFree(info);
    return found;
}

std::string ChainText(DWORD status, PCCERT_CONTEXT leaf) {
    if (status & CERT_TRUST_IS_NOT_TIME_VALID) {
        return CertVerifyTimeValidity(nullptr, leaf->pCertInfo) < 0 ? "certificate is not yet valid"
                                                                    : "certificate has expired";
    }
    if (status & CERT_TRUST_IS_REVOKED) return "certificate has been revoked";
    if (status & (CERT_TRUST_IS_UNTRUSTED_ROOT | CERT_TRUST_IS_PARTIAL_CHAIN))
        return "unknown issuer";
    if (status & CERT_TRUST_IS_NOT_VALID_FOR_USAGE) return "certificate is not for a server";
    return "certificate is not trusted (chain status " + Hex(status) + ")";
}

std::string PolicyText(DWORD error) {
    switch (error) {
        case static_cast<DWORD>(CERT_E_CN_NO_MATCH):
            return "host name mismatch";
        case static_cast<DWORD>(CERT_E_EXPIRED):
            return "certificate has expired";
        case static_cast<DWORD>(CERT_E_UNTRUSTEDROOT):
        case static_cast<DWORD>(CERT_E_CHAINING):
            return "unknown issuer";
        case static_cast<DWORD>(CRYPT_E_REVOKED):
            return "certificate has been revoked";
        default:
            return "certificate is not trusted (" + Hex(error) + ")";
    }
}

}  // namespace

TrustAnchors::~TrustAnchors() {
    if (store_) CertCloseStore(store_, 0);
}

bool TrustAnchors::Load(const std::string& path) {
    std::string text;
    if (!ReadWholeFile(path, text)) return false;
    store_ = CertOpenStore(CERT_STORE_PROV_MEMORY, 0, 0, CERT_STORE_CREATE_NEW_FLAG, nullptr);
    if (!store_) return false;
    static const std::string kBegin = "-----BEGIN CERTIFICATE-----";
    static const std::string kEnd = "-----END CERTIFICATE-----";
    std::vector<std::string> blocks;
    for (std::size_t at = text.find(kBegin); at != std::string::npos;
         at = text.find(kBegin, at + 1)) {
        const std::size_t end = text.find(kEnd, at);
        if (end == std::string::npos) break;
        blocks.push_back(text.substr(at, end + kEnd.size() - at));
    }
    for (const std::string& block : blocks) {
        DWORD size = 0;
        if (!CryptStringToBinaryA(block.c_str(), DWORD(block.size()), CRYPT_STRING_BASE64HEADER,
                                  nullptr, &size, nullptr, nullptr))
            continue;
        std::string der(size, '\0');
        if (!CryptStringToBinaryA(block.c_str(), DWORD(block.size()), CRYPT_STRING_BASE64HEADER,
                                  reinterpret_cast<BYTE*>(der.data()), &size, nullptr, nullptr))
            continue;
        der.resize(size);
        der_.push_back(der);
    }
    if (blocks.empty()) der_.push_back(text);  // a DER file
    std::size_t added = 0;
    for (const std::string& der : der_) {
        if (CertAddEncodedCertificateToStore(store_, X509_ASN_ENCODING,
                                             reinterpret_cast<const BYTE*>(der.data()),
                                             DWORD(der.size()), CERT_STORE_ADD_ALWAYS, nullptr))
            ++added;
    }
    return added > 0;
}

bool TrustAnchors::Contains(PCCERT_CONTEXT cert) const {
    for (const std::string& der : der_) {
        if (cert->cbCertEncoded == der.size() &&
            std::memcmp(cert->pbCertEncoded, der.data(), der.size()) == 0)
            return true;
    }
    return false;
}

std::string VerifyServerCertificate(PCCERT_CONTEXT leaf, const std::string& host,
                                    bool addressLiteral, const TrustAnchors& anchors) {
    // The server's own intermediates, plus the CA file's roots.
    HCERTSTORE extra = CertOpenStore(CERT_STORE_PROV_COLLECTION, 0, 0, 0, nullptr);
    if (!extra) return "certificate check failed";
    CertAddStoreToCollection(extra, leaf->hCertStore, 0, 0);
    if (anchors.Store()) CertAddStoreToCollection(extra, anchors.Store(), 0, 0);

    char serverAuth[] = szOID_PKIX_KP_SERVER_AUTH;
    char* usages[] = {serverAuth};
    CERT_CHAIN_PARA para{};
    para.cbSize = sizeof para;
    para.RequestedUsage.dwType = USAGE_MATCH_TYPE_AND;
    para.RequestedUsage.Usage.cUsageIdentifier = 1;
    para.RequestedUsage.Usage.rgpszUsageIdentifier = usages;
    PCCERT_CHAIN_CONTEXT chain = nullptr;
    const BOOL built =
        CertGetCertificateChain(nullptr, leaf, nullptr, extra, &para, 0, nullptr, &chain);
    CertCloseStore(extra, 0);
    if (!built || !chain || chain->cChain == 0) {
        if (chain) CertFreeCertificateChain(chain);
        return "unknown issuer";
    }

    // A root from the CA file is unknown to the system: accept exactly those.
    DWORD status = chain->TrustStatus.dwErrorStatus;
    const CERT_SIMPLE_CHAIN* simple = chain->rgpChain[0];
    const PCCERT_CONTEXT top = simple->rgpElement[simple->cElement - 1]->pCertContext;
    const bool anchored = anchors.Contains(top);
    if (anchored) status &= ~DWORD(CERT_TRUST_IS_UNTRUSTED_ROOT);
    // Revocation is not asked for, so its "unknown" bits mean nothing here.
    status &= ~DWORD(CERT_TRUST_REVOCATION_STATUS_UNKNOWN | CERT_TRUST_IS_OFFLINE_REVOCATION);
    // The policy below overlooks a partial chain, so the chain's own status
    // is checked first.
    std::string why = status ? ChainText(status, leaf) : std::string();

    if (why.empty()) {
        std::wstring wideHost = Widen(host);
        SSL_EXTRA_CERT_CHAIN_POLICY_PARA ssl{};
        ssl.cbSize = sizeof ssl;
        ssl.dwAuthType = AUTHTYPE_SERVER;
        ssl.pwszServerName = addressLiteral ? nullptr : wideHost.data();
        CERT_CHAIN_POLICY_PARA policy{};
        policy.cbSize = sizeof policy;
        policy.dwFlags = anchored ? CERT_CHAIN_POLICY_ALLOW_UNKNOWN_CA_FLAG : 0;
        policy.pvExtraPolicyPara = &ssl;
        CERT_CHAIN_POLICY_STATUS result{};
        result.cbSize = sizeof result;
        if (!CertVerifyCertificateChainPolicy(CERT_CHAIN_POLICY_SSL, chain, &policy, &result))
            why = "certificate check failed";
        else if (result.dwError != 0)
            why = PolicyText(result.dwError);
    }
    if (why.empty() && addressLiteral && !HasAddressName(leaf, host)) why = "host name mismatch";
    CertFreeCertificateChain(chain);
    return why;
}

std::string StatusText(long status) {
    switch (status) {
        case SEC_E_ALGORITHM_MISMATCH:
            return "no protocol version or cipher in common";
        case SEC_E_ILLEGAL_MESSAGE:
            return "the server sent an alert or a bad message";
        case SEC_E_INVALID_TOKEN:
            return "the server does not speak TLS";
        case SEC_E_MESSAGE_ALTERED:
        case SEC_E_DECRYPT_FAILURE:
            return "a record failed its integrity check";
        case SEC_E_UNSUPPORTED_FUNCTION:
            return "unsupported protocol";
        default:
            return "SSPI status " + Hex(static_cast<unsigned long>(status));
    }
}

}  // namespace ks::plat
