// The setup dialog's logic over a real kestra.ini: switching paths keeps what was typed, sizes and ports forced
// into range, the 16-path limit, deleting, OK writing and Cancel discarding.
#include "tavlink/setup_model.h"

#include <gtest/gtest.h>

#include <string>

#include "support/temp_dir.h"

namespace kestra::tavlink {
namespace {

using testing::TempDir;

class SetupModelTest : public ::testing::Test {
  protected:
    void SetUp() override {
        dir.write("kestra.ini",
                  "[tcpip]\nportno=3000\npaths=2\npath0=Alpha\nhost0=a.test\nportno0=2100\nmaxbuffersize0=4096\n"
                  "path1=Beta\nhost1=b.test\ntranslatefilename1=/t/b.xlt\n");
        model.open();
    }
    std::vector<PathEntry> on_disk() const { return read_paths(ini, 3000); }

    TempDir dir;
    std::string ini = dir.file("kestra.ini");
    SetupModel model{ini, 3000};
};

TEST_F(SetupModelTest, SwitchingPathsStoresWhatWasTypedAndShowsTheOther) {
    EXPECT_EQ(model.names(), (std::vector<std::string>{"Alpha", "Beta"}));
    EXPECT_EQ(model.current(), -1);
    PathFields shown = model.select(0, {});
    EXPECT_EQ(shown, (PathFields{"a.test", "2100", "4096", ""}));
    shown.host = "changed.test";
    shown = model.typed("bEtA", shown);  // letter case ignored
    EXPECT_EQ(model.current(), 1);
    EXPECT_EQ(shown, (PathFields{"b.test", "3000", "1920", "/t/b.xlt"}));
    EXPECT_EQ(model.paths()[0].host, "changed.test");
    // A text naming no path stores the current one and leaves none current, the edits cleared.
    shown.port = "2200";
    EXPECT_EQ(model.typed("Bet", shown), PathFields{});
    EXPECT_EQ(model.current(), -1);
    EXPECT_EQ(model.paths()[1].port, 2200);
}

TEST_F(SetupModelTest, BufferSizeIsForcedIntoRangeAndABadPortFallsBackToTheGlobalOne) {
    model.select(0, {});
    model.store({"h", "0", "100", ""});
    EXPECT_EQ(model.paths()[0].buffer_size, 1920u);
    EXPECT_EQ(model.paths()[0].port, 3000);
    model.store({"h", "70000", "9000", ""});
    EXPECT_EQ(model.paths()[0].buffer_size, 8192u);
    EXPECT_EQ(model.paths()[0].port, 3000);
    model.store({"h", "x1", "", ""});
    EXPECT_EQ(model.paths()[0].buffer_size, 1920u);
    model.store({"h", "2048", "8192", ""});
    EXPECT_EQ(model.paths()[0].buffer_size, 8192u);
    EXPECT_EQ(model.paths()[0].port, 2048);
}

TEST_F(SetupModelTest, ANewNameIsAddedOnFocusLossUpTo16ThenBeeps) {
    auto r = model.name_focus_lost("Gamma", {});
    EXPECT_TRUE(r.added);
    EXPECT_FALSE(r.beep);
    EXPECT_EQ(r.fields, (PathFields{"", "3000", "1920", ""}));
    EXPECT_EQ(model.current(), 2);
    // An existing name, in any case, adds nothing.
    EXPECT_FALSE(model.name_focus_lost("GAMMA", r.fields).added);
    EXPECT_FALSE(model.name_focus_lost("", {}).added);
    for (int i = 3; i < 16; ++i) ASSERT_TRUE(model.name_focus_lost("P" + std::to_string(i), {}).added);
    ASSERT_EQ(model.paths().size(), 16u);
    const auto full = model.name_focus_lost("Seventeenth", {"kept", "1", "2", ""});
    EXPECT_TRUE(full.beep);
    EXPECT_FALSE(full.added);
    EXPECT_EQ(full.fields.host, "kept");
    EXPECT_EQ(model.paths().size(), 16u);
}

TEST_F(SetupModelTest, DeleteRemovesTheNamedPathAndAnUnknownNameIsRefused) {
    model.select(1, {});
    EXPECT_EQ(model.remove("nobody"), -1);
    EXPECT_EQ(model.paths().size(), 2u);
    EXPECT_EQ(model.remove("ALPHA"), 0);
    EXPECT_EQ(model.current(), -1);
    EXPECT_EQ(model.names(), (std::vector<std::string>{"Beta"}));
    ASSERT_TRUE(model.ok({}));
    const auto paths = on_disk();
    ASSERT_EQ(paths.size(), 1u);
    EXPECT_EQ(paths[0].name, "Beta");
    EXPECT_EQ(paths[0].translate_file, "/t/b.xlt");
}

TEST_F(SetupModelTest, OkWritesTheCurrentEditsAndCancelDiscardsEverything) {
    model.name_focus_lost("Gamma", {});
    ASSERT_TRUE(model.ok({"g.test", "2500", "5000", "/t/g.xlt"}));
    auto paths = on_disk();
    ASSERT_EQ(paths.size(), 3u);
    EXPECT_EQ(paths[2].name, "Gamma");
    EXPECT_EQ(paths[2].host, "g.test");
    EXPECT_EQ(paths[2].port, 2500);
    EXPECT_EQ(paths[2].buffer_size, 5000u);
    EXPECT_EQ(paths[2].translate_file, "/t/g.xlt");

    model.open();
    model.remove("Alpha");
    model.name_focus_lost("Delta", {});
    model.cancel();
    EXPECT_EQ(model.names(), (std::vector<std::string>{"Alpha", "Beta", "Gamma"}));
    EXPECT_EQ(model.current(), -1);
    EXPECT_EQ(on_disk().size(), 3u);
}

}  // namespace
}  // namespace kestra::tavlink
