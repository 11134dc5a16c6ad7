#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "support/temp_dir.h"
#include "tavlink/frame.h"
#include "tavlink/translate_table.h"

using namespace kestra::tavlink;

namespace {

std::string xlt(const char* name) { return std::string(KESTRA_TEST_DATA) + "/xlt/" + name; }

struct Traces {
    std::vector<std::string> lines;
    TraceFn fn() {
        return [this](const std::string& l) { lines.push_back(l); };
    }
    bool has(const std::string& l) const {
        for (const auto& x : lines)
            if (x == l) return true;
        return false;
    }
};

}  // namespace

TEST(BuiltinTables, AreInversePermutations) {
    TranslateTables t = builtin_tables();
    std::vector<bool> seen(256);
    for (int b = 0; b < 256; ++b) {
        auto u = static_cast<std::uint8_t>(b);
        EXPECT_FALSE(seen[t.pc_to_host[u]]) << b;
        seen[t.pc_to_host[u]] = true;
        EXPECT_EQ(t.host_to_pc[t.pc_to_host[u]], u);
    }
    EXPECT_EQ(t.pc_to_host['A'], 0xC1);
    EXPECT_EQ(t.pc_to_host['0'], 0xF0);
    EXPECT_EQ(t.host_to_pc[0xC1], 'A');
    EXPECT_EQ(t.pc_to_host[' '], 0x40);
}

TEST(InverseTable, NonPermutationFirstMatchWinsOthersIdentity) {
    Table t = identity_table();
    t[1] = 5;  // 1 and 5 both map to 5; nothing maps to 1
    Table inv = inverse_table(t);
    EXPECT_EQ(inv[5], 1);
    EXPECT_EQ(inv[1], 1);
    EXPECT_EQ(inv[7], 7);
}

TEST(Translate, InPlaceAndCopyAgree) {
    Table t = builtin_tables().pc_to_host;
    std::string in = "Hello, World 0123456789 with a tail";
    std::string out(in.size(), '\0');
    translate(t, in.data(), out.data(), in.size());
    std::string copy = in;
    translate_in_place(t, copy.data(), copy.size());
    EXPECT_EQ(out, copy);
    for (std::size_t i = 0; i < in.size(); ++i)
        EXPECT_EQ(static_cast<unsigned char>(out[i]), t[static_cast<unsigned char>(in[i])]);
    translate_in_place(builtin_tables().host_to_pc, copy.data(), copy.size());
    EXPECT_EQ(copy, in);
}

TEST(Translate, EveryLengthAndByteAgreesWithTheTable) {
    // Long runs take the wide path and short tails the byte loop; both must give table[b] for every b.
    TranslateTables t = builtin_tables();
    std::string in;
    for (int i = 0; i < 700; ++i) in.push_back(static_cast<char>((i * 37 + 11) & 0xFF));
    for (std::size_t n : {0u, 1u, 7u, 63u, 64u, 65u, 127u, 128u, 200u, 511u, 700u}) {
        std::string out(n, '\0');
        translate(t.pc_to_host, in.data(), out.data(), n);
        for (std::size_t i = 0; i < n; ++i)
            ASSERT_EQ(static_cast<unsigned char>(out[i]), t.pc_to_host[static_cast<unsigned char>(in[i])]) << n;
        translate_in_place(t.host_to_pc, out.data(), n);
        EXPECT_EQ(out, in.substr(0, n));
    }
}

TEST(FrameHeader, EncodesLengthThroughTable) {
    TranslateTables t = builtin_tables();
    char h[4];
    ASSERT_TRUE(encode_frame_header(37, t.pc_to_host, h));
    EXPECT_EQ(std::string(h, 4), std::string("\xF0\xF0\xF3\xF7", 4));
    ASSERT_TRUE(encode_frame_header(9999, identity_table(), h));
    EXPECT_EQ(std::string(h, 4), "9999");
    std::memcpy(h, "abcd", 4);
    EXPECT_FALSE(encode_frame_header(10000, identity_table(), h));
    EXPECT_EQ(std::string(h, 4), "abcd");
}

TEST(FrameHeader, DecodesDigitsBlanksAndGarbage) {
    Table id = identity_table();
    EXPECT_EQ(decode_frame_header("0037", id), 37u);
    EXPECT_EQ(decode_frame_header("  12", id), 12u);
    EXPECT_EQ(decode_frame_header("12ab", id), 12u);
    EXPECT_EQ(decode_frame_header("abcd", id), 0u);
    EXPECT_EQ(decode_frame_header("-037", id), 0u);
    EXPECT_EQ(decode_frame_header("\xF0\xF0\xF3\xF7", builtin_tables().host_to_pc), 37u);
}

TEST(TranslateFile, SinglePcToHostEntry) {
    TranslateTables t = builtin_tables();
    Traces tr;
    ASSERT_EQ(load_translate_file(xlt("pc_a_only.xlt"), t, tr.fn()), 0);
    EXPECT_EQ(t.pc_to_host['A'], 193);
    for (int b = 0; b < 256; ++b) {
        EXPECT_EQ(t.host_to_pc[static_cast<std::size_t>(b)], b);
        if (b != 'A') {
            EXPECT_EQ(t.pc_to_host[static_cast<std::size_t>(b)], b);
        }
    }
    EXPECT_TRUE(tr.has("Tavlink32x1: PcToASeries"));
    EXPECT_TRUE(tr.has("Tavlink32x1: process translatetable line 65 = 193"));
    EXPECT_TRUE(tr.has("Tavlink32x1: look at 193"));
}

TEST(TranslateFile, HexOctalAndDecimalSetTheSameEntry) {
    TranslateTables dec, hex, oct;
    ASSERT_EQ(load_translate_file(xlt("pc_a_only.xlt"), dec, nullptr), 0);
    ASSERT_EQ(load_translate_file(xlt("hex_crlf.xlt"), hex, nullptr), 0);
    ASSERT_EQ(load_translate_file(xlt("octal.xlt"), oct, nullptr), 0);
    EXPECT_EQ(hex.pc_to_host, dec.pc_to_host);
    EXPECT_EQ(oct.pc_to_host, dec.pc_to_host);
    EXPECT_EQ(hex.host_to_pc, dec.host_to_pc);
}

TEST(TranslateFile, MalformedAndOutOfRangeEntriesAreSkipped) {
    TranslateTables t;
    Traces tr;
    ASSERT_EQ(load_translate_file(xlt("skipped_entries.xlt"), t, tr.fn()), 0);
    Table expected_out = identity_table();
    expected_out[67] = 0x44;
    EXPECT_EQ(t.pc_to_host, expected_out);
    Table expected_in = identity_table();
    expected_in[0xC1] = 65;
    EXPECT_EQ(t.host_to_pc, expected_in);
    EXPECT_TRUE(tr.has("Tavlink32x1: translatetable line before any section ignored 66 = 1"));
    EXPECT_TRUE(tr.has("Tavlink32x1: ASeriesToPc"));
}

TEST(TranslateFile, EntryParser) {
    std::uint8_t a = 0, b = 0;
    EXPECT_TRUE(parse_translate_entry("0x41=0301", a, b));
    EXPECT_EQ(a, 0x41);
    EXPECT_EQ(b, 0xC1);
    EXPECT_TRUE(parse_translate_entry("255 = 0", a, b));
    EXPECT_FALSE(parse_translate_entry("99999999999999999999 = 1", a, b));
    EXPECT_FALSE(parse_translate_entry("1 2", a, b));
    EXPECT_FALSE(parse_translate_entry("", a, b));
}

TEST(TranslateFile, UnknownSectionFailsAndMissingFileFails) {
    TranslateTables t;
    Traces tr;
    EXPECT_EQ(load_translate_file(xlt("unknown_section.xlt"), t, tr.fn()), 1);
    EXPECT_TRUE(tr.has("Tavlink32x1: unknown section in translate table file [HOSTTOPC]"));
    Traces tr2;
    std::string missing = xlt("does_not_exist.xlt");
    EXPECT_EQ(load_translate_file(missing, t, tr2.fn()), 1);
    ASSERT_EQ(tr2.lines.size(), 1u);
    EXPECT_EQ(tr2.lines[0], "Tavlink32x1: can't open translatetable file " + missing);
}

TEST(TranslateFile, ShortSectionNameFails) {
    kestra::testing::TempDir dir;
    TranslateTables t;
    EXPECT_EQ(load_translate_file(dir.write("short.xlt", "[PCTO]\n"), t, nullptr), 1);
    // Anything after the 11 characters is ignored, including a missing bracket.
    EXPECT_EQ(load_translate_file(dir.write("nobracket.xlt", "[ASERIESTOPC\n0xC1=65\n"), t, nullptr), 0);
    EXPECT_EQ(t.host_to_pc[0xC1], 65);
}
