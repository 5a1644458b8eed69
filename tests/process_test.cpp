#include "platform/process.h"

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "base/runtime.h"
#include "platform/files.h"
#include "support/temp_dir.h"
#include "transfer/external_program.h"

#ifndef _WIN32
#include <sys/stat.h>
#endif

using ks::plat::SplitCommandLine;
using Args = std::vector<std::string>;

namespace {

TEST(Process, SplitCommandLine) {
    // clang-format off
    const std::pair<std::string, Args> cases[] = {
        {"", {}}, {"   ", {}}, {"p  a\t b ", {"p", "a", "b"}},
        {"\"C:\\Program Files\\s.exe\" D:\\dl\\a.zip /q", {"C:\\Program Files\\s.exe", "D:\\dl\\a.zip", "/q"}},
        {"\"C:\\dir\\\" a", {"C:\\dir\\", "a"}},  // no escapes in the program name
        {"p \"a b\" c\"d e\"f", {"p", "a b", "cd ef"}}, {"p \"\"", {"p", ""}},
        {"p a\\\\b \\c", {"p", "a\\\\b", "\\c"}}, {"p a\\\"b", {"p", "a\"b"}},
        {"p a\\\\\"b c\"", {"p", "a\\b c"}}, {"p a\\\\\\\"b", {"p", "a\\\"b"}},
        {"p \"a\"\"b\" c", {"p", "a\"b", "c"}}, {"p \"open x", {"p", "open x"}},
        {"p trailing\\", {"p", "trailing\\"}},
    };
    // clang-format on
    for (const auto& [line, want] : cases) EXPECT_EQ(SplitCommandLine(line), want) << line;
}

TEST(Process, ExternalCommandLine) {
    EXPECT_EQ(ks::ExternalCommandLine("C:\\Tools\\scan.exe", "D:\\Downloads\\a.zip", "/q"),
              "\"C:\\Tools\\scan.exe\" D:\\Downloads\\a.zip /q");
    EXPECT_EQ(ks::ExternalCommandLine("scan", "a b.zip", ""), "\"scan\" a b.zip ");
    EXPECT_EQ(SplitCommandLine(ks::ExternalCommandLine("C:\\T T\\s.exe", "D:\\x y\\a.zip", "/q")),
              (Args{"C:\\T T\\s.exe", "D:\\x", "y\\a.zip", "/q"}));
}

class ExternalProgramTest : public ::testing::Test {
  protected:
    void TearDown() override { ks::GlobalRuntime().SetExternal({}); }
    ks::test::TempDir dir_;
};

TEST_F(ExternalProgramTest, StartsNothingUnlessOnAndBothFilesExist) {
    std::string prog = dir_.File("prog.exe"), file = dir_.File("a.zip");
    ASSERT_TRUE(ks::plat::WriteFileAtomic(prog, "x"));
    ASSERT_TRUE(ks::plat::WriteFileAtomic(file, "x"));
    ks::GlobalRuntime().SetExternal({false, prog, ""});
    EXPECT_FALSE(ks::RunExternalProgram(file)) << "switched off";
    ks::GlobalRuntime().SetExternal({true, dir_.File("missing.exe"), ""});
    EXPECT_FALSE(ks::RunExternalProgram(file)) << "no program";
    ks::GlobalRuntime().SetExternal({true, prog, ""});
    EXPECT_FALSE(ks::RunExternalProgram(dir_.File("never-created.zip"))) << "no file";
}

#ifndef _WIN32
TEST_F(ExternalProgramTest, ProgramRunsWithTheComposedArguments) {
    std::string script = dir_.File("scan.sh");
    std::string out = dir_.File("args.txt");
    ASSERT_TRUE(ks::plat::WriteFileAtomic(
        script, "#!/bin/sh\nfor a in \"$@\"; do printf '[%s]\\n' \"$a\"; done > \"" + out +
                    ".tmp\"\nmv \"" + out + ".tmp\" \"" + out + "\"\n"));
    ASSERT_EQ(::chmod(script.c_str(), 0755), 0);
    std::string file = dir_.File("my file.zip");
    ASSERT_TRUE(ks::plat::WriteFileAtomic(file, "data"));
    ks::GlobalRuntime().SetExternal({true, script, "/q \"x y\""});

    ASSERT_TRUE(ks::RunExternalProgram(file));
    std::string got;
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (!ks::plat::ReadWholeFile(out, got) && std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    // The path is not quoted, so a blank in it splits it in two.
    EXPECT_EQ(got, "[" + dir_.File("my") + "]\n[file.zip]\n[/q]\n[x y]\n");
}

TEST(Process, StartProcessReportsAMissingProgram) {
    EXPECT_FALSE(ks::plat::StartProcess("\"/nonexistent/prog\" a"));
    EXPECT_FALSE(ks::plat::StartProcess(""));
}
#endif

}  // namespace
