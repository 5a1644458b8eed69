// The connection dialogs through the dialog host: each opens on keys already
// in the settings file, shows them, and writes them back unchanged on OK, or
// as the user changed them; enabling rules and refusals as a user meets them.
#include <string>

#include "connection_dialog_ids.h"
#include "dialog_host_client.h"
#include "gui_test.h"
#include "program_home.h"

using namespace guitest;

namespace {

// A fixed installation key and passwords scrambled with it.
const char kKey[] = "key=0102030405060708090A0B0C0D0E0FFD";
const char kPwScrambled[] = "7179";  // "pw"
const char kDpScrambled[] = "6572";  // "dp"

bool IsChecked(HWND dlg, int id) {
    return SendMessageA(GetDlgItem(dlg, id), BM_GETCHECK, 0, 0) == BST_CHECKED;
}
bool Enabled(HWND dlg, int id) {
    return IsWindowEnabled(GetDlgItem(dlg, id)) != FALSE;
}
std::string Item(HWND dlg, int id) {
    return WindowText(GetDlgItem(dlg, id));
}
void SetItem(HWND dlg, int id, const std::string& text) {
    SetText(GetDlgItem(dlg, id), text);
}
int Height(HWND w) {
    RECT r;
    GetWindowRect(w, &r);
    return r.bottom - r.top;
}
bool RowTicked(HWND list, int row) {
    const LRESULT state = SendMessageA(list, LVM_GETITEMSTATE, WPARAM(row), LVIS_STATEIMAGEMASK);
    return ((state & LVIS_STATEIMAGEMASK) >> 12) == 2;  // state image 2: ticked
}

struct Key {
    const char* section;
    const char* key;
    const char* value;
};

std::string IniText(const std::vector<Key>& keys) {
    std::string text, section;
    for (const Key& k : keys) {
        if (section != k.section) text += std::string("[") + (section = k.section) + "]\r\n";
        text += std::string(k.key) + "=" + k.value + "\r\n";
    }
    return text;
}

const std::vector<Key> kModem = {
    {"Modem", "useHTTPProxy", "yes"},
    {"Modem", "HTTPProxyPort", "3128"},
    {"Modem", "HTTPProxyServer", "proxy"},
    {"Modem", "FTPProxylogontype", "6"},
    {"Modem", "FTPProxypassword", kPwScrambled},
    {"Modem", "FTPProxyusername", "fw"},
    {"Modem", "FTPProxyserver", "fw.lan"},
    {"Modem", "FTPProxyport", "2121"},
    {"Modem", "FTPProxypassive", "yes"},
    {"Modem", "dialupusername", "du"},
    {"Modem", "dialuppassword", kDpScrambled},
    {"Modem", "dialupremember", "yes"},
    {"Modem", "totalnum", "2"},
    {"Modem", "n1", "111"},
    {"Modem", "e1", "yes"},
    {"Modem", "n2", "222"},
    {"Modem", "e2", "no"},
};

}  // namespace

GUI_TEST(ProxySettingsShowAndRoundTripAProfile) {
    std::string home = MakeTempFolder("proxy");
    WriteTextFile(home + "\\kestrune.ini", IniText(kModem));
    DialogHostRun host;
    REQUIRE(host.Start("proxy", home, {"connection=Modem", kKey}));
    HWND dlg = FindDialog(host.Pid(), "Proxy Settings for Modem");
    REQUIRE(dlg);
    CHECK(IsChecked(dlg, IDC_USE_HTTP_PROXY));
    CHECK_EQ(Item(dlg, IDC_HTTP_SERVER), std::string("proxy"));
    CHECK_EQ(Item(dlg, IDC_HTTP_PORT), std::string("3128"));
    CHECK_EQ(Item(dlg, IDC_FTP_SERVER), std::string("fw.lan"));
    CHECK_EQ(Item(dlg, IDC_FTP_PORT), std::string("2121"));
    CHECK(IsChecked(dlg, IDC_LOGON_FIRST + 6));
    CHECK(IsChecked(dlg, IDC_PASSIVE));
    CHECK(IsChecked(dlg, IDC_DIAL_REMEMBER));
    HWND numbers = GetDlgItem(dlg, IDC_NUMBER_LIST);
    CHECK_EQ(ListCount(numbers), 2);
    CHECK_EQ(ListText(numbers, 1, 0), std::string("222"));
    CHECK(RowTicked(numbers, 0));
    CHECK(!RowTicked(numbers, 1));
    // A number already listed, in other capitals or with blanks, adds nothing.
    SetItem(dlg, IDC_NUMBER_EDIT, " 111 ");
    ClickId(dlg, IDC_NUMBER_ADD);
    CHECK_EQ(ListCount(numbers), 2);
    ClickId(dlg, IDOK);
    CHECK_EQ(host.Report()["result"], std::string("ok"));
    for (const Key& k : kModem) CHECK_EQ(Ini(home, k.section, k.key), std::string(k.value));
}

GUI_TEST(ProxySettingsNoneGreysTheFtpProxyAndForgetsAnUnrememberedPassword) {
    std::string home = MakeTempFolder("proxy2");
    WriteTextFile(home + "\\kestrune.ini", IniText(kModem));
    DialogHostRun host;
    REQUIRE(host.Start("proxy", home, {"connection=Modem", kKey}));
    HWND dlg = FindDialog(host.Pid(), "Proxy Settings for Modem");
    REQUIRE(dlg);
    ClickId(dlg, IDC_LOGON_FIRST);  // "None"
    for (int id : {IDC_FTP_SERVER, IDC_FTP_PORT, IDC_FTP_USER, IDC_FTP_PASSWORD})
        CHECK(!Enabled(dlg, id));
    ClickId(dlg, IDC_USE_HTTP_PROXY);
    CHECK(!Enabled(dlg, IDC_HTTP_SERVER));
    ClickId(dlg, IDC_DIAL_REMEMBER);
    SetItem(dlg, IDC_NUMBER_EDIT, "333");
    ClickId(dlg, IDC_NUMBER_ADD);
    ClickId(dlg, IDOK);
    CHECK_EQ(host.Report()["result"], std::string("ok"));
    CHECK_EQ(Ini(home, "Modem", "FTPProxylogontype"), std::string("0"));
    CHECK_EQ(Ini(home, "Modem", "useHTTPProxy"), std::string("no"));
    CHECK_EQ(Ini(home, "Modem", "dialuppassword"), std::string(""));
    CHECK_EQ(Ini(home, "Modem", "dialupremember"), std::string("no"));
    CHECK_EQ(Ini(home, "Modem", "totalnum"), std::string("3"));
    CHECK_EQ(Ini(home, "Modem", "n3"), std::string("333"));
    CHECK_EQ(Ini(home, "Modem", "e3"), std::string("yes"));
}

GUI_TEST(ProxySettingsForTheLanHaveNoDialUpPartAndAreShorter) {
    std::string home = MakeTempFolder("proxy3");
    DialogHostRun modem, lan;
    REQUIRE(modem.Start("proxy", home, {"connection=Modem", kKey}));
    HWND full = FindDialog(modem.Pid(), "Proxy Settings for Modem");
    REQUIRE(full);
    const int fullHeight = Height(full);
    ClickId(full, IDCANCEL);
    modem.Report();
    REQUIRE(lan.Start("proxy", home, {"connection=LAN Settings", kKey}));
    HWND dlg = FindDialog(lan.Pid(), "Proxy Settings for LAN Settings");
    REQUIRE(dlg);
    CHECK(Height(dlg) < fullHeight);
    for (int id : {IDC_DIAL_USER, IDC_DIAL_PASSWORD, IDC_NUMBER_LIST, IDC_NUMBER_ADD})
        CHECK(!IsWindowVisible(GetDlgItem(dlg, id)));
    SetItem(dlg, IDC_FTP_PORT, "10000");
    ClickId(dlg, IDC_LOGON_FIRST + 1);
    PostMessageA(GetDlgItem(dlg, IDOK), BM_CLICK, 0, 0);
    HWND box = FindMessageBox(lan.Pid(), "between 0 and 9999");
    CHECK(box != nullptr);
    if (box) Dismiss(box);
    SetItem(dlg, IDC_FTP_PORT, "21");
    SetItem(dlg, IDC_FTP_PASSWORD, "pw");
    ClickId(dlg, IDOK);
    CHECK_EQ(lan.Report()["result"], std::string("ok"));
    CHECK_EQ(Ini(home, "LAN Settings", "FTPProxylogontype"), std::string("1"));
    CHECK_EQ(Ini(home, "LAN Settings", "FTPProxypassword"), std::string(kPwScrambled));
}

GUI_TEST(ConnectionSettingsTickChosenEntriesAndWriteThemBack) {
    std::string home = MakeTempFolder("conn");
    const std::vector<Key> keys = {{"Dial Up", "use", "yes"},    {"Dial Up", "total", "1"},
                                   {"Dial Up", "con1", "Beta"},  {"Dial Up", "dialtime", "45"},
                                   {"Dial Up", "redial", "yes"}, {"Dial Up", "redialtime", "20"}};
    WriteTextFile(home + "\\kestrune.ini", IniText(keys));
    DialogHostRun host;
    REQUIRE(host.Start("connection", home, {"entries=Alpha,Beta,Gamma", kKey}));
    HWND dlg = FindDialog(host.Pid(), "Connection Settings");
    REQUIRE(dlg);
    HWND list = GetDlgItem(dlg, IDC_ENTRY_LIST);
    CHECK_EQ(ListCount(list), 3);
    CHECK(!RowTicked(list, 0));
    CHECK(RowTicked(list, 1));
    CHECK_EQ(Item(dlg, IDC_DIAL_TIME), std::string("45"));
    CHECK(Enabled(dlg, IDC_REDIAL_TIME));
    ClickId(dlg, IDC_REDIAL);
    CHECK(!Enabled(dlg, IDC_REDIAL_TIME));
    ClickId(dlg, IDC_REDIAL);
    // "Settings..." needs a row.
    ListSelectOnly(list, -1);
    PostMessageA(GetDlgItem(dlg, IDC_ENTRY_SETTINGS), BM_CLICK, 0, 0);
    HWND box = FindMessageBox(host.Pid(), "You must select an item.");
    CHECK(box != nullptr);
    if (box) Dismiss(box);
    ClickId(dlg, IDOK);
    auto r = host.Report();
    CHECK_EQ(r["result"], std::string("ok"));
    CHECK_EQ(r["current"], std::string("Beta"));
    for (const Key& k : keys) CHECK_EQ(Ini(home, k.section, k.key), std::string(k.value));
}

GUI_TEST(ConnectionSettingsWithoutDialUpGreyTheList) {
    std::string home = MakeTempFolder("conn2");
    WriteTextFile(home + "\\kestrune.ini", IniText({{"Dial Up", "use", "yes"},
                                                    {"Dial Up", "total", "1"},
                                                    {"Dial Up", "con1", "Beta"}}));
    DialogHostRun host;
    REQUIRE(host.Start("connection", home, {"entries=Alpha,Beta", kKey}));
    HWND dlg = FindDialog(host.Pid(), "Connection Settings");
    REQUIRE(dlg);
    ClickId(dlg, IDC_USE_DIALUP);
    for (int id : {IDC_ENTRY_LIST, IDC_DIAL_TIME, IDC_REDIAL, IDC_REDIAL_TIME})
        CHECK(!Enabled(dlg, id));
    ClickId(dlg, IDOK);
    auto r = host.Report();
    CHECK_EQ(r["current"], std::string("LAN Settings"));
    CHECK_EQ(Ini(home, "Dial Up", "use"), std::string("no"));
    CHECK_EQ(Ini(home, "Dial Up", "con1"), std::string("Beta"));
}

GUI_TEST(KeepAliveListsSortedAddsOnceAndChecksTheSeconds) {
    std::string home = MakeTempFolder("keep");
    WriteTextFile(home + "\\kestrune.ini", IniText({{"URL List", "use", "1"},
                                                    {"URL List", "total", "2"},
                                                    {"URL List", "URL1", "http://b/"},
                                                    {"URL List", "URL2", "http://a/"},
                                                    {"URL List", "minute", "2"},
                                                    {"URL List", "second", "5"}}));
    DialogHostRun host;
    REQUIRE(host.Start("keepalive", home));
    HWND dlg = FindDialog(host.Pid(), "Keep Connection Alive Settings");
    REQUIRE(dlg);
    CHECK(IsChecked(dlg, IDC_KA_ENABLE));
    SetItem(dlg, IDC_KA_URL, "http://c/");
    ClickId(dlg, IDC_KA_ADD);
    SetItem(dlg, IDC_KA_URL, "HTTP://A");  // a prefix of a listed URL
    ClickId(dlg, IDC_KA_ADD);
    SetItem(dlg, IDC_KA_SECONDS, "60");
    PostMessageA(GetDlgItem(dlg, IDOK), BM_CLICK, 0, 0);
    HWND box = FindMessageBox(host.Pid(), "between 0 and 59");
    CHECK(box != nullptr);
    if (box) Dismiss(box);
    SetItem(dlg, IDC_KA_SECONDS, "7");
    ClickId(dlg, IDOK);
    auto r = host.Report();
    CHECK_EQ(r["interval"], std::string("127"));
    const Key want[] = {{"URL List", "use", "1"},          {"URL List", "total", "3"},
                        {"URL List", "minute", "2"},       {"URL List", "second", "7"},
                        {"URL List", "URL1", "http://a/"}, {"URL List", "URL2", "http://b/"},
                        {"URL List", "URL3", "http://c/"}};
    for (const Key& k : want) CHECK_EQ(Ini(home, k.section, k.key), std::string(k.value));
}

GUI_TEST(KeepAliveWrittenAsTwoShowsOff) {
    std::string home = MakeTempFolder("keep2");
    WriteTextFile(home + "\\kestrune.ini", IniText({{"URL List", "use", "2"}}));
    DialogHostRun host;
    REQUIRE(host.Start("keepalive", home));
    HWND dlg = FindDialog(host.Pid(), "Keep Connection Alive Settings");
    REQUIRE(dlg);
    CHECK(!IsChecked(dlg, IDC_KA_ENABLE));
    for (int id : {IDC_KA_URL, IDC_KA_ADD, IDC_KA_LIST, IDC_KA_DELETE, IDC_KA_MINUTES})
        CHECK(!Enabled(dlg, id));
    ClickId(dlg, IDCANCEL);
    CHECK_EQ(host.Report()["result"], std::string("cancel"));
    CHECK_EQ(Ini(home, "URL List", "use"), std::string("2"));
}

GUI_TEST(SchedulerRoundTripsEveryKey) {
    std::string home = MakeTempFolder("sched");
    const std::vector<Key> keys = {
        {"Scheduler", "expire", "yes"},   {"Scheduler", "nomore", "no"},
        {"Scheduler", "quit", "yes"},     {"Scheduler", "shutdown", "no"},
        {"Scheduler", "quit2", "no"},     {"Scheduler", "shutdown2", "yes"},
        {"Scheduler", "enable", "yes"},   {"Scheduler", "specify", "yes"},
        {"Scheduler", "friday", "yes"},   {"Scheduler", "monday", "no"},
        {"Scheduler", "saturday", "yes"}, {"Scheduler", "sunday", "no"},
        {"Scheduler", "thursday", "no"},  {"Scheduler", "tuesday", "yes"},
        {"Scheduler", "wednesday", "no"}, {"Scheduler", "endhour", "23"},
        {"Scheduler", "starthour", "22"}, {"Scheduler", "endmin", "30"},
        {"Scheduler", "startmin", "5"},   {"Scheduler", "endsec", "0"},
        {"Scheduler", "startsec", "0"},   {"Scheduler", "year", "2027"},
        {"Scheduler", "month", "3"},      {"Scheduler", "day", "14"},
    };
    WriteTextFile(home + "\\kestrune.ini", IniText(keys));
    DialogHostRun host;
    REQUIRE(host.Start("scheduler", home));
    HWND dlg = FindDialog(host.Pid(), "Scheduler/Automatic Settings");
    REQUIRE(dlg);
    CHECK(Enabled(dlg, IDC_SCH_DATE));
    ClickId(dlg, IDC_SCH_SPECIFY);
    CHECK(!Enabled(dlg, IDC_SCH_DATE));
    ClickId(dlg, IDC_SCH_SPECIFY);
    ClickId(dlg, IDOK);
    auto r = host.Report();
    CHECK_EQ(r["result"], std::string("ok"));
    CHECK_EQ(r["enabledNow"], std::string("0"));
    for (const Key& k : keys) CHECK_EQ(Ini(home, k.section, k.key), std::string(k.value));
}

GUI_TEST(SchedulerOffGreysEverythingAndSwitchingOnIsReported) {
    std::string home = MakeTempFolder("sched2");
    DialogHostRun host;
    REQUIRE(host.Start("scheduler", home));
    HWND dlg = FindDialog(host.Pid(), "Scheduler/Automatic Settings");
    REQUIRE(dlg);
    for (int id :
         {IDC_SCH_DAY_FIRST, IDC_SCH_SPECIFY, IDC_SCH_DATE, IDC_SCH_START, IDC_SCH_SHUTDOWN2})
        CHECK(!Enabled(dlg, id));
    ClickId(dlg, IDC_SCH_ENABLE);
    CHECK(Enabled(dlg, IDC_SCH_DAY_FIRST));
    CHECK(!Enabled(dlg, IDC_SCH_DATE));
    ClickId(dlg, IDC_SCH_DAY_FIRST + 3);
    ClickId(dlg, IDOK);
    auto r = host.Report();
    CHECK_EQ(r["enabledNow"], std::string("1"));
    CHECK_EQ(Ini(home, "Scheduler", "enable"), std::string("yes"));
    CHECK_EQ(Ini(home, "Scheduler", "wednesday"), std::string("yes"));
}

GUI_TEST(CountdownCountsAndAbortSaysTheSchedulerIsOff) {
    std::string home = MakeTempFolder("count");
    DialogHostRun host;
    REQUIRE(host.Start("countdown", home, {"action=Computer Shutdown"}));
    HWND dlg = FindDialog(host.Pid(), "Kestrune Confirmation");
    REQUIRE(dlg);
    CHECK(
        WaitUntil([&] { return DialogHasText(dlg, "Computer Shutdown in 59 seconds..."); }, 5000));
    Click(dlg, "Abort");
    HWND box = FindMessageBox(host.Pid(), "This will deactivate the Scheduler.");
    REQUIRE(box != nullptr);
    Dismiss(box);
    CHECK_EQ(host.Report()["result"], std::string("cancel"));

    DialogHostRun again;
    REQUIRE(again.Start("countdown", home, {"action=Hang Up Modem"}));
    dlg = FindDialog(again.Pid(), "Kestrune Confirmation");
    REQUIRE(dlg);
    Click(dlg, "Continue");
    CHECK_EQ(again.Report()["result"], std::string("ok"));
}
