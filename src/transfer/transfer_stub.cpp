// TEMPORARY stubs for pieces other branches provide.
#include <cstdio>
#include "platform/socket.h"
#include "projects/project.h"
#include "transfer/dispatch.h"
#include "transfer/segments_stub.h"
#include "transfer/url.h"
namespace ks {
bool AnySegmentActive(CProject&) { return false; }
void CleanupSegments(CProject&) {}
void StopSegments(CProject&) {}
int HttpDownload(CProject& p, const std::string&) { p.result = ResultNetwork; return 0; }
int FtpDownload(CProject& p, const std::string&) { p.result = ResultNetwork; return 0; }
std::string SequenceUrl(std::string_view l, std::int64_t n, std::int32_t d, std::string_view r) {
    char buf[64];
    std::snprintf(buf, sizeof buf, "%0*lld", int(d), (long long)n);
    return std::string(l) + buf + std::string(r);
}
std::string ResolveLocation(std::string_view, std::string_view t) { return std::string(t); }
}  // namespace ks
namespace ks::plat {
bool SocketLayerInit() { return true; }
}
