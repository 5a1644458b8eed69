// The program as a user meets it: start-up on saved projects, the second
// instance's hand-over, row commands, the tray, and what exit leaves behind.
#include <algorithm>

#include "gui_test.h"
#include "program_home.h"
#include "resource.h"

using namespace guitest;

GUI_TEST(startup_shows_saved_projects_in_their_order) {
    std::string home = MakeHome({
        {"http://h/c.zip", "c.zip", 2, 0, 1, 1, 10, 100},
        {"http://h/a.zip", "a.zip", 0, 0, 1, 1, 0, 0},
        {"ftp://h/series", "s.zip", 1, 0, 3, 2, 0, 0},  // series finished
    });
    App app;
    REQUIRE(app.Start(home));
    CHECK_EQ(WindowText(app.Main()), std::string("Kestrune v3.0"));
    HWND list = app.List();
    REQUIRE(list != nullptr);
    REQUIRE(WaitUntil([&] { return ListCount(list) == 3; }));
    CHECK(Column(list, 0) == (Urls{"http://h/a.zip", "ftp://h/series", "http://h/c.zip"}));

    const struct {
        const char* header;
        int width;
    } columns[] = {{"Base URL", 300}, {"Size", 150}, {"From", 40},      {"To", 40},
                   {"Status", 120},   {"Rate", 70},  {"Time left", 70}, {"Filename", 200}};
    for (int c = 0; c < 8; ++c) {
        CHECK_EQ(ListHeader(list, c), std::string(columns[c].header));
        CHECK_EQ(ListColumnWidth(list, c), columns[c].width);
    }
    std::vector<std::string> row = ListRow(list, 2, 8);
    CHECK_EQ(row[1], std::string("10/100"));
    CHECK_EQ(row[2], std::string("1"));
    CHECK_EQ(row[3], std::string("1"));
    CHECK_EQ(row[7], std::string("c.zip"));
    CHECK_EQ(ListImage(list, 0), 4);  // stopped
    CHECK_EQ(ListImage(list, 1), 5);  // series done

    // The toolbar's buttons in their order, separators as 0, with hot images.
    HWND toolbar = FindWindowExA(app.Main(), nullptr, "ToolbarWindow32", nullptr);
    CHECK(ToolbarCommands(toolbar) ==
          (std::vector<int>{32775, 32797, 32826, 0, 32773, 32772, 32771, 32777, 32800, 32776, 32774,
                            0, 32808, 32809, 0, 32778, 32788, 57664}));
    CHECK(SendMessageA(toolbar, TB_GETHOTIMAGELIST, 0, 0) != 0);
    CHECK(WaitUntil([&] {
        HWND status = FindWindowExA(app.Main(), nullptr, "msctls_statusbar32", nullptr);
        return WindowText(status) == "Kestrune (0.00kb/s), 0 of 3 items";
    }));
    CHECK_EQ(app.Exit(), 0);
}

GUI_TEST(second_instance_hands_its_url_to_the_first) {
    std::string home = MakeHome({});
    App app;
    REQUIRE(app.Start(home));
    HWND list = app.List();
    CHECK_EQ(App::RunSecond(home, "  http://host/new.zip  "), 0u);
    CHECK(WaitUntil([&] { return ListCount(list) == 1; }, 8000));
    CHECK_EQ(ListText(list, 0, 0), std::string("http://host/new.zip"));

    // Neither refused texts nor a bare start add anything; the bare start only
    // brings the hidden window back.
    ShowWindow(app.Main(), SW_HIDE);
    for (const char* args : {"gopher://host/x.zip", "C:\\files\\x.zip", "host.example", ""})
        CHECK_EQ(App::RunSecond(home, args), 0u);
    Sleep(2500);  // two heartbeats: a queued URL would be a row by now
    CHECK_EQ(ListCount(list), 1);
    CHECK(IsWindowVisible(app.Main()));
    CHECK(FindWindowExA(nullptr, nullptr, "KestruneClass", nullptr) == app.Main());
    CHECK_EQ(app.Exit(), 0);
}

GUI_TEST(move_rows_up_and_down) {
    std::string home =
        MakeHome({{"http://h/0", "0", 0}, {"http://h/1", "1", 1}, {"http://h/2", "2", 2}});
    App app;
    REQUIRE(app.Start(home));
    HWND list = app.List();
    REQUIRE(WaitUntil([&] { return ListCount(list) == 3; }));
    const struct {
        int select;
        int command;
        Urls order;
        int selected;
    } steps[] = {
        {0, ID_PROJECT_MOVEUP, {"http://h/0", "http://h/1", "http://h/2"}, 0},  // first row: no-op
        {0, ID_PROJECT_MOVEDOWN, {"http://h/1", "http://h/0", "http://h/2"}, 1},
        {2, ID_PROJECT_MOVEUP, {"http://h/1", "http://h/2", "http://h/0"}, 1},
        {2, ID_PROJECT_MOVEDOWN, {"http://h/1", "http://h/2", "http://h/0"}, 2},  // last row: no-op
    };
    for (const auto& s : steps) {
        ListSelectOnly(list, s.select);
        app.Command(s.command);
        CHECK(WaitUntil([&] { return Column(list, 0) == s.order; }, 3000));
        CHECK_EQ(ListFirstSelected(list), s.selected);
    }
    // Exit saves the new order.
    CHECK_EQ(app.Exit(), 0);
    App again;
    REQUIRE(again.Start(home));
    CHECK(WaitUntil([&] {
        return Column(again.List(), 0) == Urls{"http://h/1", "http://h/2", "http://h/0"};
    }));
    CHECK_EQ(again.Exit(), 0);
}

GUI_TEST(commands_without_a_selection_say_so) {
    std::string home = MakeHome({{"http://h/0", "0", 0}});
    App app;
    REQUIRE(app.Start(home));
    REQUIRE(WaitUntil([&] { return ListCount(app.List()) == 1; }));
    ListSelectOnly(app.List(), -1);
    for (int id : {ID_PROJECT_MOVEUP, ID_PROJECT_MOVEDOWN, ID_PROJECT_VIEW, ID_PROJECT_FILEDELETE,
                   ID_PROJECT_START, ID_PROJECT_PAUSE, ID_PROJECT_DELETE}) {
        app.Command(id);
        HWND box = FindMessageBox(app.Pid(), "You must select an item.");
        CHECK(box != nullptr);
        Dismiss(box);
    }
    CHECK_EQ(ListCount(app.List()), 1);
    CHECK_EQ(app.Exit(), 0);
}

GUI_TEST(file_delete_and_delete) {
    std::string home =
        MakeHome({{"http://h/a.zip", "a.zip", 0, 0, 1, 1, 4, 4}, {"http://h/b.zip", "b.zip", 1}});
    std::string file = home + "\\Temp\\a.zip";
    WriteTextFile(file, "data");
    App app;
    REQUIRE(app.Start(home));
    HWND list = app.List();
    REQUIRE(WaitUntil([&] { return ListCount(list) == 2; }));

    ListSelectOnly(list, 0);
    app.Command(ID_PROJECT_FILEDELETE);
    CHECK(WaitUntil([&] { return !PathExists(file); }, 3000));
    CHECK(WaitUntil([&] { return ListText(list, 0, 1) == "0/4"; }, 3000));
    CHECK_EQ(ListImage(list, 0), 4);
    CHECK_EQ(ListCount(list), 2);  // the project stays

    app.Command(ID_PROJECT_FILEDELETE);  // nothing left to delete
    HWND box = FindMessageBox(app.Pid(), "Can't find the file.");
    CHECK(box != nullptr);
    Dismiss(box);
    app.Command(ID_PROJECT_VIEW);
    box = FindMessageBox(app.Pid(), "Can't find the file.");
    CHECK(box != nullptr);
    Dismiss(box);

    ListSelectOnly(list, 1);
    app.Command(ID_PROJECT_DELETE);
    CHECK(WaitUntil([&] { return Column(list, 0) == Urls{"http://h/a.zip"}; }, 3000));
    CHECK(!PathExists(home + "\\Projects\\1700000001.kpr"));
    CHECK_EQ(app.Exit(), 0);
}

GUI_TEST(minimise_and_close_hide_to_the_tray) {
    std::string home = MakeHome({});
    App app;
    REQUIRE(app.Start(home));
    PostMessageA(app.Main(), WM_SYSCOMMAND, SC_MINIMIZE, 0);
    CHECK(WaitUntil([&] { return !IsWindowVisible(app.Main()); }, 3000));
    app.Command(ID_TRAY_OPEN);
    CHECK(WaitUntil([&] { return IsWindowVisible(app.Main()) && !IsIconic(app.Main()); }, 3000));

    PostMessageA(app.Main(), WM_CLOSE, 0, 0);
    CHECK(WaitUntil([&] { return !IsWindowVisible(app.Main()); }, 3000));
    CHECK(app.Running());
    // A double click on the tray icon runs its default item, "&Open".
    PostMessageA(app.Main(), WM_USER + 10, 132, WM_LBUTTONDBLCLK);
    CHECK(WaitUntil([&] { return IsWindowVisible(app.Main()); }, 3000));
    CHECK_EQ(app.Exit(), 0);
}

GUI_TEST(exit_writes_settings_and_histories) {
    std::string home = MakeHome({}, "dropx=40\r\ndropy=60\r\n");
    App app;
    REQUIRE(app.Start(home, "http://host/from-command-line.zip"));
    REQUIRE(WaitUntil([&] { return ListCount(app.List()) == 1; }, 8000));
    CHECK_EQ(app.Exit(), 0);
    std::string ini, history;
    CHECK(ReadTextFile(home + "\\kestrune.ini", ini));
    CHECK(ini.find("Folder=" + home + "\\Temp") != std::string::npos);
    CHECK(ini.find("dropx=40") != std::string::npos);
    CHECK(ini.find("dropy=60") != std::string::npos);
    CHECK(ReadTextFile(home + "\\history.txt", history));
    CHECK_EQ(history, std::string("http://host/from-command-line.zip\r\n"));
    CHECK(PathExists(home + "\\uploadhistory.txt"));
    CHECK(PathExists(home + "\\searchhistory.txt"));
}
