#include "cli/cli_app.h"

#include <gtest/gtest.h>

#include <sstream>

#include "cli/command_registry.h"

using namespace kestra::cli;

namespace {

int run(std::vector<const char*> argv, std::string& out, std::string& err) {
    argv.insert(argv.begin(), "kestra");
    std::ostringstream o, e;
    std::istringstream in;
    int rc = run_cli(static_cast<int>(argv.size()), argv.data(), o, e, in);
    out = o.str();
    err = e.str();
    return rc;
}

const CommandRegistration probe{{"zz-probe", "[WORDS...]", "echoes its arguments", "Test command.", 999,
                                 [](CliContext& ctx, std::span<const std::string> args) {
                                     ctx.out << (ctx.options.json ? "json " : "") << ctx.options.user;
                                     for (const auto& a : args) ctx.out << " " << a;
                                     return kExitOk;
                                 }}};

TEST(Cli, NoCommandOrUnknownCommandIsAUsageError) {
    std::string out, err;
    EXPECT_EQ(run({}, out, err), kExitUsage);
    EXPECT_EQ(run({"no-such-command"}, out, err), kExitUsage);
    EXPECT_NE(err.find("unknown command no-such-command"), std::string::npos);
    EXPECT_EQ(run({"--bogus", "zz-probe"}, out, err), kExitUsage);
    EXPECT_EQ(run({"--user"}, out, err), kExitUsage);
}

TEST(Cli, HelpListsRegisteredCommandsAndDescribesOne) {
    std::string out, err;
    EXPECT_EQ(run({"--help"}, out, err), kExitOk);
    EXPECT_NE(out.find("zz-probe [WORDS...]"), std::string::npos);
    EXPECT_NE(out.find("KESTRA_PASSWORD"), std::string::npos);
    EXPECT_EQ(run({"zz-probe", "--help"}, out, err), kExitOk);
    EXPECT_NE(out.find("Test command."), std::string::npos);
}

TEST(Cli, GlobalOptionsReachTheCommand) {
    std::string out, err;
    EXPECT_EQ(run({"--json", "--user", "FRED", "zz-probe", "a", "b"}, out, err), kExitOk);
    EXPECT_EQ(out, "json FRED a b");
}

}  // namespace
