// Timings of the window against a long job list, for bench/. Tests named
// "bench_" run only when the runner's filter names them: they take longer than
// a check should, and they print figures rather than decide anything.
#include <cstdio>
#include <cstdlib>

#include "gui_test.h"
#include "program_home.h"

using namespace guitest;

namespace {

int ProjectCount() {
    const char* env = std::getenv("KESTRUNE_BENCH_PROJECTS");
    int n = env ? std::atoi(env) : 0;
    return n > 0 ? n : 10000;
}

struct ListTimes {
    ULONGLONG window = 0, filled = 0, exit = 0;
};

// One start of the program on home: until its main window shows, until its
// job list holds all n rows (as the list view itself counts them), and File
// -> Exit until the process ended.
bool TimeOneRun(const std::string& home, int n, const std::string& lastUrl, ListTimes& t) {
    App app;
    const ULONGLONG t0 = GetTickCount64();
    if (!app.Start(home)) return false;
    t.window = GetTickCount64() - t0;
    if (!WaitUntil([&] { return ListCount(app.List()) == n; }, 120000)) return false;
    t.filled = GetTickCount64() - t0;
    // The last row's texts, read across processes: the rows are there to be drawn.
    CHECK(WaitUntil([&] { return ListText(app.List(), n - 1, 0) == lastUrl; }, 10000));
    const ULONGLONG exitStart = GetTickCount64();
    if (app.Exit(120000) != 0) return false;
    t.exit = GetTickCount64() - exitStart;
    return true;
}

}  // namespace

// A long job list, started three times over: every start must show all rows
// quickly, and every exit, having changed nothing, must rewrite nothing.
GUI_TEST(bench_list_of_many) {
    const int n = ProjectCount();
    std::vector<SavedProject> projects;
    projects.reserve(std::size_t(n));
    for (int i = 0; i < n; ++i) {
        SavedProject p;
        p.url = "http://127.0.0.1:1/files/f" + std::to_string(i) + ".zip";
        p.fileName = "f" + std::to_string(i) + ".zip";
        p.position = i;
        projects.push_back(p);
    }
    const std::string home = MakeHome(projects);
    {
        // The first program a fresh Wine prefix runs waits for Wine to set
        // itself up; that time is Wine's, not the program's.
        App warmUp;
        REQUIRE(warmUp.Start(MakeHome({})));
        CHECK_EQ(warmUp.Exit(), 0);
    }
    for (const char* run : {"first", "second", "third"}) {
        ListTimes t;
        REQUIRE(TimeOneRun(home, n, projects.back().url, t));
        std::printf(
            "bench list_of_many run=%s rows=%d window_ms=%llu filled_ms=%llu exit_ms=%llu\n", run,
            n, t.window, t.filled, t.exit);
        std::fflush(stdout);
    }
}
