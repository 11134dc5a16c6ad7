#include <gtest/gtest.h>

#include <string>

#include "host_test_client.h"
#include "running_host.h"

namespace kestra::testing {
namespace {

using Message = HostTestClient::Message;

// S: the 3-digit length and the text.
std::string S(const std::string& text) {
    char length[4];
    std::snprintf(length, sizeof length, "%03zu", text.size());
    return length + text;
}

// A logged-in PC with SALES (file 1) open.
struct OpenSales {
    explicit OpenSales(int port) : pc(port) {
        EXPECT_TRUE(pc.login("ADMIN", "SECRET"));
        Message reply;
        EXPECT_TRUE(pc.request(2, 18, "0001.", reply));
        EXPECT_EQ(reply.data.substr(0, 1), "0") << reply.data;
        reference = reply.data.substr(1, 4);
    }
    std::string ask(int code, const std::string& body) {
        Message reply;
        EXPECT_TRUE(pc.request(2, code, body, reply));
        return reply.data;
    }
    HostTestClient pc;
    std::string reference;
};

std::string where_of_orders(OpenSales& s) {
    const std::string loaded = s.ask(23, s.reference + "0002");
    EXPECT_EQ(loaded.substr(0, 1), "0") << loaded;
    const std::string handle = loaded.substr(1, 4);
    EXPECT_EQ(s.ask(24, handle + "0"), "0");
    // The where condition is the last element of the reply.
    const std::size_t at = loaded.rfind("ORD-");
    return at == std::string::npos ? loaded : loaded.substr(at);
}

TEST(HostTables, ChangesAreKeptOnlyByAnUnloadWithSaveAndTheFilesSave) {
    RunningHost host;
    {
        OpenSales s(host.port());
        const std::string handle = s.ask(23, s.reference + "0002").substr(1, 4);
        EXPECT_EQ(s.ask(41, handle + S("ORD-STATUS = 1")), "0");
        EXPECT_EQ(s.ask(24, handle + "1"), "0");
        EXPECT_EQ(where_of_orders(s), "ORD-STATUS = 1");  // the file's copy has it
        EXPECT_EQ(s.ask(19, s.reference + "."), "0");      // closed unsaved
    }
    {
        OpenSales s(host.port());
        EXPECT_EQ(where_of_orders(s), "ORD-STATUS <> 'X'");
        const std::string handle = s.ask(23, s.reference + "0002").substr(1, 4);
        EXPECT_EQ(s.ask(41, handle + S("ORD-STATUS = 2")), "0");
        EXPECT_EQ(s.ask(24, handle + "0"), "0");           // unloaded without save
        EXPECT_EQ(where_of_orders(s), "ORD-STATUS <> 'X'");
        const std::string again = s.ask(23, s.reference + "0002").substr(1, 4);
        EXPECT_EQ(s.ask(41, again + S("ORD-STATUS = 3")), "0");
        EXPECT_EQ(s.ask(24, again + "1"), "0");
        EXPECT_EQ(s.ask(40, s.reference), "0");
        EXPECT_EQ(s.ask(19, s.reference + "."), "0");
    }
    OpenSales s(host.port());
    EXPECT_EQ(where_of_orders(s), "ORD-STATUS = 3");
}

TEST(HostTables, AHandleIsValidUntilItsUnloadAndOnlyForItsSession) {
    RunningHost host;
    OpenSales s(host.port());
    const std::string handle = s.ask(23, s.reference + "0001").substr(1, 4);
    OpenSales other(host.port());
    EXPECT_NE(other.ask(54, handle).substr(0, 1), "0");
    EXPECT_EQ(s.ask(54, handle).substr(0, 4), "0002");
    EXPECT_EQ(s.ask(24, handle + "0"), "0");
    const std::string after = s.ask(54, handle);
    EXPECT_NE(after.substr(0, 1), "0");
    EXPECT_NE(after.find("[Kestra]INVALID TABLE HANDLE"), std::string::npos) << after;
}

TEST(HostTables, ModifyIsWholeOrNothingAndChecksNames) {
    RunningHost host;
    OpenSales s(host.port());
    // Two entries; the second takes the name the first just gave, ignoring case, so neither is taken.
    const std::string desc = S("(PROD)DESCRIPTION/SALESDB ON DBPACK");
    const std::string entries = "0002" + S("ORDERX") + "0001600" + S("SALESDB") + S("ORDERS") + S("") + desc +
                                "0001" + S("orderx") + "0000010" + S("SALESDB") + S("CUSTOMER") + S("") + desc;
    const std::string refused = s.ask(34, s.reference + "0002" + entries);
    EXPECT_NE(refused.find("[Kestra]DUPLICATE TABLE NAME"), std::string::npos) << refused;
    const std::string list = s.ask(51, s.reference + ".");
    EXPECT_NE(list.find("0002006ORDERS"), std::string::npos) << list;
    const std::string blank = s.ask(34, s.reference + "0001" "0002007BAD NAM0001600" "000000000000");
    EXPECT_NE(blank.find("[Kestra]INVALID TABLE NAME"), std::string::npos) << blank;
}

TEST(HostTables, JoinMembersArriveOverContinuationMessages) {
    RunningHost host;
    OpenSales s(host.port());
    const std::string loaded = s.ask(55, s.reference + "0003");
    ASSERT_EQ(loaded.substr(0, 1), "0") << loaded;
    EXPECT_EQ(loaded.substr(5, 4), "0002");
    const std::string handle = loaded.substr(1, 4);
    const std::string orders = S("ORDERS") + S("") + S("") + "0" + "0000";
    const std::string customer = S("CUSTOMER") + S("") + S("") + "1" + "0001" + S("KEY") + "0" + "0001" + S("ID");
    EXPECT_EQ(s.ask(56, handle + "0002" + orders), "0");
    EXPECT_EQ(s.ask(56, customer), "0");
    EXPECT_EQ(s.ask(24, handle + "1"), "0");
    const std::string again = s.ask(55, s.reference + "0003");
    EXPECT_EQ(again.substr(5), "0002" + orders + customer) << again;
    // A member naming no plain table of the file is refused.
    const std::string h2 = again.substr(1, 4);
    const std::string bad = s.ask(56, h2 + "0001" + S("NOONE") + S("") + S("") + "0" + "0000");
    EXPECT_NE(bad.find("[Kestra]INVALID JOIN MEMBER"), std::string::npos) << bad;
}

TEST(HostTables, AddAndDeleteWorkOnTheFilesCopy) {
    RunningHost host;
    OpenSales s(host.port());
    const std::string added = s.ask(21, s.reference + "0002" "005NEW_A0000010" "000000000000"
                                                           "005NEW_B0000000" "000000000000");
    EXPECT_EQ(added, "000040005");
    EXPECT_EQ(s.ask(22, s.reference + "00010005."), "0");
    const std::string missing = s.ask(22, s.reference + "00010099.");
    EXPECT_NE(missing.find("[Kestra]TABLE NOT FOUND"), std::string::npos) << missing;
    const std::string list = s.ask(51, s.reference + ".");
    EXPECT_EQ(list.substr(0, 5), "00004") << list;
}

}  // namespace
}  // namespace kestra::testing
