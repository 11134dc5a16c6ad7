#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "archive/archive_reader.h"

namespace kestra::archive {
namespace {

std::string data_file(const std::string& name) { return std::string(KESTRA_TEST_DATA) + "/archive/" + name; }

TEST(ArchiveReader, ReadsASoundArchive) {
    ArchiveReader r;
    std::string error;
    ASSERT_TRUE(r.open(data_file("good_v2.kba"), error)) << error;
    ASSERT_EQ(r.entries().size(), 2u);
    const ArchiveEntry& one = r.entries()[0];
    ASSERT_TRUE(one.readable) << one.problem;
    EXPECT_EQ(one.header.name, "(ADM)FILE/ONE ON DISK");
    EXPECT_EQ(one.extra, "XYZ");
    EXPECT_EQ(one.size, 10u);
    EXPECT_EQ(one.header.attributes.a1, 11u);
    EXPECT_EQ(one.header.attributes.f4, 4);
    EXPECT_EQ(one.header.attributes.t2, "T2");
    EXPECT_EQ(one.header.attributes.raw[11], 11);
    std::vector<std::uint8_t> data(10);
    ASSERT_TRUE(r.read_data(0, 0, data, error));
    EXPECT_EQ(std::string(data.begin(), data.end()), "0123456789");
    const ArchiveEntry& empty = r.entries()[1];
    ASSERT_TRUE(empty.readable) << empty.problem;
    EXPECT_EQ(empty.size, 0u);
    EXPECT_TRUE(r.check_sendable(1, error));
}

TEST(ArchiveReader, Version1IsReadWithoutLookingBeforeTheEntryHeader) {
    // The entry header follows the table directly; the 3 bytes before it are table zeros, not digits.
    ArchiveReader r;
    std::string error;
    ASSERT_TRUE(r.open(data_file("v1.kba"), error)) << error;
    EXPECT_EQ(r.header().version, 1);
    EXPECT_FALSE(r.header().has_extra_blocks());
    ASSERT_EQ(r.entries().size(), 1u);
    const ArchiveEntry& e = r.entries()[0];
    ASSERT_TRUE(e.readable) << e.problem;
    EXPECT_EQ(e.header.name, "OLD/FILE");
    EXPECT_EQ(e.extra, "");
    EXPECT_EQ(e.size, 12u);  // 1 word of 6 bytes, 2 records
}

TEST(ArchiveReader, WhatIsNotAnArchiveIsRefused) {
    for (const char* name : {"short_header.kba", "bad_magic.kba", "count_too_big.kba"}) {
        ArchiveReader r;
        std::string error;
        EXPECT_FALSE(r.open(data_file(name), error)) << name;
        EXPECT_EQ(error, "Not an archive file") << name;
        EXPECT_FALSE(r.is_open()) << name;
    }
    ArchiveReader r;
    std::string error;
    EXPECT_FALSE(r.open(data_file("no_such_file.kba"), error));
    EXPECT_EQ(error, "Cannot open archive file");
}

TEST(ArchiveReader, BadEntriesAreListedAsUnreadableAndRefusedWhenSent) {
    struct Case {
        const char* file;
        const char* problem;
    };
    const Case cases[] = {
        {"entry_past_end.kba", "entry position lies outside the file"},
        {"entry_before_table_end.kba", "entry position lies outside the file"},
        {"entry_header_cut.kba", "entry position lies outside the file"},
        {"unterminated_t1.kba", "attribute T1 is not terminated"},
        {"unterminated_t2.kba", "attribute T2 is not terminated"},
        {"attribute_f1_too_big.kba", "File attribute F1 exceeds its field"},
        {"extra_length_not_digits.kba", "extra block length is not three digits"},
        {"extra_too_long.kba", "extra block does not fit before the entry"},
        {"data_truncated.kba", "file data is incomplete"},
        {"size_overflow.kba", "File size overflows"},
        {"empty_name.kba", "host file name is empty"},
    };
    for (const Case& c : cases) {
        ArchiveReader r;
        std::string error;
        ASSERT_TRUE(r.open(data_file(c.file), error)) << c.file << ": " << error;
        ASSERT_EQ(r.entries().size(), 1u) << c.file;
        const ArchiveEntry& e = r.entries()[0];
        EXPECT_FALSE(e.readable) << c.file;
        EXPECT_EQ(e.problem, c.problem) << c.file;
        EXPECT_FALSE(r.check_sendable(0, error)) << c.file;
        EXPECT_EQ(error, std::string("Entry 1 of the archive is unreadable: ") + c.problem);
        std::vector<std::uint8_t> data(1);
        EXPECT_FALSE(r.read_data(0, 0, data, error)) << c.file;
    }
}

TEST(ArchiveReader, OneBadEntryLeavesTheOthersUsable) {
    ArchiveReader r;
    std::string error;
    ASSERT_TRUE(r.open(data_file("middle_unterminated_name.kba"), error)) << error;
    ASSERT_EQ(r.entries().size(), 3u);
    EXPECT_TRUE(r.entries()[0].readable);
    EXPECT_FALSE(r.entries()[1].readable);
    EXPECT_EQ(r.entries()[1].problem, "host file name is not terminated");
    ASSERT_TRUE(r.entries()[2].readable) << r.entries()[2].problem;
    EXPECT_EQ(r.entries()[2].header.name, "GOOD/C");
    EXPECT_EQ(r.entries()[2].extra, "E");
    std::vector<std::uint8_t> data(10);
    ASSERT_TRUE(r.read_data(2, 0, data, error)) << error;
    EXPECT_EQ(std::string(data.begin(), data.end()), std::string(10, 'c'));
    EXPECT_FALSE(r.check_sendable(3, error));
}

}  // namespace
}  // namespace kestra::archive
