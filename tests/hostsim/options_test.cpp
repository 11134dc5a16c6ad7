#include <gtest/gtest.h>

#include "host_test_client.h"
#include "running_host.h"

namespace kestra::testing {
namespace {

using Message = HostTestClient::Message;

// A logged-in PC with SALES (number 1) open.
struct OpenSales {
    explicit OpenSales(RunningHost& host, int size = 1920) : pc(host.port()) {
        EXPECT_TRUE(pc.login("ADMIN", "SECRET", size));
        Message reply;
        EXPECT_TRUE(pc.request(2, 18, "0001.", reply));
        EXPECT_EQ(reply.data.substr(0, 1), "0");
        reference = reply.data.substr(1, 4);
    }
    Message ask(int code, const std::string& body) {
        Message reply;
        EXPECT_TRUE(pc.request(2, code, body, reply));
        return reply;
    }
    HostTestClient pc;
    std::string reference;
};

TEST(HostOptions, GlobalOptionsRoundTripInWireOrder) {
    RunningHost host;
    OpenSales s(host);
    const std::string put = s.reference + "006Orders" "003ABC" "005ASCII" "07" "12" "31" "1999" "1" "2" "3" "2"
                            "008(SEC)KEY" "1" "004MINE" "1";
    EXPECT_EQ(s.ask(31, put).data, "0");
    EXPECT_EQ(s.ask(30, s.reference + ".").data, "0" + put.substr(4));
}

TEST(HostOptions, BadOptionValuesAndUnknownReferencesAreRefused) {
    RunningHost host;
    OpenSales s(host);
    EXPECT_EQ(s.ask(31, s.reference + "000000000" "00000000" "0" "0" "9" "0" "000" "0" "000" "0").data[0], '2');
    EXPECT_EQ(s.ask(30, "9999.").data.find("INVALID FILE REFERENCE") != std::string::npos, true);
    EXPECT_EQ(s.ask(33, s.reference + "0112" "2147483648").data[0], '2');
}

TEST(HostOptions, LimitsRoundTrip) {
    RunningHost host;
    OpenSales s(host);
    EXPECT_EQ(s.ask(33, s.reference + "0112" "0000000500").data, "0");
    EXPECT_EQ(s.ask(32, s.reference + ".").data, "0" "0112" "0000000500");
}

TEST(HostOptions, ApplicationsAreListedDetailedAddedModifiedAndDeleted) {
    RunningHost host;
    OpenSales s(host);
    EXPECT_EQ(s.ask(39, s.reference + ".").data, "0" "002" "001" "009EXCEL.EXE" "0" "002" "012SALESPRO.EXE" "1");
    EXPECT_EQ(s.ask(36, s.reference + "001.").data, "0" "009EXCEL.EXE" "0" "0" "0");
    EXPECT_EQ(s.ask(36, s.reference + "002.").data,
              "0" "012SALESPRO.EXE" "1" "1" "1002" "0000001000" "1" "0002" "00011" "00020");

    EXPECT_EQ(s.ask(35, s.reference + "002" "005A.EXE" "0" "0" "0" "005B.EXE" "1" "1" "0101" "0000000010" "1" "0001"
                                      "00031" ".").data,
              "0" "003" "004");
    EXPECT_EQ(s.ask(36, s.reference + "004.").data, "0" "005B.EXE" "1" "1" "0101" "0000000010" "1" "0001" "00031");
    // A program name already in the file, in any letter case, is refused and nothing of the message is kept.
    EXPECT_EQ(s.ask(35, s.reference + "002" "005C.EXE" "0" "0" "0" "005a.exe" "0" "0" "0" ".").data[0], '2');

    EXPECT_EQ(s.ask(38, s.reference + "001" "003" "005Z.EXE" "1" "0" "0" ".").data, "0");
    EXPECT_EQ(s.ask(36, s.reference + "003.").data, "0" "005Z.EXE" "1" "0" "0");
    EXPECT_EQ(s.ask(38, s.reference + "001" "077" "005Q.EXE" "1" "0" "0" ".").data[0], '2');

    EXPECT_EQ(s.ask(37, s.reference + "002" "001" "004.").data, "0");
    EXPECT_EQ(s.ask(39, s.reference + ".").data, "0" "002" "002" "012SALESPRO.EXE" "1" "003" "005Z.EXE" "1");
    EXPECT_EQ(s.ask(37, s.reference + "001" "001.").data[0], '2');
}

TEST(HostOptions, ALongApplicationListContinuesOverMessages) {
    RunningHost host;
    OpenSales s(host, 128);  // data limit 114
    for (int batch = 0; batch < 6; ++batch) {
        std::string body = s.reference + "005";
        for (int i = 0; i < 5; ++i) body += "005P" + std::to_string(10 + batch * 5 + i) + ".X" "000";
        ASSERT_EQ(s.ask(35, body + ".").data[0], '0');
    }
    Message m;
    ASSERT_TRUE(s.pc.request(2, 39, s.reference + ".", m));
    ASSERT_EQ(m.data.substr(0, 4), "0032");
    std::string data = m.data.substr(4);
    std::size_t entries = 0, messages = 1;
    while (true) {
        while (data.size() >= 6) {
            const std::size_t length = std::stoul(data.substr(3, 3));
            data.erase(0, 6 + length + 1);
            ++entries;
        }
        if (entries >= 32) break;
        ASSERT_TRUE(s.pc.read_message(m));
        ++messages;
        data = m.data;
    }
    EXPECT_EQ(entries, 32u);
    EXPECT_GT(messages, 2u);
}

}  // namespace
}  // namespace kestra::testing
