// TEMPORARY stand-ins for functions other branches provide; removed on merge.
#include "transfer/ftp_temp_stubs.h"

#include <cstdlib>

#include "platform/files.h"
#include "projects/project.h"
#include "transfer/url.h"

namespace ks {

bool SplitUrl(std::string_view url, UrlParts& out) {
    out = UrlParts{};
    std::string_view u = url;
    if (u.substr(0, 6) != "ftp://") return false;
    out.service = UrlService::Ftp;
    u.remove_prefix(6);
    std::size_t slash = u.find('/');
    std::string_view auth = u.substr(0, slash);
    out.path = slash == std::string_view::npos ? "/" : std::string(u.substr(slash));
    std::size_t at = auth.rfind('@');
    if (at != std::string_view::npos) {
        std::string_view cred = auth.substr(0, at);
        auth.remove_prefix(at + 1);
        std::size_t colon = cred.find(':');
        out.userName = std::string(cred.substr(0, colon));
        if (colon != std::string_view::npos) out.password = std::string(cred.substr(colon + 1));
    }
    std::size_t colon = auth.find(':');
    out.host = std::string(auth.substr(0, colon));
    out.port = colon == std::string_view::npos
                   ? 21
                   : static_cast<std::uint16_t>(std::atoi(std::string(auth.substr(colon + 1)).c_str()));
    return true;
}

std::string PercentDecode(std::string_view text, bool enabled) {
    if (!enabled) return std::string(text);
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '%' && i + 2 < text.size() + 0 && i + 2 <= text.size() - 1) {
            int v = std::strtol(std::string(text.substr(i + 1, 2)).c_str(), nullptr, 16);
            if (v != 0) {
                out += static_cast<char>(v);
                i += 2;
                continue;
            }
        }
        out += text[i];
    }
    return out;
}

std::string FtpLocalFileName(std::string_view url) {
    std::size_t slash = url.rfind('/');
    return PercentDecode(slash == std::string_view::npos ? url : url.substr(slash + 1));
}

std::string LocalPath(std::string_view folder, std::string_view name) {
    return plat::JoinPath(folder, name);
}

bool PreMerge(CProject&) { return false; }
bool CheckSegments(CProject&, SegmentScratch&) { return false; }
bool SegmentMustStop(CProject&) { return false; }
void MergeSegment(CProject&, plat::File&, const SegmentScratch&) {}
void RetryWait(CProject&) {}

}  // namespace ks
