// The project dialogs, the options dialog and the folder chooser, driven from
// outside through the dialog host: fields are set and buttons pressed with
// real window messages, and what the dialog handed back is read from the
// host's report and from the files it wrote.
#include <map>
#include <string>
#include <vector>

#include "dialog_host_client.h"
#include "dialog_ids.h"
#include "gui_test.h"
#include "program_home.h"

using namespace guitest;

namespace {

using Host = DialogHostRun;

void SetItem(HWND dlg, int id, const std::string& text) {
    SetText(GetDlgItem(dlg, id), text);
}
bool IsChecked(HWND dlg, int id) {
    return SendMessageA(GetDlgItem(dlg, id), BM_GETCHECK, 0, 0) == BST_CHECKED;
}
std::string OnlyFile(const std::string& dir, const char* pattern) {
    WIN32_FIND_DATAA fd;
    HANDLE h = FindFirstFileA((dir + "\\" + pattern).c_str(), &fd);
    if (h == INVALID_HANDLE_VALUE) return std::string();
    FindClose(h);
    return dir + "\\" + fd.cFileName;
}

}  // namespace

GUI_TEST(DownloadSettingsFieldsBecomeTheProjectAndItsSources) {
    std::string home = MakeTempFolder("dlset");
    WriteTextFile(home + "\\history.txt", "http://old.example/a.zip\r\n");
    Host host;
    REQUIRE(host.Start("download", home, {"folder=" + home, "segments=1"}));
    HWND dlg = FindDialog(host.Pid(), "Download Settings");
    REQUIRE(dlg);
    CHECK(!IsWindowEnabled(GetDlgItem(dlg, IDC_SEQ_DIGITS)));
    SetItem(dlg, IDC_URL_COMBO, "http://127.0.0.1/pic");
    ClickId(dlg, IDC_SEQUENTIAL);
    CHECK(IsWindowEnabled(GetDlgItem(dlg, IDC_SEQ_DIGITS)));
    SetItem(dlg, IDC_SEQ_DIGITS, "3");
    SetItem(dlg, IDC_SEQ_FROM, "2");
    SetItem(dlg, IDC_SEQ_TO, "9");
    SetItem(dlg, IDC_SEQ_SUFFIX, ".jpg");
    SetItem(dlg, IDC_SEGMENTS, "4");
    ClickId(dlg, IDC_PING_FASTEST);
    // The third is the start of the first, ignoring case: not added again.
    for (const char* m : {"http://mirror1/pic", "ftp://mirror2/pic", "HTTP://MIRROR1"}) {
        SetItem(dlg, IDC_SOURCE_EDIT, m);
        ClickId(dlg, IDC_ADD_SOURCE);
    }
    CHECK_EQ(SendDlgItemMessageA(dlg, IDC_SOURCES_LIST, LB_GETCOUNT, 0, 0), 2);
    ClickId(dlg, IDC_DISABLED);
    ClickId(dlg, IDOK);

    auto r = host.Report();
    CHECK_EQ(r["result"], std::string("ok"));
    CHECK_EQ(r["url"], std::string("http://127.0.0.1/pic"));
    CHECK_EQ(r["sequential"], std::string("1"));
    CHECK_EQ(r["seqDigits"], std::string("3"));
    CHECK_EQ(r["seqFrom"], std::string("2"));
    CHECK_EQ(r["seqTo"], std::string("9"));
    CHECK_EQ(r["seqSuffix"], std::string(".jpg"));
    CHECK_EQ(r["segments"], std::string("4"));
    CHECK_EQ(r["pingFastest"], std::string("0"));
    CHECK_EQ(r["autoMirror"], std::string("1"));
    CHECK_EQ(r["disabled"], std::string("1"));
    CHECK_EQ(r["folder"], home);
    std::string mir = r["mirrorFile"];
    CHECK(mir.rfind(home + "\\Projects\\", 0) == 0 && mir.size() > 4 &&
          mir.substr(mir.size() - 4) == ".mir");
    std::string text;
    CHECK(ReadTextFile(mir, text));
    CHECK_EQ(text, std::string("http://mirror1/pic\nftp://mirror2/pic\n"));
    ReadTextFile(home + "\\history.txt", text);
    CHECK_EQ(text, std::string("http://127.0.0.1/pic\r\nhttp://old.example/a.zip\r\n"));
}

GUI_TEST(DownloadSettingsRefusesOutOfRangeNumbersAndCancelWritesNothing) {
    std::string home = MakeTempFolder("dlbad");
    Host host;
    REQUIRE(host.Start("download", home, {"folder=" + home}));
    HWND dlg = FindDialog(host.Pid(), "Download Settings");
    REQUIRE(dlg);
    struct {
        int id;
        const char* value;
        const char* message;
    } cases[] = {{IDC_SEQ_DIGITS, "0", "Please enter an integer between 1 and 65535."},
                 {IDC_SEQ_DIGITS, "65536", "Please enter an integer between 1 and 65535."},
                 {IDC_SEQ_FROM, "x1", "Please enter an integer."},
                 {IDC_SEGMENTS, "101", "Please enter an integer between 0 and 100."}};
    for (const auto& c : cases) {
        SetItem(dlg, IDC_SEQ_DIGITS, "1");
        SetItem(dlg, IDC_SEQ_FROM, "1");
        SetItem(dlg, IDC_SEGMENTS, "1");
        SetItem(dlg, c.id, c.value);
        PostMessageA(GetDlgItem(dlg, IDOK), BM_CLICK, 0, 0);
        HWND box = FindMessageBox(host.Pid(), c.message);
        CHECK(box != nullptr);
        if (box) ClickId(box, IDOK);
        CHECK(IsWindow(dlg));
    }
    ClickId(dlg, IDCANCEL);
    auto r = host.Report();
    CHECK_EQ(r["result"], std::string("cancel"));
    CHECK(OnlyFile(home + "\\Projects", "*.mir").empty());
}

GUI_TEST(UrlBoxDropDownKeepsTypedTextAndOkAddsItToHistory) {
    std::string home = MakeTempFolder("urlbox");
    WriteTextFile(home + "\\history.txt", "http://h1/a\r\nhttp://h2/b\r\n");
    Host host;
    REQUIRE(host.Start("enterurl", home, {"folder=" + home}));
    HWND dlg = FindDialog(host.Pid(), "Enter URL");
    REQUIRE(dlg);
    CHECK(DialogHasText(dlg, "Download Folder:  " + home));
    HWND combo = GetDlgItem(dlg, IDC_URL_COMBO);
    TypeInto(combo, "http://typed/x");
    SendMessageA(combo, CB_SHOWDROPDOWN, TRUE, 0);
    CHECK_EQ(SendMessageA(combo, CB_GETCOUNT, 0, 0), 2);
    CHECK_EQ(WindowText(combo), std::string("http://typed/x"));
    SendMessageA(combo, CB_SHOWDROPDOWN, FALSE, 0);
    WaitUntil([&] { return WindowText(combo) == "http://typed/x"; }, 500);
    CHECK_EQ(WindowText(combo), std::string("http://typed/x"));
    ClickId(dlg, IDOK);
    auto r = host.Report();
    CHECK_EQ(r["url"], std::string("http://typed/x"));
    std::string text;
    ReadTextFile(home + "\\history.txt", text);
    CHECK_EQ(text, std::string("http://typed/x\r\nhttp://h1/a\r\nhttp://h2/b\r\n"));
}

GUI_TEST(UrlListGrabTakesSourceSegmentsAndDisabled) {
    std::string home = MakeTempFolder("grab");
    Host host;
    REQUIRE(host.Start("urllist", home, {"folder=" + home, "segments=2"}));
    HWND dlg = FindDialog(host.Pid(), "URL List Grab");
    REQUIRE(dlg);
    CHECK_EQ(WindowText(GetDlgItem(dlg, IDC_SEGMENTS)), std::string("2"));
    SetItem(dlg, IDC_LIST_SOURCE, "http://127.0.0.1/list.html");
    SetItem(dlg, IDC_SEGMENTS, "0");
    ClickId(dlg, IDC_DISABLED);
    ClickId(dlg, IDOK);
    auto r = host.Report();
    CHECK_EQ(r["result"], std::string("ok"));
    CHECK_EQ(r["source"], std::string("http://127.0.0.1/list.html"));
    CHECK_EQ(r["segments"], std::string("0"));
    CHECK_EQ(r["disabled"], std::string("1"));
}

GUI_TEST(FtpUploadListsExistingFilesOnceAndWritesListInRowOrder) {
    std::string home = MakeTempFolder("ftpup");
    std::string a = home + "\\a.txt", b = home + "\\b.bin", c = home + "\\c.dat";
    WriteTextFile(a, "aaaa");
    WriteTextFile(b, "bbbbbbbbbb");
    WriteTextFile(c, "c");
    std::string lst = home + "\\up.lst";
    // A duplicate and a file that is gone are both left out; text after the
    // last line feed is not an entry.
    WriteTextFile(lst, c + "\n" + a + "\n" + home + "\\gone.txt\n" + c + "\n" + b + "\n" + b);
    Host host;
    REQUIRE(host.Start("ftpupload", home, {"source=" + lst, "url=ftp://127.0.0.1/up"}));
    HWND dlg = FindDialog(host.Pid(), "FTP Upload");
    REQUIRE(dlg);
    HWND list = GetDlgItem(dlg, IDC_FILE_LIST);
    CHECK_EQ(ListHeader(list, 1), std::string("Size (bytes)"));
    REQUIRE(ListCount(list) == 3);
    CHECK_EQ(ListText(list, 0, 0), c);
    CHECK_EQ(ListText(list, 1, 0), a);
    CHECK_EQ(ListText(list, 1, 1), std::string("4"));
    CHECK_EQ(ListText(list, 2, 1), std::string("10"));
    CHECK_EQ(ListText(list, 2, 2).size(), std::string("01/02/26 03:04 PM").size());

    ListSelectOnly(list, -1);
    PostMessageA(GetDlgItem(dlg, IDC_DELETE_FILES), BM_CLICK, 0, 0);
    HWND box = FindMessageBox(host.Pid(), "You must select an item.");
    CHECK(box != nullptr);
    if (box) ClickId(box, IDOK);
    ListSelectOnly(list, 0);
    ClickId(dlg, IDC_DELETE_FILES);
    CHECK_EQ(ListCount(list), 2);

    SetItem(dlg, IDC_USER_NAME, "anna");
    SetItem(dlg, IDC_PASSWORD, "s3cret");
    ClickId(dlg, IDC_OVERWRITE);
    ClickId(dlg, IDOK);
    auto r = host.Report();
    CHECK_EQ(r["result"], std::string("ok"));
    CHECK_EQ(r["source"], lst);
    CHECK_EQ(r["userName"], std::string("anna"));
    CHECK_EQ(r["password"], std::string("s3cret"));
    CHECK_EQ(r["uploadMode"], std::string("1"));
    std::string text;
    ReadTextFile(lst, text);
    CHECK_EQ(text, a + "\n" + b + "\n");
    ReadTextFile(home + "\\uploadhistory.txt", text);
    CHECK_EQ(text, std::string("ftp://127.0.0.1/up\r\n"));
}

GUI_TEST(FtpUploadWithoutListNamesANewOne) {
    std::string home = MakeTempFolder("ftpnew");
    Host host;
    REQUIRE(host.Start("ftpupload", home, {"url=ftp://127.0.0.1/"}));
    HWND dlg = FindDialog(host.Pid(), "FTP Upload");
    REQUIRE(dlg);
    ClickId(dlg, IDOK);
    auto r = host.Report();
    CHECK_EQ(r["uploadMode"], std::string("0"));
    CHECK(r["source"].rfind(home + "\\Projects\\", 0) == 0);
    CHECK(PathExists(r["source"]));
}

GUI_TEST(OptionsDialogWritesItsKeysAtOnce) {
    std::string home = MakeTempFolder("opts");
    WriteTextFile(home + "\\kestrune.ini",
                  "[Download]\r\ndontaskme=Yes please\r\n[Limits]\r\nlimit=yes\r\nmaxfiles=3\r\n");
    Host host;
    REQUIRE(host.Start("options", home));
    HWND dlg = FindDialog(host.Pid(), "Download/Upload Options");
    REQUIRE(dlg);
    CHECK(IsChecked(dlg, IDC_DONT_ASK));
    CHECK(IsWindowEnabled(GetDlgItem(dlg, IDC_MAX_FILES)));
    CHECK(!IsWindowEnabled(GetDlgItem(dlg, IDC_EXT_PROG)));
    SetItem(dlg, IDC_MAX_FILES, "5");
    ClickId(dlg, IDC_LIMIT);  // off: greyed, value kept
    CHECK(!IsWindowEnabled(GetDlgItem(dlg, IDC_MAX_FILES)));
    CHECK_EQ(WindowText(GetDlgItem(dlg, IDC_MAX_FILES)), std::string("5"));
    SetItem(dlg, IDC_RETRY_WAIT, "30");
    ClickId(dlg, IDC_USE_EXT);
    CHECK(IsWindowEnabled(GetDlgItem(dlg, IDC_FIND_PROG)));
    SetItem(dlg, IDC_EXT_PROG, "C:\\tools\\scan.exe");
    SetItem(dlg, IDC_EXT_PARAMS, "/quiet");
    ClickId(dlg, IDC_USE_WAV);
    CHECK(!IsWindowEnabled(GetDlgItem(dlg, IDC_BROWSE_WAV)));
    SetItem(dlg, IDC_SEGMENTS, "7");
    ClickId(dlg, IDC_AUTO_MIRROR);
    ClickId(dlg, IDOK);
    auto r = host.Report();
    CHECK_EQ(r["result"], std::string("ok"));
    const struct {
        const char* section;
        const char* key;
        const char* value;
    } want[] = {{"Limits", "limit", "no"},
                {"Limits", "maxfiles", "5"},
                {"Limits", "wait", "30"},
                {"Download", "useExt", "yes"},
                {"Download", "ExtProg", "C:\\tools\\scan.exe"},
                {"Download", "ExtParams", "/quiet"},
                {"Download", "useWav", "no"},
                {"Download", "acceleration", "7"},
                {"Download", "automirrorcheck", "no"},
                {"Download", "checkfast", "yes"},
                {"Download", "dontaskme", "yes"}};
    for (const auto& w : want) CHECK_EQ(Ini(home, w.section, w.key), std::string(w.value));
}

GUI_TEST(FolderChooserCreatesATypedFolderAfterAsking) {
    std::string home = MakeTempFolder("chooser");
    std::string target = home + "\\new\\deeper";
    Host host;
    REQUIRE(host.Start("folder", home, {"folder=" + home}));
    HWND dlg = FindDialog(host.Pid(), "Kestrune");
    REQUIRE(dlg);
    HWND edit = GetDlgItem(dlg, 14148);
    REQUIRE(edit);
    WaitUntil([&] { return !WindowText(edit).empty(); }, 2000);
    CHECK_EQ(WindowText(edit), home);

    // Refused first: the chooser stays open.
    SetText(edit, home + "\\bad|name");
    PostMessageA(dlg, WM_COMMAND, IDOK, 0);
    HWND box = FindMessageBox(host.Pid(), "is invalid. Please reenter.");
    CHECK(box != nullptr);
    if (box) ClickId(box, IDOK);
    CHECK(IsWindow(dlg));

    SetText(edit, target);
    PostMessageA(dlg, WM_COMMAND, IDOK, 0);
    box = FindMessageBox(host.Pid(), "does not exist. Do you want the folder to be created?");
    REQUIRE(box);
    ClickId(box, IDYES);
    auto r = host.Report();
    CHECK_EQ(r["result"], std::string("ok"));
    CHECK_EQ(r["folder"], target);
    CHECK(PathExists(target));
}

GUI_TEST(FolderRulesTable) {
    std::string home = MakeTempFolder("rules");
    const struct {
        std::string path;
        const char* mode;
        const char* want;
    } cases[] = {
        {"C:\\", "check", "0"},
        {"C:", "check", "1"},
        {"1:\\x", "check", "1"},
        {"C:/x", "check", "1"},
        {home + "\\ok\\fine", "check", "0"},
        {home + "\\a|b", "check", "1"},
        {home + "\\trailing\\", "check", "1"},
        {home + "\\ lead", "check", "1"},
        {home + "\\dot.", "check", "1"},
        {home + "\\\\double", "check", "1"},
        {home + "\\q?", "check", "1"},
        {"Q:\\nodrive\\x", "create", "2"},
        {home + "\\made\\here", "create", "0"},
    };
    for (const auto& c : cases) {
        std::string out = home + "\\walk.txt";
        // A backslash before the closing quote would escape it.
        std::string arg = c.path.back() == '\\' ? c.path + '\\' : c.path;
        std::string cmd = "\"" + BuildFolder() + "\\kestrune_dialog_host.exe\" walk \"" + arg +
                          "\" " + c.mode + " \"" + out + "\"";
        STARTUPINFOA si{};
        si.cb = sizeof si;
        PROCESS_INFORMATION pi{};
        REQUIRE(CreateProcessA(nullptr, cmd.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                               &si, &pi));
        WaitForSingleObject(pi.hProcess, 10000);
        CloseHandle(pi.hProcess);
        CloseHandle(pi.hThread);
        std::string got;
        ReadTextFile(out, got);
        if (got != std::string(c.want) + "\n") Fail(__FILE__, __LINE__, c.path + " gave " + got);
    }
    CHECK(PathExists(home + "\\made\\here"));
}

GUI_TEST(ListFileGivesHttpAndFtpUrlsFromLinesAndQuotedLinks) {
    std::string home = MakeTempFolder("listfile");
    const struct {
        const char* text;
        const char* want;
    } cases[] = {
        {"http://a/1.zip\r\nmailto:x@y\r\n\r\nftp://b/2.zip\nhttp://c/3.zip",
         "http://a/1.zip\nftp://b/2.zip\nhttp://c/3.zip\n"},
        {"<a href=\"http://h/x.zip\">x</a> <a href=\"news:z\">z</a><a href=\"ftp://f/y\">",
         "http://h/x.zip\nftp://f/y\n"},
        {"https://secure/z.zip\nnot a url\ngopher://g/z.zip\n", "https://secure/z.zip\n"},
    };
    for (const auto& c : cases) {
        std::string in = home + "\\list.txt", out = home + "\\urls.txt";
        WriteTextFile(in, c.text);
        std::string cmd = "\"" + BuildFolder() + "\\kestrune_dialog_host.exe\" listurls \"" + in +
                          "\" \"" + out + "\"";
        STARTUPINFOA si{};
        si.cb = sizeof si;
        PROCESS_INFORMATION pi{};
        REQUIRE(CreateProcessA(nullptr, cmd.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                               &si, &pi));
        WaitForSingleObject(pi.hProcess, 10000);
        CloseHandle(pi.hProcess);
        CloseHandle(pi.hThread);
        std::string got;
        ReadTextFile(out, got);
        CHECK_EQ(got, std::string(c.want));
    }
}

namespace {

const char* kSearchIni =
    "[Options]\r\nmaxthread=4\r\nmaxresults=25\r\ndownload=yes\r\nlast=12345\r\nskipupdate=yes\r\n"
    "[Categories]\r\ntotal=4\r\ncat1=Web\r\ntypes1=htm,\r\nlist1=htm,html,asp,\r\ncat2=Music\r\n"
    "cat3=Files\r\ncat4=News\r\n"
    "[Web]\r\ntotal=2\r\neng1=One\r\neng2=Two\r\n"
    "[One]\r\non=yes\r\nname=Engine One\r\n[Two]\r\non=no\r\n";

std::string IniValue(const std::string& path, const char* section, const char* key) {
    char buf[256] = {};
    GetPrivateProfileStringA(section, key, "<absent>", buf, sizeof buf, path.c_str());
    return buf;
}

}  // namespace

GUI_TEST(SearchDialogListsCategoriesAndSearchNowReportsTheFields) {
    std::string home = MakeTempFolder("search");
    WriteTextFile(home + "\\search.ini", kSearchIni);
    WriteTextFile(home + "\\searchhistory.txt", "older words\r\nred apple\r\n");
    Host host;
    REQUIRE(host.Start("search", home, {"keywords=pie", "category=1"}));
    HWND dlg = FindDialog(host.Pid(), "Search");
    REQUIRE(dlg);
    HWND category = GetDlgItem(dlg, IDC_SEARCH_CATEGORY);
    CHECK_EQ(SendMessageA(category, CB_GETCOUNT, 0, 0), 4);  // every category of the file
    CHECK_EQ(SendMessageA(category, CB_GETCURSEL, 0, 0), 1);
    CHECK_EQ(SendDlgItemMessageA(dlg, IDC_SEARCH_METHOD, CB_GETCOUNT, 0, 0), 3);
    CHECK(!IsWindowVisible(GetDlgItem(dlg, IDC_SEARCH_IMAGES)));
    HWND keyword = GetDlgItem(dlg, IDC_SEARCH_KEYWORD);
    TypeInto(keyword, "blue sky");
    // Opening and closing the history list without a choice keeps the typed words.
    SendMessageA(keyword, CB_SHOWDROPDOWN, TRUE, 0);
    CHECK_EQ(SendMessageA(keyword, CB_GETCOUNT, 0, 0), 2);
    SendMessageA(keyword, CB_SHOWDROPDOWN, FALSE, 0);
    WaitUntil([&] { return WindowText(keyword) == "blue sky"; }, 2000);
    CHECK_EQ(WindowText(keyword), std::string("blue sky"));
    SendDlgItemMessageA(dlg, IDC_SEARCH_METHOD, CB_SETCURSEL, 2, 0);
    ClickId(dlg, IDC_SEARCH_COPIES);
    ClickId(dlg, IDC_SEARCH_NOW);
    auto r = host.Report();
    CHECK_EQ(r["result"], std::string("ok"));
    CHECK_EQ(r["keywords"], std::string("blue sky"));
    CHECK_EQ(r["category"], std::string("1"));
    CHECK_EQ(r["method"], std::string("2"));
    CHECK_EQ(r["copies"], std::string("1"));
    CHECK_EQ(r["searchNow"], std::string("1"));
}

GUI_TEST(SearchDialogShowsTheLiveStatusOfARunningSearch) {
    std::string home = MakeTempFolder("searchlive");
    WriteTextFile(home + "\\search.ini", kSearchIni);
    Host host;
    REQUIRE(host.Start("search", home, {"keywords=x", "running=1"}));
    HWND dlg = FindDialog(host.Pid(), "Search");
    REQUIRE(dlg);
    HWND status = GetDlgItem(dlg, IDC_SEARCH_STATUS);
    // Finished engines above, the one still searching below, refreshed every two seconds.
    CHECK(WaitUntil(
        [&] {
            std::string t = WindowText(status);
            return t.find("e1:  ---(1)\r\n") == 0 && t.find("...searching...") != std::string::npos;
        },
        9000));
    // After the search ends the final text stays.
    CHECK(WaitUntil([&] { return WindowText(status).find("e6:  ---(6)\r\n") != std::string::npos; },
                    12000));
    CHECK(WindowText(status).find("searching") == std::string::npos);
    ClickId(dlg, IDCANCEL);
    CHECK_EQ(host.Report()["result"], std::string("cancel"));
}

GUI_TEST(SearchEnginesWritesEnginesTypesAndLimits) {
    std::string home = MakeTempFolder("engines");
    const std::string ini = home + "\\search.ini";
    WriteTextFile(ini, kSearchIni);
    Host host;
    REQUIRE(host.Start("searchengines", home, {"category=0"}));
    HWND dlg = FindDialog(host.Pid(), "Search Engines");
    REQUIRE(dlg);
    CHECK(DialogHasText(dlg, "Web"));
    HWND engines = GetDlgItem(dlg, IDC_ENGINE_LIST);
    HWND types = GetDlgItem(dlg, IDC_TYPE_LIST);
    REQUIRE(ListCount(engines) == 2);
    CHECK_EQ(ListText(engines, 0, 0), std::string("Engine One"));
    CHECK_EQ(ListText(engines, 1, 0), std::string("Two"));
    CHECK(ListChecked(engines, 0));
    CHECK(!ListChecked(engines, 1));
    CHECK_EQ(ListHeader(types, 0), std::string("File Extention"));
    CHECK_EQ(ListColumnWidth(types, 0), 170);
    // Sorted: asp, htm, html; only htm ticked.
    REQUIRE(ListCount(types) == 3);
    CHECK_EQ(ListText(types, 0, 0), std::string("asp"));
    CHECK(ListChecked(types, 1) && !ListChecked(types, 0));
    SetItem(dlg, IDC_TYPE_EDIT, ".MP3 ");
    ClickId(dlg, IDC_TYPE_ADD);
    SetItem(dlg, IDC_TYPE_EDIT, "mp3");
    ClickId(dlg, IDC_TYPE_ADD);  // already listed: nothing happens
    CHECK_EQ(ListCount(types), 4);
    // Remove without a selection is refused; with one it removes exactly that row.
    ListSelectOnly(types, -1);
    PostMessageA(GetDlgItem(dlg, IDC_TYPE_REMOVE), BM_CLICK, 0, 0);
    HWND box = FindMessageBox(host.Pid(), "You must select an item.");
    CHECK(box != nullptr);
    if (box) ClickId(box, IDOK);
    ListSelectOnly(types, 0);  // asp
    ClickId(dlg, IDC_TYPE_REMOVE);
    CHECK_EQ(ListCount(types), 3);
    ListSetChecked(engines, 0, false);
    ListSetChecked(engines, 1, true);
    for (const char* bad : {"0", "100"}) {
        SetItem(dlg, IDC_MAX_THREAD, bad);
        PostMessageA(GetDlgItem(dlg, IDOK), BM_CLICK, 0, 0);
        HWND msg = FindMessageBox(host.Pid(), "Please enter an integer between 1 and 99.");
        CHECK(msg != nullptr);
        if (msg) ClickId(msg, IDOK);
    }
    SetItem(dlg, IDC_MAX_THREAD, "7");
    ClickId(dlg, IDOK);
    CHECK_EQ(host.Report()["result"], std::string("ok"));
    CHECK_EQ(IniValue(ini, "One", "on"), std::string("no"));
    CHECK_EQ(IniValue(ini, "Two", "on"), std::string("yes"));
    CHECK_EQ(IniValue(ini, "Categories", "list1"), std::string("htm,html,mp3,"));
    CHECK_EQ(IniValue(ini, "Categories", "types1"), std::string("htm,mp3,"));
    CHECK_EQ(IniValue(ini, "Options", "maxthread"), std::string("7"));
    CHECK_EQ(IniValue(ini, "Options", "maxresults"), std::string("25"));
}

GUI_TEST(SearchSettingsKeepsDefaultsAndResetsTheUpdate) {
    std::string home = MakeTempFolder("searchset");
    const std::string ini = home + "\\search.ini";
    WriteTextFile(ini, kSearchIni);
    Host host;
    REQUIRE(host.Start("searchsettings", home));
    HWND dlg = FindDialog(host.Pid(), "Search Settings");
    REQUIRE(dlg);
    CHECK_EQ(SendDlgItemMessageA(dlg, IDC_SETTINGS_CATEGORY, CB_GETCOUNT, 0, 0), 3);
    CHECK(IsChecked(dlg, IDC_SEARCH_COPIES));
    CHECK(IsChecked(dlg, IDC_SKIP_UPDATE));
    // At once, before OK: the next search asks about the update.
    ClickId(dlg, IDC_UPDATE_NEXT);
    CHECK_EQ(IniValue(ini, "Options", "last"), std::string("0"));
    CHECK_EQ(IniValue(ini, "Options", "skipupdate"), std::string("no"));
    ClickId(dlg, IDC_SEARCH_COPIES);
    ClickId(dlg, IDOK);
    CHECK_EQ(host.Report()["result"], std::string("ok"));
    CHECK_EQ(IniValue(ini, "Options", "download"), std::string("no"));
    CHECK_EQ(IniValue(ini, "Options", "skipupdate"),
             std::string("yes"));  // the box was still ticked
}
