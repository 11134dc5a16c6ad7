// The module name of a program chosen for a PC application, from small program files written by
// tests/data/exe/make_fixtures.py.
#include "workspace/module_name_reader.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <span>
#include <string>

namespace ws = kestra::workspace;

namespace {

std::string exe(const char* name) {
    return std::string(KESTRA_TEST_DATA) + "/exe/" + name;
}

void expect_name(const char* file, const char* name) {
    const ws::ModuleNameResult r = ws::read_module_name(exe(file));
    EXPECT_TRUE(r.ok) << file << ": " << r.text;
    EXPECT_EQ(r.text, name) << file;
}

void expect_refused(const char* file, const char* message) {
    const ws::ModuleNameResult r = ws::read_module_name(exe(file));
    EXPECT_FALSE(r.ok) << file;
    EXPECT_EQ(r.text, message) << file;
}

}  // namespace

TEST(ModuleNameReader, SixteenBitProgramsGiveTheResidentName) {
    expect_name("ne_long_name.exe", "ABCDEFGHIJKLMNO");  // 20 characters written, the first 15 taken
    expect_name("ne_blank_name.exe", "PAY");             // cut at the blank
    expect_name("ne_short_entry.exe", "CALC");           // the length byte counts, not the bytes after the name
}

TEST(ModuleNameReader, ThirtyTwoBitProgramsAreNamedAfterTheFile) {
    expect_name("setup.exe", "SETUP");
    expect_name("Pay.Roll.EXE", "PAY");
    EXPECT_EQ(ws::module_name_from_file_name("x/y/Pay.Roll.EXE"), "PAY");
    EXPECT_EQ(ws::module_name_from_file_name("C:PROG.EXE"), "PROG");
    EXPECT_EQ(ws::module_name_from_file_name("share\\bin\\tool.exe"), "TOOL");
    EXPECT_EQ(ws::module_name_from_file_name("/opt/noext"), "NOEXT");
}

TEST(ModuleNameReader, EachBrokenHeaderGetsItsMessage) {
    expect_refused("ten_bytes.exe", ws::kModuleShortHeader);
    expect_refused("no_mz.exe", ws::kModuleNotExe);
    expect_refused("dos_program.exe", ws::kModuleNotWindows);          // relocation table at 0x1C
    expect_refused("new_header_past_end.exe", ws::kModuleNotWindows);  // new header beyond the file
    expect_refused("unknown_signature.exe", ws::kModuleNotWindows);
    expect_refused("ne_names_past_end.exe", ws::kModuleNotWindows);  // one byte of the name table
    expect_refused("no_such_program.exe", ws::kModuleCannotOpen);
}

TEST(ModuleNameReader, OffsetsNearTheTopOfTheRangeDoNotWrap) {
    // A new-header offset of 0xFFFFFFFF plus the name-table offset must not wrap to the start of the file.
    class Bytes : public ws::ByteSource {
      public:
        std::size_t read_at(std::uint64_t offset, std::span<std::uint8_t> out) override {
            if (offset == 0) {
                std::fill(out.begin(), out.end(), std::uint8_t{0});
                out[0] = 'M';
                out[1] = 'Z';
                out[0x18] = 0x40;
                out[0x3C] = out[0x3D] = out[0x3E] = out[0x3F] = 0xFF;
                return out.size();
            }
            if (offset == 0xFFFFFFFFu) {
                std::fill(out.begin(), out.end(), std::uint8_t{0xFF});
                out[0] = 'N';
                out[1] = 'E';
                return out.size();
            }
            return 0;
        }
    } bytes;
    const ws::ModuleNameResult r = ws::read_module_name(bytes, "any.exe");
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(r.text, ws::kModuleNotWindows);
}
