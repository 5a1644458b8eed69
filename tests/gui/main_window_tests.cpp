// The main window's own commands against a live program: downloads started
// from the window run to the end against a loopback server (or stop when
// paused), the options and the Option-menu switches write their keys, and the
// project dialogs add rows. A screenshot records every row state.
#include "dialog_ids.h"
#include "gui_test.h"
#include "program_home.h"
#include "resource.h"
#include "support/scripted_http_server.h"

using namespace guitest;
using ks::test::HttpRule;
using ks::test::ScriptedHttpServer;

namespace {

// "&Enter URL", then the "Download now?" question.
bool EnterUrl(const App& app, const std::string& url, bool now) {
    app.Command(ID_FILE_ENTERURL);
    HWND dlg = FindDialog(app.Pid(), "Enter URL");
    if (!dlg) return false;
    TypeInto(GetDlgItem(dlg, IDC_URL_COMBO), url);
    Click(dlg, "OK");
    HWND box = FindMessageBox(app.Pid(), "Download now?");
    return box && Dismiss(box, now ? "Yes" : "No");
}

// A download whose blocks trickle in, so it is still running seconds later.
HttpRule SlowFile(const std::string& path, std::size_t size) {
    HttpRule r = HttpRule::File(path, ks::test::PatternBytes(size, 7));
    r.blockSize = 2048;
    r.delayBetweenBlocksMs = 100;
    return r;
}

bool Transferring(HWND list, int row) {
    std::string size = ListText(list, row, 1);
    return !size.empty() && size.rfind("0/", 0) != 0 && ListImage(list, row) < 4;
}

std::string Registry(const char* name) {
    char buf[1024] = {};
    DWORD size = sizeof buf - 1, type = 0;
    if (RegGetValueA(HKEY_LOCAL_MACHINE, "SOFTWARE\\Kestrune", name, RRF_RT_ANY, &type, buf,
                     &size) != ERROR_SUCCESS)
        return "<missing>";
    if (type == REG_DWORD) return std::to_string(*reinterpret_cast<DWORD*>(buf));
    return buf;
}

int ProjectFiles(const std::string& home) {
    int n = 0;
    WIN32_FIND_DATAA fd;
    HANDLE h = FindFirstFileA((home + "\\Projects\\*.kpr").c_str(), &fd);
    if (h == INVALID_HANDLE_VALUE) return 0;
    do ++n;
    while (FindNextFileA(h, &fd));
    FindClose(h);
    return n;
}

}  // namespace

GUI_TEST(downloads_started_from_the_window_complete_or_pause) {
    auto bytes = ks::test::PatternBytes(150000);
    ScriptedHttpServer server({HttpRule::File("/fast.bin", bytes), SlowFile("/slow.bin", 150000)});
    std::string home = MakeHome({});
    App app;
    REQUIRE(app.Start(home));
    HWND list = app.List();

    REQUIRE(EnterUrl(app, server.Url("/fast.bin"), true));
    CHECK(WaitUntil([&] { return ListCount(list) == 1 && ListText(list, 0, 4) == "Completed."; },
                    15000));
    CHECK_EQ(ListImage(list, 0), 5);
    CHECK_EQ(ListText(list, 0, 1).rfind("150000/150000", 0), 0u);
    CHECK_EQ(ListText(list, 0, 7), std::string("fast.bin"));
    std::string got;
    CHECK(ReadTextFile(home + "\\Temp\\fast.bin", got));
    CHECK(got == *bytes);

    REQUIRE(EnterUrl(app, server.Url("/slow.bin"), true));
    REQUIRE(WaitUntil([&] { return ListCount(list) == 2; }));
    CHECK(WaitUntil([&] { return Transferring(list, 1); }, 8000));
    ListSelectOnly(list, 1);
    app.Command(ID_PROJECT_PAUSE);
    CHECK(WaitUntil([&] { return ListImage(list, 1) == 4; }, 5000));
    CHECK(ListText(list, 1, 4) != "Completed.");
    CHECK_EQ(ListText(list, 1, 5), std::string("0.0kb/s"));
    CHECK_EQ(app.Exit(), 0);
}

GUI_TEST(options_from_the_window_write_their_keys_and_the_queue_follows) {
    // Nothing listens on port 9: both downloads fail and wait to retry, so
    // both stay active.
    std::string home = MakeHome(
        {{"http://127.0.0.1:9/a.zip", "a.zip", 0}, {"http://127.0.0.1:9/b.zip", "b.zip", 1}});
    App app;
    REQUIRE(app.Start(home));
    HWND list = app.List();
    REQUIRE(WaitUntil([&] { return ListCount(list) == 2; }));

    // The toolbar button opens Options, whose button leads on to the transfer
    // options; their OK stands even when Options is then cancelled.
    app.Command(ID_OPTIONS);
    HWND options = FindDialog(app.Pid(), "Options");
    REQUIRE(options);
    Click(options, "Download/Upload Settings...");
    HWND dlg = FindDialog(app.Pid(), "Download/Upload Options");
    REQUIRE(dlg);
    ClickId(dlg, IDC_LIMIT);  // off by default
    SetText(GetDlgItem(dlg, IDC_MAX_FILES), "1");
    SetText(GetDlgItem(dlg, IDC_RETRY_WAIT), "25");
    Click(dlg, "OK");
    CHECK(WaitUntil([&] { return !IsWindow(dlg); }));
    Click(options, "Cancel");
    CHECK(WaitUntil([&] { return !IsWindow(options); }));
    CHECK_EQ(Ini(home, "Limits", "limit"), std::string("yes"));
    CHECK_EQ(Ini(home, "Limits", "maxfiles"), std::string("1"));
    CHECK_EQ(Ini(home, "Limits", "wait"), std::string("25"));

    // The queue and the workers took the new values at once.
    ListSelectOnly(list, 0);
    app.Command(ID_PROJECT_START);
    CHECK(WaitUntil([&] { return ListImage(list, 0) != 4; }, 3000));  // the command is posted
    ListSelectOnly(list, 1);
    app.Command(ID_PROJECT_START);
    CHECK(WaitUntil([&] { return ListText(list, 1, 4) == "Queued"; }, 3000));
    CHECK(WaitUntil([&] { return ListText(list, 0, 4).rfind("Retrying...(2", 0) == 0; }, 6000));

    // The menu item opens the same dialog; Cancel keeps the file as it is.
    app.Command(ID_OPTION_TRANSFER);
    dlg = FindDialog(app.Pid(), "Download/Upload Options");
    REQUIRE(dlg);
    SetText(GetDlgItem(dlg, IDC_MAX_FILES), "7");
    Click(dlg, "Cancel");
    CHECK(WaitUntil([&] { return !IsWindow(dlg); }));
    CHECK_EQ(Ini(home, "Limits", "maxfiles"), std::string("1"));
    CHECK_EQ(app.Exit(), 0);
}

GUI_TEST(option_switches_and_the_values_the_browser_helper_reads) {
    std::string home = MakeHome({}, "CaptureNetscape=no\r\n");
    App app;
    REQUIRE(app.Start(home));
    CHECK_EQ(Registry("CaptureIE"), std::string("1"));
    CHECK_EQ(Registry("ClipForm"), std::to_string(RegisterClipboardFormatA("KESTRUNE")));
    std::string types = Registry("File Types");
    CHECK_EQ(types.substr(0, 8), std::string(".avi.arj"));
    CHECK_EQ(types.size() > 4 ? types.substr(types.size() - 4) : types, std::string(".zip"));

    const struct {
        int id;
        const char* key;
        bool before;
    } switches[] = {
        {ID_CAPTURE_CLIPBOARD, "Capture", true}, {ID_CAPTURE_IMMEDIATE, "Immediate", false},
        {ID_CAPTURE_IE, "CaptureIE", true},      {ID_CAPTURE_NETSCAPE, "CaptureNetscape", false},
        {ID_OPTION_SHOWDROP, "ShowDrop", true},
    };
    for (const auto& s : switches) {
        app.Command(s.id);
        if (s.id == ID_CAPTURE_NETSCAPE) {
            // Turning browser DDE capture on tells the user to restart the browser.
            HWND box = FindMessageBox(app.Pid(), "restart the Netscape web browsers");
            CHECK(box && Dismiss(box));
        }
        std::string want = s.before ? "no" : "yes";
        CHECK(WaitUntil([&] { return Ini(home, "Download", s.key) == want; }, 3000));
    }
    CHECK_EQ(Registry("CaptureIE"), std::string("0"));
    app.Command(ID_CAPTURE_IE);
    CHECK(WaitUntil([&] { return Registry("CaptureIE") == "1"; }, 3000));

    // The tray menu's drop window items set the switch rather than flip it.
    for (int id : {ID_TRAY_SHOWDROP, ID_TRAY_SHOWDROP, ID_TRAY_HIDEDROP}) {
        app.Command(id);
        std::string want = id == ID_TRAY_SHOWDROP ? "yes" : "no";
        CHECK(WaitUntil([&] { return Ini(home, "Download", "ShowDrop") == want; }, 3000));
    }
    CHECK_EQ(app.Exit(), 0);
    CHECK_EQ(Registry("CaptureIE"), std::string("0"));  // no capture while the program is gone
}

GUI_TEST(download_settings_from_the_window_add_a_project) {
    std::string home = MakeHome({{"http://h/old.zip", "old.zip", 0}});
    App app;
    REQUIRE(app.Start(home));
    HWND list = app.List();
    REQUIRE(WaitUntil([&] { return ListCount(list) == 1; }));
    HWND status = FindWindowExA(app.Main(), nullptr, "msctls_statusbar32", nullptr);
    CHECK(WaitUntil([&] { return WindowText(status) == "Kestrune (0.00kb/s), 0 of 1 item"; }));

    app.Command(ID_FILE_NEWPROJECT);
    HWND dlg = FindDialog(app.Pid(), "Download Settings");
    REQUIRE(dlg);
    SetText(GetDlgItem(dlg, IDC_URL_COMBO), "http://127.0.0.1:9/new.zip");
    Click(dlg, "OK");
    CHECK(WaitUntil([&] { return ListCount(list) == 2; }, 3000));
    CHECK_EQ(ListText(list, 1, 0), std::string("http://127.0.0.1:9/new.zip"));
    CHECK_EQ(ListImage(list, 1), 4);  // created, not started
    CHECK_EQ(ProjectFiles(home), 2);
    CHECK(WaitUntil([&] { return WindowText(status) == "Kestrune (0.00kb/s), 0 of 2 items"; }));
    CHECK_EQ(app.Exit(), 0);
    std::string history;
    CHECK(ReadTextFile(home + "\\history.txt", history));
    CHECK_EQ(history, std::string("http://127.0.0.1:9/new.zip\r\n"));
}

GUI_TEST(screenshot_of_rows_in_every_state) {
    ScriptedHttpServer server({HttpRule::File("/done.zip", ks::test::PatternBytes(5000)),
                               SlowFile("/running.zip", 400000)});
    // One slot: each start waits for the one before to end, except the last,
    // which queues behind the running one.
    std::string home = MakeHome(
        {
            {server.Url("/done.zip"), "done.zip", 0},
            {"gopher://h/file.txt", "file.txt", 1},  // neither http nor ftp
            {server.Url("/running.zip"), "running.zip", 2},
            {server.Url("/done.zip"), "queued.zip", 3},
            {"http://h/stopped.zip", "stopped.zip", 4, 0, 1, 1, 500, 2000},
            {"http://h/series", "s.zip", 5, 0, 4, 3, 0, 0},
            {"ftp://h/upload/", "", 6, 2},
            {"search words", "", 7, 3},
        },
        "[Limits]\r\nlimit=yes\r\nmaxfiles=1\r\nwait=30\r\n");
    App app;
    REQUIRE(app.Start(home));
    HWND list = app.List();
    REQUIRE(WaitUntil([&] { return ListCount(list) == 8; }));
    const struct {
        int row;
        std::function<bool()> reached;
    } starts[] = {
        {0, [&] { return ListText(list, 0, 4) == "Completed."; }},
        {1, [&] { return ListText(list, 1, 4) == "Invalid URL"; }},
        {2, [&] { return Transferring(list, 2); }},
        {3, [&] { return ListText(list, 3, 4) == "Queued"; }},
    };
    for (const auto& s : starts) {
        ListSelectOnly(list, s.row);
        app.Command(ID_PROJECT_START);
        CHECK(WaitUntil(s.reached, 8000));
    }
    ListSelectOnly(list, -1);
    const int images[] = {5, 6, -1, 7, 4, 5, 12, 20};  // -1: a running frame, 0 to 3
    for (int r = 0; r < 8; ++r) {
        if (images[r] >= 0)
            CHECK_EQ(ListImage(list, r), images[r]);
        else
            CHECK(ListImage(list, r) >= 0 && ListImage(list, r) <= 3);
    }
    // The first rate tick (every 5 s) gives the running row a rate, and the
    // heartbeat after it shows the total in the status line and tray tip.
    HWND status = FindWindowExA(app.Main(), nullptr, "msctls_statusbar32", nullptr);
    CHECK(WaitUntil(
        [&] {
            std::string text = WindowText(status);
            return text.rfind("Kestrune (", 0) == 0 && text.rfind("Kestrune (0.00kb/s)", 0) != 0;
        },
        7000));
    CHECK(Transferring(list, 2));
    CHECK(SaveScreen(ArtifactsFolder() + "\\gui-main-window.png") != "");
    CHECK_EQ(app.Exit(), 0);
}

GUI_TEST(without_its_registration_the_program_says_so_and_ends_with_code_1) {
    const char* appPaths = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths\\kestrune.EXE";
    std::string home = MakeHome({});
    const struct {
        bool key;
        const char* path;  // nullptr: no "Path" value
        const char* message;
    } cases[] = {
        {false, nullptr, "Can't read registry. Re-installation necessary."},
        {true, nullptr, "Can't find Registry path!"},
        {true, home.c_str(), nullptr},  // registered: starts on that folder
    };
    SetEnvironmentVariableA("KESTRUNE_HOME", nullptr);
    for (const auto& c : cases) {
        RegDeleteKeyA(HKEY_LOCAL_MACHINE, appPaths);
        HKEY key;
        if (c.key && RegCreateKeyExA(HKEY_LOCAL_MACHINE, appPaths, 0, nullptr, 0, KEY_ALL_ACCESS,
                                     nullptr, &key, nullptr) == ERROR_SUCCESS) {
            if (c.path)
                RegSetValueExA(key, "Path", 0, REG_SZ, reinterpret_cast<const BYTE*>(c.path),
                               static_cast<DWORD>(strlen(c.path) + 1));
            RegCloseKey(key);
        }
        std::string cmd = "\"" + BuildFolder() + "\\kestrune.exe\"";
        STARTUPINFOA si{sizeof si};
        PROCESS_INFORMATION pi{};
        REQUIRE(CreateProcessA(nullptr, cmd.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                               &si, &pi));
        CloseHandle(pi.hThread);
        if (c.message) {
            CHECK(Dismiss(FindMessageBox(pi.dwProcessId, c.message)));
        } else {
            HWND main = FindTop(pi.dwProcessId, "KestruneClass", "", 10000);
            CHECK(main != nullptr);
            PostMessageA(main, WM_COMMAND, ID_APP_EXIT, 0);
        }
        DWORD code = 99;
        if (WaitForSingleObject(pi.hProcess, 10000) == WAIT_OBJECT_0)
            GetExitCodeProcess(pi.hProcess, &code);
        else
            TerminateProcess(pi.hProcess, 9);
        CloseHandle(pi.hProcess);
        CHECK_EQ(code, c.message ? 1u : 0u);
    }
    RegDeleteKeyA(HKEY_LOCAL_MACHINE, appPaths);
    CHECK(PathExists(home + "\\history.txt"));  // the registered folder was the one used
}

// Exit while a download sits on a server that took the request and went
// silent: the worker is stopped and joined, and the program ends at once
// instead of after the socket's time-out (or by tearing down under it).
GUI_TEST(exit_with_a_download_stuck_on_a_silent_server_ends_at_once) {
    HttpRule silent;
    silent.neverAnswer = true;
    ScriptedHttpServer server({silent});
    std::string home = MakeHome({});
    App app;
    REQUIRE(app.Start(home));
    REQUIRE(EnterUrl(app, server.Url("/silent.bin"), true));
    REQUIRE(WaitUntil([&] { return server.RequestCount() > 0; }, 10000));
    const DWORD start = GetTickCount();
    CHECK_EQ(app.Exit(8000), 0);
    CHECK(GetTickCount() - start < 8000);
}
