// A search started from the window: New Search with "Search Now" adds a row
// that runs against scripted engines on loopback, its properties show the
// live status, and the row ends with the number of sites found.
#include "dialog_ids.h"
#include "gui_test.h"
#include "program_home.h"
#include "resource.h"
#include "support/scripted_http_server.h"

using namespace guitest;
using ks::test::HttpRule;
using ks::test::ScriptedHttpServer;

namespace {

HttpRule EnginePage(const std::string& path, const std::string& records, int delayMs) {
    HttpRule r;
    r.path = path;
    r.contentType = "text/html";
    r.body = "<ul>" + records + "</ul>";
    r.delayBeforeReplyMs = delayMs;
    return r;
}

std::string Engine(const std::string& name, std::uint16_t port) {
    return "[" + name + "]\r\non=yes\r\nurl=http://127.0.0.1:" + std::to_string(port) + "/" + name +
           "?q=<KEYWORD>\r\ns1=%3Cli%3E\r\ns2=%3C/li%3E\r\nt1=%3C/a%3E\r\nlnum=1\r\n";
}

}  // namespace

GUI_TEST(new_search_from_the_window_shows_live_status_then_the_sites_found) {
    ScriptedHttpServer server(
        {EnginePage("/fast?q=red+apple", "<li><a href=\"http://a.example/\">A</a></li>", 0),
         EnginePage("/slow?q=red+apple",
                    "<li><a href=\"http://b.example/\">B</a></li><li><a "
                    "href=\"http://c.example/\">C</a></li>",
                    2500)});
    std::string home = MakeHome({});
    REQUIRE(WriteTextFile(
        home + "\\search.ini",
        "[Options]\r\nskipupdate=yes\r\nmaxthread=2\r\n[Categories]\r\ntotal=1\r\n"
        "cat1=Web\r\ntypes1=htm,html,\r\n[Web]\r\ntotal=2\r\neng1=fast\r\neng2=slow\r\n" +
            Engine("fast", server.Port()) + Engine("slow", server.Port())));
    App app;
    REQUIRE(app.Start(home));
    HWND list = app.List();

    app.Command(ID_FILE_NEWSEARCH);
    HWND dlg = FindDialog(app.Pid(), "Search");
    REQUIRE(dlg);
    TypeInto(GetDlgItem(dlg, IDC_SEARCH_KEYWORD), "red apple");
    ClickId(dlg, IDC_SEARCH_NOW);
    REQUIRE(WaitUntil([&] { return ListCount(list) == 1; }));
    CHECK(WaitUntil([&] { return ListText(list, 0, 4).rfind("Searching...(", 0) == 0; }, 5000));
    CHECK_EQ(ListText(list, 0, 0), std::string("red apple"));

    // The properties of the running search show its status lines.
    ListSelectOnly(list, 0);
    app.Command(ID_PROJECT_PROPERTIES);
    HWND props = FindDialog(app.Pid(), "Search");
    REQUIRE(props);
    HWND status = GetDlgItem(props, IDC_SEARCH_STATUS);
    CHECK(WaitUntil(
        [&] {
            std::string t = WindowText(status);
            return t.find("fast:  ---(1)") != std::string::npos &&
                   t.find("slow:  ...searching...") != std::string::npos;
        },
        5000));
    ClickId(props, IDCANCEL);

    CHECK(WaitUntil([&] { return ListText(list, 0, 1) == "Found 3 sites."; }, 60000));
    CHECK_EQ(ListText(list, 0, 4), std::string("Completed."));
    std::string history;
    ReadTextFile(home + "\\searchhistory.txt", history);
    CHECK_EQ(app.Exit(), 0);
    ReadTextFile(home + "\\searchhistory.txt", history);
    CHECK(history.rfind("red apple", 0) == 0);
}
