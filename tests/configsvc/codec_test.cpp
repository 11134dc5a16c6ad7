#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <string>

#include "configsvc/body_writer.h"
#include "configsvc/reply_reader.h"

namespace kestra::configsvc {
namespace {

// A buffer with guard bytes after the capacity, to catch any write past it.
struct GuardedBuffer {
    static constexpr char kGuard = '#';
    explicit GuardedBuffer(std::size_t size) : capacity(size), bytes(size + 16, kGuard) {}
    bool guard_intact() const {
        for (std::size_t i = capacity; i < bytes.size(); ++i) {
            if (bytes[i] != kGuard) return false;
        }
        return true;
    }
    std::size_t capacity;
    std::string bytes;
};

TEST(BodyWriterNumbers, TheTwoWritersDifferOnlyOnWideValues) {
    std::array<char, 64> buf{};
    BodyWriter w(buf.data(), buf.size());
    EXPECT_TRUE(w.number(12345, 4));
    EXPECT_TRUE(w.number_whole(12345, 4));
    EXPECT_EQ(w.view(), "123412345");

    BodyWriter same(buf.data(), buf.size());
    same.number(42, 4);
    same.number_whole(42, 4);
    same.number(0, 1);
    same.number_whole(0, 3);
    same.number(7, 10);
    EXPECT_EQ(same.view(), "0042004200000000000007");
    EXPECT_TRUE(same.ok());
}

TEST(BodyWriterNumbers, NegativeValuesAndBadWidthsAreRefused) {
    std::array<char, 16> buf{};
    BodyWriter w(buf.data(), buf.size());
    w.number(5, 2);
    EXPECT_FALSE(w.number(-1, 1));
    EXPECT_EQ(w.error(), BodyError::negative_number);
    EXPECT_EQ(w.view(), "05");
    EXPECT_FALSE(w.stop());  // the writer stays stopped
    EXPECT_EQ(w.length(), 2u);

    BodyWriter z(buf.data(), buf.size());
    EXPECT_FALSE(z.number(1, 0));
    EXPECT_EQ(z.error(), BodyError::bad_width);
    BodyWriter wide(buf.data(), buf.size());
    EXPECT_FALSE(wide.number_whole(1, 21));
    EXPECT_FALSE(body_error_text(BodyError::no_room).empty());
}

TEST(BodyWriterText, LengthPrefixedFromZeroTo999) {
    std::string buf(1100, '\0');
    BodyWriter w(buf.data(), buf.size());
    EXPECT_TRUE(w.text(""));
    EXPECT_EQ(w.view(), "000");

    BodyWriter full(buf.data(), buf.size());
    const std::string longest(999, 'n');
    EXPECT_TRUE(full.text(longest));
    EXPECT_EQ(full.length(), 1002u);
    EXPECT_EQ(full.view().substr(0, 4), "999n");

    BodyWriter over(buf.data(), buf.size());
    over.raw("AB");
    EXPECT_FALSE(over.text(std::string(1000, 'n')));
    EXPECT_EQ(over.error(), BodyError::text_too_long);
    EXPECT_EQ(over.view(), "AB");
}

TEST(BodyWriterText, FlagsMarksAndStop) {
    std::array<char, 16> buf{};
    BodyWriter w(buf.data(), buf.size());
    w.number(7, 4);
    w.flag(false);
    w.flag(true);
    w.byte(0x00);
    w.byte(0x01);
    w.stop();
    // Counted, not found by a terminator: the 0x00 mark does not shorten the body.
    EXPECT_EQ(w.length(), 9u);
    EXPECT_EQ(w.view(), std::string_view("000701\x00\x01.", 9));
}

TEST(BodyWriterUpperCase, OnlyAsciiLettersChange) {
    std::array<char, 64> buf{};
    BodyWriter w(buf.data(), buf.size());
    w.text("(adm)cfg on pack");
    w.number(3, 4);
    w.raw("z{`@\xe9");
    w.byte(0x61 - 0x60);
    w.stop();
    w.upper_case();
    EXPECT_EQ(w.view(), std::string_view("016(ADM)CFG ON PACK0003Z{`@\xe9\x01.", 30));
}

TEST(BodyWriterUpperCase, ARangeLeavesTheRestAsTyped) {
    std::array<char, 64> buf{};
    BodyWriter w(buf.data(), buf.size());
    w.number(12, 4);
    const std::size_t name_start = w.length();
    w.text("new cfg");
    const std::size_t name_end = w.length();
    w.raw("tail");
    w.upper_case(name_start, name_end);
    EXPECT_EQ(w.view(), "0012007NEW CFGtail");
    w.upper_case(10, 1000);  // an end past the body is bounded by it
    EXPECT_EQ(w.view(), "0012007NEW CFGTAIL");
}

TEST(BodyWriterCapacity, NothingIsWrittenPastIt) {
    GuardedBuffer buf(10);
    BodyWriter w(buf.bytes.data(), buf.capacity);
    EXPECT_TRUE(w.number(1, 4));
    EXPECT_EQ(w.room(), 6u);
    EXPECT_FALSE(w.text("ABCDEF"));  // 3 + 6 > 6
    EXPECT_EQ(w.error(), BodyError::no_room);
    EXPECT_EQ(w.length(), 4u);
    EXPECT_TRUE(buf.guard_intact());

    GuardedBuffer exact(9);
    BodyWriter fits(exact.bytes.data(), exact.capacity);
    EXPECT_TRUE(fits.text("ABCDEF"));
    EXPECT_EQ(fits.room(), 0u);
    EXPECT_FALSE(fits.stop());
    EXPECT_FALSE(fits.byte(1));
    EXPECT_EQ(fits.length(), 9u);
    EXPECT_TRUE(exact.guard_intact());

    GuardedBuffer narrow(3);
    BodyWriter whole(narrow.bytes.data(), narrow.capacity);
    EXPECT_FALSE(whole.number_whole(12345, 2));
    EXPECT_EQ(whole.length(), 0u);
    EXPECT_TRUE(narrow.guard_intact());

    BodyWriter none(nullptr, 100);
    EXPECT_EQ(none.room(), 0u);
    EXPECT_FALSE(none.stop());
}

TEST(ReplyReaderNumbers, TheNumberReaderRules) {
    ReplyReader r(std::string_view("0  12x7ab 9"));
    EXPECT_EQ(r.number(1), 0u);    // status digit
    EXPECT_EQ(r.number(4), 12u);   // "  12": blanks inside the width
    EXPECT_EQ(r.number(3), 0u);    // "x7a": stops at the first non-digit
    EXPECT_EQ(r.number(3), 0u);    // "b 9": the blank is not leading
    EXPECT_TRUE(r.at_end());
    EXPECT_FALSE(r.failed());
}

TEST(ReplyReaderNumbers, TheEndOfDataReadsAsANonDigit) {
    ReplyReader r(std::string_view("012"));
    EXPECT_EQ(r.number(1), 0u);
    EXPECT_EQ(r.number(4), 12u);  // "12" then the end
    EXPECT_TRUE(r.at_end());
    EXPECT_TRUE(r.failed());
    EXPECT_EQ(r.number(4), 0u);

    ReplyReader empty(nullptr, 5);
    EXPECT_TRUE(empty.at_end());
    EXPECT_EQ(empty.remaining(), 0u);
    EXPECT_EQ(empty.number(4), 0u);
}

TEST(ReplyReaderNumbers, RowCountsNeedTheWideReader) {
    ReplyReader r(std::string_view("99999999994294967296"));
    EXPECT_EQ(r.number_wide(10), 9999999999ull);
    EXPECT_EQ(r.number_wide(10), 4294967296ull);
    ReplyReader narrow(std::string_view("1234567890"));
    EXPECT_EQ(narrow.number(10), 123456789u);  // only nine digits fit the narrow reader
    ReplyReader option(std::string_view("99999"));
    EXPECT_EQ(option.number(5), 99999u);
}

TEST(ReplyReaderText, LengthPrefixedTexts) {
    ReplyReader r(std::string_view("005HELLO000003ABC1"));
    std::string out = "old";
    EXPECT_TRUE(r.text(out));
    EXPECT_EQ(out, "HELLO");
    EXPECT_TRUE(r.text(out));
    EXPECT_EQ(out, "");  // a length of 0 empties the text
    EXPECT_TRUE(r.text(out));
    EXPECT_EQ(out, "ABC");
    EXPECT_TRUE(r.flag());
    EXPECT_TRUE(r.at_end());
    EXPECT_FALSE(r.flag());
    EXPECT_TRUE(r.failed());
}

TEST(ReplyReaderText, ATextRunningPastTheEndFails) {
    ReplyReader r(std::string_view("0010ABCDEFGH"));
    EXPECT_EQ(r.number(1), 0u);
    std::string out = "kept";
    EXPECT_FALSE(r.text(out));  // promises 10, 8 remain
    EXPECT_TRUE(r.failed());
    EXPECT_EQ(out, "kept");
    EXPECT_EQ(r.remaining(), 11u);  // the cursor did not move over data that was never there

    ReplyReader cut(std::string_view("00"));
    EXPECT_FALSE(cut.text(out));
    EXPECT_EQ(out, "kept");
}

TEST(ReplyReaderText, FlagsAndSkipping) {
    ReplyReader r(std::string_view("0102"));
    EXPECT_FALSE(r.flag());
    EXPECT_TRUE(r.flag());
    EXPECT_FALSE(r.flag());  // anything but "1" is clear
    EXPECT_TRUE(r.skip(1));
    EXPECT_TRUE(r.at_end());
    EXPECT_FALSE(r.skip(1));
    EXPECT_TRUE(r.failed());

    r.reset("12", 2);
    EXPECT_FALSE(r.failed());
    EXPECT_EQ(r.number(2), 12u);
    EXPECT_EQ(r.rest(), "");
}

TEST(Codec, AWrittenBodyReadsBack) {
    std::array<char, 64> buf{};
    BodyWriter w(buf.data(), buf.size());
    w.number(7, 4);
    w.number(2, 4);
    w.text("*CFG ON DISK");
    w.flag(true);
    ReplyReader r(w.data(), w.length());
    EXPECT_EQ(r.number(4), 7u);
    EXPECT_EQ(r.number(4), 2u);
    std::string name;
    EXPECT_TRUE(r.text(name));
    EXPECT_EQ(name, "*CFG ON DISK");
    EXPECT_TRUE(r.flag());
    EXPECT_TRUE(r.at_end());
    EXPECT_FALSE(r.failed());
}

}  // namespace
}  // namespace kestra::configsvc
