// The after-download action.
#include "transfer/external_program.h"

#include "base/runtime.h"
#include "platform/files.h"
#include "platform/process.h"

namespace ks {

std::string ExternalCommandLine(const std::string& program, const std::string& downloadedPath,
                                const std::string& params) {
    std::string cmd;
    cmd.reserve(program.size() + downloadedPath.size() + params.size() + 4);
    cmd += '"';
    cmd += program;
    cmd += "\" ";
    cmd += downloadedPath;
    cmd += ' ';
    cmd += params;
    return cmd;
}

bool RunExternalProgram(const std::string& downloadedPath) {
    ExternalProgram ext = GlobalRuntime().External();
    if (!ext.use) return false;
    // A completed URL whose file was never created has nothing to scan.
    if (!plat::FileExists(ext.program) || !plat::FileExists(downloadedPath)) return false;
    // A failure to start is not the download's failure.
    return plat::StartProcess(ExternalCommandLine(ext.program, downloadedPath, ext.params));
}

}  // namespace ks
