// The texts of the browser's DDE conversation: the argument list of an
// "open this URL" request, the answer to it, and the items with which the
// program registers itself for a URL scheme.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace ks {

inline constexpr char kNetscapeService[] = "NETSCAPE";
inline constexpr char kOpenUrlTopic[] = "WWW_OpenURL";
inline constexpr char kRegisterProtocolTopic[] = "WWW_RegisterProtocol";
inline constexpr char kUnregisterProtocolTopic[] = "WWW_UnRegisterProtocol";

// The browser's argument list: "URL","save-as name",window id,flags,...
// The save-as name may be empty and unquoted; a missing part reads as empty
// (the window id as 0).
struct OpenUrlRequest {
    std::string url;
    std::string saveAs;
    std::int32_t windowId = 0;
};
OpenUrlRequest ParseOpenUrlItem(std::string_view item);

// The 4-byte answer: the window id when the URL was taken, else -1 (the
// browser then loads it itself).
std::int32_t OpenUrlAnswer(const OpenUrlRequest& request, bool taken);

// "\"<service>\",\"<scheme>\"", the item of a register or unregister request.
std::string ProtocolItem(std::string_view service, std::string_view scheme);

// Whether a DDE server that just registered is the browser: its base service
// name, without an instance suffix such as "(0x   194)", ignoring case.
bool IsNetscapeService(std::string_view serviceName);

}  // namespace ks
