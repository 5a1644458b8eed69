// Checking the server's certificate for SChannel: the chain up to a trusted
// root (the system's, or one from the CA file), usable for a server, in its
// validity period, and issued for the host asked for. Private to win32/.
#pragma once

#include <winsock2.h>
// after the Windows headers
#include <wincrypt.h>

#include <string>
#include <vector>

namespace ks::plat {

// The roots of a CA file (PEM, one or more certificates; DER also works).
class TrustAnchors {
  public:
    TrustAnchors() = default;
    ~TrustAnchors();
    TrustAnchors(const TrustAnchors&) = delete;
    TrustAnchors& operator=(const TrustAnchors&) = delete;

    bool Load(const std::string& path);
    HCERTSTORE Store() const { return store_; }
    // Whether cert is, byte for byte, one of the roots.
    bool Contains(PCCERT_CONTEXT cert) const;

  private:
    HCERTSTORE store_ = nullptr;
    std::vector<std::string> der_;
};

// Empty when the certificate is good for host; else the reason in words.
std::string VerifyServerCertificate(PCCERT_CONTEXT leaf, const std::string& host,
                                    bool addressLiteral, const TrustAnchors& anchors);

// An SSPI status in words, with its number.
std::string StatusText(long status);

}  // namespace ks::plat
