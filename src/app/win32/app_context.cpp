#include "app/win32/app_context.h"

#include <cstdlib>

#include "app/registry_values.h"

namespace ks {

StartupResult LoadAppContext(AppContext& ctx) {
    // Test runs and portable copies name their folder in the environment; the
    // registry key below is still required, as it is what the browser helper
    // reads.
    const char* home = std::getenv("KESTRUNE_HOME");
    StartupResult where = home && *home ? StartupResult::Success(home) : AppPathsProgramFolder();
    if (!where.ok) return where;
    StartupResult key = CheckKestruneKey();
    if (!key.ok) return key;
    ctx.programFolder = where.folder;
    ctx.installKey = ReadOrCreateInstallKey();
    ctx.histories = LoadHistories(ctx.programFolder);
    return where;
}

}  // namespace ks
