#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>

#include "report/report_writer.h"
#include "report_records.h"

using namespace kestra;
using namespace kestra::report;
using namespace kestra::testing;

namespace {

std::vector<std::string> lines_of(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

std::size_t index_of(const std::vector<std::string>& lines, const std::string& line) {
    return static_cast<std::size_t>(std::find(lines.begin(), lines.end(), line) - lines.begin());
}

bool contains(const std::vector<std::string>& lines, const std::string& line) {
    return index_of(lines, line) < lines.size();
}

class ReportBuild : public ::testing::Test {
  protected:
    ReportBuild() {
        settings.file_name = "SALES";
        settings.window_title = "HOSTSIM 5.2";
        settings.options.global_options = false;
        settings.options.limits = false;
        settings.options.applications = false;
    }
    std::vector<std::string> build(int lines_per_page = 60) {
        settings.lines_per_page = lines_per_page;
        PageWriter out(lines_per_page);
        build_report(source, file, settings, out);
        pages = out.page_count();
        return lines_of(out.text());
    }

    model::CConfigTable& plain_table(const std::string& name, int fields) {
        model::CConfigTable& t = add_table(file, name);
        for (int i = 0; i < fields; ++i) add_field(t, name + "-F" + std::to_string(i), 4, 10);
        return t;
    }

    model::CConfigFile file;
    ScriptedSource source;
    ReportSettings settings;
    int pages = 0;
};

TEST_F(ReportBuild, HeaderAndEnd) {
    EXPECT_EQ(build(), (std::vector<std::string>{"BConfiguration file SALES at HOSTSIM 5.2", "N", "E"}));
}

TEST_F(ReportBuild, NameOnlyIsOnePlainLinePerTableWithoutLoadsOrBreaks) {
    plain_table("CUSTOMERS", 3);
    add_table(file, "ORDER-JOIN", true);
    plain_table("ITEMS", 1);
    const auto lines = build(5);
    EXPECT_EQ(lines, (std::vector<std::string>{"BConfiguration file SALES at HOSTSIM 5.2", "N",
                                               "BTables:", "NCUSTOMERS", "NORDER-JOIN", "P", "NITEMS", "E"}));
    EXPECT_TRUE(source.loaded_tables.empty());
    EXPECT_EQ(source.unloaded, (std::vector<std::string>{"CUSTOMERS", "ORDER-JOIN", "ITEMS"}));
}

TEST_F(ReportBuild, WithFieldsEveryLaterTableStartsANewPage) {
    settings.options.fields = true;
    settings.options.names = false;  // "Fields" turns "Name" on
    plain_table("A", 2);
    plain_table("B", 2);
    plain_table("C", 1);
    const auto lines = build();
    EXPECT_EQ(lines, (std::vector<std::string>{"BConfiguration file SALES at HOSTSIM 5.2",
                                               "N",
                                               "BTables:",
                                               "BTable A",
                                               "NFields from table A:",
                                               "NA-F0                          ALPHA(10)       SQL_VARCHAR",
                                               "NA-F1                          ALPHA(10)       SQL_VARCHAR",
                                               "N",
                                               "P",
                                               "BTable B",
                                               "NFields from table B:",
                                               "NB-F0                          ALPHA(10)       SQL_VARCHAR",
                                               "NB-F1                          ALPHA(10)       SQL_VARCHAR",
                                               "N",
                                               "P",
                                               "BTable C",
                                               "NFields from table C:",
                                               "NC-F0                          ALPHA(10)       SQL_VARCHAR",
                                               "N",
                                               "E"}));
    EXPECT_EQ(pages, 3);
    EXPECT_EQ(source.loaded_tables, (std::vector<std::string>{"A", "B", "C"}));
    EXPECT_EQ(source.unloaded, (std::vector<std::string>{"A", "B", "C"}));
}

TEST_F(ReportBuild, DetailAloneBreaksOnlyWhenHalfThePageIsUsed) {
    settings.options.detail = true;
    model::CConfigTable& a = plain_table("A", 0);
    a.dataset.assign("CUST");
    a.database.assign("SALESDB");
    a.description_file.assign("(SALES)DESCRIPTION/SALESDB ON PACK");
    model::CConfigTable& b = plain_table("B", 0);
    b.update_allowed = true;
    b.set.assign("CUST-BY-NAME");
    b.dataset.assign("CUST");
    plain_table("C", 0);
    const auto lines = build(24);
    const std::vector<std::string> a_part{"BTable A",
                                          "NInquiry only",
                                          "NDataset CUST",
                                          "NDatabase SALESDB",
                                          "NDescription file (SALES)DESCRIPTION/SALESDB ON PACK",
                                          "N",
                                          "N"};
    EXPECT_TRUE(std::equal(a_part.begin(), a_part.end(), lines.begin() + 3));
    EXPECT_EQ(lines[10], "BTable B");
    EXPECT_EQ(lines[11], "NUpdate allowed");
    EXPECT_EQ(lines[12], "NSet CUST-BY-NAME of Dataset CUST");
    // Table C would begin on line 17 of 24: past half the page, so it moves to the next.
    EXPECT_EQ(lines[17], "P");
    EXPECT_EQ(lines[18], "BTable C");
    EXPECT_TRUE(source.field_lists.empty());
}

TEST_F(ReportBuild, ATableWithEveryFieldHiddenHasNoFieldsHeading) {
    settings.options.fields = true;
    model::CConfigTable& t = add_table(file, "SECRET");
    add_field(t, "X", 4, 1, false);
    add_field(t, "G", 1, 4);  // a group, and groups are not returned
    const auto lines = build();
    EXPECT_TRUE(contains(lines, "BTable SECRET"));
    for (const auto& line : lines) EXPECT_EQ(line.find("Fields from table"), std::string::npos) << line;
}

TEST_F(ReportBuild, FieldListsContinueOnTheNextPageWithTheirOwnHeading) {
    settings.options.fields = true;
    plain_table("BIG", 12);
    const auto lines = build(10);
    // Page 1: header (2), "Tables:", "Table BIG", the heading and one field; then fewer than five lines are left.
    EXPECT_EQ(lines[4], "NFields from table BIG:");
    EXPECT_EQ(lines[5].substr(0, 9), "NBIG-F0  ");
    EXPECT_EQ(lines[6], "P");
    EXPECT_EQ(lines[7], "NFields from table BIG (continued):");
    EXPECT_EQ(lines[8].substr(0, 9), "NBIG-F1  ");
    EXPECT_EQ(lines[12].substr(0, 9), "NBIG-F5  ");
    EXPECT_EQ(lines[13], "P");
    EXPECT_EQ(lines[14], "NFields from table BIG (continued):");
    EXPECT_EQ(lines[20], "P");
    EXPECT_EQ(lines[21], "NFields from table BIG (continued):");
    EXPECT_EQ(lines[22].substr(0, 9), "NBIG-F11 ");
    EXPECT_EQ(std::vector<std::string>(lines.begin() + 23, lines.end()), (std::vector<std::string>{"N", "E"}));
    EXPECT_EQ(pages, 4);
}

TEST_F(ReportBuild, JoinMembersWithDetailAndFields) {
    settings.options.detail = true;
    settings.options.fields = true;
    model::CConfigTable& join = add_table(file, "ORDER-JOIN", true);
    model::CJoinMember& orders = add_member(join, "ORDERS");
    orders.where_condition.assign("ORD-DATE > 0");
    model::CJoinMember& customers = add_member(join, "CUSTOMERS");
    customers.join_kind = 1;
    customers.set.assign("CUST-BY-NO");
    add_join_field(customers, "CUST-NO", model::JoinFieldKind::field, 1, "ORD-CUST");
    add_join_field(customers, "REGION", model::JoinFieldKind::literal, 0, "'N'");
    add_join_field(customers, "AFTER", model::JoinFieldKind::none, 0, "");
    add_join_field(customers, "NEVER", model::JoinFieldKind::expression, 0, "1");
    const auto lines = build();
    EXPECT_EQ(std::vector<std::string>(lines.begin() + 3, lines.end()),
              (std::vector<std::string>{
                  "BJoin Table ORDER-JOIN", "N   Sub Table ORDERS", "N      Where condition ORD-DATE > 0",
                  "N      Set DEFAULT", "N   Sub Table CUSTOMERS", "N      Read type OUTER",
                  "N      Where condition UNDEFINED", "N      Set CUST-BY-NO",
                  "N         Field CUST-NO = ORDERS.ORD-CUST", "N         Field REGION = 'N'", "E"}));
    EXPECT_TRUE(source.field_lists.empty());
}

TEST_F(ReportBuild, AMemberWhoseFirstKeyFieldIsUnboundPrintsNoFieldLines) {
    settings.options.fields = true;
    model::CConfigTable& join = add_table(file, "J", true);
    model::CJoinMember& first = add_member(join, "ONE");
    add_join_field(first, "K1", model::JoinFieldKind::expression, 0, "1");
    model::CJoinMember& second = add_member(join, "TWO");
    add_join_field(second, "K1", model::JoinFieldKind::none, 0, "");
    add_join_field(second, "K2", model::JoinFieldKind::field, 1, "K1");
    const auto lines = build();
    EXPECT_EQ(std::vector<std::string>(lines.begin() + 3, lines.end()),
              (std::vector<std::string>{"BJoin Table J", "N   Sub Table ONE", "N      Field K1 = 1",
                                        "N   Sub Table TWO", "E"}));
}

TEST_F(ReportBuild, FailedLoadsPrintTheirLineInBoldAndTheReportGoesOn) {
    settings.options.fields = true;
    plain_table("GOOD", 1);
    plain_table("BROKEN", 1);
    plain_table("NOFIELDS", 1);
    add_table(file, "BADJOIN", true);
    plain_table("LAST", 1);
    source.failing_tables = {"BROKEN", "BADJOIN"};
    source.failing_field_lists = {"NOFIELDS"};
    const auto lines = build();
    std::size_t at = index_of(lines, "BCannot load table BROKEN");
    ASSERT_LT(at, lines.size());
    EXPECT_EQ(lines[at + 1], "N");
    EXPECT_EQ(lines[at - 1], "P");
    at = index_of(lines, "BCannot load field list for table NOFIELDS");
    ASSERT_LT(at, lines.size());
    EXPECT_EQ(lines[at - 1], "BTable NOFIELDS");
    EXPECT_EQ(lines[at + 1], "N");
    EXPECT_EQ(lines[at + 2], "N");
    EXPECT_TRUE(contains(lines, "BCannot load table BADJOIN"));
    EXPECT_TRUE(contains(lines, "BTable LAST"));
    EXPECT_EQ(lines.back(), "E");
    EXPECT_EQ(source.unloaded.size(), 5u);
}

TEST_F(ReportBuild, ApplicationsWithLocalLimitsAndFailures) {
    settings.options.applications = true;
    add_app(file, "EXCEL").update_allowed = true;
    model::CPcApplication& local = add_app(file, "ACCESS");
    local.local_limits = true;
    local.limits.where_required = true;
    local.limits.row_limit_kind = 2;
    local.limits.row_count = 100;
    add_app(file, "BROKEN");
    add_app(file, "LAST");
    source.failing_apps = {"BROKEN"};
    const auto lines = build();
    EXPECT_EQ(std::vector<std::string>(lines.begin() + 2, lines.end()),
              (std::vector<std::string>{"BApplications:", "NEXCEL, Update allowed, Using global limits", "N",
                                        "NACCESS, Inquiry only, Using local limits", "NWhere Required",
                                        "NLinear Selects Allowed", "NLinear Joins Allowed",
                                        "NError Message at 100 Rows", "N", "BCannot load application info for BROKEN",
                                        "N", "NLAST, Inquiry only, Using global limits", "N", "E"}));
    EXPECT_EQ(source.loaded_apps, (std::vector<std::string>{"EXCEL", "ACCESS", "BROKEN", "LAST"}));
}

TEST_F(ReportBuild, ApplicationsContinueOnTheNextPageWithTheirHeading) {
    settings.options.applications = true;
    for (int i = 0; i < 6; ++i) add_app(file, "APP" + std::to_string(i));
    const auto lines = build(10);
    // Header 2, heading, then two lines per application: whenever fewer than six lines are left, a new page.
    EXPECT_EQ(std::vector<std::string>(lines.begin(), lines.begin() + 14),
              (std::vector<std::string>{"BConfiguration file SALES at HOSTSIM 5.2", "N",
                                        "BApplications:", "NAPP0, Inquiry only, Using global limits", "N", "P",
                                        "BApplications (continued):", "NAPP1, Inquiry only, Using global limits", "N",
                                        "NAPP2, Inquiry only, Using global limits", "N", "P",
                                        "BApplications (continued):", "NAPP3, Inquiry only, Using global limits"}));
}

TEST_F(ReportBuild, TheFirstApplicationHeadingMovesWhenThePageIsNearlyFull) {
    settings.options.applications = true;
    settings.options.limits = true;
    add_app(file, "ONLY");
    const auto lines = build(10);
    // Header 2 and limits 6 leave two lines: the heading goes to the next page.
    EXPECT_EQ(lines[8], "P");
    EXPECT_EQ(lines[9], "BApplications:");
}

TEST_F(ReportBuild, SectionsComeInOrderAndOnlyWhenAskedFor) {
    settings.options = PrintOptions{};
    add_app(file, "EXCEL");
    plain_table("T", 1);
    auto lines = build();
    EXPECT_LT(index_of(lines, "BGlobal Options:"), index_of(lines, "BLimits:"));
    EXPECT_LT(index_of(lines, "BLimits:"), index_of(lines, "BApplications:"));
    EXPECT_LT(index_of(lines, "BApplications:"), index_of(lines, "BTables:"));
    settings.options.names = false;
    settings.options.applications = false;
    file.applications.clear();
    lines = build();
    EXPECT_FALSE(contains(lines, "BTables:"));
    EXPECT_FALSE(contains(lines, "BApplications:"));
    // No applications, no heading even when asked for.
    settings.options.applications = true;
    EXPECT_FALSE(contains(build(), "BApplications:"));
}

}  // namespace
