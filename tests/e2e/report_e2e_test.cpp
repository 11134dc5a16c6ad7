#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <string>

#include "e2e_host.h"
#include "support/temp_dir.h"

using kestra::testing::E2eHost;
using kestra::testing::TempDir;

namespace {

// One combination of the print options, named as its expected page file is.
struct Combination {
    bool global;
    bool limits;
    bool apps;
    int tables;  // 0 off, 1 names, 2 detail, 3 fields, 4 detail and fields

    std::string name() const {
        static const char* const modes[] = {"none", "names", "detail", "fields", "detail-fields"};
        return std::string("sales-g") + (global ? "1" : "0") + "-l" + (limits ? "1" : "0") + "-a" + (apps ? "1" : "0") +
               "-t-" + modes[tables] + ".txt";
    }
    std::vector<std::string> args() const {
        std::vector<std::string> a{"report", "(PROD)SALES ON DBPACK", "--format", "pagefile"};
        a.insert(a.end(), {"--global", global ? "on" : "off", "--limits", limits ? "on" : "off", "--apps",
                           apps ? "on" : "off", "--names", tables > 0 ? "on" : "off"});
        if (tables == 2 || tables == 4) a.push_back("--detail");
        if (tables >= 3) {
            a.push_back("--fields");
            // "Fields" turns "Name" on whatever --names said.
            a[11] = "off";
        }
        return a;
    }
};

std::string expected_path(const std::string& name) {
    return std::string(KESTRA_TEST_DATA) + "/report/" + name;
}

// With KESTRA_REGENERATE_REPORTS set the expected files are written instead of compared.
void check_against(const std::string& name, const std::string& actual) {
    const std::string path = expected_path(name);
    if (std::getenv("KESTRA_REGENERATE_REPORTS") != nullptr) {
        std::ofstream(path, std::ios::binary) << actual;
        return;
    }
    const std::string expected = TempDir::read(path);
    ASSERT_FALSE(expected.empty()) << "no expected page file " << path;
    EXPECT_EQ(actual, expected) << name;
}

std::vector<Combination> every_combination() {
    std::vector<Combination> all;
    for (int g = 0; g < 2; ++g)
        for (int l = 0; l < 2; ++l)
            for (int a = 0; a < 2; ++a)
                for (int t = 0; t < 5; ++t) all.push_back({g == 1, l == 1, a == 1, t});
    return all;
}

// One host for every combination: each run logs in afresh, and the report changes nothing on the host.
class ReportCombination : public ::testing::TestWithParam<Combination> {
  protected:
    static void SetUpTestSuite() { host = new E2eHost(); }
    static void TearDownTestSuite() {
        delete host;
        host = nullptr;
    }
    static E2eHost* host;
};
E2eHost* ReportCombination::host = nullptr;

TEST_P(ReportCombination, MatchesItsPageFile) {
    ASSERT_TRUE(host->host().running()) << host->host().error();
    const Combination& c = GetParam();
    auto r = host->kestra(c.args());
    ASSERT_EQ(r.status, 0) << c.name() << "\n" << r.err;
    EXPECT_EQ(r.err, "") << c.name();
    check_against(c.name(), r.out);
}

INSTANTIATE_TEST_SUITE_P(ReportE2e, ReportCombination, ::testing::ValuesIn(every_combination()),
                         [](const ::testing::TestParamInfo<Combination>& param) {
                             std::string name = param.param.name();
                             name = name.substr(0, name.size() - 4);
                             for (char& ch : name)
                                 if (ch == '-') ch = '_';
                             return name;
                         });

TEST(ReportE2e, ShortPagesBreakSectionsWithContinuedHeadings) {
    E2eHost e2e;
    auto r = e2e.kestra({"report", "(PROD)SALES ON DBPACK", "--detail", "--fields", "--lines-per-page", "15", "--format", "pagefile"});
    ASSERT_EQ(r.status, 0) << r.err;
    check_against("sales-all-15-lines.txt", r.out);
    EXPECT_NE(r.out.find("NFields from table CUSTOMER (continued):\n"), std::string::npos);
    EXPECT_NE(r.out.find("BApplications (continued):\n"), std::string::npos);
}

TEST(ReportE2e, TextShowsThePagesWithFormFeeds) {
    E2eHost e2e;
    auto text = e2e.kestra({"report", "(PROD)SALES ON DBPACK", "--fields"});
    ASSERT_EQ(text.status, 0) << text.err;
    auto file = e2e.kestra({"report", "(PROD)SALES ON DBPACK", "--fields", "--format", "pagefile"});
    ASSERT_EQ(file.status, 0) << file.err;
    // The same lines without their codes, pages parted by form feeds.
    std::string expected;
    std::size_t at = 0;
    while (at < file.out.size()) {
        const std::size_t end = file.out.find('\n', at);
        const std::string line = file.out.substr(at, end - at);
        at = end + 1;
        if (line == "E") break;
        if (line == "P")
            expected += '\f';
        else
            expected += line.substr(1) + "\n";
    }
    EXPECT_EQ(text.out, expected);
    EXPECT_EQ(text.out.rfind("Configuration file (PROD)SALES ON DBPACK at ", 0), 0u) << text.out;

    auto json = e2e.kestra(
        {"--json", "report", "(PROD)SALES ON DBPACK", "--global", "off", "--limits", "off", "--apps", "off", "--names", "off"});
    ASSERT_EQ(json.status, 0) << json.err;
    EXPECT_EQ(json.out.rfind("{\"pages\":[[{\"text\":\"Configuration file (PROD)SALES ON DBPACK at ", 0), 0u) << json.out;
    EXPECT_NE(json.out.find("\"bold\":true},{\"text\":\"\",\"bold\":false}]]}"), std::string::npos) << json.out;
}

TEST(ReportE2e, BadArgumentsAndAnUnknownFile) {
    E2eHost e2e;
    auto zero = e2e.kestra({"report", "(PROD)SALES ON DBPACK", "--lines-per-page", "0"});
    EXPECT_EQ(zero.status, 2);
    EXPECT_NE(zero.err.find("Lines per page must be at least 1"), std::string::npos) << zero.err;
    EXPECT_EQ(e2e.kestra({"report", "(PROD)SALES ON DBPACK", "--format", "pdf"}).status, 2);
    EXPECT_EQ(e2e.kestra({"report"}).status, 2);
    auto missing = e2e.kestra({"report", "NOSUCHFILE"});
    EXPECT_EQ(missing.status, 1);
    EXPECT_NE(missing.err.find("no configuration file NOSUCHFILE"), std::string::npos) << missing.err;
}

TEST(ReportE2e, ABadTemporaryDirectoryIsReportedBeforeAnyLogin) {
    E2eHost e2e;
    auto r = kestra::testing::run_kestra({"--ini", e2e.ini(), "report", "(PROD)SALES ON DBPACK"},
                                         {{"KESTRA_PASSWORD", "secret"}, {"TMPDIR", "/nonexistent-kestra-dir"}});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("Bad path /nonexistent-kestra-dir/kbaXXXXXX"), std::string::npos) << r.err;
    EXPECT_EQ(r.out, "");
}

}  // namespace
