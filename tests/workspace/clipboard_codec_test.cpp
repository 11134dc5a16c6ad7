// The two clipboard forms of a branch of the tree, and what a hostile or careless clipboard may hold.
#include "workspace/clipboard_codec.h"

#include <gtest/gtest.h>

namespace ws = kestra::workspace;

namespace {

ws::ClipNode sample() {
    ws::ClipNode root{"(PAY) ROOT ON DISK", 123, true, {}};
    root.children.push_back({"*A ON P", 5, false, {}});
    root.children.push_back({"*B ON P", 42, false, {}});
    root.children[0].children.push_back({"*C ON P", 7, false, {}});
    return root;
}

void expect_same_shape(const ws::ClipNode& a, const ws::ClipNode& b) {
    EXPECT_EQ(a.name, b.name);
    ASSERT_EQ(a.children.size(), b.children.size());
    for (std::size_t i = 0; i < a.children.size(); ++i) expect_same_shape(a.children[i], b.children[i]);
}

void put32(std::string& s, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) s += static_cast<char>((v >> (8 * i)) & 0xFF);
}

TEST(PrivateFormat, RoundTripsNamesCollapsedAndChildren) {
    const auto back = ws::decode_private(ws::encode_private(sample()));
    ASSERT_TRUE(back);
    expect_same_shape(*back, sample());
    EXPECT_TRUE(back->collapsed);
    EXPECT_FALSE(back->children[0].collapsed);
}

TEST(PrivateFormat, RejectsHostileCountsDepthsAndCutData) {
    std::string huge;
    put32(huge, 1);
    huge += "A";
    huge += std::string("\0\0", 2);
    put32(huge, 0x80000000u);  // 2^31 children promised in a few bytes
    EXPECT_FALSE(ws::decode_private(huge));

    std::string deep;
    for (int i = 0; i < 10000; ++i) {
        put32(deep, 0);
        deep += std::string("\0\0", 2);
        put32(deep, 1);
    }
    EXPECT_FALSE(ws::decode_private(deep));

    std::string long_name;
    put32(long_name, 1000);
    long_name += std::string(1000, 'N') + std::string("\0\0\0\0\0\0", 6);
    EXPECT_FALSE(ws::decode_private(long_name));

    const std::string good = ws::encode_private(sample());
    for (std::size_t cut = 0; cut < good.size(); ++cut) EXPECT_FALSE(ws::decode_private(good.substr(0, cut))) << cut;
    EXPECT_FALSE(ws::decode_private(good + "x"));  // left-over bytes
}

TEST(PlainText, WritesTabsTwoDigitsAndCrLf) {
    EXPECT_EQ(ws::encode_text(sample()),
              "12(PAY) ROOT ON DISK\r\n\t05*A ON P\r\n\t\t07*C ON P\r\n\t42*B ON P\r\n");
    std::string trace;
    const auto back = ws::decode_text(ws::encode_text(sample()), &trace);
    ASSERT_TRUE(back);
    expect_same_shape(*back, sample());
    EXPECT_EQ(back->number, 12);  // only two digits travel
    EXPECT_EQ(back->children[1].number, 42);
    EXPECT_TRUE(trace.empty());
}

TEST(PlainText, AnEmptyLineEndsTheReadWithWhatCameBefore) {
    const auto back = ws::decode_text("01A\r\n\t02B\r\n\r\n\t03C\r\n");
    ASSERT_TRUE(back);
    EXPECT_EQ(back->children.size(), 1u);
    EXPECT_FALSE(ws::decode_text(""));
}

TEST(PlainText, EachStopRuleRejectsAllAndTracesWhy) {
    std::string trace;
    EXPECT_FALSE(ws::decode_text("01A\r\n\t\t02B\r\n", &trace));  // two levels deeper at once
    EXPECT_EQ(trace, "Text file contains too many tabs = aborting read\n");

    std::string deep = "01A\r\n";
    for (int i = 1; i <= 20; ++i) deep += std::string(static_cast<std::size_t>(i), '\t') + "01N\r\n";
    trace.clear();
    EXPECT_FALSE(ws::decode_text(deep, &trace));
    EXPECT_EQ(trace, "Text file contains too many tabs = aborting read\n");

    trace.clear();
    EXPECT_FALSE(ws::decode_text("01" + std::string(300, 'A') + "\r\n", &trace));
    EXPECT_EQ(trace, "Text file contains too long a line - aborting read\n");

    trace.clear();
    EXPECT_FALSE(ws::decode_text("01A\r\n\t7\r\n", &trace));  // a short line: one digit
    EXPECT_EQ(trace, ws::kNoNumberTrace);
}

TEST(PlainText, ALineOfExactlyTheBufferIsRead) {
    const std::string name(256 - 2 - 2, 'N');
    EXPECT_TRUE(ws::decode_text("01" + name + "\r\n"));
    EXPECT_FALSE(ws::decode_text("01" + name + "N\r\n"));
}

}  // namespace
