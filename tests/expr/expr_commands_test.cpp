#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "cli/cli_app.h"
#include "cli/command_registry.h"

namespace {

using namespace kestra::cli;

int RunCli(std::vector<const char*> argv, std::string& out, std::string& err) {
    argv.insert(argv.begin(), "kestra");
    std::ostringstream o, e;
    std::istringstream in;
    const int rc = run_cli(static_cast<int>(argv.size()), argv.data(), o, e, in);
    out = o.str();
    err = e.str();
    return rc;
}

TEST(CheckExpr, ValidTextsAreClassified) {
    std::string out, err;
    EXPECT_EQ(RunCli({"check-expr", "--field", "a:numeric", "--field", "B:string", "a = 1 and b = 'x'"}, out, err),
              kExitOk);
    EXPECT_EQ(out, "valid\nexpression\nA = 1 AND B = 'x'\n");
    EXPECT_EQ(RunCli({"check-expr", "--type", "string", "'AB''C'"}, out, err), kExitOk);
    EXPECT_EQ(out, "valid\nliteral 'AB''C'\n'AB''C'\n");
    EXPECT_EQ(RunCli({"check-expr", "--type", "numeric", "--field", "CUST.ID:numeric", "cust.id"}, out, err),
              kExitOk);
    EXPECT_EQ(out, "valid\nfield CUST.ID\nCUST.ID\n");
    EXPECT_EQ(RunCli({"--json", "check-expr", "--type", "numeric", "-5"}, out, err), kExitOk);
    EXPECT_EQ(out, "{\"valid\":true,\"classification\":\"literal\",\"literal\":\"-5\",\"text\":\"-5\"}\n");
}

TEST(CheckExpr, ErrorsReportTheColumnFromOne) {
    std::string out, err;
    EXPECT_EQ(RunCli({"check-expr", "--field", "A:numeric", "A = 'X'"}, out, err), kExitFailure);
    EXPECT_EQ(out, "Error at col 5: Expected numeric\n");
    EXPECT_EQ(RunCli({"check-expr", "--type", "date", "{d 'x'}"}, out, err), kExitFailure);
    EXPECT_EQ(out, "Error at col 4: Expected date literal\n");
    EXPECT_EQ(RunCli({"check-expr", "--type", "bogus", "1"}, out, err), kExitUsage);
    EXPECT_EQ(RunCli({"check-expr", "--field", "A", "1"}, out, err), kExitUsage);
    EXPECT_EQ(RunCli({"check-expr"}, out, err), kExitUsage);
}

TEST(CheckCalc, CompleteOrState) {
    std::string out, err;
    EXPECT_EQ(RunCli({"check-calc", "--field", "A:numeric", "A * A * 2"}, out, err), kExitOk);
    EXPECT_EQ(out, "complete\n");
    EXPECT_EQ(RunCli({"check-calc", "--field", "NAME:string", "LEFT(NAME"}, out, err), kExitFailure);
    EXPECT_EQ(out, "state 4 (argument complete), kind numeric, paren flag 0\n");
    EXPECT_EQ(RunCli({"check-calc", "--field", "A:numeric", "(A"}, out, err), kExitFailure);
    EXPECT_EQ(out, "state 1 (operand wanted), kind numeric, paren flag 1\n");
    EXPECT_EQ(RunCli({"check-calc", "--kind", "numeric", "'x'"}, out, err), kExitFailure);
    EXPECT_EQ(out, "state 0 (error), kind numeric, paren flag 0\n");
    EXPECT_EQ(RunCli({"check-calc", "--kind", "string", ""}, out, err), kExitFailure);
    EXPECT_EQ(out, "state 1 (operand wanted), kind string, paren flag 0\n");
    EXPECT_EQ(RunCli({"check-calc", "--field", "A:either", "A"}, out, err), kExitUsage);
}

}  // namespace
