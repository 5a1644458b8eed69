// The program's side of the DDE browser's protocol: asking the browser to
// hand over http and ftp URLs (or to stop), and the data of the answer to its
// requests to open one. The server that receives those requests is the one
// the second instance talks to (service `service` below).
#pragma once

// windows.h must come before the headers that use its types.
// clang-format off
#include <windows.h>
#include <ddeml.h>
// clang-format on

#include <cstdint>
#include <string>

namespace ks {

enum class BrowserScheme { Http = 0, Ftp = 1 };

// One short-lived client conversation with the browser's "NETSCAPE" service.
// 1 when the browser answered and the request was sent, 0 when it is not
// running. Nothing waits for the browser's reply.
int RegisterProtocol(const char* service, BrowserScheme scheme);
int UnregisterProtocol(const char* service, BrowserScheme scheme);

// The 4-byte answer to an open request, as a DDE data handle of instance.
HDDEDATA OpenUrlAnswerData(DWORD instance, const std::string& item, std::int32_t answer);

}  // namespace ks
