#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>

#include "host_test_client.h"
#include "support/hostsim_process.h"

namespace kestra::testing {
namespace {

using Message = HostTestClient::Message;

struct Outcome {
    int status = -1;
    std::string out;
    std::string err;
};

// Runs the program to its end with its outputs in files; the invalid cases exit at once.
Outcome run_hostsim(const std::vector<std::string>& args) {
    TempDir dir;
    const std::string out = dir.file("out"), err = dir.file("err");
    const pid_t pid = ::fork();
    if (pid == 0) {
        std::vector<std::string> all = {HostsimProcess::program()};
        all.insert(all.end(), args.begin(), args.end());
        std::vector<char*> argv;
        for (auto& a : all) argv.push_back(a.data());
        argv.push_back(nullptr);
        if (!std::freopen(out.c_str(), "w", stdout) || !std::freopen(err.c_str(), "w", stderr)) ::_exit(126);
        ::execv(argv[0], argv.data());
        ::_exit(127);
    }
    Outcome o;
    int status = 0;
    if (pid > 0 && ::waitpid(pid, &status, 0) == pid && WIFEXITED(status)) o.status = WEXITSTATUS(status);
    o.out = TempDir::read(out);
    o.err = TempDir::read(err);
    return o;
}

TEST(HostsimProgram, ServesOnThePortItWroteAndStopsOnSigterm) {
    HostsimProcess host;
    ASSERT_TRUE(host.running()) << host.error();
    HostTestClient pc(host.port());
    ASSERT_TRUE(pc.login("ADMIN", "SECRET"));
    EXPECT_EQ(host.stop(), 0);
    EXPECT_TRUE(pc.wait_closed());
}

TEST(HostsimProgram, IniPointsAPathAtTheHost) {
    HostsimProcess host;
    ASSERT_TRUE(host.running()) << host.error();
    const std::string ini = TempDir::read(host.ini_path());
    EXPECT_NE(ini.find("path0=HOST1"), std::string::npos);
    EXPECT_NE(ini.find("host0=127.0.0.1"), std::string::npos);
    EXPECT_NE(ini.find("portno0=" + std::to_string(host.port())), std::string::npos);
}

TEST(HostsimProgram, SaveWritesTheChangedStateOnShutdown) {
    TempDir dir;
    const std::string saved = dir.file("saved.json");
    HostsimProcess::Options options;
    options.extra_args = {"--save", saved};
    options.plain = true;
    HostsimProcess host(options);
    ASSERT_TRUE(host.running()) << host.error();
    {
        HostTestClient pc(host.port(), true);
        ASSERT_TRUE(pc.login("ADMIN", "SECRET"));
        Message reply;
        ASSERT_TRUE(pc.request(2, 9, "11", reply));
        EXPECT_EQ(reply.data, "0");
    }
    EXPECT_EQ(host.stop(), 0);
    const std::string text = TempDir::read(saved);
    EXPECT_NE(text.find("\"return_groups\": true"), std::string::npos);

    // The saved state serves a new host with the change in place.
    HostsimProcess::Options again;
    again.fixture = saved;
    HostsimProcess second(again);
    ASSERT_TRUE(second.running()) << second.error();
    HostTestClient pc(second.port());
    ASSERT_TRUE(pc.login("ADMIN", "SECRET"));
    Message reply;
    ASSERT_TRUE(pc.request(2, 8, "", reply));
    EXPECT_EQ(reply.data, "011");
}

TEST(HostsimProgram, RequestLogFileHasALinePerRequest) {
    TempDir dir;
    const std::string log = dir.file("requests.log");
    HostsimProcess::Options options;
    options.extra_args = {"--request-log", log};
    HostsimProcess host(options);
    ASSERT_TRUE(host.running()) << host.error();
    HostTestClient pc(host.port());
    ASSERT_TRUE(pc.login("ADMIN", "SECRET"));
    EXPECT_EQ(host.stop(), 0);
    EXPECT_EQ(TempDir::read(log), "0 0 \n0 4 101920ADMIN/SECRET.\n");
}

TEST(HostsimProgram, UsageErrorsAndBadFixturesFailAtStart) {
    auto usage = run_hostsim({"--delay-ms", "soon"});
    EXPECT_EQ(usage.status, 2);
    EXPECT_NE(usage.err.find("--delay-ms"), std::string::npos);

    TempDir dir;
    const std::string bad = dir.write("bad.json", R"({"users": [{"name": 5}]})");
    auto result = run_hostsim({"--data", bad, "--listen", "127.0.0.1:0"});
    EXPECT_EQ(result.status, 1);
    EXPECT_NE(result.err.find("users[0].name"), std::string::npos);

    auto help = run_hostsim({"--help"});
    EXPECT_EQ(help.status, 0);
    EXPECT_NE(help.out.find("--oversize-header"), std::string::npos);
}

}  // namespace
}  // namespace kestra::testing
