// Saved window placements: only well-formed values are applied, whatever else is in kestra.ini.
#include "workspace/window_placement.h"

#include <gtest/gtest.h>

#include <vector>

#include "platform/profile_file.h"
#include "support/temp_dir.h"

namespace ws = kestra::workspace;
using kestra::testing::TempDir;

TEST(PlacementParser, ReadsExactlyTenNumbers) {
    const auto p = ws::parse_placement("2,3,-1,-1,-8,-8,10,20,650,500");
    ASSERT_TRUE(p.has_value());
    EXPECT_EQ(p->flags, 2u);
    EXPECT_EQ(p->show_command, 3u);
    EXPECT_EQ(p->max_x, -8);
    EXPECT_EQ(p->normal, (ws::PlacementRect{10, 20, 650, 500}));
    EXPECT_TRUE(p->maximized());
    EXPECT_EQ(ws::format_placement(*p), "2,3,-1,-1,-8,-8,10,20,650,500");

    EXPECT_FALSE(ws::parse_placement("0,1,-1,-1,-1,-1,10,20,650"));        // nine
    EXPECT_FALSE(ws::parse_placement("0,1,-1,-1,-1,-1,10,20,650,500,7"));  // eleven
    EXPECT_FALSE(ws::parse_placement(""));
    EXPECT_FALSE(ws::parse_placement("0,1,-1,-1,-1,-1,10,20,650,500x"));  // trailing text
    EXPECT_FALSE(ws::parse_placement("0,1,-1,-1,-1,-1,10,20,650,500,"));
    EXPECT_FALSE(ws::parse_placement("0,1,-1,-1,-1,-1,10,20,650, 500"));
    EXPECT_FALSE(ws::parse_placement("0,1,-1,-1,-1,-1,10,,650,500"));
    EXPECT_FALSE(ws::parse_placement("0,1,-1,-1,-1,-1,10,-,650,500"));
}

TEST(PlacementParser, NumbersStayWithinThirtyTwoBits) {
    // The first two are unsigned: 4294967295 is the largest, and no sign may make one negative.
    EXPECT_TRUE(ws::parse_placement("4294967295,1,0,0,0,0,0,0,10,10"));
    EXPECT_FALSE(ws::parse_placement("4294967296,1,0,0,0,0,0,0,10,10"));
    EXPECT_FALSE(ws::parse_placement("-1,1,0,0,0,0,0,0,10,10"));
    EXPECT_FALSE(ws::parse_placement("0,99999999999999999999,0,0,0,0,0,0,10,10"));
    // The others are signed 32 bits.
    const auto low = ws::parse_placement("0,1,-2147483648,0,0,0,-2147483648,0,2147483647,10");
    ASSERT_TRUE(low.has_value());
    EXPECT_EQ(low->min_x, -2147483647 - 1);
    EXPECT_EQ(low->normal.right, 2147483647);
    EXPECT_FALSE(ws::parse_placement("0,1,2147483648,0,0,0,0,0,10,10"));
    EXPECT_FALSE(ws::parse_placement("0,1,-2147483649,0,0,0,0,0,10,10"));
    EXPECT_FALSE(ws::parse_placement("0,1,0,0,0,0,0,0,00000000010,10"));
}

TEST(PlacementParser, AnEmptyOrInvertedRectangleIsRefused) {
    EXPECT_FALSE(ws::parse_placement("0,1,-1,-1,-1,-1,100,20,100,500"));  // no width
    EXPECT_FALSE(ws::parse_placement("0,1,-1,-1,-1,-1,100,20,50,500"));   // right of left
    EXPECT_FALSE(ws::parse_placement("0,1,-1,-1,-1,-1,10,500,650,20"));   // bottom above top
}

TEST(PlacementParser, SplitterValuesAreFourAndNeverNegative) {
    EXPECT_EQ(ws::parse_splitter("180,420,20,10"), (ws::SplitterPos{180, 420, 20, 10}));
    EXPECT_EQ(ws::parse_splitter("-5,420,-1,0"), (ws::SplitterPos{0, 420, 0, 0}));
    EXPECT_FALSE(ws::parse_splitter("180,420,20"));
    EXPECT_FALSE(ws::parse_splitter("180,420,20,10,0"));
    EXPECT_FALSE(ws::parse_splitter("180,420,20,10 "));
    EXPECT_FALSE(ws::parse_splitter("180,420,20,3000000000"));
}

TEST(PlacementScreens, ARectangleOnNoScreenMovesToThePrimaryOne) {
    const std::vector<ws::PlacementRect> screens = {{0, 0, 1920, 1080}, {1920, 0, 3840, 1080}};
    // On the second screen: stays.
    EXPECT_EQ(ws::fit_to_screens({2000, 100, 2600, 500}, screens), (ws::PlacementRect{2000, 100, 2600, 500}));
    // Partly on the first: stays.
    EXPECT_EQ(ws::fit_to_screens({-100, -50, 500, 400}, screens), (ws::PlacementRect{-100, -50, 500, 400}));
    // On a screen that is gone: to the primary's corner, same size.
    EXPECT_EQ(ws::fit_to_screens({5000, 100, 5600, 500}, screens), (ws::PlacementRect{0, 0, 600, 400}));
    // Larger than the primary: cut to it.
    EXPECT_EQ(ws::fit_to_screens({-9000, -9000, -1000, -1000}, screens), (ws::PlacementRect{0, 0, 1920, 1080}));
    EXPECT_EQ(ws::fit_to_screens({5000, 100, 5600, 500}, {}), (ws::PlacementRect{5000, 100, 5600, 500}));
}

TEST(PlacementKeys, ConnectionThenProviderInUpperCase) {
    EXPECT_EQ(ws::open_pos_key(ws::placement_suffix("Host1", "Net")), "OpenPosHOST1NET");
    EXPECT_EQ(ws::split_pos_key(1, ws::placement_suffix("Host1", "Net")), "SplitPos1HOST1NET");
    EXPECT_EQ(ws::split_pos_key(2, ws::placement_suffix("Host1", "Net")), "SplitPos2HOST1NET");
}

TEST(PlacementStore, OneConnectionOverTwoProvidersKeepsTwoPlacements) {
    TempDir dir;
    const std::string ini = dir.write("kestra.ini", "[admin]\nUID=ADMIN\n");
    const auto tavlink = ws::open_pos_key(ws::placement_suffix("Host1", "Tavlink"));
    const auto other = ws::open_pos_key(ws::placement_suffix("Host1", "Net"));
    ws::WindowPlacement a;
    a.normal = {0, 0, 300, 200};
    ws::WindowPlacement b;
    b.flags = ws::WindowPlacement::kRestoreToMaximized;
    b.show_command = ws::WindowPlacement::kShowMaximized;
    b.normal = {10, 10, 400, 300};
    ASSERT_TRUE(ws::write_placement(ini, tavlink, a));
    ASSERT_TRUE(ws::write_placement(ini, other, b));
    EXPECT_EQ(ws::read_placement(ini, tavlink), a);
    EXPECT_EQ(ws::read_placement(ini, other), b);
    EXPECT_EQ(kestra::platform::get_private_profile_string("admin", "UID", "", ini), "ADMIN");

    // No window to save: the key goes.
    ASSERT_TRUE(ws::write_placement(ini, tavlink, std::nullopt));
    EXPECT_FALSE(ws::read_placement(ini, tavlink));
    EXPECT_EQ(TempDir::read(ini).find("OpenPosHOST1TAVLINK"), std::string::npos);

    // A value that does not parse is ignored, and the next save writes a good one over it.
    kestra::platform::write_private_profile_string("admin", other, "1,2,3", ini);
    EXPECT_FALSE(ws::read_placement(ini, other));
    ASSERT_TRUE(ws::write_placement(ini, other, b));
    EXPECT_EQ(ws::read_placement(ini, other), b);

    ASSERT_TRUE(ws::write_splitter(ini, "SplitPos1HOST1NET", ws::SplitterPos{150, 380, 0, 0}));
    EXPECT_EQ(ws::read_splitter(ini, "SplitPos1HOST1NET"), (ws::SplitterPos{150, 380, 0, 0}));
}
