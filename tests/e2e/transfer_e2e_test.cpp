#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "e2e_host.h"
#include "support/temp_dir.h"

using kestra::testing::E2eHost;
using kestra::testing::HostsimProcess;
using kestra::testing::TempDir;

namespace {

const std::vector<std::string> kFiles = {"(PROD)REPORT/DAILY ON DISK", "(PROD)DATA/WORDS ON DISK",
                                         "(PROD)EMPTY ON DISK", "(PROD)DATA/SNAPSHOT ON DISK"};

// A host that knows the administrator and holds no files, to put an archive onto.
HostsimProcess::Options empty_host(const TempDir& dir, std::vector<std::string> extra_args = {}) {
    HostsimProcess::Options o;
    o.fixture = dir.write("empty.json", R"({"users":[{"name":"ADMIN","password":"SECRET","max_message_size":4096}]})");
    o.extra_args = std::move(extra_args);
    return o;
}

// Gets the sample's files (two of them through a list file), lists the archive, puts it onto an empty host and
// gets the files back from there: the second archive must be the first byte for byte, so the host stored every
// attribute, extra block and byte as it was put.
void round_trip(const std::vector<std::string>& host_args, bool older) {
    TempDir dir;
    HostsimProcess::Options source_options;
    source_options.extra_args = host_args;
    E2eHost source(source_options);
    ASSERT_TRUE(source.host().running()) << source.host().error();
    const std::string first = dir.file("first.kba");
    const std::string list = dir.write("names.txt", kFiles[1] + "\r\n" + kFiles[2] + "\r\n");
    auto got = source.kestra({"get", first, kFiles[0], "@" + list, kFiles[3]});
    ASSERT_EQ(got.status, 0) << got.err;
    EXPECT_EQ(got.out, "");  // a change prints nothing

    auto listed = source.kestra({"archive", first});
    ASSERT_EQ(listed.status, 0) << listed.err;
    for (const auto& name : kFiles) EXPECT_NE(listed.out.find(name), std::string::npos) << listed.out;
    EXPECT_NE(listed.out.find("180000"), std::string::npos) << listed.out;
    auto json = source.kestra({"--json", "archive", first});
    EXPECT_NE(json.out.find(older ? "\"extra_length\":0" : "\"extra_length\":5"), std::string::npos) << json.out;

    E2eHost target(empty_host(dir, host_args));
    ASSERT_TRUE(target.host().running()) << target.host().error();
    auto put = target.kestra({"put", first});
    ASSERT_EQ(put.status, 0) << put.err;
    EXPECT_EQ(put.out, "");

    const std::string second = dir.file("second.kba");
    auto again = target.kestra({"get", second, kFiles[0], kFiles[1], kFiles[2], kFiles[3]});
    ASSERT_EQ(again.status, 0) << again.err;
    const std::string a = TempDir::read(first);
    const std::string b = TempDir::read(second);
    EXPECT_EQ(a.size(), 16390u + 4 * (3 + 467) + 5 * (older ? 0 : 1) + 32 + 12 + 0 + 180000);
    EXPECT_TRUE(a == b) << "archives differ";
}

TEST(TransferE2e, GetListPutAndGetBackGivesTheSameArchive) { round_trip({}, false); }

TEST(TransferE2e, AnOlderHostIsServedWithRequest49) { round_trip({"--older-host"}, true); }

TEST(TransferE2e, AFailedGetKeepsTheFilesBeforeItAndExitsWith1) {
    TempDir dir;
    E2eHost e2e;
    ASSERT_TRUE(e2e.host().running()) << e2e.host().error();
    const std::string path = dir.file("partial.kba");
    auto r = e2e.kestra({"get", path, kFiles[1], "(PROD)NOT THERE", kFiles[0]});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("[Kestra]FILE NOT FOUND"), std::string::npos) << r.err;
    EXPECT_EQ(r.out, "");
    EXPECT_NE(r.err.find(path + ": 1 file fetched before the failure"), std::string::npos) << r.err;
    auto listed = e2e.kestra({"--json", "archive", path});
    ASSERT_EQ(listed.status, 0) << listed.err;
    EXPECT_NE(listed.out.find("\"count\":1,"), std::string::npos) << listed.out;
    EXPECT_EQ(listed.out.find(kFiles[0]), std::string::npos);

    auto missing = e2e.kestra({"get", dir.file("x.kba"), "@" + dir.file("none.txt")});
    EXPECT_EQ(missing.status, 1);
    EXPECT_NE(missing.err.find("Cannot open list file " + dir.file("none.txt")), std::string::npos) << missing.err;
}

TEST(TransferE2e, PutSendsOnlyTheNamedEntriesAndRefusesUnknownOnes) {
    TempDir dir;
    E2eHost e2e;
    const std::string path = dir.file("a.kba");
    ASSERT_EQ(e2e.kestra({"get", path, kFiles[1], kFiles[2]}).status, 0);
    auto one = e2e.kestra({"put", path, "2"});
    EXPECT_EQ(one.status, 0) << one.err;
    EXPECT_EQ(one.out, "");
    auto named = e2e.kestra({"--json", "put", path, kFiles[2], kFiles[1]});
    EXPECT_EQ(named.out, "{\"archive\":\"" + path + "\",\"sent\":[\"" + kFiles[1] + "\",\"" + kFiles[2] +
                             "\"],\"skipped\":[],\"ok\":true}\n");
    EXPECT_EQ(e2e.kestra({"put", path, "3"}).status, 1);  // an unknown name is what the data lacked
    auto not_archive = e2e.kestra({"put", dir.write("junk.kba", "junk")});
    EXPECT_EQ(not_archive.status, 1);
    EXPECT_NE(not_archive.err.find("Not an archive file"), std::string::npos) << not_archive.err;
}

}  // namespace
