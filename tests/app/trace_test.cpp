#include "app/trace.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "app/admin_app.h"
#include "app/wait_cursor.h"
#include "support/recording_ui_hooks.h"
#include "support/temp_dir.h"

using namespace kestra::app;
using kestra::testing::RecordingUiHooks;
using kestra::testing::TempDir;

namespace {

// Runs a test inside a fresh folder so the default relative "admin.txt" lands there.
class InTempFolder : public ::testing::Test {
  protected:
    void SetUp() override {
        old_ = std::filesystem::current_path();
        std::filesystem::current_path(dir_.path());
    }
    void TearDown() override {
        std::filesystem::current_path(old_);
        admin_app() = CAdminApp();
    }
    TempDir dir_;
    std::filesystem::path old_;
};

using TraceFiles = InTempFolder;

TEST_F(TraceFiles, BothTracesWithoutFileNamesShareAdminTxt) {
    admin_app().load_settings(dir_.write("kestra.ini", "[admin]\ntrace=1\n[script]\ntrace=1\n"));
    ASSERT_TRUE(tracing());
    ASSERT_TRUE(script_tracing());
    write_trace("program line");
    write_script_trace("script line");
    EXPECT_EQ(TempDir::read(dir_.file("admin.txt")), "i'm tracing\r\nprogram line\r\nscript line\r\n");
}

TEST_F(TraceFiles, TracingOffWritesNothingAtStartUp) {
    admin_app().load_settings(dir_.write("kestra.ini", "[admin]\ntrace=0\n"));
    EXPECT_FALSE(tracing());
    EXPECT_FALSE(std::filesystem::exists(dir_.file("admin.txt")));
}

TEST_F(TraceFiles, LinesAreAppendedAndCutAt253Characters) {
    const std::string file = dir_.write("t.txt", "old\r\n");
    EXPECT_TRUE(append_trace_line(file, std::string(300, 'x')));
    EXPECT_TRUE(append_trace_line(file, ""));
    EXPECT_EQ(TempDir::read(file), "old\r\n" + std::string(253, 'x') + "\r\n\r\n");
}

TEST_F(TraceFiles, FormattedLinesAreBounded) {
    EXPECT_EQ(trace_format("conn=%d timeout=%d", 1, 255), "conn=1 timeout=255");
    const std::string long_text(1000, 'a');
    EXPECT_EQ(trace_format("%s%s", long_text.c_str(), long_text.c_str()).size(), kTraceLineMax);
}

TEST_F(TraceFiles, AnUnwritableFileSaysSoOncePerLineAndCarriesOn) {
    RecordingUiHooks ui;
    const std::string file = dir_.file("no/such/folder/trace.txt");
    EXPECT_FALSE(append_trace_line(file, "one"));
    EXPECT_FALSE(append_trace_line(file, "two"));
    ASSERT_EQ(ui.boxes.size(), 2u);
    EXPECT_EQ(ui.boxes[0], "Cannot append to trace file");
    EXPECT_EQ(ui.captions[0], "");
    EXPECT_EQ(ui.icons[0], MessageIcon::Stop);
}

TEST(WaitCursorCount, OnlyTheOutermostPairShowsAndRestores) {
    RecordingUiHooks ui;
    admin_app().wait_count = 0;
    begin_wait_cursor();
    {
        WaitCursor inner;
        EXPECT_EQ(admin_app().wait_count, 2);
    }
    EXPECT_EQ(ui.restored, 0);
    end_wait_cursor();
    EXPECT_EQ(ui.shown, 1);
    EXPECT_EQ(ui.restored, 1);
    EXPECT_EQ(admin_app().wait_count, 0);
}

TEST(WaitCursorCount, AnEndWithoutABeginLeavesTheCountAtZero) {
    RecordingUiHooks ui;
    admin_app().wait_count = 0;
    end_wait_cursor();
    end_wait_cursor();
    EXPECT_EQ(admin_app().wait_count, 0);
    EXPECT_EQ(ui.restored, 0);
    begin_wait_cursor();
    EXPECT_EQ(ui.shown, 1);
    end_wait_cursor();
    EXPECT_EQ(ui.restored, 1);
}

}  // namespace
