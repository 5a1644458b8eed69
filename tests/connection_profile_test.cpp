// Stored passwords and the way a connection's profile in the settings file
// becomes the proxy record every transfer reads.
#include <gtest/gtest.h>

#include "app/proxy_profile.h"
#include "base/runtime.h"
#include "app/settings.h"
#include "connection/password_scramble.h"
#include "platform/files.h"
#include "support/runtime_guard.h"
#include "support/temp_dir.h"

using ks::ScramblePassword;

namespace {

const std::string kKeyA = "0102030405060708090A0B0C0D0E0FFD";
const std::string kKeyB = "FD0E0F0D0C0B0A090807060504030201";

TEST(PasswordScramble, KnownFormsAndRoundTrips) {
    struct Case {
        std::string plain, key, stored;
    } cases[] = {
        {"abc", kKeyA, "626466"},  // 'a'+1, 'b'+2, 'c'+3
        {"", kKeyA, ""},
        {"z", "FD", "78"},             // (122 + 253) mod 255 = 120
        {"abcd", "0102", "62646466"},  // the key repeats
        {"\xfe", "01", "00"},          // 254 + 1 wraps to 0 ...
        {"p@ss w0rd!", kKeyA, "71427677257D377A6D2B"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ScramblePassword(c.plain, c.key, true), c.stored) << c.plain;
        EXPECT_EQ(ScramblePassword(c.stored, c.key, false), c.plain) << c.stored;
    }
    // ... and lower-case digits, as a hand edit may leave them, read the same.
    EXPECT_EQ(ScramblePassword("71427677257d377a6d2b", kKeyA, false), "p@ss w0rd!");
}

TEST(PasswordScramble, SamePasswordDiffersBetweenInstallations) {
    const std::string a = ScramblePassword("secret", kKeyA, true);
    const std::string b = ScramblePassword("secret", kKeyB, true);
    EXPECT_NE(a, b);
    EXPECT_EQ(a.size(), 12u);
    EXPECT_EQ(ScramblePassword(a, kKeyA, false), "secret");
}

TEST(PasswordScramble, WhatDoesNotDecodeGivesEmpty) {
    // "01" decodes to a NUL byte under this key.
    const char* bad[] = {"secret", "626", "62 64", "6G", "-1", "01"};
    for (const char* s : bad) EXPECT_EQ(ScramblePassword(s, kKeyA, false), "") << s;
    // A key that is not hex pairs never lets a password through in clear.
    for (const char* key : {"", "1", "XY", "0102 3"}) {
        EXPECT_EQ(ScramblePassword("secret", key, true), "") << key;
        EXPECT_EQ(ScramblePassword("626466", key, false), "") << key;
    }
}

TEST(ProxyProfile, SettingsFileReachesTheTransfersOnPublish) {
    ks::test::RuntimeGuard guard;
    ks::test::TempDir dir;
    const std::string ini = dir.File("kestrune.ini");
    const std::string pw = ScramblePassword("fwpw", kKeyA, true);
    struct Case {
        std::string text;
        ks::ProxySettings want;
    } cases[] = {
        {"", {false, "0", 0, "", 0, "", "", 0, false}},
        {"[LAN Settings]\nuseHTTPProxy=Yes\nHTTPProxyServer=proxy.lan\nHTTPProxyPort=3128\n"
         "FTPProxyserver=fw.lan\nFTPProxyport=2121\nFTPProxyusername=fw\nFTPProxypassword=" +
             pw + "\nFTPProxylogontype=6\nFTPProxypassive=yes\n",
         {true, "proxy.lan", 3128, "fw.lan", 2121, "fw", "fwpw", 6, true}},
        // Out-of-range numbers mean no port and no logon type, not a wrapped guess.
        {"[LAN Settings]\nHTTPProxyPort=70000\nFTPProxyport=-4\nFTPProxylogontype=9\n"
         "FTPProxypassword=fwpw\n",
         {false, "0", 0, "", 0, "", "", 0, false}},
        // Only the current connection's profile counts.
        {"[Dial Up]\nuse=yes\ntotal=1\ncon1=Modem\n[LAN Settings]\nFTPProxypassive=yes\n"
         "[Modem]\nuseHTTPProxy=yes\nHTTPProxyServer=m\nHTTPProxyPort=8080\n",
         {true, "m", 8080, "", 0, "", "", 0, false}},
    };
    for (const Case& c : cases) {
        ASSERT_TRUE(ks::plat::WriteFileAtomic(ini, c.text));
        ks::Settings s = ks::Settings::Load(ini, dir.path());
        s.installKey = kKeyA;
        s.Publish();
        const ks::ProxySettings got = ks::GlobalRuntime().Proxy();
        EXPECT_EQ(got.useHttpProxy, c.want.useHttpProxy) << c.text;
        EXPECT_EQ(got.httpProxyServer, c.want.httpProxyServer) << c.text;
        EXPECT_EQ(got.httpProxyPort, c.want.httpProxyPort) << c.text;
        EXPECT_EQ(got.ftpProxyServer, c.want.ftpProxyServer) << c.text;
        EXPECT_EQ(got.ftpProxyPort, c.want.ftpProxyPort) << c.text;
        EXPECT_EQ(got.ftpProxyUser, c.want.ftpProxyUser) << c.text;
        EXPECT_EQ(got.ftpProxyPassword, c.want.ftpProxyPassword) << c.text;
        EXPECT_EQ(got.ftpLogonType, c.want.ftpLogonType) << c.text;
        EXPECT_EQ(got.ftpPassive, c.want.ftpPassive) << c.text;
    }
}

}  // namespace
