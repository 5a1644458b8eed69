// The dial-up manager against a scripted line: every dial path, the texts of
// the connection pane, the timers it asks for.
#include "connection/dialup.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <set>

#include "support/ras_double.h"

using namespace ks;
using ks::test::ScriptedRas;

namespace {

class Host : public DialUpHost {
  public:
    void SetDialTimer(int id, bool run) override {
        if (run)
            timers.insert(id);
        else
            timers.erase(id);
    }
    void ShowDialText(const std::string& text) override { texts.push_back(text); }
    void SetTrayAnimation(bool on) override { animating = on; }
    DialCredentials LoadProfile(const std::string& connection) override {
        profiles.push_back(connection);
        return {"user-" + connection, "pw-" + connection};
    }
    std::vector<DialNumber> PhoneNumbers(const std::string& entry) override {
        return numbers[entry];
    }
    void PauseAll() override { ++pauses; }
    std::int64_t Now() override { return now; }
    void PostDialState(std::uint32_t state, std::uint32_t error) override {
        dial->OnDialState(state, error);  // the UI thread would run it next
    }

    DialUp* dial = nullptr;
    std::set<int> timers;
    std::vector<std::string> texts;
    bool animating = false;
    std::vector<std::string> profiles;
    std::map<std::string, std::vector<DialNumber>> numbers;
    int pauses = 0;
    std::int64_t now = 1000000;
};

class DialUpTest : public ::testing::Test {
  protected:
    DialUpTest() { host_.dial = &dial_; }
    DialUpSettings Two(bool redial = false) {
        DialUpSettings s;
        s.use = true;
        s.entries = {"A", "B"};
        s.redial = redial;
        s.dialTime = 5;
        s.redialTime = 3;
        return s;
    }
    std::string Last() const { return host_.texts.empty() ? "" : host_.texts.back(); }
    bool Timer(int id) const { return host_.timers.count(id) != 0; }

    ScriptedRas ras_;
    Host host_;
    DialUp dial_{ras_, host_};
};

}  // namespace

TEST_F(DialUpTest, TwoEntriesAreDialledInTurnStartingWithTheSecond) {
    dial_.Start(Two());
    EXPECT_EQ(dial_.CurrentConnection(), "A");
    EXPECT_EQ(Last(), "(A) Not connected.");
    for (const char* want : {"B", "A", "B"}) {
        dial_.DialCommand();
        ASSERT_FALSE(ras_.dials.empty());
        EXPECT_EQ(ras_.dials.back().entry, want);
        EXPECT_EQ(ras_.dials.back().user, std::string("user-") + want);
        EXPECT_EQ(ras_.dials.back().password, std::string("pw-") + want);
        EXPECT_TRUE(dial_.DialPending());
        EXPECT_TRUE(host_.animating);
        ras_.Play(plat::kRasConnectDevice);
        EXPECT_EQ(Last(), std::string("(") + want + "-) Connecting to device...");
        ras_.Play(plat::kRasConnected);
        EXPECT_TRUE(dial_.Connected());
        EXPECT_FALSE(dial_.DialPending());
        EXPECT_FALSE(Timer(kDialTimeoutTimer));
        EXPECT_TRUE(Timer(kMonitorTimer));
        EXPECT_EQ(Last(), std::string("(") + want + ") Connected.");
        EXPECT_EQ(host_.profiles.back(), want) << "the connection's proxies are loaded";
        dial_.HangUpCommand();
        EXPECT_FALSE(dial_.Connected());
        EXPECT_EQ(Last(), "The port was disconnected by the user.");
        EXPECT_EQ(ras_.LiveConnections(), 0u);
    }
    EXPECT_EQ(host_.pauses, 3) << "a hang-up pauses every job";
}

TEST_F(DialUpTest, DisabledNumberIsSkippedAndTheListWraps) {
    host_.numbers["B"] = {{"111", true}, {"222", false}, {"333", true}};
    host_.numbers["A"] = {{"", true}, {"999", false}};
    dial_.Start(Two());
    struct Step {
        const char* entry;
        const char* number;
    } steps[] = {{"B", "111"}, {"B", "333"}, {"B", "111"}, {"A", ""}};
    for (const Step& s : steps) EXPECT_EQ(dial_.NextPhoneNumber(s.entry), s.number) << s.number;
    dial_.DialCommand();  // dials B: one index for all entries, it goes on where A left it
    EXPECT_EQ(ras_.dials.back().phoneNumber, "333");
}

TEST_F(DialUpTest, DialTimeOutCountsDownHangsUpAndRedialsTheNextEntry) {
    dial_.Start(Two(true));
    dial_.DialCommand();
    ras_.Play(plat::kRasConnectDevice);
    const std::string state = "(B-) Connecting to device...";
    for (int left = 5; left >= 0; --left) {
        EXPECT_TRUE(ras_.hangUps.empty()) << left;
        dial_.OnTimer(kDialTimeoutTimer);
        EXPECT_EQ(Last(), state + "(" + std::to_string(left) + " seconds)");
    }
    ASSERT_EQ(ras_.hangUps.size(), 1u);
    EXPECT_FALSE(Timer(kDialTimeoutTimer));
    EXPECT_FALSE(Timer(kMonitorTimer));
    EXPECT_TRUE(Timer(kRedialTimer));
    EXPECT_TRUE(dial_.DialPending());
    for (int left = 3; left >= 1; --left) {
        dial_.OnTimer(kRedialTimer);
        EXPECT_EQ(Last(), "Waiting to redial...(" + std::to_string(left) + " seconds)");
        EXPECT_EQ(ras_.dials.size(), 1u);
    }
    dial_.OnTimer(kRedialTimer);  // shows 0 seconds and dials
    EXPECT_NE(std::find(host_.texts.begin(), host_.texts.end(), "Waiting to redial...(0 seconds)"),
              host_.texts.end());
    EXPECT_FALSE(Timer(kRedialTimer));
    ASSERT_EQ(ras_.dials.size(), 2u);
    EXPECT_EQ(ras_.dials.back().entry, "A");
}

TEST_F(DialUpTest, ErrorsRefusalsAndDropsEndInTheRedialWaitOnlyWhenAsked) {
    struct Case {
        const char* what;
        bool redial;
        int path;  // 0 error while dialling, 1 refused at once, 2 line lost
        const char* text;
    } cases[] = {
        {"error, redial", true, 0, "Error 691...Authenticating..."},
        {"error, no redial", false, 0, "Error 691...Authenticating..."},
        {"refused, redial", true, 1, "Dial-Up failed."},
        {"refused, no redial", false, 1, "Dial-Up failed."},
        {"dropped, redial", true, 2, "Disconnected."},
        {"dropped, no redial", false, 2, "Disconnected."},
    };
    for (const Case& c : cases) {
        ScriptedRas ras;
        Host host;
        DialUp dial(ras, host);
        host.dial = &dial;
        dial.Start(Two(c.redial));
        if (c.path == 1) ras.refuseNextDial = 633;
        dial.DialCommand();
        if (c.path == 0) ras.Play(plat::kRasAuthenticate, 691);
        if (c.path == 2) {
            ras.Play(plat::kRasConnected);
            ras.DropAll();
            dial.OnTimer(kMonitorTimer);
        }
        EXPECT_EQ(host.texts.back(), c.text) << c.what;
        EXPECT_FALSE(dial.Connected()) << c.what;
        EXPECT_EQ(dial.DialPending(), c.redial) << c.what;
        EXPECT_EQ(host.timers.count(kRedialTimer) != 0, c.redial) << c.what;
        EXPECT_EQ(host.timers.count(kDialTimeoutTimer), 0u) << c.what;
        EXPECT_FALSE(host.animating) << c.what;
        EXPECT_EQ(ras.LiveConnections(), 0u) << c.what;
    }
}

TEST_F(DialUpTest, HangUpDuringRedialWaitStopsItAndBlocksAutomaticDialling) {
    dial_.Start(Two(true));
    ras_.refuseNextDial = 633;
    dial_.DialCommand();
    ASSERT_TRUE(Timer(kRedialTimer));
    dial_.OnTimer(kRedialTimer);
    dial_.HangUpCommand();
    EXPECT_FALSE(Timer(kRedialTimer));
    EXPECT_TRUE(dial_.UserHungUp());
    EXPECT_FALSE(dial_.DialPending());
    for (int i = 0; i < 5; ++i) dial_.AutoDial(true);
    EXPECT_EQ(ras_.dials.size(), 1u) << "no automatic dial after the user hung up";
    dial_.DialCommand();
    EXPECT_EQ(ras_.dials.size(), 2u) << "the user can still dial again";
    EXPECT_FALSE(dial_.UserHungUp());
}

TEST_F(DialUpTest, AutomaticDialOnlyWithWorkAndNoLine) {
    dial_.Start(Two());
    dial_.AutoDial(false);
    EXPECT_TRUE(ras_.dials.empty());
    dial_.AutoDial(true);
    ASSERT_EQ(ras_.dials.size(), 1u);
    dial_.AutoDial(true);
    EXPECT_EQ(ras_.dials.size(), 1u) << "a dial is pending";
    ras_.Play(plat::kRasConnected);
    dial_.AutoDial(true);
    EXPECT_EQ(ras_.dials.size(), 1u) << "connected";
}

TEST_F(DialUpTest, ConnectionMadeOutsideIsAdoptedUnderItsEntryName) {
    dial_.Start(Two());
    EXPECT_FALSE(dial_.Connected());
    ras_.AddOutside("B");
    dial_.Apply(Two());
    EXPECT_TRUE(dial_.Connected());
    EXPECT_EQ(dial_.CurrentConnection(), "B");
    EXPECT_EQ(Last(), "(B) Connected.");
    EXPECT_EQ(host_.profiles.back(), "B");
    EXPECT_TRUE(Timer(kMonitorTimer));
    dial_.OnTimer(kMonitorTimer);
    EXPECT_TRUE(dial_.Connected()) << "the monitor keeps seeing it";
    host_.now += 25 * 3600 + 61;
    dial_.ShowConnectedTime();
    EXPECT_EQ(Last(), "(B) Connected.[001:01:01]");
}

TEST_F(DialUpTest, WithoutDialUpThePaneSaysSoAndNoEntriesSwitchItOff) {
    DialUpSettings off;
    dial_.Start(off);
    EXPECT_EQ(Last(), "(Not using dial-up)");
    EXPECT_EQ(dial_.CurrentConnection(), "LAN Settings");
    DialUpSettings none;
    none.use = true;
    dial_.Start(none);
    EXPECT_FALSE(dial_.Dial(true));
    EXPECT_FALSE(dial_.UseDialUp());
    EXPECT_TRUE(ras_.dials.empty());
}

TEST(DialUpTexts, ConnectedTimeWrapsHoursEvery24) {
    const std::pair<std::int64_t, const char*> cases[] = {
        {0, "(M) Connected.[000:00:00]"},
        {59, "(M) Connected.[000:00:59]"},
        {3661, "(M) Connected.[001:01:01]"},
        {24 * 3600, "(M) Connected.[000:00:00]"},
        {25 * 3600, "(M) Connected.[001:00:00]"},
        {47 * 3600 + 59 * 60 + 59, "(M) Connected.[023:59:59]"},
    };
    for (auto [s, want] : cases) EXPECT_EQ(ConnectedTimeText("M", s), want) << s;
}

TEST(DialUpTexts, EveryNamedState) {
    const std::pair<std::uint32_t, const char*> cases[] = {
        {0, "Opening port..."},
        {1, "Port opened."},
        {2, "(E-555) Connecting to device..."},
        {3, "Connected to device."},
        {4, "Connected to all device."},
        {5, "Authenticating..."},
        {6, "Authentice Notify..."},
        {7, "Retrying authenticate..."},
        {8, "Authentice callback..."},
        {9, "Changed password..."},
        {10, ""},
        {13, "Re-authenticate..."},
        {14, "Authenticated."},
        {16, "Wait Modem Reset..."},
        {19, "Start authenticate..."},
        {21, "Logon Network..."},
        {4096, "Interactive..."},
        {4097, "Retry authenticate..."},
        {4098, ""},
        {4099, "Password expired."},
        {8192, "(E) Connected."},
        {8193, "Disconnected."},
    };
    for (auto [state, want] : cases) EXPECT_EQ(DialStateText(state, "E", "555"), want) << state;
}
