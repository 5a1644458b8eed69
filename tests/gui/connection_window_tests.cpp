// The connection side of the running program: the status bar's connection
// pane, dialling and hanging up through the system's RAS (Wine's has no
// modem, so every dial fails the way a refused one does), the settings
// dialogs from the menu, and the scheduler counting down to a shutdown that
// the test hook records instead of performing.
#include <ctime>

#include "connection_dialog_ids.h"
#include "dialog_ids.h"
#include "gui_test.h"
#include "program_home.h"
#include "resource.h"
#include "support/scripted_http_server.h"

using namespace guitest;
using ks::test::HttpRule;
using ks::test::ScriptedHttpServer;

namespace {

std::string Pane(const App& app) {
    HWND status = FindWindowExA(app.Main(), nullptr, "msctls_statusbar32", nullptr);
    return StatusPartText(status, 1);
}

bool PaneBecomes(const App& app, const std::string& text, int ms = 5000) {
    return WaitUntil([&] { return Pane(app) == text; }, ms);
}

}  // namespace

GUI_TEST(connection_pane_without_dial_up_and_the_settings_dialogs_from_the_menu) {
    std::string home = MakeHome({});
    App app;
    REQUIRE(app.Start(home));
    CHECK(PaneBecomes(app, "(Not using dial-up)"));
    const std::pair<int, const char*> dialogs[] = {
        {ID_OPTION_CONNECTION, "Connection Settings"},
        {ID_OPTION_KEEPALIVE, "Keep Connection Alive Settings"},
        {ID_OPTION_SCHEDULER, "Scheduler/Automatic Settings"},
    };
    for (const auto& [command, title] : dialogs) {
        app.Command(command);
        HWND dlg = FindDialog(app.Pid(), title);
        CHECK(dlg != nullptr);
        if (dlg) Click(dlg, "Cancel");
        CHECK(WaitUntil([&] { return FindDialog(app.Pid(), title, 0) == nullptr; }));
    }
    // "Proxies..." opens the LAN profile; OK there reaches the program at once.
    app.Command(ID_OPTION_CONNECTION);
    HWND conn = FindDialog(app.Pid(), "Connection Settings");
    REQUIRE(conn);
    Click(conn, "Proxies...");
    HWND proxy = FindDialog(app.Pid(), "Proxy Settings for LAN Settings");
    REQUIRE(proxy);
    SendMessageA(GetDlgItem(proxy, IDC_PASSIVE), BM_CLICK, 0, 0);
    Click(proxy, "OK");
    CHECK(WaitUntil(
        [&] { return FindDialog(app.Pid(), "Proxy Settings for LAN Settings", 0) == nullptr; }));
    Click(conn, "Cancel");
    CHECK(WaitUntil([&] { return Ini(home, "LAN Settings", "FTPProxypassive") == "yes"; }));
    CHECK_EQ(app.Exit(), 0);
}

GUI_TEST(dial_and_hang_up_show_in_the_connection_pane) {
    std::string home = MakeHome({}, "[Dial Up]\r\nuse=yes\r\ntotal=1\r\ncon1=Modem\r\n");
    App app;
    REQUIRE(app.Start(home));
    CHECK(PaneBecomes(app, "(Modem) Not connected."));
    app.Command(ID_CONNECTION_DIAL);
    CHECK(PaneBecomes(app, "Dial-Up failed."));
    app.Command(ID_TOOLBAR_HANGUP);
    CHECK(PaneBecomes(app, "The port was disconnected by the user."));
    CHECK_EQ(app.Exit(), 0);
}

GUI_TEST(scheduler_counts_down_to_a_shutdown_at_the_end_minute) {
    // Start and end in this very minute: the first heartbeat starts the run,
    // the next one reaches the end minute.
    std::time_t now = std::time(nullptr);
    if (std::localtime(&now)->tm_sec > 45) {
        Sleep(DWORD(61 - std::localtime(&now)->tm_sec) * 1000);
        now = std::time(nullptr);
    }
    const std::tm t = *std::localtime(&now);
    static const char* const kDays[] = {"sunday",   "monday", "tuesday", "wednesday",
                                        "thursday", "friday", "saturday"};
    const std::string hour = std::to_string(t.tm_hour), minute = std::to_string(t.tm_min);
    std::string home =
        MakeHome({{"http://127.0.0.1:9/a.zip", "a.zip", 0}},
                 "[Scheduler]\r\nenable=yes\r\nshutdown=yes\r\n" + std::string(kDays[t.tm_wday]) +
                     "=yes\r\nstarthour=" + hour + "\r\nstartmin=" + minute +
                     "\r\nendhour=" + hour + "\r\nendmin=" + minute + "\r\n");
    const std::string log = home + "\\shutdown.log";
    SetEnvironmentVariableA("KESTRUNE_SHUTDOWN_LOG", log.c_str());
    App app;
    const bool started = app.Start(home);
    SetEnvironmentVariableA("KESTRUNE_SHUTDOWN_LOG", nullptr);
    REQUIRE(started);
    HWND dlg = FindDialog(app.Pid(), "Kestrune Confirmation", 10000);
    REQUIRE(dlg);
    CHECK(WaitUntil([&] { return DialogHasText(dlg, "Computer Shutdown in 5"); }, 5000));
    Click(dlg, "Continue");
    std::string logged;
    CHECK(WaitUntil([&] { return ReadTextFile(log, logged) && logged == "shutdown\n"; }));
    CHECK(app.Running());  // the system "refused": the program stays
    CHECK(PaneBecomes(app, "(Not using dial-up)"));
    CHECK_EQ(app.Exit(), 0);
}

GUI_TEST(proxy_set_in_the_dialog_carries_the_next_download_without_a_restart) {
    // The server answers only the whole URL as a proxy receives it, so the
    // file can arrive only through the proxy.
    auto bytes = ks::test::PatternBytes(120000);
    ScriptedHttpServer proxy({HttpRule::File("http://files.example/p.bin", bytes)});
    std::string home = MakeHome({});
    App app;
    REQUIRE(app.Start(home));
    app.Command(ID_OPTION_CONNECTION);
    HWND conn = FindDialog(app.Pid(), "Connection Settings");
    REQUIRE(conn);
    Click(conn, "Proxies...");
    HWND dlg = FindDialog(app.Pid(), "Proxy Settings for LAN Settings");
    REQUIRE(dlg);
    SendMessageA(GetDlgItem(dlg, IDC_USE_HTTP_PROXY), BM_CLICK, 0, 0);
    SetText(GetDlgItem(dlg, IDC_HTTP_SERVER), "127.0.0.1");
    SetText(GetDlgItem(dlg, IDC_HTTP_PORT), std::to_string(proxy.Port()));
    Click(dlg, "OK");
    REQUIRE(WaitUntil(
        [&] { return FindDialog(app.Pid(), "Proxy Settings for LAN Settings", 0) == nullptr; }));
    Click(conn, "OK");
    REQUIRE(WaitUntil([&] { return FindDialog(app.Pid(), "Connection Settings", 0) == nullptr; }));

    app.Command(ID_FILE_ENTERURL);
    HWND enter = FindDialog(app.Pid(), "Enter URL");
    REQUIRE(enter);
    TypeInto(GetDlgItem(enter, IDC_URL_COMBO), "http://files.example/p.bin");
    Click(enter, "OK");
    HWND box = FindMessageBox(app.Pid(), "Download now?");
    REQUIRE(box);
    Dismiss(box, "Yes");
    HWND list = app.List();
    CHECK(WaitUntil([&] { return ListCount(list) == 1 && ListText(list, 0, 4) == "Completed."; },
                    15000));
    std::string got;
    CHECK(ReadTextFile(home + "\\Temp\\p.bin", got));
    CHECK(got == *bytes);
    CHECK_EQ(app.Exit(), 0);
}
