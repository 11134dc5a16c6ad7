#include "hostlink/host_session.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>

#include "app/admin_app.h"
#include "support/fake_provider.h"
#include "support/recording_ui_hooks.h"
#include "support/temp_dir.h"

using namespace kestra::hostlink;
using kestra::app::admin_app;
using kestra::app::CAdminApp;
using kestra::testing::fake_provider;
using kestra::testing::FakeProvider;
using kestra::testing::TempDir;

namespace {

const std::string kPrefix = "[Brisel Software][Kestra ODBC Driver]";

class Session : public ::testing::Test {
  protected:
    void SetUp() override {
        fake_provider().reset();
        admin_app() = CAdminApp();
        session.set_provider(fake_provider().table());
        session.set_connection(1);
        session.set_timeouts(30, 30);
        session.set_message_size(200);
        ASSERT_EQ(session.alloc_host_msg_buffer(), 0);
    }
    void TearDown() override {
        // Every buffer handed out was handed back.
        EXPECT_EQ(fake_provider().buffers_outstanding, 0);
        fake_provider().reset();
        admin_app() = CAdminApp();
    }

    std::string reply(char seq, std::string_view data, int kind = 2, int code = 13) {
        return FakeProvider::host_message(seq, kind, code, data);
    }
    std::string take_text() {
        char state[6];
        char text[1100];
        std::size_t length = 0;
        session.get_error(state, nullptr, text, sizeof text, &length);
        return std::string(state) + " " + text;
    }
    // Sends a request with a body and returns the reply data, released.
    std::string request(std::string_view body, std::int16_t* rc = nullptr) {
        std::memcpy(session.body(), body.data(), body.size());
        const std::int16_t r = session.send_host_msg(2, 13, static_cast<std::uint16_t>(body.size()), true);
        if (rc != nullptr) *rc = r;
        std::string data;
        if (r == 0) {
            data.assign(session.received_data(), session.received_length());
            session.release_host_msg();
        }
        return data;
    }

    CHostSession session;
};

using SessionMessages = Session;

TEST_F(SessionMessages, HeaderAndSequenceCharacter) {
    for (int i = 0; i < 11; ++i) ASSERT_EQ(session.send_host_msg(2, 13, 0, false), 0);
    const auto& sent = fake_provider().transmitted;
    ASSERT_EQ(sent.size(), 11u);
    EXPECT_EQ(sent[0],
              "#@!9002013"
              "0000");
    EXPECT_EQ(sent[1].substr(0, 4), "#@!0");
    EXPECT_EQ(sent[9].substr(0, 4), "#@!8");
    EXPECT_EQ(sent[10].substr(0, 4), "#@!9");
    EXPECT_EQ(fake_provider().transmit_timeouts[0], 30);
}

TEST_F(SessionMessages, BodyLengthGoesIntoTheHeaderAndTheProviderCount) {
    std::memcpy(session.body(), "0001.", 5);
    ASSERT_EQ(session.send_host_msg(0, 4, 5, false), 0);
    EXPECT_EQ(fake_provider().transmitted.at(0),
              "#@!9000004"
              "0005"
              "0001.");
}

TEST_F(SessionMessages, ABodyAboveTheDataLimitIsRefusedUnsent) {
    EXPECT_EQ(session.data_limit(), 186);
    EXPECT_EQ(session.send_host_msg(2, 13, 187, false), -1);
    EXPECT_TRUE(fake_provider().transmitted.empty());
    EXPECT_EQ(take_text(), "08S01 " + kPrefix + "Transmit error in send_host_msg");
    EXPECT_EQ(session.sequence_char(), '9');
}

TEST_F(SessionMessages, ALargerGrantedSizeNeverExceedsTheAllocatedBuffer) {
    session.set_message_size(4000);
    EXPECT_EQ(session.data_limit(), 186);
    EXPECT_EQ(session.body_capacity(), 186u);
    session.set_message_size(100);
    EXPECT_EQ(session.data_limit(), 86);
}

TEST_F(SessionMessages, TransmitFailureIsReportedAndTheSequenceRunsOn) {
    fake_provider().transmit_result = 1;
    EXPECT_EQ(session.send_host_msg(2, 13, 0, true), -1);
    EXPECT_EQ(take_text(), "08S01 " + kPrefix + "Transmit error in send_host_msg");
    EXPECT_EQ(session.sequence_char(), '0');
}

TEST_F(SessionMessages, AllocationNeedsRoomForTheHeader) {
    CHostSession other;
    other.set_message_size(10);
    EXPECT_EQ(other.alloc_host_msg_buffer(), -1);
    char state[6];
    char text[200];
    other.get_error(state, nullptr, text, sizeof text, nullptr);
    EXPECT_STREQ(state, "S1001");
    EXPECT_EQ(std::string(text), kPrefix + "Cannot get memory for host message buffer");
    EXPECT_EQ(other.send_host_msg(2, 13, 0, false), -1);
}

using SessionReceive = Session;

TEST_F(SessionReceive, RepliesRepeatsAndNonReplies) {
    auto& fp = fake_provider();
    fp.queue_received(reply('3', "0first"));
    fp.queue_received(reply('3', "0repeat"));
    fp.queue_received(reply('4', "", 2, 0));
    // The dropped message still counts as the last sequence, so this is a repeat of it.
    fp.queue_received(reply('4', "0not a reply either"));
    fp.queue_received(reply('5', "0second"));
    EXPECT_EQ(request(""), "0first");
    EXPECT_EQ(session.last_kind(), 2);
    EXPECT_EQ(session.last_code(), 13);
    EXPECT_EQ(request(""), "0second");
    EXPECT_EQ(fp.put_into_receive_calls, 5);
    EXPECT_TRUE(session.diagnostics().empty());
}

TEST_F(SessionReceive, TheHeaderLengthNotTheProviderCountIsTheDataLength) {
    fake_provider().queue_received(reply('1', "0abc") + "trailing noise");
    EXPECT_EQ(request(""), "0abc");
}

TEST_F(SessionReceive, ControlTrafficOnlyBuffersAreSkippedWithATraceLine) {
    TempDir dir;
    admin_app().program_trace = true;
    admin_app().program_trace_file = dir.file("trace.txt");
    auto& fp = fake_provider();
    fp.queue_received("\x1b[\r\n\x1b\"ab");
    fp.queue_received("");
    fp.queue_received("\x1bRx02zz\r\n" + reply('1', "0ok"));
    EXPECT_EQ(request(""), "0ok");
    EXPECT_EQ(TempDir::read(dir.file("trace.txt")), "skip control message\r\nskip control message\r\n");
}

TEST_F(SessionReceive, AForeignMessageIsSkippedSilentlyByDefault) {
    fake_provider().queue_received("HELLO THERE");
    fake_provider().queue_received("#@");
    fake_provider().queue_received(reply('1', "0ok"));
    EXPECT_EQ(request(""), "0ok");
    EXPECT_TRUE(session.diagnostics().empty());
}

TEST_F(SessionReceive, AForeignMessageIsAnErrorWhenNonHostMsgErrIsSet) {
    admin_app().non_host_msg_error = 1;
    const std::string foreign = "X" + std::string(99, 'y');
    fake_provider().queue_received(foreign);
    fake_provider().queue_received(reply('1', "0late"));
    std::int16_t rc = 0;
    request("", &rc);
    EXPECT_EQ(rc, -1);
    ASSERT_EQ(session.diagnostics().size(), 1u);
    EXPECT_EQ(take_text(), "08S01 " + kPrefix + "Non Kestra message received from host->" + foreign.substr(0, 64));
    fake_provider().receives.clear();
}

TEST_F(SessionReceive, ForeignTextStopsAtANulByte) {
    admin_app().non_host_msg_error = 1;
    fake_provider().queue_received(std::string("ab\0cd", 5));
    EXPECT_EQ(session.receive_host_msg(), -1);
    EXPECT_EQ(take_text(), "08S01 " + kPrefix + "Non Kestra message received from host->ab");
}

TEST_F(SessionReceive, AHeaderLongerThanTheDataIsAnError) {
    auto& fp = fake_provider();
    fp.queue_received("#@!100201300200123");
    EXPECT_EQ(session.receive_host_msg(), -1);
    EXPECT_EQ(take_text(), "08S01 " + kPrefix + "Error waiting for host message");
    EXPECT_EQ(session.received_data(), nullptr);
    EXPECT_EQ(fp.put_into_receive_calls, 1);

    fp.queue_received("#@!20020");
    EXPECT_EQ(session.receive_host_msg(), -1);
    EXPECT_EQ(take_text(), "08S01 " + kPrefix + "Error waiting for host message");
    EXPECT_EQ(fp.put_into_receive_calls, 2);
}

TEST_F(SessionReceive, ProviderErrorIsReported) {
    fake_provider().queue_receive_result(1);
    EXPECT_EQ(session.receive_host_msg(), -1);
    EXPECT_EQ(take_text(), "08S01 " + kPrefix + "Error waiting for host message");
}

TEST_F(SessionReceive, ATimeOutDropsTheReceiveTimeOutToTen) {
    auto& fp = fake_provider();
    std::int16_t rc = 0;
    request("", &rc);
    EXPECT_EQ(rc, -1);
    EXPECT_EQ(take_text(), "08S01 " + kPrefix + "Timeout waiting for host message");
    EXPECT_EQ(session.receive_timeout(), 10);
    EXPECT_EQ(session.receive_host_msg(), kReceiveTimeout);
    EXPECT_EQ(fp.receive_timeouts.front(), 30);
    EXPECT_EQ(fp.receive_timeouts.back(), 10);
    session.clear_errors();
}

TEST_F(SessionReceive, ATimeOutOfZeroPostsNothing) {
    session.set_timeouts(30, 0);
    EXPECT_EQ(session.receive_host_msg(), kReceiveTimeout);
    EXPECT_TRUE(session.diagnostics().empty());
    EXPECT_EQ(session.receive_timeout(), 0);
}

TEST_F(SessionReceive, ALateReplyIsFlushedBeforeTheNextRequest) {
    auto& fp = fake_provider();
    std::int16_t rc = 0;
    request("", &rc);
    ASSERT_EQ(rc, -1);
    ASSERT_TRUE(session.out_of_step());
    session.clear_errors();
    // The first request's reply turns up late, ahead of the second's.
    fp.queue_received(reply('1', "0answer to the first"));
    fp.responder = [&](std::string_view) { return std::vector<std::string>{reply('2', "0answer to the second")}; };
    EXPECT_EQ(request(""), "0answer to the second");
    EXPECT_FALSE(session.out_of_step());
}

TEST_F(SessionReceive, AnEarlyEndedListIsFlushedOnceMarked) {
    auto& fp = fake_provider();
    fp.queue_received(reply('1', "0part one"));
    EXPECT_EQ(request(""), "0part one");
    fp.queue_received(reply('2', "0part two"));
    session.mark_out_of_step();
    fp.responder = [&](std::string_view) { return std::vector<std::string>{reply('3', "0next")}; };
    EXPECT_EQ(request(""), "0next");
}

TEST_F(SessionReceive, FlushReturnsEveryWaitingBuffer) {
    auto& fp = fake_provider();
    fp.queue_received("a");
    fp.queue_received("b");
    fp.queue_received("c");
    EXPECT_EQ(session.flush_host_msgs(), 0);
    EXPECT_EQ(fp.put_into_receive_calls, 3);
    EXPECT_TRUE(fp.receives.empty());
    EXPECT_EQ(fp.receive_timeouts.back(), 1);
}

class HostVersion : public Session {
  protected:
    // The version request flushes whatever waits, so the reply has to come in answer to it.
    void answer_version(char seq, std::string data) {
        fake_provider().responder = [this, seq, data](std::string_view) {
            return std::vector<std::string>{reply(seq, data, 0, 0)};
        };
    }
};

TEST_F(HostVersion, AcceptedVersionKeepsLevelsAndTitle) {
    auto& fp = fake_provider();
    fp.queue_received("greeting");
    // Sequence "9" equals the sequence char of the message we send but is still accepted.
    fp.responder = [&](std::string_view sent) {
        EXPECT_EQ(sent,
                  "#@!9000000"
                  "0000");
        return std::vector<std::string>{reply('9', "003045021HOST SERVER 45.ABC022", 0, 0)};
    };
    EXPECT_EQ(session.get_host_version(), 0);
    EXPECT_EQ(session.host_level(), 3);
    EXPECT_EQ(session.host_release(), 45);
    EXPECT_EQ(session.protocol_version(), 21);
    EXPECT_EQ(session.admin_protocol_version(), 22);
    EXPECT_STREQ(session.host_version_text(), "HOST SERVER 45");
    EXPECT_EQ(session.last_sequence(), '9');
    EXPECT_TRUE(session.diagnostics().empty());
}

TEST_F(HostVersion, TheTitleKeepsSeventeenCharacters) {
    answer_version('4', "003045021ABCDEFGHIJKLMNOPQRSTUVWXYZ.xyz022");
    EXPECT_EQ(session.get_host_version(), 0);
    EXPECT_STREQ(session.host_version_text(), "ABCDEFGHIJKLMNOPQ");
}

TEST_F(HostVersion, ProtocolMismatch) {
    answer_version('0', "003045020HOST.abc022");
    EXPECT_EQ(session.get_host_version(), -1);
    EXPECT_EQ(take_text(), "S1000 " + kPrefix + "Host(20)/Micro(21) protocol version mismatch");
}

TEST_F(HostVersion, ProtocolNumbersAreNotTakenModulo256) {
    answer_version('0', "003045277HOST.abc022");
    EXPECT_EQ(session.get_host_version(), -1);
    EXPECT_EQ(take_text(), "S1000 " + kPrefix + "Host(277)/Micro(21) protocol version mismatch");
}

TEST_F(HostVersion, NothingAfterTheDotIsAnAdminMismatch) {
    answer_version('0', "003045021HOST.");
    EXPECT_EQ(session.get_host_version(), -1);
    EXPECT_EQ(take_text(), "S1000 " + kPrefix + "Host(21)/Micro(22) admin protocol version mismatch");
}

TEST_F(HostVersion, ShortAdminDigitsReadAsAShortNumber) {
    answer_version('0', "003045021HOST.abc02");
    EXPECT_EQ(session.get_host_version(), -1);
    EXPECT_EQ(take_text(), "S1000 " + kPrefix + "Host(2)/Micro(22) admin protocol version mismatch");
    answer_version('1', "003045021HOST.a");
    EXPECT_EQ(session.get_host_version(), -1);
    EXPECT_EQ(take_text(), "S1000 " + kPrefix + "Host(0)/Micro(22) admin protocol version mismatch");
}

TEST_F(HostVersion, AShortReplyTakesTheMismatchPath) {
    answer_version('0', "00");
    EXPECT_EQ(session.get_host_version(), -1);
    EXPECT_EQ(take_text(), "S1000 " + kPrefix + "Host(0)/Micro(21) protocol version mismatch");
}

TEST_F(HostVersion, AnErrorStatusQueuesTheHostRecords) {
    answer_version('0', "500030004busy0000");
    EXPECT_EQ(session.get_host_version(), 100);
    EXPECT_EQ(take_text(), "S1000 busy");
}

TEST_F(HostVersion, NoReplyIsReported) {
    EXPECT_EQ(session.get_host_version(), -1);
    EXPECT_EQ(take_text(), "08S01 " + kPrefix + "Timeout waiting for host message");
    EXPECT_EQ(take_text(), "08S01 " + kPrefix + "Cannot get host server version");
}

using Diagnostics = Session;

TEST_F(Diagnostics, StatusDigits) {
    EXPECT_EQ(CHostSession::map_host_status('0'), 0);
    EXPECT_EQ(CHostSession::map_host_status('1'), 1);
    EXPECT_EQ(CHostSession::map_host_status('2'), -1);
    EXPECT_EQ(CHostSession::map_host_status('3'), -2);
    EXPECT_EQ(CHostSession::map_host_status('4'), 99);
    EXPECT_EQ(CHostSession::map_host_status('5'), 100);
    EXPECT_EQ(CHostSession::map_host_status('\0'), -1);
}

TEST_F(Diagnostics, AnInformationReplyQueuesTheHostRecordWithoutPrefix) {
    fake_provider().queue_received(reply('1', "100130005ABCDE0000"));
    std::memcpy(session.body(), ".", 1);
    ASSERT_EQ(session.send_host_msg(2, 13, 1, true), 0);
    ReplyCursor cursor = session.reply();
    EXPECT_EQ(session.take_reply_status(cursor), 1);
    session.release_host_msg();
    ASSERT_EQ(session.diagnostics().size(), 1u);
    char state[6];
    std::uint32_t native = 7;
    char text[64];
    std::size_t length = 0;
    EXPECT_EQ(session.get_error(state, &native, text, sizeof text, &length), 0);
    EXPECT_STREQ(state, "08S01");
    EXPECT_EQ(native, 0u);
    EXPECT_STREQ(text, "ABCDE");
    EXPECT_EQ(length, 5u);
}

TEST_F(Diagnostics, ErrorRecordsStopAtTheEndOfTheData) {
    const std::string records = "00030003one00140005two!!0021000";
    session.load_host_errors(records.data(), records.size());
    ASSERT_EQ(session.diagnostics().size(), 2u);
    EXPECT_EQ(take_text(), "S1000 one");
    EXPECT_EQ(take_text(), "28000 two!!");
    const std::string cut = "00130050short";
    session.load_host_errors(cut.data(), cut.size());
    EXPECT_EQ(take_text(), "08S01 short");
    session.load_host_errors(nullptr, 0);
    EXPECT_TRUE(session.diagnostics().empty());
}

TEST_F(Diagnostics, IndexesPastTheTableReportGeneralFailureWithTheHostText) {
    const std::string records = "00990004oops0000";
    session.load_host_errors(records.data(), records.size());
    EXPECT_EQ(take_text(), "S1000 oops");
}

TEST_F(Diagnostics, PostedRecordsTakeTheDefaultTextWhenNull) {
    session.post_error(17, nullptr);
    session.post_errorf(3, "%s and %d", "text", 5);
    EXPECT_EQ(take_text(), "08001 " + kPrefix + "Unable to connect to data source");
    EXPECT_EQ(take_text(), "S1000 " + kPrefix + "text and 5");
}

TEST_F(Diagnostics, GetErrorOnAnEmptyQueue) {
    char state[6] = "xxxxx";
    char text[8] = "xxxxxxx";
    std::size_t length = 9;
    EXPECT_EQ(session.get_error(state, nullptr, text, sizeof text, &length), 100);
    EXPECT_STREQ(state, "00000");
    EXPECT_STREQ(text, "");
    EXPECT_EQ(length, 0u);
}

TEST_F(Diagnostics, GetErrorCutsTheTextAndStillRemovesTheRecord) {
    session.post_error(3, "0123456789");
    char text[5];
    std::size_t length = 0;
    EXPECT_EQ(session.get_error(nullptr, nullptr, text, sizeof text, &length), 1);
    EXPECT_EQ(std::string(text), kPrefix.substr(0, 4));
    EXPECT_EQ(length, kPrefix.size() + 10);
    EXPECT_TRUE(session.diagnostics().empty());
}

TEST_F(Diagnostics, ShowErrorsCollectsOneBoxOfAtMost1024Characters) {
    kestra::testing::RecordingUiHooks ui;
    const std::string a(600, 'a');
    const std::string b(600, 'b');
    const std::string records = "00030600" + a + "00030600" + b + "00030003ccc0000";
    session.load_host_errors(records.data(), records.size());
    ASSERT_EQ(session.diagnostics().size(), 3u);
    const std::string shown = session.show_errors();
    EXPECT_EQ(shown, a + "\r" + b.substr(0, 1024 - 602) + "\r");
    EXPECT_EQ(shown.size(), 1024u);
    ASSERT_EQ(ui.boxes.size(), 1u);
    EXPECT_EQ(ui.boxes[0], shown);
    // The record after the cut one waits for the next box.
    EXPECT_EQ(session.show_errors(), "ccc\r");
    EXPECT_EQ(session.show_errors(), "");
    EXPECT_EQ(ui.boxes.size(), 2u);
}

TEST_F(Diagnostics, AFirstRecordTooLongForTheBoxIsShownCut) {
    kestra::testing::RecordingUiHooks ui;
    session.post_error(3, std::string(2000, 'z').c_str());
    const std::string shown = session.show_errors();
    EXPECT_EQ(shown.size(), 1024u);
    EXPECT_EQ(shown.substr(0, kPrefix.size()), kPrefix);
    EXPECT_EQ(shown.back(), '\r');
    EXPECT_TRUE(session.diagnostics().empty());
}

TEST_F(Diagnostics, RecordsThatFillTheBoxExactlyLeaveTheNextQueued) {
    kestra::testing::RecordingUiHooks ui;
    const std::string records = "00031023" + std::string(1023, 'q') + "00030001r0000";
    session.load_host_errors(records.data(), records.size());
    EXPECT_EQ(session.show_errors().size(), 1024u);
    EXPECT_EQ(session.show_errors(), "r\r");
}

}  // namespace
