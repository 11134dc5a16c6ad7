#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <string>
#include <vector>

#include "archive/entry_header.h"
#include "archive/transfer_codec.h"
#include "support/temp_dir.h"

namespace kestra::archive {
namespace {

using kestra::testing::TempDir;

TEST(HexCodec, EncodesLowerCaseAndDecodesEitherCase) {
    const std::vector<std::uint8_t> bytes = {0x00, 0x0F, 0xA0, 0xFF, 0x7e};
    std::string hex = "0";
    hex_encode(bytes, hex);
    EXPECT_EQ(hex, "0000fa0ff7e");
    std::vector<std::uint8_t> back;
    ASSERT_TRUE(hex_decode("000fA0Ff7E", back));
    EXPECT_EQ(back, bytes);
    back.clear();
    EXPECT_TRUE(hex_decode("", back));
    EXPECT_TRUE(back.empty());
}

TEST(HexCodec, OddCountOrNonHexDigitFailsAndAddsNothing) {
    std::vector<std::uint8_t> out = {1};
    EXPECT_FALSE(hex_decode("abc", out));
    EXPECT_FALSE(hex_decode("0g", out));
    EXPECT_FALSE(hex_decode("00 1", out));
    EXPECT_FALSE(hex_decode("-1", out));
    EXPECT_EQ(out, std::vector<std::uint8_t>{1});
}

// Every character in either place of a pair, at the end of a long run so a bad digit after good ones still
// counts: exactly 0-9, a-f and A-F decode, to their values; anything else fails and keeps what was there.
TEST(HexCodec, EveryCharacterInEitherPlaceAfterALongRun) {
    const std::string run(4096, '5');
    for (int c = 0; c < 256; ++c) {
        const char ch = static_cast<char>(c);
        int expected = -1;
        if (c >= '0' && c <= '9') expected = c - '0';
        if (c >= 'a' && c <= 'f') expected = c - 'a' + 10;
        if (c >= 'A' && c <= 'F') expected = c - 'A' + 10;
        for (const bool high : {true, false}) {
            std::vector<std::uint8_t> out = {9};
            const bool ok = hex_decode(run + (high ? std::string{ch, '0'} : std::string{'0', ch}), out);
            ASSERT_EQ(ok, expected >= 0) << "character " << c;
            if (!ok) {
                EXPECT_EQ(out, std::vector<std::uint8_t>{9}) << "character " << c;
                continue;
            }
            ASSERT_EQ(out.size(), 1 + run.size() / 2 + 1);
            EXPECT_EQ(out[1], 0x55);
            EXPECT_EQ(out.back(), high ? expected << 4 : expected) << "character " << c;
        }
    }
}

TEST(PutChunk, DataLimitOf1024Carries511BytesAs1022Digits) {
    EXPECT_EQ(put_chunk_size(1024), 511u);
    EXPECT_EQ(put_chunk_size(1025), 512u);
    EXPECT_EQ(put_chunk_size(2), 0u);
    EXPECT_EQ(put_chunk_size(0), 0u);
    std::vector<std::uint8_t> chunk(put_chunk_size(1024), 0xAB);
    const std::string body = encode_put_data_body(chunk);
    EXPECT_EQ(body.size(), 1023u);
    EXPECT_LE(body.size(), 1024u);
    EXPECT_EQ(body[0], '0');
    EXPECT_EQ(body.substr(1).find_first_not_of("ab"), std::string::npos);
}

TEST(Progress, WholePercentWithoutOverflow) {
    EXPECT_EQ(progress_percent(0, 0), 100);
    EXPECT_EQ(progress_percent(0, 10), 0);
    EXPECT_EQ(progress_percent(9, 10), 90);
    EXPECT_EQ(progress_percent(999, 1000), 99);
    EXPECT_EQ(progress_percent(10, 10), 100);
    // 5 GiB: done * 100 would not fit 32 bits.
    const std::uint64_t five_gib = std::uint64_t{5} << 30;
    EXPECT_EQ(progress_percent(five_gib / 2, five_gib), 50);
    const std::uint64_t max = std::numeric_limits<std::uint64_t>::max();
    EXPECT_EQ(progress_percent(max - 1, max), 99);
    EXPECT_EQ(progress_percent(max / 3, max), 33);
    EXPECT_EQ(progress_percent(max / 2, max), 49);
}

TEST(GetReplies, FirstReplyWithAndWithoutExtraBlock) {
    HostFileAttributes a;
    a.a1 = 4294967295u;
    a.frame_size = 65535;
    a.record_size = 3;
    a.record_count = 7;
    a.f1 = 9;
    a.f3 = 5;
    a.raw = {'0', 0, 0xFF, 1, 2, 3, 4, 5, 6, 7, 8, 9};
    a.t1 = "ONE";
    a.t2 = "";
    std::string block;
    encode_attribute_block(a, block);
    EXPECT_EQ(block.substr(0, 10), "4294967295");
    EXPECT_EQ(block.size(), 101u + 3 + 3 + 3);

    std::string extra = "junk";
    HostFileAttributes got;
    std::string error;
    ASSERT_TRUE(decode_get_first_reply("003XYZ" + block, true, extra, got, error)) << error;
    EXPECT_EQ(extra, "XYZ");
    EXPECT_EQ(got, a);
    EXPECT_EQ(got.file_size(), 3u * 6 * 7);
    // Request 49's reply has no extra block: the entry gets "000".
    ASSERT_TRUE(decode_get_first_reply(block, false, extra, got, error)) << error;
    EXPECT_EQ(extra, "");
    EXPECT_EQ(got, a);

    const std::string put = encode_put_first_body("A/B", a, "XYZ", true);
    EXPECT_EQ(put, "0003A/B" + block + "003XYZ");
    EXPECT_EQ(encode_put_first_body("A/B", a, "XYZ", false), "0003A/B" + block);
    EXPECT_EQ(encode_get_first_body("A/B"), "0003A/B");
}

TEST(GetReplies, FirstReplyRefusesWhatWouldNotFit) {
    HostFileAttributes a;
    a.record_size = 1;
    std::string block;
    encode_attribute_block(a, block);
    std::string extra;
    HostFileAttributes got;
    std::string error;
    auto with = [&](std::size_t at, const std::string& text) {
        std::string b = block;
        b.replace(at, text.size(), text);
        return b;
    };
    EXPECT_FALSE(decode_get_first_reply(with(0, "4294967296"), false, extra, got, error));
    EXPECT_EQ(error, "File attribute A1 exceeds its field");
    EXPECT_FALSE(decode_get_first_reply(with(30, "65536"), false, extra, got, error));
    EXPECT_EQ(error, "File attribute frame size exceeds its field");
    EXPECT_FALSE(decode_get_first_reply(with(35, "12345x7890"), false, extra, got, error));
    EXPECT_FALSE(decode_get_first_reply(block.substr(0, 50), false, extra, got, error));
    EXPECT_FALSE(decode_get_first_reply(block.substr(0, block.size() - 1), false, extra, got, error));
    // T1 of 32 characters and T2 of 128 would have to be cut.
    std::string long_t1 = block.substr(0, 101) + "032" + std::string(32, 'x') + "000";
    EXPECT_FALSE(decode_get_first_reply(long_t1, false, extra, got, error));
    std::string long_t2 = block.substr(0, 101) + "000" + "128" + std::string(128, 'x');
    EXPECT_FALSE(decode_get_first_reply(long_t2, false, extra, got, error));
    std::string fit = block.substr(0, 101) + "031" + std::string(31, 'x') + "127" + std::string(127, 'y');
    EXPECT_TRUE(decode_get_first_reply(fit, false, extra, got, error)) << error;
    // Extra block length that runs past the reply, or is not three digits.
    EXPECT_FALSE(decode_get_first_reply("999AB" + block, true, extra, got, error));
    EXPECT_FALSE(decode_get_first_reply("0A1" + block, true, extra, got, error));
    EXPECT_FALSE(decode_get_first_reply("00", true, extra, got, error));
    // Frame size 0 with the largest record size and count: 6 * 2^64 bytes overflows.
    std::string huge = with(35, "4294967295");
    huge.replace(75, 10, "4294967295");
    EXPECT_FALSE(decode_get_first_reply(huge, false, extra, got, error));
    EXPECT_EQ(error, "File size overflows");
}

TEST(GetReplies, DataReplyKeepsAtMostWhatIsDue) {
    std::vector<std::uint8_t> out;
    ASSERT_TRUE(decode_get_data_reply("4142", 5, out));
    EXPECT_EQ(out, (std::vector<std::uint8_t>{0x41, 0x42}));
    ASSERT_TRUE(decode_get_data_reply("41424344", 3, out));
    EXPECT_EQ(out.size(), 3u);
    EXPECT_FALSE(decode_get_data_reply("", 3, out));
    EXPECT_FALSE(decode_get_data_reply("414", 3, out));
    EXPECT_FALSE(decode_get_data_reply("4z", 3, out));
    EXPECT_TRUE(decode_get_data_reply("", 0, out));
    EXPECT_TRUE(out.empty());
}

TEST(InvalidCommand, OnlyTheTaggedTextMeansRetryWith49) {
    EXPECT_TRUE(is_invalid_command_refusal("00001S1000[Kestra]INVALID COMMAND 57"));
    EXPECT_FALSE(is_invalid_command_refusal("[Kestra] INVALID COMMAND"));
    EXPECT_FALSE(is_invalid_command_refusal("INVALID COMMAND"));
    EXPECT_FALSE(is_invalid_command_refusal("[Kestra]FILE NOT FOUND"));
}

TEST(ListFile, NamesOneALine) {
    TempDir dir;
    const std::string path = dir.write("list.txt", "FIRST/FILE\r\n  SECOND ON PACK  \n\n\r\nTHIRD");
    std::vector<std::string> names;
    std::string error;
    ASSERT_TRUE(read_list_file(path, names, error)) << error;
    EXPECT_EQ(names, (std::vector<std::string>{"FIRST/FILE", "SECOND ON PACK", "THIRD"}));
}

TEST(ListFile, MissingFileNamesThePath) {
    TempDir dir;
    std::vector<std::string> names;
    std::string error;
    const std::string path = dir.file("absent.lst");
    EXPECT_FALSE(read_list_file(path, names, error));
    EXPECT_EQ(error, "Cannot open list file " + path);
}

TEST(ListFile, AFolderIsAListFileThatCannotBeOpened) {
    TempDir dir;
    std::vector<std::string> names;
    std::string error;
    EXPECT_FALSE(read_list_file(dir.path(), names, error));
    EXPECT_EQ(error, "Cannot open list file " + dir.path());
    EXPECT_TRUE(names.empty());
}

TEST(ListFile, OverlongLinesAndEndlessListsStayBounded) {
    TempDir dir;
    std::string text = std::string(100000, 'L') + "\nNEXT\n";
    for (int i = 0; i < 5000; ++i) text += "F" + std::to_string(i) + "\n";
    const std::string path = dir.write("long.lst", text);
    std::vector<std::string> names;
    std::string error;
    ASSERT_TRUE(read_list_file(path, names, error));
    ASSERT_EQ(names.size(), 4097u);
    // Still too long to be a host file name, so it is refused rather than fetched under a cut name.
    EXPECT_GT(names[0].size(), kMaxHostFileNameLength);
    EXPECT_LT(names[0].size(), 2000u);
    std::string problem;
    EXPECT_FALSE(check_host_file_name(names[0], problem));
    EXPECT_EQ(names[1], "NEXT");
}

}  // namespace
}  // namespace kestra::archive
