#include <gtest/gtest.h>

#include <string>

#include "host_test_client.h"
#include "running_host.h"

namespace kestra::testing {
namespace {

using Message = HostTestClient::Message;

// A logged-in PC with a few helpers for the configuration requests.
struct Pc {
    explicit Pc(int port, int size = 1920) : client(port) { logged_in = client.login("ADMIN", "SECRET", size); }

    std::string ask(int code, const std::string& body) {
        Message reply;
        if (!client.request(2, code, body, reply)) return "<no reply>";
        return reply.data;
    }
    // The whole list reply, continuation messages joined; the messages counted.
    std::string list(int& messages) {
        Message reply;
        messages = 0;
        if (!client.request(2, 13, ".", reply)) return "<no reply>";
        std::string data = reply.data;
        ++messages;
        const int count = std::stoi(data.substr(1, 4));
        auto entries_in = [](const std::string& d, std::size_t pos) {
            int n = 0;
            while (pos + 11 <= d.size()) {
                pos += 11 + static_cast<std::size_t>(std::stoi(d.substr(pos + 8, 3)));
                ++n;
            }
            return n;
        };
        int seen = entries_in(data, 5);
        while (seen < count) {
            Message more;
            if (!client.read_message(more)) return "<cut short>";
            ++messages;
            seen += entries_in(more.data, 0);
            data += more.data;
        }
        return data;
    }

    HostTestClient client;
    bool logged_in = false;
};

std::string refusal(int index, const std::string& text) {
    char head[16];
    std::snprintf(head, sizeof head, "2%04d%04zu", index, text.size());
    return head + text + "0000";
}

TEST(HostConfig, TheListGivesNumbersLevelsAndNamesInTreeOrder) {
    RunningHost host;
    Pc pc(host.port());
    ASSERT_TRUE(pc.logged_in);
    int messages = 0;
    EXPECT_EQ(pc.list(messages),
              "0" "0005" "00010000021(PROD)SALES ON DBPACK" "00020001028(PROD)SALES/EUROPE ON DBPACK" "00040002028(PROD)SALES/NORDIC ON DBPACK"
              "00030001029(PROD)SALES/ARCHIVE ON DBPACK" "00050000023(PAY)PAYROLL ON PAYPACK");
    EXPECT_EQ(messages, 1);
}

TEST(HostConfig, ALongListIsSplitIntoWholeEntriesByTheDataLimit) {
    RunningHost host;
    Pc pc(host.port(), 128);  // 114 characters of data a message
    ASSERT_TRUE(pc.logged_in);
    for (int i = 0; i < 12; ++i) ASSERT_EQ(pc.ask(14, "009*F" + std::to_string(10 + i) + " ON P0000.").substr(0, 1), "0");
    int messages = 0;
    const std::string whole = pc.list(messages);
    EXPECT_EQ(whole.substr(0, 5), "00017");
    EXPECT_GE(messages, 3);
    EXPECT_NE(whole.find("00170000009*F21 ON P"), std::string::npos) << whole;
}

TEST(HostConfig, AddRenameMoveAndDeleteChangeTheTree) {
    RunningHost host;
    Pc pc(host.port());
    EXPECT_EQ(pc.ask(14, "010*NEW ON PK0005."), "00006");
    EXPECT_EQ(pc.ask(14, "010*NEW ON PK0000."), refusal(3, "[Kestra]DUPLICATE CONFIGURATION FILE NAME"));
    EXPECT_EQ(pc.ask(14, "010*ANY ON PK0077."), refusal(3, "[Kestra]CONFIGURATION FILE NOT FOUND"));
    EXPECT_EQ(pc.ask(14, "000" "0000."), refusal(3, "[Kestra]INVALID CONFIGURATION FILE NAME"));
    EXPECT_EQ(pc.ask(17, "0006010*REN ON PK."), "0");
    EXPECT_EQ(pc.ask(17, "0006021(PROD)SALES ON DBPACK."), refusal(3, "[Kestra]DUPLICATE CONFIGURATION FILE NAME"));
    EXPECT_EQ(pc.ask(17, "0006010*REN ON PK."), "0");  // its own name again is no duplicate
    EXPECT_EQ(pc.ask(16, "00060002."), "0");
    EXPECT_EQ(pc.ask(16, "00010004."), refusal(3, "[Kestra]CANNOT MOVE A FILE BELOW ITSELF"));
    EXPECT_EQ(pc.ask(16, "00010001."), refusal(3, "[Kestra]CANNOT MOVE A FILE BELOW ITSELF"));
    EXPECT_EQ(pc.ask(15, "00021"), "0");  // the branch goes with it
    EXPECT_EQ(pc.ask(15, "00061"), refusal(3, "[Kestra]CONFIGURATION FILE NOT FOUND"));
    int messages = 0;
    EXPECT_EQ(pc.list(messages), "0" "0003" "00010000021(PROD)SALES ON DBPACK" "00030001029(PROD)SALES/ARCHIVE ON DBPACK" "00050000023(PAY)PAYROLL ON PAYPACK");
}

TEST(HostConfig, FileReferencesAreCheckedAndBelongToTheirSession) {
    RunningHost host;
    Pc pc(host.port());
    Pc other(host.port());
    const std::string opened = pc.ask(18, "0004.");
    ASSERT_EQ(opened.substr(0, 1), "0");
    const std::string reference = opened.substr(1, 4);
    EXPECT_EQ(other.ask(40, reference), refusal(3, "[Kestra]INVALID FILE REFERENCE"));
    EXPECT_EQ(other.ask(19, reference + "."), refusal(3, "[Kestra]INVALID FILE REFERENCE"));
    EXPECT_EQ(pc.ask(40, reference), "0");
    EXPECT_EQ(pc.ask(19, reference + "."), "0");
    EXPECT_EQ(pc.ask(19, reference + "."), refusal(3, "[Kestra]INVALID FILE REFERENCE"));
    EXPECT_EQ(pc.ask(18, "0099."), refusal(3, "[Kestra]CONFIGURATION FILE NOT FOUND"));

    // A deleted file's reference names nothing, even when its number is handed out again.
    const std::string again = pc.ask(18, "0005.").substr(1, 4);
    EXPECT_EQ(pc.ask(15, "00050"), "0");
    EXPECT_EQ(pc.ask(14, "007*X ON P0000."), "00005");
    EXPECT_EQ(pc.ask(40, again), refusal(3, "[Kestra]INVALID FILE REFERENCE"));
}

TEST(HostConfig, CopyCutAndPasteUseClipboardNumbers) {
    RunningHost host;
    Pc pc(host.port());
    const std::string copied = pc.ask(46, "0002");
    ASSERT_EQ(copied.substr(0, 1), "0");
    // The pasted branch gets fresh numbers throughout; the given name goes on its top file only.
    EXPECT_EQ(pc.ask(48, copied.substr(1, 4) + "007*C ON P0005"), "00006");
    const std::string cut = pc.ask(47, "00030");
    ASSERT_EQ(cut.substr(0, 1), "0");
    EXPECT_NE(cut, copied);
    EXPECT_EQ(pc.ask(48, cut.substr(1, 4) + "007*D ON P0000"), "00008");
    EXPECT_EQ(pc.ask(48, "9998007*E ON P0000"), refusal(3, "[Kestra]NOTHING ON THE CLIPBOARD"));
    EXPECT_EQ(pc.ask(48, copied.substr(1, 4) + "007*D ON P0000"),
              refusal(3, "[Kestra]DUPLICATE CONFIGURATION FILE NAME"));
    int messages = 0;
    EXPECT_EQ(pc.list(messages),
              "0" "0007" "00010000021(PROD)SALES ON DBPACK" "00020001028(PROD)SALES/EUROPE ON DBPACK" "00040002028(PROD)SALES/NORDIC ON DBPACK"
              "00050000023(PAY)PAYROLL ON PAYPACK" "00060001007*C ON P" "00070002028(PROD)SALES/NORDIC ON DBPACK" "00080000007*D ON P");
}

TEST(HostConfig, EnvironmentCommandsAnswerFromTheFixture) {
    RunningHost host;
    Pc pc(host.port());
    EXPECT_EQ(pc.ask(42, "003who"), "0019ADMIN ON ODBCSERVER");
    EXPECT_EQ(pc.ask(42, "002PD"), "0020UNRECOGNIZED COMMAND");
    EXPECT_EQ(pc.ask(42, "009PD"), refusal(3, "[Kestra]INVALID REQUEST"));
}

TEST(HostConfig, MalformedBodiesAreRefused) {
    RunningHost host;
    Pc pc(host.port());
    for (auto [code, body] : std::initializer_list<std::pair<int, const char*>>{
             {13, ""}, {14, "005AB"}, {15, "0001"}, {16, "0001."}, {17, "0001999X."}, {18, "12"},
             {46, "1"}, {47, "0001"}, {48, "0001"}}) {
        EXPECT_EQ(pc.ask(code, body), refusal(3, "[Kestra]INVALID REQUEST")) << code << " " << body;
    }
    EXPECT_EQ(pc.ask(40, "12"), refusal(3, "[Kestra]INVALID FILE REFERENCE"));
}

}  // namespace
}  // namespace kestra::testing
