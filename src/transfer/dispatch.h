// Picks the client for a URL. Returns 1 when the transfer finished, 0 when it
// did not; the reason is in project.result.
#pragma once

#include <string>

namespace ks {

class CProject;

int DispatchUrl(CProject& project, const std::string& url);
int HttpDownload(CProject& project, const std::string& url);  // transfer/http_download.cpp
int FtpDownload(CProject& project, const std::string& url);   // transfer/ftp_download.cpp

}  // namespace ks
