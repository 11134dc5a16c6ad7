#include "cli/cli_app.h"

#include <gtest/gtest.h>

#include <sstream>

#include "cli/command_registry.h"
#include "support/temp_dir.h"

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

TEST(Cli, GlobalOptionsTakeEqualsAndJsonMayFollowTheCommandName) {
    kestra::testing::TempDir dir;
    const std::string ini = "--ini=" + dir.write("k.ini", "[admin]\n");
    std::string out, err;
    EXPECT_EQ(run({ini.c_str(), "--user=FRED", "zz-probe", "a", "--json", "b"}, out, err), kExitOk) << err;
    EXPECT_EQ(out, "json FRED a b");
    // After "--" it is an argument like any other.
    EXPECT_EQ(run({ini.c_str(), "zz-probe", "--", "--json"}, out, err), kExitOk) << err;
    EXPECT_EQ(out, " -- --json");
    EXPECT_EQ(run({ini.c_str(), "--json=yes", "zz-probe"}, out, err), kExitUsage);
    EXPECT_EQ(run({ini.c_str(), "--timeout", "255", "zz-probe"}, out, err), kExitUsage);
    EXPECT_EQ(run({ini.c_str(), "--timeout=soon", "zz-probe"}, out, err), kExitUsage);
    EXPECT_EQ(run({ini.c_str(), "--timeout=254", "zz-probe"}, out, err), kExitOk) << err;
}

TEST(Cli, AnArgumentWithAControlCharacterIsRefusedBeforeTheCommandRuns) {
    kestra::testing::TempDir dir;
    const std::string ini = "--ini=" + dir.write("k.ini", "");
    std::string out, err;
    EXPECT_EQ(run({ini.c_str(), "zz-probe", "ok", "bad\x1b[2J"}, out, err), kExitUsage);
    EXPECT_EQ(out, "");
    EXPECT_NE(err.find("argument 2 (bad\\x1b[2J) holds a control character"), std::string::npos) << err;
    EXPECT_EQ(run({ini.c_str(), "zz-probe", "tab\there"}, out, err), kExitUsage);
}

TEST(Cli, ASettingsFileMustBeARegularFileOfSaneSize) {
    kestra::testing::TempDir dir;
    std::string out, err;
    EXPECT_EQ(run({"--ini", "/dev/zero", "zz-probe"}, out, err), kExitFailure);
    EXPECT_NE(err.find("settings file /dev/zero: not a regular file"), std::string::npos) << err;
    EXPECT_EQ(run({"--ini", dir.path().c_str(), "zz-probe"}, out, err), kExitFailure);
    const std::string missing = dir.file("missing.ini");
    EXPECT_EQ(run({"--ini", missing.c_str(), "zz-probe"}, out, err), kExitFailure);
    EXPECT_NE(err.find("settings file " + missing + ": does not exist"), std::string::npos) << err;
    EXPECT_EQ(out, "");
}

}  // namespace
