// kestrune.exe over https through SChannel, against nginx and a throwaway CA
// that tests/integration/https_wine_gui.sh starts and names in the
// environment: the trusted certificate downloads byte-exact, from the command
// line and from a second instance; an unknown issuer or a wrong host name ends
// the row "Error" for good, with nothing written.
#include <cstdlib>

#include "gui_test.h"
#include "program_home.h"
#include "resource.h"

using namespace guitest;

namespace {

std::string Env(const char* name) {
    const char* v = std::getenv(name);
    return v ? v : "";
}

struct TlsServers {
    std::string good, stranger, wrongName;  // ports
    std::string caFile, www;                // Windows paths
    bool Complete() const {
        return !good.empty() && !stranger.empty() && !wrongName.empty() && !caFile.empty() &&
               !www.empty();
    }
};

TlsServers FromEnvironment() {
    return {Env("KESTRUNE_TLS_GOOD"), Env("KESTRUNE_TLS_STRANGER"), Env("KESTRUNE_TLS_WRONGNAME"),
            Env("KESTRUNE_TLS_CA"), Env("KESTRUNE_TLS_WWW")};
}

// Starts row and waits until its status column reads one of the final texts.
// errorEnds: "Error" is the row's last word. Without it, an "Error" shown while
// a retry waits is passed over, and only "Completed." ends the wait.
std::string RunRow(const App& app, int row, int timeoutMs, bool errorEnds = true) {
    HWND list = app.List();
    ListSelectOnly(list, row);
    app.Command(ID_PROJECT_START);
    std::string status;
    WaitUntil(
        [&] {
            status = ListText(list, row, 4);
            return status == "Completed." || (errorEnds && status == "Error");
        },
        timeoutMs);
    return status;
}

bool SameBytes(const std::string& a, const std::string& b) {
    std::string x, y;
    return ReadTextFile(a, x) && ReadTextFile(b, y) && !x.empty() && x == y;
}

// Nothing of the file reached the download folder (an empty placeholder is
// no content either).
bool NoContent(const std::string& path) {
    std::string bytes;
    return !PathExists(path) || (ReadTextFile(path, bytes) && bytes.empty());
}

}  // namespace

GUI_TEST_SERVED(https_downloads_verify_the_server_through_schannel) {
    TlsServers s = FromEnvironment();
    REQUIRE(s.Complete());
    // The CA sits in the program folder and the settings name it relatively,
    // as a user would put it there.
    // A short step time-out: a handshake or lookup that stalls on a busy
    // machine is cut and retried, as a user's would be, within the wait below.
    std::string home =
        MakeHome({}, "\r\n[TLS]\r\ncafile=test-ca.pem\r\n[Limits]\r\ntimeout=15\r\n");
    REQUIRE(CopyFileA(s.caFile.c_str(), (home + "\\test-ca.pem").c_str(), FALSE));
    App app;
    REQUIRE(app.Start(home, "https://127.0.0.1:" + s.good + "/a.bin"));
    HWND list = app.List();
    REQUIRE(WaitUntil([&] { return ListCount(list) == 1; }, 8000));
    CHECK_EQ(RunRow(app, 0, 90000, false), std::string("Completed."));
    CHECK(SameBytes(s.www + "\\a.bin", home + "\\Temp\\a.bin"));

    // By name (SNI and the DNS name checked) through the second-instance hand-off.
    CHECK_EQ(App::RunSecond(home, "https://localhost:" + s.good + "/b.bin"), 0u);
    REQUIRE(WaitUntil([&] { return ListCount(list) == 2; }, 8000));
    CHECK_EQ(RunRow(app, 1, 90000, false), std::string("Completed."));
    CHECK(SameBytes(s.www + "\\b.bin", home + "\\Temp\\b.bin"));

    struct Bad {
        const char* what;
        std::string port, file;
    };
    int row = 2;
    for (const Bad& bad : {Bad{"unknown issuer", s.stranger, "c.bin"},
                           Bad{"wrong host name", s.wrongName, "d.bin"}}) {
        CHECK_EQ(App::RunSecond(home, "https://127.0.0.1:" + bad.port + "/" + bad.file), 0u);
        REQUIRE(WaitUntil([&] { return ListCount(list) == row + 1; }, 8000));
        std::string status = RunRow(app, row, 30000);
        if (status != "Error") std::printf("  %s: status \"%s\"\n", bad.what, status.c_str());
        CHECK_EQ(status, std::string("Error"));
        // A certificate does not heal by waiting: no retry countdown follows.
        Sleep(2500);
        CHECK_EQ(ListText(list, row, 4), std::string("Error"));
        CHECK_EQ(ListImage(list, row), 6);
        CHECK(NoContent(home + "\\Temp\\" + bad.file));
        ++row;
    }
    SaveScreen(ArtifactsFolder() + "\\gui-https-rows.png");
    CHECK_EQ(app.Exit(), 0);
}
