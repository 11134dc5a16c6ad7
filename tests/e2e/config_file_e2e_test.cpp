#include <gtest/gtest.h>

#include <string>

#include "e2e_host.h"
#include "support/temp_dir.h"

using kestra::testing::E2eHost;
using kestra::testing::HostsimProcess;
using kestra::testing::TempDir;

namespace {

constexpr const char* kSampleTree =
    "1 (PROD)SALES ON DBPACK\n"
    "  2 (PROD)SALES/EUROPE ON DBPACK\n"
    "    4 (PROD)SALES/NORDIC ON DBPACK\n"
    "  3 (PROD)SALES/ARCHIVE ON DBPACK\n"
    "5 (PAY)PAYROLL ON PAYPACK\n";

TEST(ConfigFileE2e, FilesShowsTheTreeAsLinesAndAsJson) {
    E2eHost e2e;
    ASSERT_TRUE(e2e.host().running()) << e2e.host().error();
    auto r = e2e.kestra({"files"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, kSampleTree);

    auto j = e2e.kestra({"--json", "files"});
    EXPECT_EQ(j.status, 0) << j.err;
    EXPECT_EQ(j.out.substr(0, 100),
              std::string("{\"name\":\"Kestra Configuration Files\",\"children\":[{\"number\":1,\"name\":\"(PROD)SALES ON DBPACK\","
                          "\"children\":[{\"number\":2,")
                  .substr(0, 100));
    EXPECT_NE(j.out.find("{\"number\":5,\"name\":\"(PAY)PAYROLL ON PAYPACK\",\"children\":[]}]}\n"), std::string::npos) << j.out;
}

TEST(ConfigFileE2e, AddRenameMoveCopyDeleteChangeTheTree) {
    E2eHost e2e;
    auto add = e2e.kestra({"add-file", "  (admin)config/new on pack ", "--parent", "(PROD)SALES ON DBPACK"});
    ASSERT_EQ(add.status, 0) << add.err;
    EXPECT_EQ(add.out, "");

    auto rename = e2e.kestra({"rename-file", "6", "(ADMIN)CONFIG/RENAMED ON PACK"});
    EXPECT_EQ(rename.status, 0) << rename.err;
    auto move = e2e.kestra({"move-file", "(ADMIN)CONFIG/RENAMED ON PACK", "(PAY)PAYROLL ON PAYPACK"});
    EXPECT_EQ(move.status, 0) << move.err;
    auto copy = e2e.kestra({"copy-file", "1", "0", "*COPY/SALES ON PACK"});
    ASSERT_EQ(copy.status, 0) << copy.err;
    EXPECT_EQ(copy.out, "");
    // The copy's children share their names with the originals: the original is named by its number.
    auto del = e2e.kestra({"delete-file", "3"});
    EXPECT_EQ(del.status, 0) << del.err;

    auto r = e2e.kestra({"files"});
    EXPECT_EQ(r.out,
              "1 (PROD)SALES ON DBPACK\n"
              "  2 (PROD)SALES/EUROPE ON DBPACK\n"
              "    4 (PROD)SALES/NORDIC ON DBPACK\n"
              "5 (PAY)PAYROLL ON PAYPACK\n"
              "  6 (ADMIN)CONFIG/RENAMED ON PACK\n"
              "7 *COPY/SALES ON PACK\n"
              "  8 (PROD)SALES/EUROPE ON DBPACK\n"
              "    9 (PROD)SALES/NORDIC ON DBPACK\n"
              "  10 (PROD)SALES/ARCHIVE ON DBPACK\n")
        << r.err;
}

TEST(ConfigFileE2e, NamesAreCheckedBeforeAnythingIsSent) {
    E2eHost e2e;
    auto blank = e2e.kestra({"add-file", "   "});
    EXPECT_EQ(blank.status, 2);
    EXPECT_NE(blank.err.find("You must enter a configuration file name"), std::string::npos) << blank.err;
    auto bare = e2e.kestra({"add-file", "SALES TITLE"});
    EXPECT_EQ(bare.status, 2);
    EXPECT_NE(bare.err.find("You must include a usercode and packname"), std::string::npos) << bare.err;

    ASSERT_EQ(e2e.kestra({"add-file", "*A ON P"}).status, 0);
    auto dup = e2e.kestra({"add-file", "*a on p"});
    EXPECT_EQ(dup.status, 1);
    EXPECT_NE(dup.err.find("Duplicate Name!"), std::string::npos) << dup.err;
    ASSERT_EQ(e2e.kestra({"add-file", "*B ON P"}).status, 0);
    auto dup_rename = e2e.kestra({"rename-file", "*B ON P", "*A ON P"});
    EXPECT_EQ(dup_rename.status, 1);
    EXPECT_NE(dup_rename.err.find("Duplicate Name\n"), std::string::npos) << dup_rename.err;
    // The current name again is a cancel, not a duplicate.
    EXPECT_EQ(e2e.kestra({"rename-file", "*B ON P", "*B ON P"}).status, 0);

    auto below = e2e.kestra({"move-file", "(PROD)SALES ON DBPACK", "(PROD)SALES/NORDIC ON DBPACK"});
    EXPECT_EQ(below.status, 1);
    auto missing = e2e.kestra({"delete-file", "42"});
    EXPECT_EQ(missing.status, 1);
    EXPECT_NE(missing.err.find("no configuration file 42"), std::string::npos) << missing.err;
}

TEST(ConfigFileE2e, SaveFileOpensSavesAndCloses) {
    TempDir dir;
    HostsimProcess::Options options;
    options.extra_args = {"--save", dir.file("saved.json")};
    E2eHost e2e(options);
    auto r = e2e.kestra({"save-file", "(PROD)SALES/NORDIC ON DBPACK"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_NE(TempDir::read(dir.file("saved.json")).find("(PROD)SALES/NORDIC ON DBPACK"), std::string::npos);
}

TEST(ConfigFileE2e, EnvironmentCommandsAnswerFromTheFixture) {
    E2eHost e2e;
    auto who = e2e.kestra({"env", "who"});
    EXPECT_EQ(who.status, 0) << who.err;
    EXPECT_EQ(who.out, "ADMIN ON ODBCSERVER\n");
    auto other = e2e.kestra({"--json", "env", "PD", "*"});
    EXPECT_EQ(other.out, "{\"response\":\"UNRECOGNIZED COMMAND\"}\n");
}

TEST(ConfigFileE2e, AHostRefusalIsShownWithItsSqlstate) {
    E2eHost e2e;
    // The host holds file titles of at most 255 characters; the PC leaves that rule to the host.
    auto refused = e2e.kestra({"add-file", "*" + std::string(260, 'N') + " ON P"});
    EXPECT_EQ(refused.status, 1);
    EXPECT_NE(refused.err.find("S1000 [Kestra]INVALID CONFIGURATION FILE NAME"), std::string::npos) << refused.err;
    // A text too long for the wire is refused before it is sent.
    auto env_long = e2e.kestra({"env", std::string(1000, 'X')});
    EXPECT_EQ(env_long.status, 1);
    EXPECT_NE(env_long.err.find("S1000 [Brisel Software][Kestra ODBC Driver]Cannot get config file list"),
              std::string::npos)
        << env_long.err;
}

TEST(ConfigFileE2e, AListLongerThanOneMessageArrivesWhole) {
    TempDir dir;
    std::string files;
    std::string expected;
    for (int i = 1; i <= 30; ++i) {
        const std::string name = "(ADMIN)CONFIG/FILE" + std::to_string(i) + " ON PACK";
        files += std::string(i > 1 ? "," : "") + "{\"number\":" + std::to_string(i) + ",\"name\":\"" + name + "\"}";
        expected += std::to_string(i) + " " + name + "\n";
    }
    HostsimProcess::Options options;
    options.fixture = dir.write("small.json", "{\"users\":[{\"name\":\"ADMIN\",\"password\":\"SECRET\","
                                              "\"max_message_size\":200}],\"config_files\":[" + files + "]}");
    E2eHost e2e(options);
    ASSERT_TRUE(e2e.host().running()) << e2e.host().error();
    auto r = e2e.kestra({"files"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, expected);
}

}  // namespace
