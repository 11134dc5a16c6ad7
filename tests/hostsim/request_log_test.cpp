#include "request_log.h"

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "host_test_client.h"
#include "running_host.h"
#include "support/temp_dir.h"

namespace kestra::testing {
namespace {

using Message = HostTestClient::Message;

TEST(HostRequestLog, KeepsEveryRequestInOrderAndWritesTheFileAsItComes) {
    TempDir dir;
    const std::string file = dir.file("requests.log");
    RunningHost host([&](hostsim::ServerOptions& o) { o.request_log = file; });
    ASSERT_TRUE(host.started);
    HostTestClient pc(host.port());
    ASSERT_TRUE(pc.login("ADMIN", "SECRET"));
    Message reply;
    // A request the host does not know is logged all the same: the log is what arrived, not what was answered.
    ASSERT_TRUE(pc.request(2, 999, std::string("A\\B\x01\xE9", 5), reply));
    ASSERT_TRUE(pc.send_request(0, 3, ""));  // a logout has no reply
    for (int i = 0; i < 200 && host.server->requests().count(0, 3) == 0; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));

    const auto entries = host.server->requests().entries();
    ASSERT_EQ(entries.size(), 4u);
    EXPECT_EQ(entries[0].kind, 0);
    EXPECT_EQ(entries[0].code, 0);
    EXPECT_EQ(entries[1].code, 4);
    EXPECT_EQ(entries[1].body, "101920ADMIN/SECRET.");
    EXPECT_EQ(host.server->requests().count(2, 999), 1u);
    EXPECT_EQ(host.server->requests().count(0, 3), 1u);

    // The file has the same requests, one line each, with bytes outside printable ASCII escaped.
    std::string text;
    for (int i = 0; i < 200 && text.find("0 3 \n") == std::string::npos; ++i) {
        text = TempDir::read(file);
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    EXPECT_NE(text.find("2 999 A\\x5CB\\x01\\xE9\n"), std::string::npos) << text;
    EXPECT_NE(text.find("0 3 \n"), std::string::npos) << text;
    EXPECT_EQ(text.find("0 0 \n0 4 101920ADMIN/SECRET.\n"), 0u) << text;
}

TEST(HostRequestLog, AnUnwritableFileStopsTheStart) {
    TempDir dir;
    hostsim::ServerOptions options;
    options.request_log = dir.file("no/such/folder/requests.log");
    hostsim::HostServer server(options);
    std::string error;
    EXPECT_NE(server.start(error), 0);
    EXPECT_NE(error.find("request log"), std::string::npos) << error;
}

}  // namespace
}  // namespace kestra::testing
