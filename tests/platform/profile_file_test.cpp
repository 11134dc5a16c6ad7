#include "platform/profile_file.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "platform/atomic_file.h"
#include "support/temp_dir.h"

using namespace kestra::platform;
using kestra::testing::TempDir;

namespace {

TEST(ProfileRead, NamesCompareWithoutCaseAndValuesAreTrimmedAndUnquoted) {
    TempDir dir;
    auto ini = dir.write("k.ini", "; comment\r\n[Admin]\r\n  TraceFile =  \"my trace.txt\"  \r\nplain= a b \r\n");
    EXPECT_EQ(get_private_profile_string("admin", "tracefile", "x", ini), "my trace.txt");
    EXPECT_EQ(get_private_profile_string("ADMIN", "PLAIN", "x", ini), "a b");
    EXPECT_EQ(get_private_profile_string("admin", "missing", "dflt", ini), "dflt");
    EXPECT_EQ(get_private_profile_string("other", "plain", "dflt", ini), "dflt");
}

TEST(ProfileRead, ValueIsCutToTheCallersSize) {
    TempDir dir;
    auto ini = dir.write("k.ini", "[s]\nk=abcdefgh\n");
    char buf[5];
    EXPECT_EQ(get_private_profile_string("s", "k", "", buf, sizeof buf, ini), 4u);
    EXPECT_STREQ(buf, "abcd");
    EXPECT_EQ(get_private_profile_string("s", "none", "0123456789", buf, sizeof buf, ini), 4u);
    EXPECT_STREQ(buf, "0123");
}

TEST(ProfileRead, IntegersTakeLeadingDigitsOnly) {
    TempDir dir;
    auto ini = dir.write("k.ini", "[t]\nxmt=300\nrcv=12abc\nbad=abc\nempty=\nneg=-5\nhuge=99999999999\n");
    EXPECT_EQ(get_private_profile_int("t", "xmt", 255, ini), 300);
    EXPECT_EQ(get_private_profile_int("t", "rcv", 255, ini), 12);
    EXPECT_EQ(get_private_profile_int("t", "bad", 255, ini), 0);
    EXPECT_EQ(get_private_profile_int("t", "empty", 7, ini), 7);
    EXPECT_EQ(get_private_profile_int("t", "missing", 255, ini), 255);
    EXPECT_EQ(get_private_profile_int("t", "neg", 1, ini), -5);
    EXPECT_EQ(get_private_profile_int("t", "huge", 1, ini), 2147483647);
}

TEST(ProfileRead, MissingFileGivesDefaults) {
    TempDir dir;
    EXPECT_EQ(get_private_profile_int("admin", "trace", 0, dir.file("none.ini")), 0);
    EXPECT_EQ(get_private_profile_string("admin", "tracefile", "admin.txt", dir.file("none.ini")), "admin.txt");
}

TEST(ProfileWrite, CreatesFileAndSectionThenReplacesAndRemovesKeys) {
    TempDir dir;
    std::string ini = dir.file("sub/dir/k.ini");
    ASSERT_TRUE(write_private_profile_string("admin", "UID", "FRED", ini));
    ASSERT_TRUE(write_private_profile_string("admin", "provider", "Tavlink", ini));
    ASSERT_TRUE(write_private_profile_string("Admin", "uid", "JOE", ini));
    EXPECT_EQ(get_private_profile_string("admin", "uid", "", ini), "JOE");
    EXPECT_EQ(get_private_profile_string("admin", "provider", "", ini), "Tavlink");

    ASSERT_TRUE(write_private_profile_string("admin", "uid", nullptr, ini));
    EXPECT_EQ(get_private_profile_string("admin", "uid", "gone", ini), "gone");
    EXPECT_EQ(get_private_profile_string("admin", "provider", "", ini), "Tavlink");
}

TEST(ProfileWrite, KeepsCommentsAndOtherSections) {
    TempDir dir;
    auto ini = dir.write("k.ini", "; keep me\n[a]\nx=1\n\n[b]\ny=2\n");
    ASSERT_TRUE(write_private_profile_string("a", "z", "3", ini));
    std::string text = TempDir::read(ini);
    EXPECT_EQ(text, "; keep me\n[a]\nx=1\nz=3\n\n[b]\ny=2\n");
}

TEST(ProfileWrite, InterruptedWriteLeavesTheOldFileWhole) {
    TempDir dir;
    auto ini = dir.write("k.ini", "[a]\nx=1\n");
    interrupt_next_atomic_write_for_test();
    EXPECT_FALSE(write_private_profile_string("a", "x", "2", ini));
    EXPECT_EQ(TempDir::read(ini), "[a]\nx=1\n");
    EXPECT_TRUE(write_private_profile_string("a", "x", "2", ini));
    EXPECT_EQ(get_private_profile_string("a", "x", "", ini), "2");
}

TEST(ProfileFileClass, ListsKeysOfASection) {
    ProfileFile profile;
    profile.parse("[corvel]\nproviders=Tavlink\nTavlink=libtavlink.so\n[x]\nq=1\n");
    auto keys = profile.keys("CORVEL");
    ASSERT_EQ(keys.size(), 2u);
    EXPECT_EQ(keys[1], "Tavlink");
    EXPECT_TRUE(profile.has_section("x"));
    EXPECT_FALSE(profile.has_section("y"));
}

TEST(SettingsPath, EnvironmentDecidesWhereKestraIniLives) {
    kestra::testing::ScopedIni scoped("/tmp/explicit.ini");
    EXPECT_EQ(settings_file_path(), "/tmp/explicit.ini");
    ::unsetenv("KESTRA_INI");
    const char* old_xdg = std::getenv("XDG_CONFIG_HOME");
    std::string saved = old_xdg ? old_xdg : "";
    ::setenv("XDG_CONFIG_HOME", "/cfg", 1);
    EXPECT_EQ(settings_file_path(), "/cfg/kestra/kestra.ini");
    ::unsetenv("XDG_CONFIG_HOME");
    ::setenv("HOME", "/home/u", 1);
    EXPECT_EQ(settings_file_path(), "/home/u/.config/kestra/kestra.ini");
    if (old_xdg) ::setenv("XDG_CONFIG_HOME", saved.c_str(), 1);
}

}  // namespace

// Found by fuzzing: a stored text with line breaks came back from the file as extra keys and sections.
TEST(ProfileWrite, ValueWithLineBreaksStaysOneSetting) {
    TempDir dir;
    std::string original;
    ASSERT_TRUE(read_whole_file(std::string(KESTRA_TEST_DATA) + "/profile/fuzz_line_break_value.ini", original));
    auto ini = dir.write("k.ini", original);

    ASSERT_TRUE(write_private_profile_string("k", "k", "first\n\xafspaced]\nKEY=-42junk\n", ini));
    ASSERT_TRUE(write_private_profile_string("admin", "uid", "JOE\r\n[odbc]\r\npassword=stolen", ini));

    EXPECT_EQ(get_private_profile_string("k", "k", "", ini), "first");
    EXPECT_EQ(get_private_profile_string("admin", "uid", "", ini), "JOE");
    EXPECT_EQ(get_private_profile_string("odbc", "password", "none", ini), "none");
    ProfileFile profile(ini);
    ASSERT_TRUE(profile.load());
    EXPECT_EQ(profile.keys("k"), std::vector<std::string>{"k"});
    EXPECT_FALSE(profile.has_section("odbc"));
    EXPECT_FALSE(profile.has_section("\xafspaced"));
    // What was in the file before is still there, line for line.
    EXPECT_EQ(TempDir::read(ini).substr(0, original.size()), original);
}

TEST(ProfileWrite, CarriageReturnInsideAValueIsKept) {
    TempDir dir;
    auto ini = dir.write("k.ini", "[tcpip]\n");
    ASSERT_TRUE(write_private_profile_string("tcpip", "host3", "hhhhTA\r~01", ini));
    EXPECT_EQ(get_private_profile_string("tcpip", "host3", "", ini), "hhhhTA\r~01");
}

// A settings file is small text: a device or a huge file is not read (it would only eat memory) and never
// overwritten by a write through it.
TEST(ProfileFile, WhatIsNoSettingsFileIsNotRead) {
    TempDir dir;
    EXPECT_EQ(settings_file_problem("/dev/zero"), "not a regular file");
    EXPECT_EQ(settings_file_problem(dir.path()), "not a regular file");
    EXPECT_EQ(settings_file_problem(dir.file("absent.ini")), "");
    ProfileFile device("/dev/zero");
    EXPECT_FALSE(device.load());
    EXPECT_EQ(get_private_profile_int("timeouts", "rcv", 255, "/dev/zero"), 255);

    const std::string big = dir.write("big.ini", "[admin]\nUID=JOE\n" + std::string(kSettingsFileMax, ';'));
    EXPECT_EQ(settings_file_problem(big), "larger than 4 MiB");
    EXPECT_EQ(get_private_profile_string("admin", "UID", "none", big), "none");
    EXPECT_FALSE(write_private_profile_string("admin", "UID", "ANN", big));
    EXPECT_EQ(std::filesystem::file_size(big), 16 + kSettingsFileMax);

    const std::string small = dir.write("small.ini", "[admin]\nUID=JOE\n" + std::string(1000, ';'));
    EXPECT_EQ(settings_file_problem(small), "");
    EXPECT_EQ(get_private_profile_string("admin", "UID", "none", small), "JOE");
}
