// Saves one project and a settings file over and over, each step a new
// version, until it is killed. Argument: the program folder.
#include "app/settings.h"
#include "helpers/save_loop_versions.h"
#include "platform/clock.h"
#include "platform/files.h"
#include "projects/project_store.h"

using namespace ks;

namespace {

void SaveVersion(CProject& p, std::int64_t v, const std::string& folder) {
    {
        std::lock_guard<std::mutex> g(p.mu);
        test::ApplyVersion(p.settings, v, folder);
    }
    p.bytesDone = test::VersionBytesDone(v);
    p.SetMirrors(test::VersionMirrors(v));
    SaveProject(p);
}

// The real settings record, saved the way the program saves it.
void SaveSettingsVersion(Settings& st, std::int64_t v) {
    st.Set("Limits", "wait", std::to_string(v));
    st.Set("Download", "ExtParams", test::VersionParams(v));
    st.Save();
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) return 2;
    const std::string folder = argv[1];
    auto loaded = LoadProjects(folder);
    Settings st = Settings::Load(test::IniPath(folder), folder);
    std::unique_ptr<CProject> p;
    std::int64_t v = 0;
    if (loaded.empty()) {
        ProjectSettings s;
        test::ApplyVersion(s, 0, folder);
        p = CreateProject(s, true, folder);
    } else {
        p = std::move(loaded.front());
        v = p->settings.seqFrom;
        // Complete the step the last run may have been killed in.
        SaveVersion(*p, v, folder);
        SaveSettingsVersion(st, v);
    }
    // Bounded, in case the test that should kill us is gone.
    const std::int64_t until = plat::MonotonicMs() + 60000;
    while (plat::MonotonicMs() < until) {
        ++v;
        SaveVersion(*p, v, folder);
        SaveSettingsVersion(st, v);
    }
    return 0;
}
