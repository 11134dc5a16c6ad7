#include <gtest/gtest.h>

#include "fixture_json.h"
#include "support/temp_dir.h"

namespace kestra::hostsim {
namespace {

HostState load_sample() {
    HostState state;
    std::string error;
    EXPECT_EQ(load_fixture_file(HOSTSIM_SAMPLE, state, error), 0) << error;
    return state;
}

TEST(Fixture, SampleLoadsWithItsTreeTablesAndFiles) {
    const HostState s = load_sample();
    ASSERT_EQ(s.config_files.size(), 2U);
    const ConfigFile& sales = s.config_files[0];
    EXPECT_EQ(sales.name, "(PROD)SALES ON DBPACK");
    ASSERT_EQ(sales.children.size(), 2U);
    ASSERT_EQ(sales.children[0].children.size(), 1U);
    EXPECT_EQ(sales.children[0].children[0].name, "(PROD)SALES/NORDIC ON DBPACK");
    ASSERT_GE(sales.tables.size(), 3U);
    const Table& join = sales.tables[2];
    EXPECT_TRUE(join.join);
    ASSERT_EQ(join.members.size(), 2U);
    EXPECT_EQ(join.members[1].join_fields[0].member, 1);
    const Field& calculated = sales.tables[0].fields.back();
    EXPECT_EQ(calculated.kind, 2);
    EXPECT_EQ(calculated.expression, "CUST-CREDIT / 1000");
    EXPECT_TRUE(sales.applications[1].local_limits.has_value());
    EXPECT_FALSE(sales.applications[0].tables.has_value());
    EXPECT_EQ(s.version.protocol, 21);
    EXPECT_EQ(s.version.admin_protocol, 22);
}

TEST(Fixture, HostFileSizesFollowRecordsAndFrame) {
    const HostState s = load_sample();
    ASSERT_EQ(s.host_files.size(), 4U);
    EXPECT_EQ(host_file_size(s.host_files[0].attributes), 32);
    EXPECT_EQ(s.host_files[0].extra, std::string("\x01\x02\x03\x04\x05"));
    // A generated file derives its record count from the size it was given.
    EXPECT_EQ(s.host_files[1].attributes.record_count, 1000);
    EXPECT_EQ(host_file_size(s.host_files[1].attributes), 180000);
    // A frame size other than 8 counts six bytes per record unit.
    EXPECT_EQ(host_file_size(s.host_files[2].attributes), 12);
    EXPECT_EQ(*s.host_files[2].contents, std::string("\0\1\2\3\4\5\6\7\10\11\12\13", 12));
    EXPECT_EQ(host_file_size(s.host_files[3].attributes), 0);
}

TEST(Fixture, GeneratedBytesAreReproducible) {
    const HostState s = load_sample();
    const HostFile& f = s.host_files[1];
    EXPECT_EQ(host_file_byte(f, 12345), host_file_byte(f, 12345));
    int differing = 0;
    for (int i = 1; i < 64; ++i) differing += host_file_byte(f, i) != host_file_byte(f, 0) ? 1 : 0;
    EXPECT_GT(differing, 32);
}

TEST(Fixture, SavedStateReloadsToTheSameText) {
    const HostState s = load_sample();
    testing::TempDir dir;
    std::string error;
    ASSERT_EQ(save_fixture_file(dir.file("saved.json"), s, error), 0) << error;
    HostState again;
    ASSERT_EQ(load_fixture_file(dir.file("saved.json"), again, error), 0) << error;
    EXPECT_EQ(fixture_text(again), fixture_text(s));
    EXPECT_EQ(again.host_files[2].contents, s.host_files[2].contents);
    EXPECT_EQ(again.host_files[1].generated_seed, 7);
}

struct BadFixture {
    const char* json;
    const char* message_part;
};

class FixtureErrors : public ::testing::TestWithParam<BadFixture> {};

TEST_P(FixtureErrors, NameThePlaceAndLeaveTheStateAlone) {
    HostState state;
    state.users.push_back({"KEEP", "", 100});
    std::string error;
    EXPECT_EQ(load_fixture_text(GetParam().json, state, error), 1);
    EXPECT_NE(error.find(GetParam().message_part), std::string::npos) << error;
    ASSERT_EQ(state.users.size(), 1U);
    EXPECT_EQ(state.users[0].name, "KEEP");
}

INSTANTIATE_TEST_SUITE_P(
    Cases, FixtureErrors,
    ::testing::Values(
        BadFixture{"{", "not valid JSON"},
        BadFixture{"[]", "fixture: must be an object"},
        BadFixture{R"({"version": {"text": "A.B"}})", "version.text"},
        BadFixture{R"({"users": [{"name": "A"}, {"name": "a"}]})", "repeats user"},
        BadFixture{R"({"users": [{"name": "A", "max_message_size": 10000}]})", "users[0].max_message_size"},
        BadFixture{R"({"config_files": [{"number": 1, "name": "A", "children": [{"number": 1, "name": "B"}]}]})",
                   "config_files[0].children[0]: repeats configuration file number 1"},
        BadFixture{R"({"config_files": [{"number": 1, "name": "A", "tables": [{"number": 1, "name": "T",
                     "fields": [{"host_name": "F", "kind": "calculated"}]}]}]})",
                   "needs an expression"},
        BadFixture{R"({"config_files": [{"number": 1, "name": "A", "tables": [{"number": 1, "name": "T",
                     "members": [{"sub_table": "X"}]}]}]})",
                   "not a join table"},
        BadFixture{R"({"config_files": [{"number": 1, "name": "A", "limits": {"row_count": 2147483648}}]})",
                   "row_count"},
        BadFixture{R"({"host_files": [{"name": "F", "attributes": {"record_size": 10}, "contents": "ABC"}]})",
                   "whole number of records"},
        BadFixture{R"({"host_files": [{"name": "F", "attributes": {"record_size": 1, "record_count": 2},
                     "contents": {"hex": "4"}}]})",
                   "odd number"},
        BadFixture{R"({"host_files": [{"name": "F", "attributes": {"record_size": 1, "raw12": "SHORT"},
                     "contents": "A"}]})",
                   "exactly 12 bytes"},
        BadFixture{R"({"description_files": [{"name": "D", "databases": [{"name": "DB",
                     "datasets": [{"name": "S", "type": 1}]}]}]})",
                   "a set must follow its dataset"}));

}  // namespace
}  // namespace kestra::hostsim
