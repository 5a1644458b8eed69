#include "app/settings.h"

#include <gtest/gtest.h>

#include <climits>

#include "app/paths.h"
#include "app/registry_values.h"
#include "base/runtime.h"
#include "app/settings_keys.h"
#include "platform/files.h"
#include "platform/registry.h"
#include "projects/project_store.h"
#include "support/temp_dir.h"

using ks::Settings;
namespace sk = ks::settings_keys;

namespace {

template <class R>
std::string NonDefault(const sk::KeySpec<R>& k) {
    switch (k.kind) {
        case sk::Kind::Flag:
            return ks::ParseIniFlag(k.def) ? "no" : "yes";
        case sk::Kind::Int:
            return std::to_string(ks::ParseIniInt(k.def) + 17);
        case sk::Kind::String:
            return std::string("v ") + k.key;
    }
    return {};
}

std::string WriteIni(const ks::test::TempDir& dir, const std::string& text) {
    std::string path = dir.File("kestrune.ini");
    EXPECT_TRUE(ks::plat::WriteFileAtomic(path, text));
    return path;
}

TEST(Settings, EveryKeySurvivesSaveAndLoad) {
    ks::test::TempDir dir;
    std::string ini = dir.File("kestrune.ini");
    Settings s = Settings::Load(ini, dir.path());
    std::vector<std::tuple<std::string, std::string, std::string>> expected;
    auto set = [&](std::string sec, std::string key, std::string value) {
        ASSERT_TRUE(s.Set(sec, key, value)) << sec << " " << key;
        expected.emplace_back(sec, key, value);
    };
    set("Dial Up", "total", "2");
    set("Dial Up", "con1", "Modem One");
    set("Dial Up", "con2", "Backup");
    set("File Types", "total", "2");
    set("File Types", "type1", "rar");
    set("File Types", "type2", "iso");
    set("URL List", "total", "1");
    set("URL List", "URL1", "http://keep.example/alive");
    for (const auto& k : sk::SettingKeys()) set(k.section, k.key, NonDefault(k));
    ASSERT_EQ(s.currentConnection, "Modem One");
    for (const auto& k : sk::ProfileKeys()) set(s.currentConnection, k.key, NonDefault(k));
    set(s.currentConnection, "totalnum", "1");
    set(s.currentConnection, "n1", "555-0100");
    set(s.currentConnection, "e1", "yes");
    ASSERT_TRUE(s.Save());

    Settings back = Settings::Load(ini, dir.path());
    for (const auto& [sec, key, value] : expected) {
        EXPECT_EQ(back.Get(sec, key).value_or("<none>"), value) << sec << " " << key;
        EXPECT_EQ(ks::IniRead(ini, sec, key, "<absent>"), value)
            << sec << " " << key << " in the file";
    }
}

TEST(Settings, FlagsAndIntegersParseLikeTheOldReaders) {
    const std::pair<const char*, bool> flags[] = {
        {"Yes", true}, {"YES", true},   {"yes please", true}, {"eyes", true},
        {"1", false},  {"true", false}, {"", false},          {"no", false},
    };
    for (auto [text, want] : flags) EXPECT_EQ(ks::ParseIniFlag(text), want) << text;
    const std::pair<const char*, std::int32_t> ints[] = {
        {"12", 12},
        {"  42abc", 42},
        {"abc", 0},
        {"", 0},
        {"-5", -5},
        {"+7", 7},
        {"0x10", 0},
        {"1e3", 1},
        {"- 3", 0},
        {"\t9", 9},
        {"99999999999", INT_MAX},
        {"-99999999999", INT_MIN},
    };
    for (auto [text, want] : ints) EXPECT_EQ(ks::ParseIniInt(text), want) << text;
}

TEST(Settings, CapitalYesCountsAndOneDoesNot) {
    ks::test::TempDir dir;
    std::string ini = WriteIni(dir, "[Limits]\r\nlimit=Yes\r\n[Download]\r\nCapture=1\r\n");
    Settings s = Settings::Load(ini, dir.path());
    EXPECT_TRUE(s.limits.limit);
    EXPECT_FALSE(s.download.capture);
}

TEST(Settings, FileTypesCases) {
    struct Case {
        const char* ini;
        std::vector<std::string> want;
        bool defaultsWritten;
    };
    const Case cases[] = {
        {"", ks::DefaultCaptureFileTypes(), true},
        {"[File Types]\r\ntotal=-1\r\n", ks::DefaultCaptureFileTypes(), true},
        {"[File Types]\r\ntotal=0\r\ntype1=avi\r\n", {}, false},
        {"[File Types]\r\ntotal=3\r\ntype1=.zip.\r\ntype2=..tar.gz\r\n",
         {"zip", "tar.gz", "zip"},
         false},
        {"[File Types]\r\ntotal=99999999\r\n", std::vector<std::string>(ks::kMaxListItems, "zip"),
         false},
    };
    for (const Case& c : cases) {
        ks::test::TempDir dir;
        std::string ini = WriteIni(dir, c.ini);
        Settings s = Settings::Load(ini, dir.path());
        EXPECT_EQ(s.captureFileTypes, c.want) << c.ini;
        EXPECT_EQ(ks::IniRead(ini, "File Types", "total") == "21", c.defaultsWritten) << c.ini;
        if (c.defaultsWritten) {
            EXPECT_EQ(ks::IniRead(ini, "File Types", "type21"), "zip");
        }
    }
}

TEST(Settings, ShorterListsDropStaleItemsOnSave) {
    ks::test::TempDir dir;
    std::string ini = WriteIni(dir, "[URL List]\r\ntotal=3\r\nURL1=a\r\nURL2=b\r\nURL3=c\r\n");
    Settings s = Settings::Load(ini, dir.path());
    ASSERT_TRUE(s.Set("URL List", "total", "1"));
    ASSERT_TRUE(s.Save());
    EXPECT_EQ(ks::IniRead(ini, "URL List", "URL2", "gone"), "gone");
    EXPECT_EQ(ks::IniRead(ini, "URL List", "URL1"), "a");
}

TEST(Settings, CurrentConnectionAndItsProfile) {
    struct Case {
        const char* dialUp;
        const char* want;
    };
    const Case cases[] = {
        {"use=no\r\ntotal=1\r\ncon1=Modem", "LAN Settings"},
        {"use=yes\r\ntotal=0", "Lan Settings"},
        {"use=yes\r\ntotal=2\r\ncon1=\r\ncon2=Modem", "Modem"},
    };
    for (const Case& c : cases) {
        ks::test::TempDir dir;
        std::string ini = WriteIni(dir, std::string("[Dial Up]\r\n") + c.dialUp +
                                            "\r\n[lan settings]\r\nuseHTTPProxy=yes\r\n"
                                            "[Modem]\r\nHTTPProxyPort=8080\r\n");
        Settings s = Settings::Load(ini, dir.path());
        EXPECT_EQ(s.currentConnection, c.want);
        bool modem = std::string(c.want) == "Modem";
        EXPECT_EQ(s.connection.useHttpProxy, !modem) << c.want;
        EXPECT_EQ(s.connection.httpProxyPort, modem ? 8080 : 0) << c.want;
    }
}

TEST(Settings, PathDefaultsAndPublish) {
    ks::test::TempDir dir;
    Settings s = Settings::Defaults(dir.path());
#ifndef _WIN32
    EXPECT_EQ(s.download.folder, dir.path());  // no Temp folder yet
#else
    EXPECT_EQ(s.download.folder, "C:");
#endif
    ASSERT_TRUE(ks::EnsureProgramFolders(dir.path()));
    s = Settings::Defaults(dir.path());
    EXPECT_EQ(s.download.folder, ks::TempFolder(dir.path()));
    EXPECT_EQ(s.download.wavFile, ks::plat::JoinPath(dir.path(), "capture.wav"));
    EXPECT_EQ(s.limits.timeout, 180);

    s.limits.wait = 33;
    s.limits.timeout = 44;
    s.urlList.minute = 0;
    s.urlList.second = 0;
    s.download.extProg = "after.exe";
    s.Publish();
    ks::Runtime& rt = ks::GlobalRuntime();
    EXPECT_EQ(rt.retryWaitSeconds.load(), 33);
    EXPECT_EQ(rt.timeoutSeconds.load(), 44);
    EXPECT_EQ(s.urlList.IntervalSeconds(), 0);
    EXPECT_EQ(rt.keepAliveSeconds.load(), 60);
    EXPECT_EQ(rt.External().program, "after.exe");
    EXPECT_EQ(rt.CaptureFileTypes(), ks::DefaultCaptureFileTypes());
    EXPECT_EQ(rt.ProgramFolder(), dir.path());
}

TEST(Settings, TlsTrustReachesTheWorkers) {
    ks::test::TempDir dir;
    const std::string abs = ks::plat::JoinPath(dir.path(), "abs.pem");
    struct Case {
        std::string ini;
        bool verify;
        std::string caFile;  // as the workers get it
    } cases[] = {
        {"", true, ""},
        {"[TLS]\nverify=no\n", false, ""},
        {"[TLS]\nverify=YES please\ncafile=ca.pem\n", true, dir.File("ca.pem")},
        {"[TLS]\ncafile=" + abs + "\n", true, abs},
    };
    for (const Case& c : cases) {
        Settings s = Settings::Load(WriteIni(dir, c.ini), dir.path());
        s.Publish();
        const ks::plat::TlsTrust t = ks::GlobalRuntime().Tls();
        EXPECT_EQ(t.verify, c.verify) << c.ini;
        EXPECT_EQ(t.caFile, c.caFile) << c.ini;
    }
    Settings s = Settings::Load(WriteIni(dir, ""), dir.path());
    EXPECT_EQ(s.Get("TLS", "verify"), "yes") << "verification is on unless turned off";
    EXPECT_TRUE(s.Set("TLS", "cafile", "roots.pem"));
    s.Publish();
    EXPECT_EQ(ks::GlobalRuntime().Tls().caFile, dir.File("roots.pem"));
    ks::GlobalRuntime().SetTls({});
}

TEST(Settings, SaveKeepsSectionsItDoesNotOwn) {
    ks::test::TempDir dir;
    std::string ini = WriteIni(dir, "[Search]\r\nmaxthread=7\r\n[Other Modem]\r\nn1=123\r\n");
    Settings s = Settings::Load(ini, dir.path());
    ASSERT_TRUE(s.Save());
    EXPECT_EQ(ks::IniRead(ini, "Search", "maxthread"), "7");
    EXPECT_EQ(ks::IniRead(ini, "Other Modem", "n1"), "123");
    EXPECT_FALSE(s.Get("Search", "maxthread"));
    EXPECT_FALSE(s.Set("Limits", "nosuchkey", "1"));
    EXPECT_FALSE(s.Set("File Types", "type99", "zip"));
}

TEST(ProgramFolder, CommandLineSearchOrder) {
    ks::test::TempDir dir;
    ks::FolderEnvironment env;
    env.kestruneHome = dir.File("fromenv");
    env.xdgDataHome = dir.File("xdg");
    env.home = dir.File("home");
    std::string opt = dir.File("fromopt");
    ks::StartupResult r = ks::CliProgramFolder(opt, env);
    ASSERT_TRUE(r.ok) << r.message;
    EXPECT_EQ(r.folder, opt);
    EXPECT_TRUE(ks::plat::DirExists(ks::ProjectsFolder(opt)));
    EXPECT_TRUE(ks::plat::DirExists(ks::TempFolder(opt)));
    EXPECT_EQ(ks::CliProgramFolder("", env).folder, dir.File("fromenv"));
#ifndef _WIN32
    env.kestruneHome.reset();
    EXPECT_EQ(ks::CliProgramFolder("", env).folder,
              ks::plat::JoinPath(dir.File("xdg"), "kestrune"));
    env.xdgDataHome = "relative/is/ignored";
    EXPECT_EQ(ks::CliProgramFolder("", env).folder, dir.File("home") + "/.local/share/kestrune");
#endif
}

#ifndef _WIN32  // these use the file-backed store; on Windows they would touch the real registry
TEST(RegistryValues, StartupFailuresAndInstallKey) {
    ks::test::TempDir dir;
    ks::plat::SetRegistryStore(dir.File("registry.txt"));
    using ks::plat::RegRoot;
    EXPECT_EQ(ks::AppPathsProgramFolder().message, ks::kMsgReinstall);
    ASSERT_TRUE(ks::plat::RegCreateKey(RegRoot::LocalMachine, ks::kAppPathsKey));
    ks::StartupResult r = ks::AppPathsProgramFolder();
    EXPECT_EQ(r.message, ks::kMsgNoRegistryPath);
    EXPECT_EQ(r.exitCode, 1);
    ASSERT_TRUE(ks::plat::RegWriteString(RegRoot::LocalMachine, ks::kAppPathsKey, "Path", "C:\\K"));
    EXPECT_EQ(ks::AppPathsProgramFolder().folder, "C:\\K");

    EXPECT_FALSE(ks::CheckKestruneKey().ok);
    EXPECT_FALSE(ks::WriteCaptureIE(true)) << "the key must exist";
    ASSERT_TRUE(ks::plat::RegCreateKey(RegRoot::LocalMachine, ks::kKestruneKey));
    EXPECT_TRUE(ks::CheckKestruneKey().ok);
    EXPECT_TRUE(ks::WriteCaptureIE(true));
    EXPECT_TRUE(ks::WriteFileTypes({"avi", "arj"}));
    EXPECT_EQ(ks::plat::RegReadString(RegRoot::LocalMachine, ks::kKestruneKey, "File Types"),
              ".avi.arj");

    ks::plat::RegWriteString(RegRoot::LocalMachine, ks::kKestruneKey, "temp", std::string(31, 'A'));
    std::string key = ks::ReadOrCreateInstallKey();
    ASSERT_EQ(key.size(), 32u);
    EXPECT_EQ(key.find_first_not_of("0123456789ABCDEF"), std::string::npos) << key;
    for (std::size_t i = 0; i < 32; i += 2) {
        int b = std::stoi(key.substr(i, 2), nullptr, 16);
        EXPECT_TRUE(b >= 1 && b <= 253) << key;
    }
    EXPECT_EQ(ks::ReadOrCreateInstallKey(), key) << "kept once valid";

    // A second reader of the same store file sees everything, escapes intact.
    ks::plat::RegWriteString(RegRoot::LocalMachine, ks::kKestruneKey, "a=b[c]\\", "x\ny=z");
    ks::plat::SetRegistryStore(dir.File("registry.txt"));
    EXPECT_EQ(ks::ReadCaptureIE(), true);
    EXPECT_EQ(ks::plat::RegReadString(RegRoot::LocalMachine, ks::kKestruneKey, "A=B[C]\\"),
              "x\ny=z");
    ks::plat::SetRegistryStore("");
}
#endif

}  // namespace
