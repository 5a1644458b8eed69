// The worker of an FTP upload project: sends the files of its upload list to
// one FTP directory over one logged-on session, resuming or overwriting.
#pragma once

#include <memory>
#include <string>

namespace ks {

class CProject;
class CFtpClient;

// Thread entry; returns 0. The project must outlive the call unless it is
// marked for deletion, in which case this call destroys it at its end.
int UploadWorker(CProject* project);

// Uploads one file with the session in `client` (created, replaced or dropped
// as needed). Returns 1 when the file is on the server (sent now or found
// complete there), 0 otherwise with the reason in project.result.
int UploadOne(CProject& project, std::unique_ptr<CFtpClient>& client, const std::string& localPath,
              bool last);

}  // namespace ks
