#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "e2e_host.h"
#include "support/cli_process.h"
#include "support/temp_dir.h"

using kestra::testing::E2eHost;
using kestra::testing::TempDir;
using kestra::testing::run_process;

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
    EXPECT_EQ(e2e.kestra({"report", "(PROD)SALES ON DBPACK", "--format", "html"}).status, 2);
    EXPECT_EQ(e2e.kestra({"report", "(PROD)SALES ON DBPACK", "--format", "pdf", "--page", "a5"}).status, 2);
    EXPECT_EQ(e2e.kestra({"report", "(PROD)SALES ON DBPACK", "--page", "letter"}).status, 2);
    // More lines than the page holds would run off its foot.
    auto tall = e2e.kestra({"report", "(PROD)SALES ON DBPACK", "--format", "pdf", "--page", "letter", "--lines-per-page", "53"});
    EXPECT_EQ(tall.status, 2);
    EXPECT_NE(tall.err.find("at most 52 lines fit a letter page"), std::string::npos) << tall.err;
    // A file where a folder should be: the report is made, but cannot be written there.
    TempDir dir;
    const std::string blocked = dir.write("plain-file", "x") + "/sales.pdf";
    auto unwritable = e2e.kestra({"report", "(PROD)SALES ON DBPACK", "--format", "pdf", "--output", blocked});
    EXPECT_EQ(unwritable.status, 1);
    EXPECT_NE(unwritable.err.find("cannot write " + blocked), std::string::npos) << unwritable.err;
    EXPECT_EQ(unwritable.out, "");
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

// The lines of each page with their runs of blanks as one and without blank lines: how text laid out in a PDF
// reads back, whatever spacing the extractor guesses.
std::vector<std::vector<std::string>> readable_pages(const std::string& text) {
    std::vector<std::vector<std::string>> pages(1);
    std::string line;
    auto end_line = [&] {
        while (!line.empty() && line.back() == ' ') line.pop_back();
        if (!line.empty()) pages.back().push_back(line);
        line.clear();
    };
    for (const char ch : text) {
        if (ch == '\n' || ch == '\f') {
            end_line();
            if (ch == '\f') pages.emplace_back();
        } else if (ch == ' ' || ch == '\t') {
            if (!line.empty() && line.back() != ' ') line += ' ';
        } else {
            line += ch;
        }
    }
    end_line();
    while (!pages.empty() && pages.back().empty()) pages.pop_back();
    return pages;
}

// A program on $PATH, by its full path (the process runner takes no search).
std::string on_path(const std::string& name) {
    const char* path = std::getenv("PATH");
    std::string dirs = path != nullptr ? path : "/usr/bin:/bin";
    std::size_t at = 0;
    while (at <= dirs.size()) {
        const std::size_t end = std::min(dirs.find(':', at), dirs.size());
        const std::string candidate = dirs.substr(at, end - at) + "/" + name;
        if (::access(candidate.c_str(), X_OK) == 0) return candidate;
        at = end + 1;
    }
    return name;
}

// Needs poppler-utils (scripts/deps.sh installs them).
TEST(ReportE2e, PdfReadsBackAsTheTextReportPageByPage) {
    E2eHost e2e;
    TempDir dir;
    const std::string pdf_path = dir.file("sales.pdf");
    auto pdf = e2e.kestra({"report", "(PROD)SALES ON DBPACK", "--detail", "--fields", "--format", "pdf", "--output", pdf_path});
    ASSERT_EQ(pdf.status, 0) << pdf.err;
    EXPECT_EQ(pdf.out, "");
    // An A4 page holds 56 lines: the same pages as text at 56 lines per page.
    auto text = e2e.kestra({"report", "(PROD)SALES ON DBPACK", "--detail", "--fields", "--lines-per-page", "56"});
    ASSERT_EQ(text.status, 0) << text.err;

    auto extracted = run_process(on_path("pdftotext"), {"-layout", pdf_path, "-"});
    ASSERT_EQ(extracted.status, 0) << "pdftotext (poppler-utils) failed: " << extracted.err;
    const auto expected = readable_pages(text.out);
    ASSERT_GT(expected.size(), 1u);
    EXPECT_EQ(readable_pages(extracted.out), expected);

    auto fonts = run_process(on_path("pdffonts"), {pdf_path});
    ASSERT_EQ(fonts.status, 0) << fonts.err;
    EXPECT_NE(fonts.out.find("\nCourier "), std::string::npos) << fonts.out;
    EXPECT_NE(fonts.out.find("\nCourier-Bold "), std::string::npos) << fonts.out;

    // Standard output gets the same bytes; Letter pages hold 52 lines.
    auto letter = e2e.kestra({"report", "(PROD)SALES ON DBPACK", "--detail", "--fields", "--format", "pdf", "--page", "letter"});
    ASSERT_EQ(letter.status, 0) << letter.err;
    EXPECT_EQ(letter.out.rfind("%PDF-1.4\n", 0), 0u);
    EXPECT_NE(letter.out, TempDir::read(pdf_path));
    const std::string letter_path = dir.write("letter.pdf", letter.out);
    auto letter_text = run_process(on_path("pdftotext"), {"-layout", letter_path, "-"});
    ASSERT_EQ(letter_text.status, 0) << letter_text.err;
    auto text52 = e2e.kestra({"report", "(PROD)SALES ON DBPACK", "--detail", "--fields", "--lines-per-page", "52"});
    ASSERT_EQ(text52.status, 0) << text52.err;
    EXPECT_EQ(readable_pages(letter_text.out), readable_pages(text52.out));
}

}  // namespace
