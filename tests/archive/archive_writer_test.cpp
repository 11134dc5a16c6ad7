#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "archive/archive_reader.h"
#include "archive/archive_writer.h"
#include "support/temp_dir.h"

namespace kestra::archive {
namespace {

using kestra::testing::TempDir;

EntryHeader make_header(std::string name, std::uint32_t record_size, std::uint32_t record_count,
                        std::uint16_t frame_size = 8) {
    EntryHeader h;
    h.name = std::move(name);
    HostFileAttributes& a = h.attributes;
    a.a1 = 4000000000u;
    a.a2 = 2;
    a.a3 = 3;
    a.frame_size = frame_size;
    a.record_size = record_size;
    a.a4 = 4;
    a.a5 = 5;
    a.a6 = 6;
    a.record_count = record_count;
    a.f1 = 1;
    a.f2 = 9;
    a.f3 = 7;
    a.f4 = 0;
    a.raw = {0, 1, 2, 0xFF, 0x80, 5, 6, 7, 8, 9, 10, 11};
    a.t1 = "TEXT ONE";
    a.t2 = "TEXT TWO";
    return h;
}

std::vector<std::uint8_t> bytes_of(const std::string& s) { return {s.begin(), s.end()}; }

// Adds one whole file, in chunks of `chunk` bytes.
void add_file(ArchiveWriter& w, const EntryHeader& h, const std::string& extra, const std::string& data,
              std::size_t chunk = 7) {
    std::string error;
    ASSERT_TRUE(w.begin_entry(h, extra, error)) << error;
    for (std::size_t at = 0; at < data.size(); at += chunk) {
        auto part = bytes_of(data.substr(at, chunk));
        ASSERT_TRUE(w.append_data(part, error)) << error;
    }
    ASSERT_TRUE(w.commit_entry(error)) << error;
}

TEST(ArchiveWriter, EmptyArchiveIsJustTheHeaderAndOpensWithNoEntries) {
    TempDir dir;
    const std::string path = dir.file("empty.kba");
    ArchiveWriter w;
    std::string error;
    ASSERT_TRUE(w.create(path, error)) << error;
    ASSERT_TRUE(w.save(error)) << error;
    EXPECT_EQ(std::filesystem::file_size(path), 16390u);
    const std::string bytes = TempDir::read(path);
    EXPECT_EQ(bytes.substr(0, 2), "DC");
    EXPECT_EQ(bytes[2], 2);
    EXPECT_EQ(bytes[3], 0);
    EXPECT_EQ(bytes.find_first_not_of('\0', 4), std::string::npos);

    ArchiveReader r;
    ASSERT_TRUE(r.open(path, error)) << error;
    EXPECT_EQ(r.header().count, 0);
    EXPECT_EQ(r.header().version, 2);
    EXPECT_TRUE(r.entries().empty());
}

TEST(ArchiveWriter, CreateEmptiesAnExistingFileAndFailsWhereNoFileCanBe) {
    TempDir dir;
    const std::string path = dir.write("old.kba", std::string(50000, 'x'));
    ArchiveWriter w;
    std::string error;
    ASSERT_TRUE(w.create(path, error));
    w.close();
    EXPECT_EQ(std::filesystem::file_size(path), 16390u);
    EXPECT_FALSE(w.create(dir.file("no/such/folder/a.kba"), error));
    EXPECT_EQ(error, "Cannot create archive file");
}

TEST(ArchiveWriter, EntriesRoundTripWithExtraBlocksAndLayout) {
    TempDir dir;
    const std::string path = dir.file("a.kba");
    const EntryHeader one = make_header("(ADM)FILE/ONE ON DISK", 5, 3);  // 15 bytes
    const EntryHeader two = make_header("WORDS", 2, 2, 0);                // 2 * 6 * 2 = 24 bytes
    const std::string data_one = "abcdefghijklmno";
    const std::string data_two(24, '\xA5');
    ArchiveWriter w;
    std::string error;
    ASSERT_TRUE(w.create(path, error));
    add_file(w, one, "EXTRA", data_one);
    add_file(w, two, "", data_two, 24);
    EXPECT_EQ(w.count(), 2u);
    ASSERT_TRUE(w.save(error)) << error;

    // The layout as other programs read it: extra data, its length as 3 digits, the header at the slot.
    const std::string raw = TempDir::read(path);
    EXPECT_EQ(raw.substr(16390, 8), "EXTRA005");
    EXPECT_EQ(raw.substr(16398, 21), "(ADM)FILE/ONE ON DISK");
    EXPECT_EQ(static_cast<unsigned char>(raw[6]) | static_cast<unsigned char>(raw[7]) << 8, 16398);
    // A1 at offset 255 of the header, little-endian.
    EXPECT_EQ(static_cast<unsigned char>(raw[16398 + 255]), 4000000000u & 0xFF);
    EXPECT_EQ(raw.size(), 16390u + 8 + 467 + 15 + 3 + 467 + 24);

    ArchiveReader r;
    ASSERT_TRUE(r.open(path, error)) << error;
    ASSERT_EQ(r.entries().size(), 2u);
    const ArchiveEntry& e1 = r.entries()[0];
    ASSERT_TRUE(e1.readable) << e1.problem;
    EXPECT_EQ(e1.header, one);
    EXPECT_EQ(e1.extra, "EXTRA");
    EXPECT_EQ(e1.size, 15u);
    const ArchiveEntry& e2 = r.entries()[1];
    ASSERT_TRUE(e2.readable) << e2.problem;
    EXPECT_EQ(e2.header, two);
    EXPECT_EQ(e2.extra, "");
    EXPECT_EQ(e2.size, 24u);

    std::vector<std::uint8_t> got(10);
    ASSERT_TRUE(r.read_data(0, 5, got, error)) << error;
    EXPECT_EQ(std::string(got.begin(), got.end()), "fghijklmno");
    // Reading past the entry's data is refused, not served from the next entry.
    got.resize(11);
    EXPECT_FALSE(r.read_data(0, 5, got, error));
    EXPECT_EQ(error, "Cannot read archive file");
}

TEST(ArchiveWriter, SizeZeroFileHasHeaderAndNoData) {
    TempDir dir;
    const std::string path = dir.file("zero.kba");
    ArchiveWriter w;
    std::string error;
    ASSERT_TRUE(w.create(path, error));
    add_file(w, make_header("NOTHING", 80, 0), "", "");
    ASSERT_TRUE(w.save(error));
    EXPECT_EQ(std::filesystem::file_size(path), 16390u + 3 + 467);
    ArchiveReader r;
    ASSERT_TRUE(r.open(path, error));
    ASSERT_EQ(r.entries().size(), 1u);
    EXPECT_TRUE(r.entries()[0].readable);
    EXPECT_EQ(r.entries()[0].size, 0u);
}

TEST(ArchiveWriter, AbandonedFileKeepsItsBytesButNoSlot) {
    TempDir dir;
    const std::string path = dir.file("partial.kba");
    ArchiveWriter w;
    std::string error;
    ASSERT_TRUE(w.create(path, error));
    add_file(w, make_header("FIRST", 4, 1), "", "1111");
    ASSERT_TRUE(w.begin_entry(make_header("SECOND", 4, 2), "", error));
    auto half = bytes_of("2222");
    ASSERT_TRUE(w.append_data(half, error));
    // Not all bytes are in: no slot yet.
    EXPECT_FALSE(w.commit_entry(error));
    w.abandon_entry();
    const std::uint64_t partial_end = w.end_position();
    add_file(w, make_header("THIRD", 4, 1), "", "3333");
    ASSERT_TRUE(w.save(error));

    ArchiveReader r;
    ASSERT_TRUE(r.open(path, error));
    ASSERT_EQ(r.entries().size(), 2u);
    EXPECT_EQ(r.entries()[0].header.name, "FIRST");
    EXPECT_EQ(r.entries()[1].header.name, "THIRD");
    EXPECT_EQ(r.entries()[1].position, partial_end + 3);
    EXPECT_EQ(TempDir::read(path).find("2222") != std::string::npos, true);
}

TEST(ArchiveWriter, HeaderOnDiskNamesCommittedFilesBeforeSave) {
    TempDir dir;
    const std::string path = dir.file("unsaved.kba");
    std::string error;
    {
        ArchiveWriter w;
        ASSERT_TRUE(w.create(path, error));
        add_file(w, make_header("DONE", 3, 1), "", "abc");
        ASSERT_TRUE(w.begin_entry(make_header("CUT", 3, 1), "", error));
        // Closed without save, as after a crash.
    }
    ArchiveReader r;
    ASSERT_TRUE(r.open(path, error)) << error;
    ASSERT_EQ(r.entries().size(), 1u);
    EXPECT_EQ(r.entries()[0].header.name, "DONE");
    EXPECT_TRUE(r.entries()[0].readable);
}

TEST(ArchiveWriter, MoreDataThanTheSizeIsRefused) {
    TempDir dir;
    ArchiveWriter w;
    std::string error;
    ASSERT_TRUE(w.create(dir.file("a.kba"), error));
    ASSERT_TRUE(w.begin_entry(make_header("F", 3, 1), "", error));
    auto four = bytes_of("abcd");
    EXPECT_FALSE(w.append_data(four, error));
    EXPECT_EQ(w.bytes_received(), 0u);
    EXPECT_EQ(w.end_position(), 16390u + 3 + 467);
}

TEST(ArchiveWriter, The4097thFileIsRefusedAndTheOthersStay) {
    TempDir dir;
    const std::string path = dir.file("full.kba");
    ArchiveWriter w;
    std::string error;
    ASSERT_TRUE(w.create(path, error));
    const EntryHeader h = make_header("F", 1, 0);
    for (std::size_t i = 0; i < 4096; ++i) {
        ASSERT_TRUE(w.begin_entry(h, "", error)) << i << ": " << error;
        ASSERT_TRUE(w.commit_entry(error)) << error;
    }
    const std::uint64_t end = w.end_position();
    EXPECT_FALSE(w.check_room(error));
    EXPECT_EQ(error, "Archive is full (4096 files)");
    error.clear();
    EXPECT_FALSE(w.begin_entry(h, "", error));
    EXPECT_EQ(error, "Archive is full (4096 files)");
    EXPECT_EQ(w.end_position(), end);
    ASSERT_TRUE(w.save(error));
    EXPECT_EQ(std::filesystem::file_size(path), end);

    ArchiveReader r;
    ASSERT_TRUE(r.open(path, error)) << error;
    EXPECT_EQ(r.entries().size(), 4096u);
    EXPECT_TRUE(r.entries().back().readable);
}

TEST(ArchiveWriter, FieldsThatWouldBeCutAreRefusedBeforeAnythingIsWritten) {
    TempDir dir;
    ArchiveWriter w;
    std::string error;
    ASSERT_TRUE(w.create(dir.file("a.kba"), error));
    const std::uint64_t end = w.end_position();

    EntryHeader h = make_header(std::string(254, 'N'), 1, 0);
    ASSERT_TRUE(w.begin_entry(h, std::string(999, 'e'), error)) << error;  // longest name and extra block fit
    ASSERT_TRUE(w.commit_entry(error));
    const std::uint64_t after_first = w.end_position();
    EXPECT_EQ(after_first, end + 999 + 3 + 467);

    struct Case {
        const char* what;
        EntryHeader header;
        std::string extra;
    };
    std::vector<Case> cases;
    cases.push_back({"name of 255", make_header(std::string(255, 'N'), 1, 0), ""});
    cases.push_back({"empty name", make_header("", 1, 0), ""});
    cases.push_back({"name with NUL", make_header(std::string("A\0B", 3), 1, 0), ""});
    cases.push_back({"extra of 1000", make_header("F", 1, 0), std::string(1000, 'e')});
    EntryHeader t1 = make_header("F", 1, 0);
    t1.attributes.t1 = std::string(32, 'x');
    cases.push_back({"T1 of 32", t1, ""});
    EntryHeader t2 = make_header("F", 1, 0);
    t2.attributes.t2 = std::string(128, 'x');
    cases.push_back({"T2 of 128", t2, ""});
    EntryHeader f = make_header("F", 1, 0);
    f.attributes.f3 = 10;
    cases.push_back({"F3 of 10", f, ""});
    cases.push_back({"size overflow", make_header("F", 0xFFFFFFFFu, 0xFFFFFFFFu, 0), ""});
    for (const Case& c : cases) {
        error.clear();
        EXPECT_FALSE(w.begin_entry(c.header, c.extra, error)) << c.what;
        EXPECT_FALSE(error.empty()) << c.what;
        EXPECT_EQ(w.end_position(), after_first) << c.what;
    }
    EXPECT_EQ(w.count(), 1u);

    EntryHeader longest_texts = make_header("F", 1, 0);
    longest_texts.attributes.t1 = std::string(31, 'x');
    longest_texts.attributes.t2 = std::string(127, 'y');
    ASSERT_TRUE(w.begin_entry(longest_texts, "", error)) << error;
    ASSERT_TRUE(w.commit_entry(error));
    ASSERT_TRUE(w.save(error));
}

TEST(ArchiveWriter, ArchivePassing4GiBIsRefused) {
    TempDir dir;
    ArchiveWriter w;
    std::string error;
    ASSERT_TRUE(w.create(dir.file("big.kba"), error));
    // Fills the archive to exactly 4 GiB: accepted (only the header is written).
    const std::uint64_t room = (std::uint64_t{1} << 32) - 16390 - 3 - 467;
    ASSERT_TRUE(w.begin_entry(make_header("EXACT", static_cast<std::uint32_t>(room), 1), "", error)) << error;
    w.abandon_entry();
    // The abandoned header now takes room, so the same file no longer fits.
    const std::uint64_t end = w.end_position();
    EXPECT_FALSE(w.begin_entry(make_header("EXACT", static_cast<std::uint32_t>(room), 1), "", error));
    EXPECT_EQ(w.end_position(), end);
    // Sizes past 32 bits are computed, not wrapped: 6 * 2^31 bytes is refused, not taken as a small number.
    EXPECT_FALSE(w.begin_entry(make_header("WRAP", 0x80000000u, 1, 0), "", error));
    EXPECT_EQ(w.end_position(), end);
}

TEST(ArchiveWriter, FailedWriteEndsTheFileAndKeepsEarlierOnes) {
    TempDir dir;
    const std::string path = dir.file("disk_full.kba");
    ArchiveWriter w;
    std::string error;
    ASSERT_TRUE(w.create(path, error));
    add_file(w, make_header("KEPT", 4, 1), "", "kept");
    w.fail_writes_beyond_for_test(w.end_position() + 3 + 467 + 2);
    ASSERT_TRUE(w.begin_entry(make_header("LOST", 4, 1), "", error));
    auto data = bytes_of("lost");
    EXPECT_FALSE(w.append_data(data, error));
    EXPECT_EQ(error, "Cannot write archive file");
    EXPECT_FALSE(w.in_entry());
    EXPECT_FALSE(w.commit_entry(error));
    ASSERT_TRUE(w.save(error)) << error;

    ArchiveReader r;
    ASSERT_TRUE(r.open(path, error));
    ASSERT_EQ(r.entries().size(), 1u);
    EXPECT_EQ(r.entries()[0].header.name, "KEPT");
}

TEST(ArchiveWriter, HeaderRewriteFailureIsReported) {
    TempDir dir;
    ArchiveWriter w;
    std::string error;
    ASSERT_TRUE(w.create(dir.file("a.kba"), error));
    w.fail_writes_beyond_for_test(100);
    EXPECT_FALSE(w.save(error));
    EXPECT_EQ(error, "Error writing archive header");
    EXPECT_FALSE(w.is_open());
}

}  // namespace
}  // namespace kestra::archive
