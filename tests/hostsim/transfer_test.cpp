#include <gtest/gtest.h>

#include <cctype>
#include <cstdio>
#include <string>

#include "host_test_client.h"
#include "running_host.h"

namespace kestra::testing {
namespace {

using Message = HostTestClient::Message;

std::string s3(const std::string& text) {
    char n[8];
    std::snprintf(n, sizeof n, "%03zu", text.size());
    return n + text;
}

// A1..A3, frame size, record size, A4..A6, record count, F1..F4, 12 raw bytes, T1, T2.
std::string attribute_block(int frame_size, long record_size, long record_count, const std::string& t1 = "T1",
                            const std::string& t2 = "") {
    char fixed[128];
    std::snprintf(fixed, sizeof fixed, "%010d%010d%010d%05d%010ld%010d%010d%010d%010ld%d%d%d%d", 1, 2, 3, frame_size,
                  record_size, 4, 5, 6, record_count, 1, 0, 1, 0);
    return fixed + std::string("RAWBYTES1234") + s3(t1) + s3(t2);
}

std::string hex_of(const std::string& bytes) {
    std::string out;
    for (char c : bytes) {
        char h[4];
        std::snprintf(h, sizeof h, "%02x", static_cast<unsigned char>(c));
        out += h;
    }
    return out;
}

class HostTransfer : public ::testing::Test {
protected:
    void connect(RunningHost& host, int size = 1920) {
        pc = std::make_unique<HostTestClient>(host.port());
        ASSERT_TRUE(pc->login("ADMIN", "SECRET", size));
    }
    Message ask(int code, const std::string& body) {
        Message reply;
        EXPECT_TRUE(pc->request(2, code, body, reply));
        return reply;
    }
    // The bytes of a file from its data replies, checking each against the chunk limit.
    std::string fetch_data(int code, std::size_t max_bytes, int& requests) {
        std::string hex;
        requests = 0;
        while (true) {
            Message r = ask(code, "0");
            ++requests;
            if (r.data.empty() || r.data[0] != '0') break;
            EXPECT_LE(r.data.size() - 1, 2 * max_bytes);
            if (r.data.size() == 1) break;
            hex += r.data.substr(1);
            if (requests > 100000) break;
        }
        std::string bytes;
        for (std::size_t i = 0; i + 1 < hex.size(); i += 2) bytes += static_cast<char>(std::stoi(hex.substr(i, 2), nullptr, 16));
        return bytes;
    }
    std::unique_ptr<HostTestClient> pc;
};

TEST_F(HostTransfer, Request57AnswersTheExtraBlockAndAttributesThenTheBytesInChunks) {
    RunningHost host;
    connect(host);
    const std::string name = "(PROD)REPORT/DAILY ON DISK";
    Message first = ask(57, "0" + s3(name));
    ASSERT_EQ(first.data.substr(0, 1), "0") << first.data;
    EXPECT_EQ(first.data.substr(1, 3), "005");
    EXPECT_EQ(first.data.substr(4, 5), std::string("\x01\x02\x03\x04\x05"));
    EXPECT_EQ(first.data.substr(9, 35), "0000000000" "0000000001" "0000000000" "00008");

    Message data = ask(57, "0");
    std::string expected = hex_of("DAILY SALES 001\nTOTAL 000012345\n");
    for (char& c : expected) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    EXPECT_EQ(data.data, "0" + expected);
    // The whole file fits one message; after it nothing is under way.
    Message after = ask(57, "0");
    EXPECT_EQ(after.data.substr(0, 1), "2");
    EXPECT_NE(after.data.find("[Kestra]NO FILE TRANSFER IN PROGRESS"), std::string::npos);
}

TEST_F(HostTransfer, AGeneratedFileComesInChunksOfAtMostMessageSizeLess15Halved) {
    RunningHost host;
    connect(host, 1920);
    Message first = ask(57, "0" + s3("(prod)data/snapshot on disk"));  // names match without regard to case
    ASSERT_EQ(first.data.substr(0, 4), "0000") << first.data;
    int requests = 0;
    const std::string bytes = fetch_data(57, (1920 - 15) / 2, requests);
    EXPECT_EQ(bytes.size(), 180000u);
    EXPECT_EQ(requests, (180000 + 951) / 952 + 1);  // and the refusal that ends the loop

    // The same bytes every time.
    ask(57, "0" + s3("(PROD)DATA/SNAPSHOT ON DISK"));
    EXPECT_EQ(fetch_data(57, 952, requests), bytes);
}

TEST_F(HostTransfer, AnOlderHostRefuses57AndServes49WithoutAnExtraBlock) {
    RunningHost host([](hostsim::ServerOptions& o) { o.older_host = true; });
    connect(host);
    Message refused = ask(57, "0" + s3("(PROD)DATA/WORDS ON DISK"));
    EXPECT_EQ(refused.data.substr(0, 1), "2");
    EXPECT_NE(refused.data.find("[Kestra]INVALID COMMAND"), std::string::npos);
    Message first = ask(49, "0" + s3("(PROD)DATA/WORDS ON DISK"));
    ASSERT_EQ(first.data.substr(0, 1), "0") << first.data;
    EXPECT_EQ(first.data.substr(1, 35), "0000000000" "0000000000" "0000000000" "00048");
    // Data requests keep to the code that worked.
    EXPECT_EQ(ask(57, "0").data.substr(0, 1), "2");
    int requests = 0;
    EXPECT_EQ(fetch_data(49, 952, requests), std::string("\0\1\2\3\4\5\6\7\10\11\12\13", 12));
}

TEST_F(HostTransfer, UnknownFilesAndMalformedRequestsAreRefused) {
    RunningHost host;
    connect(host);
    Message missing = ask(57, "0" + s3("(PROD)NOTHING ON DISK"));
    EXPECT_EQ(missing.data.substr(0, 1), "2");
    EXPECT_NE(missing.data.find("[Kestra]FILE NOT FOUND"), std::string::npos);
    EXPECT_EQ(ask(57, "0099SHORT").data.substr(0, 1), "2");
    EXPECT_EQ(ask(50, "0" + s3("X") + "123").data.substr(0, 1), "2");
}

TEST_F(HostTransfer, APutFileIsStoredWhenItsLastByteArrivesAndReadsBack) {
    RunningHost host;
    connect(host);
    const std::string name = "(TEST)NEW/FILE ON DISK";
    std::string contents;
    for (int i = 0; i < 60; ++i) contents += static_cast<char>(i * 5);
    const std::string attrs = attribute_block(8, 20, 3, "NEW", "DESCRIBED");
    EXPECT_EQ(ask(50, "0" + s3(name) + attrs + s3("XTRA")).data, "0");
    // Not there until the data is complete.
    EXPECT_EQ(ask(57, "0" + s3(name)).data.substr(0, 1), "2");
    EXPECT_EQ(ask(50, "0" + s3(name) + attrs + s3("XTRA")).data, "0");
    EXPECT_EQ(ask(50, "0" + hex_of(contents.substr(0, 25))).data, "0");
    EXPECT_EQ(ask(50, "0" + hex_of(contents.substr(25))).data, "0");

    Message first = ask(57, "0" + s3(name));
    EXPECT_EQ(first.data, "0" + s3("XTRA") + attrs);
    int requests = 0;
    EXPECT_EQ(fetch_data(57, 952, requests), contents);
}

TEST_F(HostTransfer, AnEmptyFileIsStoredAfterOneEmptyDataRequestAndReplacesTheOld) {
    RunningHost host;
    connect(host);
    const std::string name = "(PROD)REPORT/DAILY ON DISK";
    const std::string attrs = attribute_block(8, 16, 0);
    EXPECT_EQ(ask(50, "0" + s3(name) + attrs).data, "0");
    EXPECT_EQ(ask(50, "0").data, "0");
    Message first = ask(49, "0" + s3(name));
    EXPECT_EQ(first.data, "0" + attrs);
    EXPECT_EQ(ask(49, "0").data, "0");
}

TEST_F(HostTransfer, BadOrExcessPutDataIsRefusedAndNothingIsStored) {
    RunningHost host;
    connect(host);
    const std::string attrs = attribute_block(8, 4, 1);
    for (const std::string& data : {std::string("0abc"), std::string("0zz11"), std::string("0") + hex_of("TOO LONG")}) {
        SCOPED_TRACE(data);
        EXPECT_EQ(ask(50, "0" + s3("(TEST)BAD") + attrs).data, "0");
        Message r = ask(50, data);
        EXPECT_EQ(r.data.substr(0, 1), "2");
        EXPECT_NE(r.data.find("[Kestra]INVALID FILE DATA"), std::string::npos) << r.data;
        EXPECT_EQ(ask(57, "0" + s3("(TEST)BAD")).data.substr(0, 1), "2");
    }
}

}  // namespace
}  // namespace kestra::testing
