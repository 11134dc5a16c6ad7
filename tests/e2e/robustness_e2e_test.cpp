// The kestra program against a host that holds names longer than a person may type, stalls in the middle of a
// frame, or answers without saying why: names come back whole, nothing hangs, and no failure is silent.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "e2e_host.h"

using kestra::testing::E2eHost;
using kestra::testing::HostsimProcess;
using kestra::testing::ProcessResult;

namespace {

constexpr const char* kLongTable = "GENERAL_LEDGER_POSTINGS_BY_PERIOD_X";          // 35 characters
constexpr const char* kLongAlias = "POSTING_AMOUNT_IN_REPORTING_CURRENCY_EURO";    // 41 characters
constexpr const char* kLongHostName = "GL-POSTING-AMOUNT-IN-REPORTING-CURRENCY";  // 39 characters

// The requests a login takes: version, login, default options.
constexpr int kLoginMessages = 3;

bool has(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

HostsimProcess::Options long_names() {
    HostsimProcess::Options options;
    options.fixture = std::string(KESTRA_TEST_DATA) + "/hostsim/long_names.json";
    return options;
}

HostsimProcess::Options with_switch(const std::string& name, int after) {
    HostsimProcess::Options options;
    options.extra_args = {name, std::to_string(after)};
    return options;
}

// A failed run always says why on standard error.
void expect_explained_failure(const ProcessResult& r) {
    EXPECT_EQ(r.status, 1) << r.err;
    EXPECT_FALSE(r.err.empty());
}

TEST(RobustnessE2e, LongHostNamesAreShownWholeAndFoundByTheirWholeName) {
    E2eHost e2e(long_names());
    ASSERT_TRUE(e2e.host().running()) << e2e.host().error();
    auto tables = e2e.kestra({"tables", "LEDGER"});
    ASSERT_EQ(tables.status, 0) << tables.err;
    EXPECT_TRUE(has(tables.out, std::string("1 ") + kLongTable + " update-allowed=on")) << tables.out;

    auto fields = e2e.kestra({"fields", "LEDGER", kLongTable});
    ASSERT_EQ(fields.status, 0) << fields.err;
    EXPECT_TRUE(has(fields.out, std::string("2 ") + kLongAlias + " host-name=" + kLongHostName + " ")) << fields.out;

    // A name cut to what a person may type names no table.
    auto cut = e2e.kestra({"fields", "LEDGER", std::string(kLongTable).substr(0, 29)});
    EXPECT_EQ(cut.status, 1);
    EXPECT_TRUE(has(cut.err, "no table")) << cut.err;
}

TEST(RobustnessE2e, TheReportCutsTheFieldColumnAndLoadsTheFieldList) {
    E2eHost e2e(long_names());
    auto r = e2e.kestra({"report", "LEDGER", "--fields"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_FALSE(has(r.out, "Cannot load")) << r.out;
    EXPECT_TRUE(has(r.out, kLongTable)) << r.out;
    // The field column holds 29 characters, then one space and the type text.
    EXPECT_TRUE(has(r.out, std::string(kLongAlias).substr(0, 29) + " PACKED(S11,2)")) << r.out;
    EXPECT_FALSE(has(r.out, kLongAlias)) << r.out;
}

TEST(RobustnessE2e, ChangingAFlagNeverRenamesALongNamedTable) {
    E2eHost e2e(long_names());
    auto r = e2e.kestra({"set-tables", "LEDGER", "--return-groups", "on", kLongTable});
    ASSERT_EQ(r.status, 0) << r.err;
    auto tables = e2e.kestra({"tables", "LEDGER"});
    EXPECT_TRUE(has(tables.out, std::string("1 ") + kLongTable + " update-allowed=on return-groups=on")) << tables.out;
    auto table = e2e.kestra({"table", "LEDGER", kLongTable});
    ASSERT_EQ(table.status, 0) << table.err;
    EXPECT_TRUE(has(table.out, std::string("name: ") + kLongTable + "\n")) << table.out;
    EXPECT_TRUE(has(table.out, "option: 7\n")) << table.out;

    // A new name is still held to what a person may type.
    auto rename = e2e.kestra({"rename-table", "LEDGER", "ACCOUNTS", kLongTable});
    EXPECT_EQ(rename.status, 2);
}

TEST(RobustnessE2e, ALongAliasPassesUnchangedWhileANewNameIsHeldToTheLimit) {
    E2eHost e2e(long_names());
    auto same = e2e.kestra({"set-field", "LEDGER", kLongTable, "2", "--name", kLongAlias, "--update-allowed", "on"});
    ASSERT_EQ(same.status, 0) << same.err;
    auto fields = e2e.kestra({"fields", "LEDGER", kLongTable});
    EXPECT_TRUE(has(fields.out, std::string("2 ") + kLongAlias + " host-name=")) << fields.out;
    EXPECT_TRUE(has(fields.out, "update-allowed=on")) << fields.out;

    auto longer = e2e.kestra({"set-field", "LEDGER", kLongTable, kLongAlias, "--name", std::string(30, 'N')});
    EXPECT_EQ(longer.status, 2);
    EXPECT_TRUE(has(longer.err, "**Field name too long**")) << longer.err;
}

TEST(RobustnessE2e, AHostStallingInTheMiddleOfAFrameEndsTheCommandAtTheTimeOut) {
    E2eHost e2e(with_switch("--stall-frame-after", kLoginMessages));
    ASSERT_TRUE(e2e.host().running()) << e2e.host().error();
    e2e.set("timeouts", "rcv", "2");
    // The process runner kills a hung kestra after its own limit; a status of -1 would mean it hung.
    auto r = e2e.kestra({"tables", "SALES"});
    expect_explained_failure(r);
    EXPECT_TRUE(has(r.err, "Error waiting for host message")) << r.err;
}

TEST(RobustnessE2e, RepliesThatSayNothingStillEndWithADiagnostic) {
    struct Case {
        const char* name;
        int after;
        std::vector<std::string> args;
        const char* expected;
    };
    const Case cases[] = {
        {"--no-status-after", kLoginMessages - 1, {"tables", "SALES"}, "Cannot get options from host"},
        {"--bare-refusal-after", kLoginMessages - 1, {"tables", "SALES"}, "Cannot get options from host"},
        {"--bare-refusal-after", 1, {"tables", "SALES"}, "Cannot Login to host server"},
        {"--no-status-after", kLoginMessages, {"tables", "SALES"}, "Receive error getting config file names"},
        {"--bare-refusal-after", kLoginMessages, {"tables", "SALES"}, "Cannot get config file list"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.name) + " " + std::to_string(c.after));
        E2eHost e2e(with_switch(c.name, c.after));
        ASSERT_TRUE(e2e.host().running()) << e2e.host().error();
        auto r = e2e.kestra(c.args);
        expect_explained_failure(r);
        EXPECT_TRUE(has(r.err, c.expected)) << r.err;
    }
}

}  // namespace
