// The outcome file beside a project: what the worker leaves at its end is
// what `list --long` reads back, and a damaged or foreign file reads as none.
#include "base/outcome.h"

#include <gtest/gtest.h>

#include <string>

#include "base/project.h"
#include "platform/files.h"
#include "support/temp_dir.h"

using namespace ks;

namespace {

class OutcomeTest : public ::testing::Test {
  protected:
    void SetUp() override {
        kpr_ = dir_.File("7.kpr");
        ASSERT_TRUE(plat::WriteFileAtomic(kpr_, "project\n"));
        p_.SetText(&ProjectSettings::projectFile, kpr_);
    }
    test::TempDir dir_;
    std::string kpr_;
    CProject p_;
};

}  // namespace

TEST_F(OutcomeTest, WhatTheWorkerLeavesIsReadBack) {
    struct Case {
        const char* name;
        StatusEvent event;
        std::string failure;
        std::vector<std::int64_t> skipped;
        std::string status, why;
    } cases[] = {
        {"completed keeps no old reason", StatusEvent::Completed, "old", {}, "Completed.", ""},
        {"error with its reason",
         StatusEvent::Error,
         "server answered 550 No such file",
         {},
         "Error",
         "server answered 550 No such file"},
        {"a line break in a server's text stays on one line",
         StatusEvent::Error,
         "server answered 550 a\r\nb",
         {},
         "Error",
         "server answered 550 a  b"},
        {"a series that passed over numbers",
         StatusEvent::Completed,
         "server answered 404 Not Found",
         {2, 5},
         "Completed.",
         "skipped 2 5: server answered 404 Not Found"},
        {"stopped", StatusEvent::Stopped, "", {}, "Stopped", ""},
        {"invalid URL", StatusEvent::InvalidUrl, "", {}, "Invalid URL", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        p_.SetFailureText(c.failure);
        p_.ClearSkippedNumbers();
        for (std::int64_t n : c.skipped) p_.AddSkippedNumber(n);
        ASSERT_TRUE(SaveOutcome(p_, c.event));
        const auto o = ReadOutcome(kpr_);
        ASSERT_TRUE(o.has_value());
        EXPECT_EQ(o->status, c.status);
        EXPECT_EQ(o->why, c.why);
    }
}

TEST_F(OutcomeTest, OnlyFinalEventsOfRealProjectsAreKept) {
    EXPECT_FALSE(SaveOutcome(p_, StatusEvent::Transferring));
    CProject gone;
    gone.SetText(&ProjectSettings::projectFile, dir_.File("8.kpr"));  // never written
    EXPECT_FALSE(SaveOutcome(gone, StatusEvent::Error));
    EXPECT_FALSE(plat::FileExists(dir_.File("8.out")));
    p_.segmentWorker = true;
    EXPECT_FALSE(SaveOutcome(p_, StatusEvent::Error));
    EXPECT_FALSE(plat::FileExists(dir_.File("7.out")));
}

TEST_F(OutcomeTest, DamagedFilesReadAsNone) {
    const std::string out = dir_.File("7.out");
    struct Case {
        const char* name;
        std::string text;
        bool readable;
    } cases[] = {
        {"good", "Error\nwhy\n", true},
        {"reason without its line end", "Error\nwhy", true},
        {"empty", "", false},
        {"no line end", "Error", false},
        {"unknown status", "Exploded\nwhy\n", false},
        {"too large", "Error\n" + std::string(5000, 'x') + "\n", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_TRUE(plat::WriteFileAtomic(out, c.text));
        EXPECT_EQ(ReadOutcome(kpr_).has_value(), c.readable);
    }
    EXPECT_FALSE(ReadOutcome(dir_.File("missing.kpr")).has_value());
    EXPECT_EQ(OutcomePath("/p/Projects/123.kpr"), "/p/Projects/123.out");
}
