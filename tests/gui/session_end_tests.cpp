// Leaving the program. At logoff and shutdown the window is told the session
// ends and must have finished everything File -> Exit does before it answers,
// since the process may be ended the moment it does; and any exit saves only
// the projects that changed.
#include "dialog_ids.h"
#include "gui_test.h"
#include "program_home.h"
#include "resource.h"
#include "support/scripted_http_server.h"

using namespace guitest;
using ks::test::HttpRule;
using ks::test::ScriptedHttpServer;

namespace {

// Line n (1-based) of a text file, "" when missing.
std::string Line(const std::string& path, int n) {
    std::string text;
    if (!ReadTextFile(path, text)) return std::string();
    std::size_t pos = 0;
    for (int i = 1; i < n; ++i) {
        pos = text.find('\n', pos);
        if (pos == std::string::npos) return std::string();
        ++pos;
    }
    std::size_t end = text.find('\n', pos);
    return text.substr(pos, end == std::string::npos ? std::string::npos : end - pos);
}

}  // namespace

GUI_TEST(session_end_runs_the_whole_exit_before_answering) {
    HttpRule slow = HttpRule::File("/slow.bin", ks::test::PatternBytes(400000, 3));
    slow.blockSize = 2048;
    slow.delayBetweenBlocksMs = 50;
    ScriptedHttpServer server({slow});
    const std::string url = "http://127.0.0.1:" + std::to_string(server.Port()) + "/slow.bin";
    std::string home = MakeHome({{url, "slow.bin", 0}});
    const std::string kpr = home + "\\Projects\\1700000000.kpr";
    App app;
    REQUIRE(app.Start(home));
    HWND list = app.List();
    REQUIRE(WaitUntil([&] { return ListCount(list) == 1; }, 15000));

    // A new project puts its address in the history, which only the exit writes.
    app.Command(ID_FILE_NEWPROJECT);
    HWND dlg = FindDialog(app.Pid(), "Download Settings");
    REQUIRE(dlg);
    SetText(GetDlgItem(dlg, IDC_URL_COMBO), "http://127.0.0.1:9/new.zip");
    Click(dlg, "OK");
    REQUIRE(WaitUntil([&] { return ListCount(list) == 2; }, 3000));

    // A running download: its worker must be stopped and its progress saved.
    ListSelectOnly(list, 0);
    app.Command(ID_PROJECT_START);
    REQUIRE(WaitUntil([&] { return ListText(list, 0, 1).rfind("0/", 0) != 0; }, 5000));
    CHECK_EQ(Line(kpr, 8), std::string("0"));

    DWORD_PTR answer = 0;
    REQUIRE(SendMessageTimeoutA(app.Main(), WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF, SMTO_NORMAL,
                                20000, &answer));
    CHECK_EQ(answer, static_cast<DWORD_PTR>(TRUE));
    REQUIRE(SendMessageTimeoutA(app.Main(), WM_ENDSESSION, TRUE, ENDSESSION_LOGOFF, SMTO_NORMAL,
                                20000, &answer));

    // Everything is on disk by the time the window answered.
    CHECK(Ini(home, "Download", "Folder") != "<missing>");
    CHECK(Ini(home, "Download", "dropx") != "<missing>");
    std::string history;
    CHECK(ReadTextFile(home + "\\history.txt", history));
    CHECK(history.find("http://127.0.0.1:9/new.zip") != std::string::npos);
    const std::string saved = Line(kpr, 8);
    CHECK(!saved.empty() && saved != "0");
    std::string part;
    CHECK(ReadTextFile(home + "\\Temp\\slow.bin", part));
    CHECK_EQ(std::to_string(part.size()), saved);

    // And the program goes on its own.
    CHECK(WaitUntil([&] { return !app.Running(); }, 10000));
}

namespace {

// The last-write time of a file, 0 when missing.
ULONGLONG WriteTime(const std::string& path) {
    WIN32_FILE_ATTRIBUTE_DATA d;
    if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &d)) return 0;
    return (ULONGLONG(d.ftLastWriteTime.dwHighDateTime) << 32) | d.ftLastWriteTime.dwLowDateTime;
}

}  // namespace

// File -> Exit saves the projects that changed and leaves the others' files
// alone: a long list must not be rewritten at every exit.
GUI_TEST(exit_rewrites_only_the_projects_that_changed) {
    std::string home = MakeHome({{"http://h/a.zip", "a.zip", 0},
                                 {"http://h/b.zip", "b.zip", 1},
                                 {"http://h/c.zip", "c.zip", 2}});
    std::vector<std::string> kpr;
    std::vector<ULONGLONG> before;
    for (int i = 0; i < 3; ++i) {
        kpr.push_back(home + "\\Projects\\" + std::to_string(1700000000 + i) + ".kpr");
        before.push_back(WriteTime(kpr.back()));
    }
    Sleep(50);  // a rewrite must show in the times
    App app;
    REQUIRE(app.Start(home));
    HWND list = app.List();
    REQUIRE(WaitUntil([&] { return ListCount(list) == 3; }, 15000));
    // The first two rows trade places: their positions change, the third's not.
    ListSelectOnly(list, 0);
    app.Command(ID_PROJECT_MOVEDOWN);
    REQUIRE(WaitUntil([&] { return ListText(list, 1, 0) == "http://h/a.zip"; }, 3000));
    CHECK_EQ(app.Exit(), 0);

    CHECK_EQ(Line(kpr[0], 16), std::string("1"));
    CHECK_EQ(Line(kpr[1], 16), std::string("0"));
    CHECK(WriteTime(kpr[0]) != before[0]);
    CHECK(WriteTime(kpr[1]) != before[1]);
    CHECK_EQ(WriteTime(kpr[2]), before[2]);
}
