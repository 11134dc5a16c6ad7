#include <gtest/gtest.h>

#include "e2e_host.h"

using kestra::testing::E2eHost;
using kestra::testing::HostsimProcess;

namespace {

TEST(SessionE2e, VersionAndOptionsAfterALogin) {
    E2eHost e2e;
    ASSERT_TRUE(e2e.host().running()) << e2e.host().error();
    auto v = e2e.kestra({"version"});
    EXPECT_EQ(v.status, 0) << v.err;
    EXPECT_NE(v.out.find("level "), std::string::npos);

    auto set = e2e.kestra({"options", "--update-allowed", "off", "--return-groups", "on"});
    EXPECT_EQ(set.status, 0) << set.err;
    auto get = e2e.kestra({"--json", "options"});
    EXPECT_EQ(get.out, "{\"update_allowed\":false,\"return_groups\":true}\n") << get.err;
}

TEST(SessionE2e, AWrongPasswordIsRefusedWithTheHostsRecord) {
    E2eHost e2e;
    auto r = e2e.kestra({"version"}, "wrong");
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("28000 [Kestra]INVALID USERCODE OR PASSWORD"), std::string::npos) << r.err;
}

TEST(SessionE2e, ProvidersAndConnectionsComeFromTheSettings) {
    E2eHost e2e;
    auto p = e2e.kestra({"providers"});
    EXPECT_EQ(p.out, "Tavlink\n");
    auto c = e2e.kestra({"connections"});
    EXPECT_EQ(c.out, "HOST1\n");
    auto bad = e2e.kestra({"--provider", "Nope", "version"});
    EXPECT_EQ(bad.status, 1);
    EXPECT_NE(bad.err.find("08001 [Brisel Software][Kestra ODBC Driver]Invalid communications provider: Nope"),
              std::string::npos)
        << bad.err;
}

TEST(SessionE2e, ConnectScriptMeetsTheHostsDialogue) {
    HostsimProcess::Options options;
    options.extra_args = {"--script-dialogue", "--script-expect", "ADMIN"};
    E2eHost e2e(options);
    std::string script = e2e.host().dir().write(
        "host1.scr", "[connect]\nreceive \"ENTER USERCODE:\"\nsend \"#USERID\"\nreceive \"SESSION STARTED\"\n\n"
                     "[disconnect]\n");
    e2e.set("script", "Tavlink_HOST1_scriptfile", script);
    auto r = e2e.kestra({"version"});
    EXPECT_EQ(r.status, 0) << r.err;
}

TEST(SessionE2e, AHostThatDropsTheLineGivesCleanDiagnostics) {
    HostsimProcess::Options options;
    options.extra_args = {"--drop-after", "2"};  // version and login answered, the options request is not
    E2eHost e2e(options);
    auto r = e2e.kestra({"options"});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("08S01"), std::string::npos) << r.err;
}

}  // namespace
