#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "archive/archive_writer.h"
#include "cli/cli_app.h"
#include "support/temp_dir.h"

namespace kestra::archive {
namespace {

using kestra::testing::TempDir;

struct CliRun {
    int status;
    std::string out;
    std::string err;
};

CliRun kestra(std::vector<std::string> args) {
    args.insert(args.begin(), "kestra");
    std::vector<const char*> argv;
    for (const auto& a : args) argv.push_back(a.c_str());
    std::ostringstream out;
    std::ostringstream err;
    std::istringstream in;
    const int status = cli::run_cli(static_cast<int>(argv.size()), argv.data(), out, err, in);
    return {status, out.str(), err.str()};
}

std::string data_file(const std::string& name) { return std::string(KESTRA_TEST_DATA) + "/archive/" + name; }

TEST(ArchiveCommand, ListsSizeFrameRecordSizeAndCount) {
    TempDir dir;
    const std::string path = dir.file("two.kba");
    ArchiveWriter w;
    std::string error;
    ASSERT_TRUE(w.create(path, error));
    EntryHeader h;
    h.name = "(ADM)PAYROLL/DATA";
    h.attributes.frame_size = 180;
    h.attributes.record_size = 2;
    h.attributes.record_count = 3;
    ASSERT_TRUE(w.begin_entry(h, "", error));
    const std::vector<std::uint8_t> data(36, 7);
    ASSERT_TRUE(w.append_data(data, error));
    ASSERT_TRUE(w.commit_entry(error));
    ASSERT_TRUE(w.save(error));

    const CliRun r = kestra({"archive", path});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.out.find("version 2, 1 file\n"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("#  Name               Size  Frame size  Record size  Records\n"), std::string::npos)
        << r.out;
    EXPECT_NE(r.out.find("1  (ADM)PAYROLL/DATA    36         180            2        3\n"), std::string::npos)
        << r.out;
}

TEST(ArchiveCommand, UnreadableEntriesAreListedAndJsonCarriesThem) {
    const CliRun text = kestra({"archive", data_file("middle_unterminated_name.kba")});
    EXPECT_EQ(text.status, 0) << text.err;
    EXPECT_NE(text.out.find("2  (unreadable: host file name is not terminated)"), std::string::npos) << text.out;
    EXPECT_NE(text.out.find("GOOD/C"), std::string::npos);

    const CliRun json = kestra({"--json", "archive", data_file("middle_unterminated_name.kba")});
    EXPECT_EQ(json.status, 0);
    EXPECT_NE(json.out.find("{\"index\":2,\"readable\":false,\"problem\":\"host file name is not terminated\"}"),
              std::string::npos)
        << json.out;
    EXPECT_NE(json.out.find("\"name\":\"GOOD/A\",\"size\":10,\"frame_size\":8,\"record_size\":10,\"record_count\":1"),
              std::string::npos)
        << json.out;
}

TEST(ArchiveCommand, BadArchiveOrArgumentsFail) {
    const CliRun bad = kestra({"archive", data_file("bad_magic.kba")});
    EXPECT_EQ(bad.status, 1);
    EXPECT_NE(bad.err.find("Not an archive file"), std::string::npos);
    const CliRun missing = kestra({"archive", data_file("absent.kba")});
    EXPECT_EQ(missing.status, 1);
    EXPECT_NE(missing.err.find("Cannot open archive file"), std::string::npos);
    EXPECT_EQ(kestra({"archive"}).status, 2);
    EXPECT_EQ(kestra({"archive", "a", "b"}).status, 2);
    EXPECT_EQ(kestra({"archive", "--bogus", "a"}).status, 2);
}

}  // namespace
}  // namespace kestra::archive
