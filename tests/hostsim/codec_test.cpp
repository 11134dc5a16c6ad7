#include <gtest/gtest.h>

#include "body_codec.h"
#include "host_message.h"

namespace kestra::hostsim {
namespace {

TEST(BodyReader, ReadsNumbersFlagsTextsAndDot) {
    BodyReader r("0042" "1" "005HELLO" "000" ".");
    int n = 0;
    bool f = false;
    std::string a, b;
    EXPECT_TRUE(r.number(4, n));
    EXPECT_EQ(n, 42);
    EXPECT_TRUE(r.flag(f));
    EXPECT_TRUE(f);
    EXPECT_TRUE(r.text(a));
    EXPECT_EQ(a, "HELLO");
    EXPECT_TRUE(r.text(b));
    EXPECT_EQ(b, "");
    EXPECT_TRUE(r.dot());
    EXPECT_TRUE(r.at_end());
    EXPECT_TRUE(r.ok());
}

TEST(BodyReader, TextLongerThanBodyFailsWithoutReadingPastIt) {
    BodyReader r("010ABC");
    std::string text;
    EXPECT_FALSE(r.text(text));
    EXPECT_FALSE(r.ok());
    EXPECT_TRUE(text.empty());
}

TEST(BodyReader, FirstFailureSticks) {
    BodyReader r("12X4" "1");
    int n = 0;
    bool f = false;
    EXPECT_FALSE(r.number(4, n));
    EXPECT_FALSE(r.flag(f));   // would succeed on its own, but the body is already misread
    EXPECT_NE(r.error().find("non-digit"), std::string::npos);
}

TEST(BodyReader, FlagMustBeZeroOrOne) {
    BodyReader r("2");
    bool f = false;
    EXPECT_FALSE(r.flag(f));
}

TEST(BodyReader, ShortNumberAndMissingDotFail) {
    int n = 0;
    EXPECT_FALSE(BodyReader("12").number(4, n));
    EXPECT_FALSE(BodyReader("").dot());
    std::string s;
    EXPECT_FALSE(BodyReader("ABC").raw_until('/', s));
}

TEST(BodyWriter, PadsAndCutsToWidth) {
    BodyWriter w;
    w.number(7, 3).number(123456, 4).flag(false).text("AB");
    EXPECT_EQ(w.data(), "007" "9999" "0" "002AB");
}

TEST(BodyWriter, TextOverNineHundredNinetyNineIsCut) {
    BodyWriter w;
    w.text(std::string(1200, 'X'));
    EXPECT_EQ(w.data().substr(0, 3), "999");
    EXPECT_EQ(w.data().size(), 1002U);
}

TEST(ParseRequest, SplitsHeaderAndBody) {
    RequestHeader h;
    std::string_view body;
    ASSERT_EQ(parse_request("#@!300" "2" "009" "0002" "10", h, body), HeaderStatus::ok);
    EXPECT_EQ(h.sequence, '3');
    EXPECT_EQ(h.kind, 2);
    EXPECT_EQ(h.code, 9);
    EXPECT_EQ(body, "10");
}

TEST(ParseRequest, BodyIsTheDeclaredLengthEvenWhenTheFrameHoldsMore) {
    RequestHeader h;
    std::string_view body;
    ASSERT_EQ(parse_request("#@!0002008" "0001" "XYZ", h, body), HeaderStatus::ok);
    EXPECT_EQ(body, "X");
}

TEST(ParseRequest, RejectsForeignShortMalformedAndOverlongMessages) {
    RequestHeader h;
    std::string_view body;
    EXPECT_EQ(parse_request("HELLO THERE, HOST", h, body), HeaderStatus::not_host_message);
    EXPECT_EQ(parse_request("#@!000200", h, body), HeaderStatus::not_host_message);
    EXPECT_EQ(parse_request("#@!0002A080000", h, body), HeaderStatus::bad_header);
    EXPECT_EQ(parse_request("#@!0002008" "0050" "AB", h, body), HeaderStatus::length_past_frame);
    EXPECT_EQ(body, "AB");
}

TEST(BuildMessage, WritesTheFourteenCharacterHeader) {
    EXPECT_EQ(build_message('7', 2, 8, "010"), "#@!7002008" "0003" "010");
    EXPECT_EQ(build_message('0', 2, 8, "0", 51), "#@!0002008" "0051" "0");
}

TEST(RefusalData, StatusRecordsAndTerminator) {
    EXPECT_EQ(refusal_data('2', {{3, "[Kestra]INVALID COMMAND"}}), "2" "0003" "0023" "[Kestra]INVALID COMMAND" "0000");
    EXPECT_EQ(refusal_data('1', {{13, "ABCDE"}, {14, ""}}), "1" "0013" "0005" "ABCDE" "0014" "0000" "0000");
}

std::vector<std::string> entries_of(std::size_t count, std::size_t size) {
    std::vector<std::string> entries;
    for (std::size_t i = 0; i < count; ++i) entries.push_back(std::string(size, static_cast<char>('A' + i % 26)));
    return entries;
}

TEST(SplitList, EmptyListIsTheHeadAlone) {
    std::vector<std::string> messages;
    ASSERT_TRUE(split_list("00000", {}, 100, messages));
    ASSERT_EQ(messages.size(), 1U);
    EXPECT_EQ(messages[0], "00000");
}

TEST(SplitList, EntriesNeverSpanMessagesAndAllArrive) {
    std::vector<std::string> messages;
    const auto entries = entries_of(10, 7);
    ASSERT_TRUE(split_list("00010", entries, 20, messages));
    // head 5 + one 7-character entry = 12; a second would make 19, a third 26.
    ASSERT_EQ(messages.size(), 5U);
    EXPECT_EQ(messages[0], "00010" + entries[0] + entries[1]);
    std::string all;
    for (std::size_t i = 0; i < messages.size(); ++i) {
        EXPECT_LE(messages[i].size(), 20U);
        if (i > 0) {
            EXPECT_EQ(messages[i].size() % 7, 0U);
        }
        all += messages[i];
    }
    std::string expected = "00010";
    for (const auto& e : entries) expected += e;
    EXPECT_EQ(all, expected);
}

TEST(SplitList, EntryExactlyFillingAMessageFits) {
    std::vector<std::string> messages;
    ASSERT_TRUE(split_list("0002", entries_of(2, 6), 10, messages));
    ASSERT_EQ(messages.size(), 2U);
    EXPECT_EQ(messages[0].size(), 10U);
    EXPECT_EQ(messages[1].size(), 6U);
}

TEST(SplitList, EntryLargerThanTheLimitIsRefused) {
    std::vector<std::string> messages;
    EXPECT_FALSE(split_list("0001", entries_of(1, 21), 20, messages));
    // The first entry must share the first message with the head.
    EXPECT_FALSE(split_list("00001", entries_of(1, 18), 20, messages));
}

}  // namespace
}  // namespace kestra::hostsim
