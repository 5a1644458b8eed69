// "Other sources" of a running download's Download Settings dialog: the
// automatic mirror lookup asks the file-search engines of search.ini (scripted
// on loopback), the label blinks while it runs, and the list fills with what
// it found once it ends.
#include "dialog_ids.h"
#include "gui_test.h"
#include "program_home.h"
#include "resource.h"
#include "support/scripted_http_server.h"

using namespace guitest;
using ks::test::HttpRule;
using ks::test::ScriptedHttpServer;

namespace {

// An engine's result page: one record per address, as the markers below cut it.
HttpRule EnginePage(const std::vector<std::string>& urls, int delayMs) {
    HttpRule r;
    r.contentType = "text/html";
    r.body = "<html><ul>\n";
    for (const std::string& u : urls)
        r.body += "<li><a href=\"" + u + "\">" + u + "</a> a file</li>\n";
    r.body += "</ul></html>";
    r.delayBeforeReplyMs = delayMs;
    return r;
}

// search.ini whose file-search category (the third) holds the one engine.
std::string SearchIni(const std::string& engineUrl) {
    return "[Categories]\r\ntotal=3\r\ncat1=Web\r\ntypes1=htm\r\ncat2=MP3\r\ntypes2=mp3\r\n"
           "cat3=Files\r\ntypes3=zip,exe\r\n[Files]\r\ntotal=1\r\neng1=E1\r\n[E1]\r\non=yes\r\n"
           "url=" +
           engineUrl +
           "\r\nexact=EXACT\r\ns1=%3Cli%3E\r\ns2=%3C/li%3E\r\nt1=%3C/a%3E\r\nt2=%3C/li%3E\r\n"
           "lnum=0\r\n";
}

// Wide text: across processes Wine hands the ANSI form of LB_GETTEXT back
// unconverted.
std::vector<std::string> ListBoxItems(HWND list) {
    std::vector<std::string> out;
    int n = static_cast<int>(SendMessageW(list, LB_GETCOUNT, 0, 0));
    for (int i = 0; i < n; ++i) {
        wchar_t buf[1024] = {};
        if (SendMessageW(list, LB_GETTEXTLEN, i, 0) < 1024)
            SendMessageW(list, LB_GETTEXT, i, reinterpret_cast<LPARAM>(buf));
        std::string item;
        for (const wchar_t* c = buf; *c; ++c) item += static_cast<char>(*c);
        out.push_back(item);
    }
    return out;
}

}  // namespace

GUI_TEST(other_sources_fill_from_the_mirror_lookup_while_the_dialog_is_open) {
    auto bytes = ks::test::PatternBytes(300000, 5);
    // Slow enough that the download outlives the dialog.
    std::vector<HttpRule> files;
    for (const char* path : {"/dl/Tool-1.0.zip", "/m1/Tool-1.0.zip", "/m2/Tool-1.0.zip"}) {
        HttpRule r = HttpRule::File(path, bytes);
        r.blockSize = 2048;
        r.delayBetweenBlocksMs = 100;
        files.push_back(r);
    }
    ScriptedHttpServer server(files);
    const std::vector<std::string> found = {server.Url("/m1/Tool-1.0.zip"),
                                            server.Url("/m2/Tool-1.0.zip")};
    // The engine answers late, so the dialog sees the lookup running; its
    // page also names a file of another name, which is no mirror.
    ScriptedHttpServer engine(
        {EnginePage({found[0], server.Url("/m3/Other-2.0.zip"), found[1]}, 4500)});

    std::string home = MakeHome({});
    std::string ini;
    REQUIRE(ReadTextFile(home + "\\kestrune.ini", ini));
    ini.replace(ini.find("automirrorcheck=no"), 18, "automirrorcheck=yes\r\nacceleration=2");
    REQUIRE(WriteTextFile(home + "\\kestrune.ini", ini));
    REQUIRE(WriteTextFile(home + "\\search.ini", SearchIni(engine.Url("/find?q=<KEYWORD>"))));

    App app;
    REQUIRE(app.Start(home, server.Url("/dl/Tool-1.0.zip")));
    HWND list = app.List();
    REQUIRE(WaitUntil([&] { return ListCount(list) == 1; }, 8000));
    ListSelectOnly(list, 0);
    app.Command(ID_PROJECT_START);
    REQUIRE(WaitUntil([&] { return engine.RequestCount() == 1; }, 8000));
    CHECK_EQ(engine.Requests()[0], std::string("GET /find?q=Tool-1.0.zip HTTP/1.0\r\n\r\n"));

    app.Command(ID_PROJECT_PROPERTIES);
    HWND dlg = FindDialog(app.Pid(), "Download Settings");
    REQUIRE(dlg);
    HWND label = GetDlgItem(dlg, IDC_SOURCES_LABEL), sources = GetDlgItem(dlg, IDC_SOURCES_LIST);
    CHECK(ListBoxItems(sources).empty());
    // The star blinks on alternate ticks while the lookup runs.
    CHECK(WaitUntil([&] { return WindowText(label) == "Other sources: (Searching...*)"; }, 3000));
    CHECK(WaitUntil([&] { return WindowText(label) == "Other sources: (Searching... )"; }, 3000));
    if (!WaitUntil([&] { return ListBoxItems(sources) == found; }, 8000)) {
        // A rare run ended otherwise; say how the row stood and what each
        // server was asked, so the next such run explains itself.
        std::string why = "sources never filled; row:";
        for (const std::string& cell : ListRow(list, 0, 8)) why += " [" + cell + "]";
        for (const std::string& r : server.Requests()) why += "\n  file server: " + r;
        why += "\n  engine requests: " + std::to_string(engine.RequestCount());
        Fail(__FILE__, __LINE__, why);
    }
    CHECK_EQ(WindowText(label), std::string("Other sources:"));
    SaveScreen(ArtifactsFolder() + "\\gui-other-sources.png");
    Click(dlg, "Cancel");
    CHECK(WaitUntil([&] { return !IsWindow(dlg); }));
    CHECK_EQ(app.Exit(), 0);
}
