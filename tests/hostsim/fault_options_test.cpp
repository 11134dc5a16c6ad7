#include <gtest/gtest.h>

#include "host_connection.h"
#include "host_test_client.h"
#include "running_host.h"

namespace kestra::testing {
namespace {

using Message = HostTestClient::Message;

TEST(FaultOptions, ScriptDialogueGreetsPromptsAndAcceptsTheExpectedReply) {
    RunningHost host([](hostsim::ServerOptions& o) {
        o.script_dialogue = true;
        o.script_greeting = "HELLO PC";
        o.script_prompt = "USER?";
        o.script_expect = "ADMIN";
    });
    HostTestClient pc(host.port());
    std::string frame;
    ASSERT_TRUE(pc.read_frame(frame));
    EXPECT_EQ(frame, "HELLO PC");
    ASSERT_TRUE(pc.read_frame(frame));
    EXPECT_EQ(frame, "USER?");
    ASSERT_TRUE(pc.send_frame("LOGON ADMIN\r"));
    ASSERT_TRUE(pc.read_frame(frame));
    EXPECT_EQ(frame, "SESSION STARTED");
    Message reply;
    ASSERT_TRUE(pc.request(0, 0, "", reply));
    EXPECT_EQ(reply.data.substr(0, 1), "0");
}

TEST(FaultOptions, ScriptDialogueRejectsAWrongReplyAndCloses) {
    RunningHost host([](hostsim::ServerOptions& o) {
        o.script_dialogue = true;
        o.script_expect = "ADMIN";
    });
    HostTestClient pc(host.port());
    std::string frame;
    ASSERT_TRUE(pc.read_frame(frame));
    ASSERT_TRUE(pc.read_frame(frame));
    ASSERT_TRUE(pc.send_frame("SOMEONE"));
    ASSERT_TRUE(pc.read_frame(frame));
    EXPECT_EQ(frame, "INVALID USERCODE");
    EXPECT_TRUE(pc.wait_closed());
}

TEST(FaultOptions, ControlPrefixPrecedesEveryReply) {
    RunningHost host([](hostsim::ServerOptions& o) { o.control_prefix = true; });
    HostTestClient pc(host.port());
    ASSERT_TRUE(pc.send_request(0, 0, ""));
    std::string frame;
    ASSERT_TRUE(pc.read_frame(frame));
    ASSERT_GT(frame.size(), hostsim::kControlPrefix.size());
    EXPECT_EQ(frame.substr(0, hostsim::kControlPrefix.size()), hostsim::kControlPrefix);
    Message reply;
    ASSERT_TRUE(HostTestClient::parse(frame.substr(hostsim::kControlPrefix.size()), reply));
    EXPECT_EQ(reply.data.substr(0, 1), "0");
}

TEST(FaultOptions, RepeatSendsEachReplyTwiceWithTheSameSequence) {
    RunningHost host([](hostsim::ServerOptions& o) { o.repeat = true; });
    HostTestClient pc(host.port());
    Message a, b, c, d;
    ASSERT_TRUE(pc.request(0, 0, "", a));
    ASSERT_TRUE(pc.read_message(b));
    ASSERT_TRUE(pc.request(0, 0, "", c));
    ASSERT_TRUE(pc.read_message(d));
    EXPECT_EQ(a.sequence, b.sequence);
    EXPECT_EQ(a.data, b.data);
    EXPECT_EQ(c.sequence, d.sequence);
    EXPECT_NE(a.sequence, c.sequence);
}

TEST(FaultOptions, ForeignMessageComesFirst) {
    RunningHost host([](hostsim::ServerOptions& o) { o.foreign = true; });
    HostTestClient pc(host.port());
    ASSERT_TRUE(pc.send_request(0, 0, ""));
    std::string frame;
    ASSERT_TRUE(pc.read_frame(frame));
    EXPECT_EQ(frame, hostsim::kForeignMessage);
    EXPECT_NE(frame.substr(0, 3), "#@!");
    Message reply;
    ASSERT_TRUE(pc.read_message(reply));
    EXPECT_EQ(reply.code, 0);
}

TEST(FaultOptions, DelayedReplyStillArrives) {
    RunningHost host([](hostsim::ServerOptions& o) { o.delay_ms = 300; });
    HostTestClient pc(host.port());
    Message reply;
    ASSERT_TRUE(pc.request(0, 0, "", reply));
    EXPECT_EQ(reply.data.substr(0, 1), "0");
}

TEST(FaultOptions, StopInterruptsALongDelay) {
    RunningHost host([](hostsim::ServerOptions& o) { o.delay_ms = 600000; });
    HostTestClient pc(host.port());
    ASSERT_TRUE(pc.send_request(0, 0, ""));
    host.server->stop();
    EXPECT_TRUE(pc.wait_closed());
}

TEST(FaultOptions, DropAfterClosesWhenTheNextMessageArrives) {
    RunningHost host([](hostsim::ServerOptions& o) { o.drop_after = 2; });
    HostTestClient pc(host.port());
    Message reply;
    ASSERT_TRUE(pc.request(0, 0, "", reply));
    ASSERT_TRUE(pc.request(0, 0, "", reply));
    ASSERT_TRUE(pc.send_request(0, 0, ""));
    EXPECT_TRUE(pc.wait_closed());
}

TEST(FaultOptions, DropAfterZeroClosesOnTheFirstMessage) {
    RunningHost host([](hostsim::ServerOptions& o) { o.drop_after = 0; });
    HostTestClient pc(host.port());
    ASSERT_TRUE(pc.send_request(0, 0, ""));
    EXPECT_TRUE(pc.wait_closed());
}

TEST(FaultOptions, StallFrameSendsHalfAFrameAndKeepsTheLineOpenUntilTheStop) {
    RunningHost host([](hostsim::ServerOptions& o) { o.stall_frame_after = 1; });
    HostTestClient pc(host.port());
    Message reply;
    ASSERT_TRUE(pc.request(0, 0, "", reply));
    ASSERT_TRUE(pc.send_request(0, 0, ""));
    std::string frame;
    EXPECT_FALSE(pc.read_frame(frame, 300));  // half of it came, the rest never does
    EXPECT_FALSE(pc.wait_closed(300));
    ASSERT_TRUE(pc.send_request(0, 0, ""));  // read away, unanswered
    host.server->stop();
    EXPECT_TRUE(pc.wait_closed());
}

TEST(FaultOptions, RepliesWithoutAStatusOrWithoutARecord) {
    for (const bool no_status : {true, false}) {
        RunningHost host([no_status](hostsim::ServerOptions& o) {
            (no_status ? o.no_status_after : o.bare_refusal_after) = 1;
        });
        HostTestClient pc(host.port());
        Message reply;
        ASSERT_TRUE(pc.request(0, 0, "", reply));
        EXPECT_EQ(reply.data.substr(0, 1), "0");
        ASSERT_TRUE(pc.request(0, 0, "", reply));
        EXPECT_EQ(reply.data, no_status ? "" : "2");
        EXPECT_EQ(reply.declared, reply.data.size());
        ASSERT_TRUE(pc.request(0, 0, "", reply));  // only that one reply says nothing
        EXPECT_EQ(reply.data.substr(0, 1), "0");
    }
}

TEST(FaultOptions, OlderHostRefusesRequest57) {
    RunningHost host([](hostsim::ServerOptions& o) { o.older_host = true; });
    HostTestClient pc(host.port());
    ASSERT_TRUE(pc.login("ADMIN", "SECRET"));
    Message reply;
    ASSERT_TRUE(pc.request(2, 57, "0" "004FILE", reply));
    EXPECT_NE(reply.data.substr(0, 1), "0");
    EXPECT_NE(reply.data.find("[Kestra]INVALID COMMAND"), std::string::npos);
}

TEST(FaultOptions, OversizeHeaderClaimsMoreThanTheFrameHolds) {
    RunningHost host([](hostsim::ServerOptions& o) { o.oversize_header = true; });
    HostTestClient pc(host.port());
    ASSERT_TRUE(pc.login("ADMIN", "SECRET"));   // session replies stay honest
    Message reply;
    ASSERT_TRUE(pc.request(2, 8, "", reply));
    EXPECT_EQ(reply.data, "010");
    EXPECT_EQ(reply.declared, reply.data.size() + hostsim::kOversizeExtra);
}

TEST(FaultOptions, RefusedReplyKeepsTheGrantedSize) {
    // A user whose ceiling is below a workable size is still granted it, so the PC's check is exercised.
    RunningHost host([](hostsim::ServerOptions& o) { o.data_file.clear(); });
    {
        std::lock_guard lock(host.server->host().mutex);
        host.server->host().state.users.push_back({"TINY", "PW", 100});
    }
    HostTestClient pc(host.port());
    Message reply;
    ASSERT_TRUE(pc.request(0, 4, "101920TINY/PW.", reply));
    EXPECT_EQ(reply.data, "000100");
}

}  // namespace
}  // namespace kestra::testing
