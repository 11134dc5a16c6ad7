#include <gtest/gtest.h>

#include <mutex>

#include "host_test_client.h"
#include "running_host.h"
#include "support/temp_dir.h"

namespace kestra::testing {
namespace {

using Message = HostTestClient::Message;

std::string s(const std::string& text) {
    char length[4];
    std::snprintf(length, sizeof length, "%03zu", text.size());
    return length + text;
}

// Opens the sample's SALES file (number 1) and gives its reference.
std::string open_sales(HostTestClient& pc) {
    Message reply;
    if (!pc.request(2, 18, "0001.", reply) || reply.data.size() != 5 || reply.data[0] != '0') return {};
    return reply.data.substr(1);
}

TEST(HostCatalogue, DescriptionFilesDatabasesAndDatasetsInHostOrder) {
    RunningHost host;
    HostTestClient pc(host.port());
    ASSERT_TRUE(pc.login("ADMIN", "SECRET"));
    Message reply;
    ASSERT_TRUE(pc.request(2, 12, ".", reply));
    EXPECT_EQ(reply.data, "0" "0002" + s("(PROD)DESCRIPTION/SALESDB ON DBPACK") + s("(PAY)DESCRIPTION/PAYDB ON PAYPACK"));
    ASSERT_TRUE(pc.request(2, 3, "(PROD)DESCRIPTION/SALESDB ON DBPACK.", reply));
    EXPECT_EQ(reply.data, "0" "0002" + s("SALESDB") + s("SALESHIST"));
    ASSERT_TRUE(pc.request(2, 4, "(PROD)DESCRIPTION/SALESDB ON DBPACK.SALESDB.", reply));
    EXPECT_EQ(reply.data, "0" "00006" + s("CUSTOMER") + "0" + s("CUST-BY-ID") + "1" + s("CUST-BY-NAME") + "1" +
                              s("ORDERS") + "0" + s("ORD-BY-CUST") + "1" + s("PRODUCT") + "0");
}

TEST(HostCatalogue, UnknownNamesAndMalformedBodiesAreRefused) {
    RunningHost host;
    HostTestClient pc(host.port());
    ASSERT_TRUE(pc.login("ADMIN", "SECRET"));
    Message reply;
    ASSERT_TRUE(pc.request(2, 3, "(X)NOTHING ON PACK.", reply));
    EXPECT_NE(reply.data.find("DESCRIPTION FILE NOT FOUND"), std::string::npos) << reply.data;
    ASSERT_TRUE(pc.request(2, 4, "(PROD)DESCRIPTION/SALESDB ON DBPACK.NODB.", reply));
    EXPECT_NE(reply.data.find("DATABASE NOT FOUND"), std::string::npos) << reply.data;
    for (const char* body : {"", ".", "NAME", "(PROD)DESCRIPTION/SALESDB ON DBPACK..", "SALESDB."}) {
        ASSERT_TRUE(pc.request(2, 4, body, reply));
        EXPECT_EQ(reply.data.substr(0, 1), "2") << body;
    }
    ASSERT_TRUE(pc.request(2, 12, "", reply));
    EXPECT_EQ(reply.data.substr(0, 1), "2");
}

TEST(HostCatalogue, ALargeDatabaseComesOverSeveralMessages) {
    TempDir dir;
    std::string datasets;
    for (int i = 0; i < 300; ++i) {
        if (i > 0) datasets += ",";
        datasets += "{\"name\":\"DATASET-NUMBER-" + std::to_string(i) + "\",\"type\":" + (i % 3 == 0 ? "0" : "1") + "}";
    }
    const std::string fixture = dir.write(
        "big.json", "{\"users\":[{\"name\":\"ADMIN\",\"password\":\"SECRET\"}],\"description_files\":[{\"name\":"
                    "\"(U)D ON P\",\"databases\":[{\"name\":\"BIG\",\"datasets\":[" + datasets + "]}]}]}");
    RunningHost host([&](hostsim::ServerOptions& o) { o.data_file = fixture; });
    HostTestClient pc(host.port());
    ASSERT_TRUE(pc.login("ADMIN", "SECRET", 1920));
    ASSERT_TRUE(pc.send_request(2, 4, "(U)D ON P.BIG."));
    std::size_t expected = 1 + 5;
    for (int i = 0; i < 300; ++i) expected += 3 + std::string("DATASET-NUMBER-" + std::to_string(i)).size() + 1;
    std::string all;
    int messages = 0;
    while (all.size() < expected) {
        Message m;
        ASSERT_TRUE(pc.read_message(m));
        ASSERT_LE(m.data.size(), 1920u - 14u);
        // Entries are whole in every message: a continuation starts with a name's length.
        if (messages > 0) {
            EXPECT_EQ(m.data.substr(3, 15), "DATASET-NUMBER-");
        }
        all += m.data;
        ++messages;
        if (messages > 20) break;
    }
    EXPECT_GT(messages, 1);
    EXPECT_EQ(all.substr(0, 6), "000300");
    EXPECT_EQ(all.size(), expected);
    EXPECT_NE(all.find(s("DATASET-NUMBER-299") + "1"), std::string::npos);
}

TEST(HostCatalogue, ACobolRecordLoadsAsATableHandle) {
    RunningHost host;
    HostTestClient pc(host.port());
    ASSERT_TRUE(pc.login("ADMIN", "SECRET"));
    const std::string ref = open_sales(pc);
    ASSERT_EQ(ref.size(), 4u);
    Message reply;
    // By FD sequence number; the access library left empty.
    ASSERT_TRUE(pc.request(2, 43, ref + "2" + s("000100") + s("(PAY)SOURCE/TIMECARD") + "000" +
                                      s("(PAY)DATA/TIMECARD ON PAYPACK") + "000",
                           reply));
    ASSERT_EQ(reply.data.size(), 5u) << reply.data;
    const std::string handle = reply.data.substr(1);
    ASSERT_TRUE(pc.request(2, 44, handle + "00000", reply));
    EXPECT_EQ(reply.data, "000004");
    // The other start modes find their records; 01 level name is the trailer.
    ASSERT_TRUE(pc.request(2, 43, ref + "1" + s("timecard-trailer") + s("(PAY)SOURCE/TIMECARD") + "000" +
                                      s("T") + s("(PAY)LIB"),
                           reply));
    EXPECT_EQ(reply.data.substr(0, 1), "0") << reply.data;
    ASSERT_TRUE(pc.request(2, 43, ref + "3" + s("000900") + s("(PAY)SOURCE/TIMECARD") + "000" + s("T") + "000",
                           reply));
    EXPECT_EQ(reply.data.substr(0, 1), "0") << reply.data;
}

TEST(HostCatalogue, CobolRequestsAreCheckedAndRefused) {
    RunningHost host;
    HostTestClient pc(host.port());
    ASSERT_TRUE(pc.login("ADMIN", "SECRET"));
    const std::string ref = open_sales(pc);
    Message reply;
    struct Case {
        std::string body;
        const char* text;
    } cases[] = {
        {"9999" "0" + s("TIMECARD-FILE") + s("(PAY)SOURCE/TIMECARD") + "000" + s("T") + "000", "FILE REFERENCE"},
        {ref + "0" + s("NO-SUCH-FD") + s("(PAY)SOURCE/TIMECARD") + "000" + s("T") + "000", "RECORD NOT FOUND"},
        {ref + "0" + s("TIMECARD-FILE") + s("(PAY)SOURCE/NONE") + "000" + s("T") + "000", "SOURCE FILE NOT FOUND"},
        {ref + "2" + s("12A") + s("(PAY)SOURCE/TIMECARD") + "000" + s("T") + "000", "SEQUENCE NUMBER"},
        {ref + "5" + s("X") + s("(PAY)SOURCE/TIMECARD") + "000" + s("T") + "000", "START MODE"},
        {ref + "0" + s("TIMECARD-FILE") + s("(PAY)SOURCE/TIMECARD") + "000" + "000" + "000", "DATA FILE"},
        {ref + "0" + s("TIMECARD-FILE") + "099ABC", "INVALID REQUEST"},
    };
    for (const auto& c : cases) {
        ASSERT_TRUE(pc.request(2, 43, c.body, reply));
        EXPECT_EQ(reply.data.substr(0, 1), "2") << c.body;
        EXPECT_NE(reply.data.find(c.text), std::string::npos) << reply.data;
    }
    ASSERT_TRUE(pc.request(2, 44, "999900000", reply));
    EXPECT_NE(reply.data.find("INVALID TABLE HANDLE"), std::string::npos) << reply.data;
}

TEST(HostCatalogue, ARecordWithANegativeOptionCannotHaveItsDescriptionWritten) {
    RunningHost host;
    {
        std::lock_guard lock(host.server->host().mutex);
        host.server->host().state.cobol_sources.at(0).records.at(0).option = -1;
    }
    HostTestClient pc(host.port());
    ASSERT_TRUE(pc.login("ADMIN", "SECRET"));
    const std::string ref = open_sales(pc);
    Message reply;
    ASSERT_TRUE(pc.request(2, 43, ref + "0" + s("TIMECARD-FILE") + s("(PAY)SOURCE/TIMECARD") + "000" + s("T") + "000",
                           reply));
    ASSERT_EQ(reply.data.size(), 5u) << reply.data;
    ASSERT_TRUE(pc.request(2, 44, reply.data.substr(1) + "00000", reply));
    EXPECT_EQ(reply.data.substr(0, 1), "2");
    EXPECT_NE(reply.data.find("CANNOT WRITE TABLE DESCRIPTION"), std::string::npos) << reply.data;
}

}  // namespace
}  // namespace kestra::testing
