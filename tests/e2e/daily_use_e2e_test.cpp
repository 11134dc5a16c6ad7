// kestra as a daily tool: batches in one login, archives never destroyed or half-written, puts checked before they
// send, names and texts handled safely, one exit-status rule, settings and waiting bounded.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "e2e_host.h"
#include "support/cli_process.h"
#include "support/temp_dir.h"

using kestra::testing::E2eHost;
using kestra::testing::HostsimProcess;
using kestra::testing::ProcessResult;
using kestra::testing::TempDir;

namespace {

const std::string kSales = "(PROD)SALES ON DBPACK";
const std::string kDaily = "(PROD)REPORT/DAILY ON DISK";
const std::string kWords = "(PROD)DATA/WORDS ON DISK";

bool has(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

std::size_t count_of(const std::string& text, const std::string& part) {
    std::size_t n = 0;
    for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + part.size())) ++n;
    return n;
}

std::string kestra_program() {
    return std::string(KESTRA_BIN_DIR) + "/kestra";
}

// Runs a shell script with $K naming the kestra program, the settings in $KESTRA_INI.
ProcessResult shell(const std::string& script, const E2eHost& e2e) {
    return kestra::testing::run_process(
        "/bin/sh", {"-c", script}, {{"K", kestra_program()}, {"KESTRA_INI", e2e.ini()}, {"KESTRA_PASSWORD", "secret"}});
}

// A test host whose request log (its standard error) is kept, to count logins.
struct LoggedHost {
    TempDir dir;
    std::string log = dir.file("host.log");
    E2eHost e2e{[this] {
        HostsimProcess::Options o;
        o.extra_args = {"--verbose"};
        o.stderr_file = log;
        return o;
    }()};
    std::size_t logins() const { return count_of(TempDir::read(log), "request 0/4 "); }
};

// --- batch ---

TEST(DailyUseE2e, ABatchOfThreeCommandsLogsInOnceAndPrintsInOrder) {
    LoggedHost h;
    ASSERT_TRUE(h.e2e.host().running()) << h.e2e.host().error();
    const std::string commands =
        "# the sample's files, then two of the first file's views\n"
        "files\n"
        "\n"
        "tables '" +
        kSales +
        "'   # quoted as a shell would\n"
        "apps \"(PROD)SALES ON DBPACK\" --json\n";
    auto r = h.e2e.kestra({"batch", h.dir.write("cmds.txt", commands)});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(h.logins(), 1u) << TempDir::read(h.log);
    const std::size_t files = r.out.find("1 " + kSales + "\n");
    const std::size_t tables = r.out.find("1 CUSTOMER update-allowed=on");
    const std::size_t apps = r.out.find("[{\"number\":1,\"name\":\"EXCEL.EXE\"");
    ASSERT_NE(files, std::string::npos) << r.out;
    ASSERT_NE(tables, std::string::npos) << r.out;
    ASSERT_NE(apps, std::string::npos) << r.out;
    EXPECT_LT(files, tables);
    EXPECT_LT(tables, apps);
    // Commands that need no host work inside a batch too; from standard input here.
    auto offline = kestra::testing::run_kestra({"--ini", h.e2e.ini(), "batch", "-"}, {},
                                               "check-expr --field A:numeric 'A > 1'\ncheck-calc '1 + 2'\n");
    EXPECT_EQ(offline.status, 0) << offline.err;
    EXPECT_EQ(offline.out, "valid\nexpression\nA > 1\ncomplete\n");
    EXPECT_EQ(h.logins(), 1u);
}

TEST(DailyUseE2e, ABatchStopsAtTheFirstFailingLineUnlessToldToKeepGoing) {
    LoggedHost h;
    const std::string commands =
        "check-expr --type numeric '1 + 2'\n"
        "table '" +
        kSales +
        "' NO_SUCH_TABLE\n"
        "check-expr 'A =' \n"
        "limits '" +
        kSales + "'\n";
    const std::string path = h.dir.write("cmds.txt", commands);
    auto stop = h.e2e.kestra({"batch", path});
    EXPECT_EQ(stop.status, 1);
    EXPECT_TRUE(has(stop.err, "no table NO_SUCH_TABLE")) << stop.err;
    EXPECT_TRUE(has(stop.err, "batch line 2: table failed with exit status 1")) << stop.err;
    EXPECT_TRUE(has(stop.out, "valid\n")) << stop.out;
    EXPECT_FALSE(has(stop.out, "Linear Selects")) << stop.out;  // line 4 never ran

    auto going = h.e2e.kestra({"batch", "--keep-going", path});
    EXPECT_EQ(going.status, 1);  // the first failure's status
    EXPECT_TRUE(has(going.err, "batch line 3: check-expr failed")) << going.err;
    EXPECT_TRUE(has(going.out, "Linear Selects OK")) << going.out;
    EXPECT_EQ(h.logins(), 2u);

    // Syntax faults of the batch file are usage errors of their line.
    auto quote = h.e2e.kestra({"batch", h.dir.write("bad.txt", "files 'unterminated\n")});
    EXPECT_EQ(quote.status, 2);
    EXPECT_TRUE(has(quote.err, "batch line 1: unterminated single quote")) << quote.err;
    auto global = h.e2e.kestra({"batch", h.dir.write("global.txt", "--user FRED files\n")});
    EXPECT_EQ(global.status, 2);
    EXPECT_TRUE(has(global.err, "global options are given once")) << global.err;
}

// --- get ---

TEST(DailyUseE2e, AnExistingArchiveSurvivesAFailedGetByteForByte) {
    TempDir dir;
    E2eHost e2e;
    ASSERT_TRUE(e2e.host().running()) << e2e.host().error();
    const std::string path = dir.file("keep.kba");
    ASSERT_EQ(e2e.kestra({"get", path, kWords}).status, 0);
    const std::string before = TempDir::read(path);
    ASSERT_FALSE(before.empty());

    auto unknown = e2e.kestra({"get", path, "(PROD)NOT THERE"});
    EXPECT_EQ(unknown.status, 1);
    EXPECT_TRUE(has(unknown.err, "[Kestra]FILE NOT FOUND")) << unknown.err;
    EXPECT_TRUE(has(unknown.err, "nothing fetched, left as it was")) << unknown.err;
    EXPECT_EQ(e2e.kestra({"get", path, "@" + dir.file("missing.txt")}).status, 1);
    auto empty = e2e.kestra({"get", path, "@" + dir.write("empty.txt", "\n  \n")});
    EXPECT_EQ(empty.status, 1);
    EXPECT_TRUE(has(empty.err, "names no host file")) << empty.err;
    EXPECT_EQ(e2e.kestra({"get", path, std::string(255, 'N')}).status, 2);
    EXPECT_TRUE(TempDir::read(path) == before) << "the archive changed";

    // Its own list file is never overwritten.
    const std::string list = dir.write("same.txt", kWords + "\n");
    auto same = e2e.kestra({"get", list, "@" + list});
    EXPECT_EQ(same.status, 2);
    EXPECT_EQ(TempDir::read(list), kWords + "\n");
    // Nothing is left behind in the folder but what was there.
    for (const auto& entry : std::filesystem::directory_iterator(dir.path()))
        EXPECT_EQ(entry.path().filename().string().find(".kestra-part"), std::string::npos) << entry.path();
}

TEST(DailyUseE2e, AListFileThatIsAFolderIsReportedNotAborted) {
    TempDir dir;
    E2eHost e2e;
    std::filesystem::create_directory(dir.file("folder"));
    auto r = e2e.kestra({"get", dir.file("a.kba"), "@" + dir.file("folder")});
    EXPECT_EQ(r.status, 1);
    EXPECT_TRUE(has(r.err, "Cannot open list file " + dir.file("folder"))) << r.err;
    EXPECT_FALSE(std::filesystem::exists(dir.file("a.kba")));
}

TEST(DailyUseE2e, ATerminatedGetLeavesNeitherAnArchiveNorItsTemporaryFile) {
    TempDir dir;
    HostsimProcess::Options slow;
    slow.extra_args = {"--delay-ms", "20000", "--faults-after", "3"};  // the login goes quickly, the get does not
    E2eHost e2e(slow);
    ASSERT_TRUE(e2e.host().running()) << e2e.host().error();
    const std::string target = dir.file("t.kba");
    auto r = shell("\"$K\" get '" + target + "' '" + kWords +
                       "' & pid=$!\n"
                       "for i in $(seq 200); do ls -a '" +
                       dir.path() +
                       "' | grep -q kestra-part && break; sleep 0.1; done\n"
                       "ls -a '" +
                       dir.path() +
                       "' | grep -q kestra-part && echo seen\n"
                       "kill -TERM $pid; wait $pid; echo \"status $?\"\n",
                   e2e);
    EXPECT_TRUE(has(r.out, "seen")) << r.out << r.err;
    EXPECT_TRUE(has(r.out, "status 143")) << r.out << r.err;  // ended by the signal itself
    EXPECT_FALSE(std::filesystem::exists(target));
    for (const auto& entry : std::filesystem::directory_iterator(dir.path()))
        ADD_FAILURE() << "left behind: " << entry.path();
}

// --- put ---

TEST(DailyUseE2e, APutWithAnUnreadableEntrySendsNothingUnlessToldToSkipIt) {
    TempDir dir;
    E2eHost source;
    const std::string path = dir.file("two.kba");
    ASSERT_EQ(source.kestra({"get", path, kWords, kDaily}).status, 0);
    // Cut the last entry short: the reader marks it unreadable.
    std::filesystem::resize_file(path, std::filesystem::file_size(path) - 10);

    HostsimProcess::Options empty;
    empty.fixture =
        dir.write("empty.json", R"({"users":[{"name":"ADMIN","password":"SECRET","max_message_size":4096}]})");
    E2eHost target(empty);
    auto refused = target.kestra({"put", path});
    EXPECT_EQ(refused.status, 1);
    EXPECT_TRUE(has(refused.err, "entry 2 is unreadable")) << refused.err;
    EXPECT_TRUE(has(refused.err, "nothing sent")) << refused.err;
    EXPECT_EQ(target.kestra({"get", dir.file("back.kba"), kWords}).status, 1);  // the host never got it

    auto skipped = target.kestra({"--json", "put", "--skip-unreadable", path});
    EXPECT_EQ(skipped.status, 1);
    EXPECT_EQ(skipped.out,
              "{\"archive\":\"" + path + "\",\"sent\":[\"" + kWords + "\"],\"skipped\":[2],\"ok\":false}\n");
    EXPECT_EQ(target.kestra({"get", dir.file("back.kba"), kWords}).status, 0);

    // The same host file twice in one archive: its name names neither.
    const std::string twice = dir.file("twice.kba");
    ASSERT_EQ(source.kestra({"get", twice, kWords, kWords}).status, 0);
    auto ambiguous = target.kestra({"put", twice, kWords});
    EXPECT_EQ(ambiguous.status, 1);
    EXPECT_TRUE(has(ambiguous.err, "2 entries of " + twice + " are named " + kWords + "; give its number"))
        << ambiguous.err;
}

// --- names and texts ---

TEST(DailyUseE2e, ANameSeveralFilesHaveIsRefusedAndAFileWithChildrenIsNotDeleted) {
    E2eHost e2e;
    // Copying a branch copies its children's names too.
    ASSERT_EQ(e2e.kestra({"copy-file", "1", "0", "*COPY/SALES ON PACK"}).status, 0);
    auto ambiguous = e2e.kestra({"delete-file", "(PROD)SALES/ARCHIVE ON DBPACK"});
    EXPECT_EQ(ambiguous.status, 1);
    EXPECT_TRUE(has(ambiguous.err, "2 configuration files are named (PROD)SALES/ARCHIVE ON DBPACK; give its number"))
        << ambiguous.err;
    auto parent = e2e.kestra({"delete-file", "*COPY/SALES ON PACK"});
    EXPECT_EQ(parent.status, 1);
    EXPECT_TRUE(has(parent.err, "has 2 child files: delete or move them first")) << parent.err;
    auto files = e2e.kestra({"files"});
    EXPECT_EQ(count_of(files.out, "(PROD)SALES/ARCHIVE ON DBPACK"), 2u) << files.out;
    EXPECT_EQ(e2e.kestra({"delete-file", "3"}).status, 0);
}

TEST(DailyUseE2e, ControlCharactersAreRefusedOnTheWayInAndEscapedOnTheWayOut) {
    TempDir dir;
    HostsimProcess::Options o;
    o.fixture = dir.write("evil.json",
                          "{\"users\":[{\"name\":\"ADMIN\",\"password\":\"SECRET\"}],\"config_files\":["
                          "{\"number\":1,\"name\":\"*EVIL\\u001b[2J\\nFAKE ON P\"}]}");
    E2eHost e2e(o);
    ASSERT_TRUE(e2e.host().running()) << e2e.host().error();
    auto shown = e2e.kestra({"files"});
    EXPECT_EQ(shown.status, 0) << shown.err;
    EXPECT_EQ(shown.out, "1 *EVIL\\x1b[2J\\nFAKE ON P\n");
    auto json = e2e.kestra({"files", "--json"});
    EXPECT_TRUE(has(json.out, "\"name\":\"*EVIL\\u001b[2J\\u000aFAKE ON P\"")) << json.out;

    auto refused = e2e.kestra({"add-file", "*NEW\x1b ON P"});
    EXPECT_EQ(refused.status, 2);
    EXPECT_TRUE(has(refused.err, "holds a control character")) << refused.err;
    EXPECT_EQ(e2e.kestra({"env", "WHO\nFAKE"}).status, 2);
}

TEST(DailyUseE2e, AWhereConditionIsCheckedAgainstTheFieldsBeforeItIsSent) {
    E2eHost e2e;
    auto bad = e2e.kestra({"set-where", kSales, "CUSTOMER", "NO-SUCH-FIELD > 1"});
    EXPECT_EQ(bad.status, 1);
    EXPECT_TRUE(has(bad.err, "Error at col")) << bad.err;
    EXPECT_TRUE(has(e2e.kestra({"table", kSales, "CUSTOMER"}).out, "where: \n"));
    EXPECT_EQ(e2e.kestra({"set-where", kSales, "CUSTOMER", "NO-SUCH-FIELD > 1", "--no-check"}).status, 0);
    EXPECT_TRUE(has(e2e.kestra({"table", kSales, "CUSTOMER"}).out, "where: NO-SUCH-FIELD > 1\n"));
}

TEST(DailyUseE2e, AFullStandardOutputIsAFailure) {
    E2eHost e2e;
    auto r = shell("\"$K\" files > /dev/full", e2e);
    EXPECT_EQ(r.status, 1);
    EXPECT_TRUE(has(r.err, "kestra: standard output:")) << r.err;
    auto offline = shell("\"$K\" check-expr 'A = 1' --field A:numeric > /dev/full", e2e);
    EXPECT_EQ(offline.status, 1);
}

// --- consistency ---

TEST(DailyUseE2e, OneExitStatusRuleAndQuietChanges) {
    E2eHost e2e;
    // Unknown names are what the data lacked: 1, wherever they are named.
    auto table = e2e.kestra({"add-app", kSales, "NEW.EXE", "--tables", "NOPE"});
    EXPECT_EQ(table.status, 1) << table.err;
    EXPECT_EQ(e2e.kestra({"set-limits", kSales, "--app", "NOPE.EXE", "--where-required", "on"}).status, 1);
    // What is wrong in the command line itself is 2, before the login.
    EXPECT_EQ(e2e.kestra({"add-app", kSales, std::string(17, 'A')}).status, 2);
    EXPECT_EQ(e2e.kestra({"--timeout", "0", "files"}).status, 2);

    // A change prints nothing; with --json (before or after the command name) what changed.
    auto added = e2e.kestra({"add-app", kSales, "new.exe"});
    EXPECT_EQ(added.status, 0) << added.err;
    EXPECT_EQ(added.out, "");
    auto json = e2e.kestra({"add-app", "--json", kSales, "other.exe"});
    EXPECT_EQ(json.out, "{\"changed\":\"add-app\",\"number\":4,\"name\":\"OTHER.EXE\"}\n");
    auto file = e2e.kestra({"--json", "add-file", "*A ON P"});
    EXPECT_EQ(file.out, "{\"changed\":\"add-file\",\"number\":6,\"name\":\"*A ON P\"}\n");

    // Global options also take --option=value.
    auto eq =
        kestra::testing::run_kestra({"--ini=" + e2e.ini(), "--user=ADMIN", "version"}, {{"KESTRA_PASSWORD", "secret"}});
    EXPECT_EQ(eq.status, 0) << eq.err;
    EXPECT_EQ(eq.out, "KESTRA SERVER 5R7\nlevel 5\nrelease 107\n");
}

TEST(DailyUseE2e, OptionsKeepsTheOptionNotGiven) {
    E2eHost e2e;
    EXPECT_EQ(e2e.kestra({"options", "--return-groups", "on"}).out, "");
    EXPECT_EQ(e2e.kestra({"options"}).out, "update allowed: on\nreturn groups: on\n");
    EXPECT_EQ(e2e.kestra({"options", "--update-allowed=off", "--json"}).out,
              "{\"update_allowed\":false,\"return_groups\":true}\n");
}

// --- settings and waiting ---

TEST(DailyUseE2e, SettingsFilesThatAreNoneAreRefused) {
    TempDir dir;
    const std::string big = dir.file("big.ini");
    {
        std::ofstream out(big, std::ios::binary);
        const std::string line = "; " + std::string(1021, 'x') + "\n";
        for (int i = 0; i < 5 * 1024; ++i) out << line;
    }
    auto large = kestra::testing::run_kestra({"--ini", big, "files"});
    EXPECT_EQ(large.status, 1);
    EXPECT_TRUE(has(large.err, "settings file " + big + ": larger than 4 MiB")) << large.err;
    auto device = kestra::testing::run_kestra({"files"}, {{"KESTRA_INI", "/dev/zero"}});
    EXPECT_EQ(device.status, 1);
    EXPECT_TRUE(has(device.err, "settings file /dev/zero: not a regular file")) << device.err;
    auto missing = kestra::testing::run_kestra({"--ini", dir.file("none.ini"), "files"});
    EXPECT_EQ(missing.status, 1);
    EXPECT_TRUE(has(missing.err, "settings file " + dir.file("none.ini") + ": does not exist")) << missing.err;
}

TEST(DailyUseE2e, ATimeoutEndsTheWaitForAHostThatNeverAnswers) {
    HostsimProcess::Options mute;
    mute.extra_args = {"--delay-ms", "600000"};
    E2eHost e2e(mute);
    ASSERT_TRUE(e2e.host().running()) << e2e.host().error();
    auto r = e2e.kestra({"--timeout", "2", "files"});
    EXPECT_EQ(r.status, 1) << r.err;  // -1 would mean the runner had to kill it
    EXPECT_TRUE(has(r.err, "Timeout waiting for host message")) << r.err;
}

}  // namespace
