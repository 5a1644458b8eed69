#include "transfer/dispatch.h"

#include <algorithm>
#include <cctype>

#include "base/project.h"

namespace ks {

// The scheme tests look anywhere in the text and http comes first, so
// "ftp://host/http://x" goes to the HTTP client; https goes there too.
int DispatchUrl(CProject& project, const std::string& url) {
    project.requestedUrl = url;
    std::string lower(url);
    std::transform(lower.begin(), lower.end(), lower.begin(),
                   [](unsigned char c) { return char(std::tolower(c)); });
    if (lower.find("http://") != std::string::npos || lower.find("https://") != std::string::npos) {
        project.cancelViaConnection.store(true);
        return HttpDownload(project, url.substr(0, url.find('#')));
    }
    if (lower.find("ftp://") != std::string::npos) {
        project.cancelViaConnection.store(false);
        return FtpDownload(project, url);
    }
    project.SignalStop();
    project.result.store(ResultInvalidUrl);
    return 0;
}

}  // namespace ks
