#include <gtest/gtest.h>

#include <thread>
#include <vector>

#include "host_test_client.h"
#include "running_host.h"
#include "support/temp_dir.h"

namespace kestra::testing {
namespace {

using Message = HostTestClient::Message;

std::string login_body(int size, const std::string& names) {
    char head[7];
    std::snprintf(head, sizeof head, "1%05d", size);
    return head + names + ".";
}

TEST(HostSession, VersionReplyCarriesLevelsProtocolsAndText) {
    RunningHost host;
    HostTestClient pc(host.port());
    Message reply;
    ASSERT_TRUE(pc.request(0, 0, "", reply));
    EXPECT_EQ(reply.kind, 0);
    EXPECT_EQ(reply.code, 0);
    EXPECT_EQ(reply.declared, reply.data.size());
    EXPECT_EQ(reply.data, "0" "05" "107" "021" "KESTRA SERVER 5R7" "." "A01" "022");
}

TEST(HostSession, LoginGrantsTheSmallerSize) {
    RunningHost host;
    {
        HostTestClient pc(host.port());
        Message reply;
        ASSERT_TRUE(pc.request(0, 4, login_body(8192, "ADMIN/SECRET"), reply));
        EXPECT_EQ(reply.data, "004096");   // the user's ceiling
    }
    {
        HostTestClient pc(host.port());
        Message reply;
        ASSERT_TRUE(pc.request(0, 4, login_body(1920, "ADMIN/SECRET/ACCT7"), reply));
        EXPECT_EQ(reply.data, "001920");   // the PC's proposal
    }
}

TEST(HostSession, PasswordIsCheckedWithoutRegardToCase) {
    RunningHost host;
    HostTestClient pc(host.port());
    Message reply;
    ASSERT_TRUE(pc.request(0, 4, login_body(1920, "admin/secret"), reply));
    EXPECT_EQ(reply.data.substr(0, 1), "0");
}

TEST(HostSession, WrongPasswordUnknownUserAndMissingPasswordAreRefused) {
    RunningHost host;
    for (const char* names : {"ADMIN/WRONG", "NOBODY/SECRET", "ADMIN", "GUEST/PW/CHARGE"}) {
        HostTestClient pc(host.port());
        Message reply;
        ASSERT_TRUE(pc.request(0, 4, login_body(1920, names), reply)) << names;
        EXPECT_EQ(reply.data, "2" "0014" "0036" "[Kestra]INVALID USERCODE OR PASSWORD" "0000") << names;
    }
}

TEST(HostSession, UserWithoutPasswordMayAddAChargecode) {
    RunningHost host;
    HostTestClient pc(host.port());
    Message reply;
    ASSERT_TRUE(pc.request(0, 4, login_body(1920, "GUEST/ACCT1"), reply));
    EXPECT_EQ(reply.data, "001920");
}

TEST(HostSession, MalformedLoginBodyIsRefused) {
    RunningHost host;
    for (const std::string& body : {std::string("1019"), std::string("2019200ADMIN/SECRET."),
                                   std::string("101920ADMIN/SECRET")}) {
        HostTestClient pc(host.port());
        Message reply;
        ASSERT_TRUE(pc.request(0, 4, body, reply));
        EXPECT_EQ(reply.data.substr(0, 5), "20003") << body;
    }
}

TEST(HostSession, OptionsNeedALogin) {
    RunningHost host;
    HostTestClient pc(host.port());
    Message reply;
    ASSERT_TRUE(pc.request(2, 8, "", reply));
    EXPECT_EQ(reply.data.substr(0, 1), "2");
    EXPECT_NE(reply.data.find("NOT LOGGED ON"), std::string::npos);
}

TEST(HostSession, OptionsGetAndSetAreSharedByConnections) {
    RunningHost host;
    HostTestClient first(host.port());
    ASSERT_TRUE(first.login("ADMIN", "SECRET"));
    Message reply;
    ASSERT_TRUE(first.request(2, 8, "", reply));
    EXPECT_EQ(reply.data, "010");
    ASSERT_TRUE(first.request(2, 9, "01", reply));
    EXPECT_EQ(reply.data, "0");

    HostTestClient second(host.port());
    ASSERT_TRUE(second.login("OPERATOR", "NIGHTSHIFT"));
    ASSERT_TRUE(second.request(2, 8, "", reply));
    EXPECT_EQ(reply.data, "001");
}

TEST(HostSession, BadOptionValuesAreRefusedAndChangeNothing) {
    RunningHost host;
    HostTestClient pc(host.port());
    ASSERT_TRUE(pc.login("ADMIN", "SECRET"));
    Message reply;
    for (const char* body : {"", "1", "12", "101"}) {
        ASSERT_TRUE(pc.request(2, 9, body, reply));
        EXPECT_EQ(reply.data.substr(0, 5), "20006") << body;
    }
    ASSERT_TRUE(pc.request(2, 8, "", reply));
    EXPECT_EQ(reply.data, "010");
}

TEST(HostSession, UnknownAndNeverSentRequestsGetInvalidCommand) {
    RunningHost host;
    HostTestClient pc(host.port());
    ASSERT_TRUE(pc.login("ADMIN", "SECRET"));
    const std::string refusal = "2" "0003" "0023" "[Kestra]INVALID COMMAND" "0000";
    for (auto [kind, code] : std::vector<std::pair<int, int>>{{2, 0}, {2, 20}, {2, 29}, {2, 45}, {2, 999}, {0, 7}, {5, 1}}) {
        Message reply;
        ASSERT_TRUE(pc.request(kind, code, "", reply));
        EXPECT_EQ(reply.data, refusal) << kind << "/" << code;
        EXPECT_EQ(reply.kind, kind);
        EXPECT_EQ(reply.code, code);
    }
}

TEST(HostSession, SequenceCharacterAdvancesForEveryReplyAndWraps) {
    RunningHost host;
    HostTestClient pc(host.port());
    std::string seen;
    for (int i = 0; i < 12; ++i) {
        Message reply;
        ASSERT_TRUE(pc.request(0, 0, "", reply));
        seen.push_back(reply.sequence);
    }
    EXPECT_EQ(seen, "012345678901");
}

TEST(HostSession, LogoutGetsNoReply) {
    RunningHost host;
    HostTestClient pc(host.port());
    ASSERT_TRUE(pc.login("ADMIN", "SECRET"));
    ASSERT_TRUE(pc.send_request(0, 3, ""));
    // The next answer on the line belongs to the version request, not to the logout.
    Message reply;
    ASSERT_TRUE(pc.request(0, 0, "", reply));
    EXPECT_EQ(reply.code, 0);
    // After a logout the session must log in again.
    ASSERT_TRUE(pc.request(2, 8, "", reply));
    EXPECT_EQ(reply.data.substr(0, 1), "2");
}

TEST(HostSession, HeaderLongerThanTheFrameIsRefused) {
    RunningHost host;
    HostTestClient pc(host.port());
    ASSERT_TRUE(pc.send_frame("#@!0002009" "0040" "01"));
    Message reply;
    ASSERT_TRUE(pc.read_message(reply));
    EXPECT_EQ(reply.data.substr(0, 5), "20013");
}

TEST(HostSession, FramesThatAreNotRequestsAreIgnored) {
    RunningHost host;
    HostTestClient pc(host.port());
    ASSERT_TRUE(pc.send_frame("GOOD MORNING"));
    ASSERT_TRUE(pc.send_frame(""));
    Message reply;
    ASSERT_TRUE(pc.request(0, 0, "", reply));
    EXPECT_EQ(reply.sequence, '0');   // nothing was sent before this reply
}

TEST(HostSession, ServesSeveralConnectionsAtOnce) {
    RunningHost host;
    std::vector<std::thread> threads;
    std::vector<int> ok(6, 0);
    for (std::size_t i = 0; i < ok.size(); ++i) {
        threads.emplace_back([&, i] {
            HostTestClient pc(host.port());
            Message reply;
            bool all = pc.login("ADMIN", "SECRET");
            for (int k = 0; k < 20 && all; ++k) {
                all = pc.request(2, 8, "", reply) && reply.data.size() == 3 && reply.data[0] == '0';
            }
            ok[i] = all ? 1 : 0;
        });
    }
    for (auto& t : threads) t.join();
    for (int v : ok) EXPECT_EQ(v, 1);
}

TEST(HostSession, PlainWireCarriesAscii) {
    RunningHost host([](hostsim::ServerOptions& o) { o.plain = true; });
    HostTestClient pc(host.port(), true);
    Message reply;
    ASSERT_TRUE(pc.request(0, 0, "", reply));
    EXPECT_EQ(reply.data.substr(0, 9), "005107021");
}

TEST(HostSession, BuiltInTablesPutTheHostCharacterSetOnTheWire) {
    RunningHost host;
    const auto tables = tavlink::builtin_tables();
    std::string frame = "0014" "#@!900" "0" "000" "0000";
    tavlink::translate_in_place(tables.pc_to_host, frame.data(), frame.size());
    HostTestClient raw(host.port(), true);
    ASSERT_TRUE(raw.send_raw(frame));
    std::string bytes;
    ASSERT_TRUE(raw.read_raw(4 + 14 + 33, bytes));
    // Length digits and text arrive in the host character set: "0" is 0xF0, "#" is translated too.
    EXPECT_EQ(static_cast<unsigned char>(bytes[0]), 0xF0);
    EXPECT_EQ(static_cast<unsigned char>(bytes[1]), 0xF0);
    tavlink::translate_in_place(tables.host_to_pc, bytes.data(), bytes.size());
    EXPECT_EQ(bytes.substr(0, 18), "0047" "#@!" "0" "00" "0" "000" "0033");
    EXPECT_EQ(bytes.substr(18, 9), "005107021");
}

TEST(HostSession, StopEndsOpenConnections) {
    RunningHost host;
    HostTestClient pc(host.port());
    ASSERT_TRUE(pc.login("ADMIN", "SECRET"));
    host.server->stop();
    EXPECT_TRUE(pc.wait_closed());
    host.server->stop();   // twice is harmless
}

}  // namespace
}  // namespace kestra::testing

namespace kestra::testing {
namespace {

TEST(HostStart, MissingTranslateFileOrFixtureStopsTheStart) {
    for (int which = 0; which < 2; ++which) {
        hostsim::ServerOptions options;
        if (which == 0) options.translate_file = "/nonexistent/host.xlt";
        if (which == 1) options.data_file = "/nonexistent/fixture.json";
        hostsim::HostServer server(options);
        std::string error;
        EXPECT_EQ(server.start(error), 1);
        EXPECT_NE(error.find("/nonexistent/"), std::string::npos);
    }
}

TEST(HostStart, TranslateFileWithNoEntriesGivesAnAsciiWire) {
    TempDir dir;
    const std::string xlt = dir.write("plain.xlt", "[PCTOASERIES]\r\n[ASERIESTOPC]\r\n");
    RunningHost host([&](hostsim::ServerOptions& o) { o.translate_file = xlt; });
    HostTestClient pc(host.port(), true);
    HostTestClient::Message reply;
    ASSERT_TRUE(pc.request(0, 0, "", reply));
    EXPECT_EQ(reply.data.substr(0, 9), "005107021");
}

}  // namespace
}  // namespace kestra::testing
