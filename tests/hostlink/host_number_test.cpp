#include "hostlink/host_number.h"

#include <gtest/gtest.h>

#include "hostlink/control_sequences.h"
#include "hostlink/reply_cursor.h"
#include "hostlink/sqlstate.h"

using namespace kestra::hostlink;

namespace {

TEST(PutNumber, PadsWithZerosAndWritesNoTerminator) {
    char out[8] = "xxxxxxx";
    put_number(out, 42, 4);
    EXPECT_EQ(std::string(out, 7), "0042xxx");
    put_number(out, 0, 1);
    EXPECT_EQ(out[0], '0');
    EXPECT_EQ(out[1], '0');
}

TEST(PutNumber, TooManyDigitsKeepTheLeadingOnes) {
    char out[4] = "xxx";
    put_number(out, 12345, 3);
    EXPECT_EQ(std::string(out, 3), "123");
}

TEST(GetNumber, BlanksCountInsideTheWidthAndANonDigitStops) {
    EXPECT_EQ(get_number("0042", 4, 4), 42u);
    EXPECT_EQ(get_number("  42", 4, 4), 42u);
    EXPECT_EQ(get_number("   4299", 4, 7), 4u);
    EXPECT_EQ(get_number("12a4", 4, 4), 12u);
    EXPECT_EQ(get_number("abcd", 4, 4), 0u);
}

TEST(GetNumber, NeverReadsPastWhatRemains) {
    // Only two bytes are real; the rest must not be touched.
    const char data[2] = {'1', '7'};
    EXPECT_EQ(get_number(data, 4, 2), 17u);
    EXPECT_EQ(get_number(data, 3, 0), 0u);
}

TEST(ReplyCursorRead, NumbersTextsAndTheEnd) {
    const std::string reply = "0042005HELLO1";
    ReplyCursor c(reply.data(), reply.size());
    EXPECT_EQ(c.number(4), 42u);
    std::string text;
    EXPECT_TRUE(c.text(text));
    EXPECT_EQ(text, "HELLO");
    EXPECT_TRUE(c.flag());
    EXPECT_TRUE(c.at_end());
    EXPECT_EQ(c.peek(), '\0');
    EXPECT_EQ(c.number(4), 0u);
    EXPECT_FALSE(c.flag());
}

TEST(ReplyCursorRead, ATextRunningPastTheEndFails) {
    const std::string reply = "009SHORT";
    ReplyCursor c(reply.data(), reply.size());
    std::string text;
    EXPECT_FALSE(c.text(text));
    EXPECT_TRUE(c.at_end());
    ReplyCursor two(reply.data(), 2);
    EXPECT_FALSE(two.text(text));
}

TEST(SqlStates, TableEntriesAndIndexesPastTheTable) {
    EXPECT_STREQ(sqlstate_for(0), "00000");
    EXPECT_STREQ(sqlstate_for(13), "08S01");
    EXPECT_STREQ(sqlstate_default_text(13), "Communication link failure");
    EXPECT_STREQ(sqlstate_for(17), "08001");
    EXPECT_STREQ(sqlstate_for(20), "IM001");
    EXPECT_STREQ(sqlstate_for(21), "S1000");
    EXPECT_STREQ(sqlstate_for(9999), "S1000");
}

std::size_t strip(const std::string& s) {
    return strip_control_sequences(s.data(), s.size());
}

TEST(StripControl, PlainBytesAndFixedLengthSequences) {
    EXPECT_EQ(strip("#@!9"), 0u);
    EXPECT_EQ(strip("\r\n\x01#@!"), 3u);
    EXPECT_EQ(strip("\xff\x80#"), 2u);
    EXPECT_EQ(strip("\x1b x#"), 3u);
    EXPECT_EQ(strip("\x1b$x#"), 3u);
    EXPECT_EQ(strip("\x1b-x#"), 3u);
    EXPECT_EQ(strip("\x1b_x#"), 3u);
    EXPECT_EQ(strip("\x1b\"ab#"), 4u);
    EXPECT_EQ(strip("\x1b^abcd#"), 6u);
    EXPECT_EQ(strip("\x1bZ#"), 2u);
    EXPECT_EQ(strip("\x1b\x1b#"), 2u);
}

TEST(StripControl, CountedSequences) {
    // ESC R, one byte, two hex digits, then that many bytes.
    EXPECT_EQ(strip(std::string("\x1bRx03abc#@!")), 8u);
    EXPECT_EQ(strip(std::string("\x1bRx00#@!")), 5u);
    // ESC R A: the count sits 6 bytes past the R.
    EXPECT_EQ(strip(std::string("\x1bRAxxxx0aabcdefghij#@!")), 19u);
    EXPECT_EQ(strip(std::string("\x1bRAxxxx0Bxbcdefghijk#@!")), 20u);
}

TEST(StripControl, LookAheadPastTheEndOrABadCountSkipsEverything) {
    EXPECT_EQ(strip("\x1b"), 1u);
    EXPECT_EQ(strip("\x1b^ab"), 4u);
    EXPECT_EQ(strip("\x1bR0"), 3u);
    EXPECT_EQ(strip("\x1bR05ab"), 6u);
    EXPECT_EQ(strip("\x1bRzz#@!9000000000"), 17u);
    EXPECT_EQ(strip("\x1bRAxx"), 5u);
    EXPECT_EQ(strip(""), 0u);
}

}  // namespace
