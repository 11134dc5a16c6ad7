#include <gtest/gtest.h>

#include "report/page_writer.h"
#include "report/report_layout.h"
#include "report_records.h"

using namespace kestra;
using namespace kestra::report;
using kestra::testing::add_field;
using kestra::testing::add_join_field;
using kestra::testing::add_member;

namespace {

TEST(FieldLine, ColumnsArePaddedAndCut) {
    model::CConfigTable table;
    model::CConfigField& f = add_field(table, "CUST-NO", 11, 7);
    f.decimals = 2;
    EXPECT_EQ(field_line(f), "CUST-NO                       PACKED(S7,2)    SQL_NUMERIC");

    model::CConfigField& long_name = add_field(table, std::string(30, 'A'), 4, 300);
    const std::string line = field_line(long_name);
    EXPECT_EQ(line.substr(0, 30), std::string(29, 'A') + " ");
    EXPECT_EQ(line.substr(30), "ALPHA(300)      SQL_LONGVARCHAR");

    model::CConfigField& unknown = add_field(table, "X", 99, 1);
    EXPECT_EQ(field_line(unknown), std::string("X") + std::string(28, ' ') + " Unknown field t Unknown sql type");

    model::CConfigField& date = add_field(table, "D", 4, 8);
    date.date_kind = model::DateKind::date;
    EXPECT_EQ(field_line(date).substr(46), "SQL_DATE");
}

TEST(FieldLine, HiddenAndGroupFieldsAreLeftOut) {
    model::CConfigTable table;
    model::CConfigField& hidden = add_field(table, "H", 4, 1, false);
    model::CConfigField& group = add_field(table, "G", 1, 10);
    model::CConfigField& plain = add_field(table, "P", 4, 1);
    EXPECT_FALSE(field_is_printed(table, hidden));
    EXPECT_FALSE(field_is_printed(table, group));
    EXPECT_TRUE(field_is_printed(table, plain));
    table.return_groups = true;
    EXPECT_TRUE(field_is_printed(table, group));
    EXPECT_FALSE(field_is_printed(table, hidden));
}

TEST(DateBase, ValidDatesUseThePicture) {
    model::CGlobalOptions g;
    g.date_base_month = 3;
    g.date_base_day = 7;
    g.date_base_year = 2003;
    EXPECT_EQ(date_base_text(g, "M/d/yy", "/"), "3/7/03");
    EXPECT_EQ(date_base_text(g, "dddd, MMMM dd, yyyy", "/"), "Friday, March 07, 2003");
    g.date_base_month = 1;
    g.date_base_day = 1;
    g.date_base_year = 2000;
    EXPECT_EQ(date_base_text(g, "ddd d MMM yyyy", "/"), "Sat 1 Jan 2000");
}

TEST(DateBase, NoCalendarDatePrintsTheNumbersInPictureOrder) {
    model::CGlobalOptions g;  // 0/0/0, as a fresh file has it
    EXPECT_EQ(date_base_text(g, "M/d/yy", "/"), "0/0/0");
    g.date_base_month = 13;
    g.date_base_day = 5;
    g.date_base_year = 2003;
    EXPECT_EQ(date_base_text(g, "M/d/yy", "/"), "13/5/2003");
    EXPECT_EQ(date_base_text(g, "dd.MM.yyyy", "."), "5.13.2003");
    EXPECT_EQ(date_base_text(g, "dddd, MMMM dd, yyyy", "/"), "13/5/2003");
    g.date_base_month = 2;
    g.date_base_day = 32;
    EXPECT_EQ(date_base_text(g, "yyyy-MM-dd", "-"), "2003-2-32");
    g.date_base_day = 10;
    g.date_base_year = 0;
    EXPECT_EQ(date_base_text(g, "M/d/yy", "/"), "2/10/0");
    // A picture without some of the three still prints all of them.
    EXPECT_EQ(date_base_text(g, "\"day\" d", ""), "10/2/0");
}

TEST(Limits, FourLinesInTheirWording) {
    model::CConfigLimits l;
    EXPECT_EQ(limit_lines(l), (std::vector<std::string>{"No Where Required", "Linear Selects Allowed",
                                                        "Linear Joins Allowed", "No Row Limit"}));
    l.where_required = true;
    l.linear_selects = false;
    l.linear_joins = false;
    l.row_limit_kind = 1;
    l.row_count = 5000;
    EXPECT_EQ(limit_lines(l), (std::vector<std::string>{"Where Required", "No Linear Selects", "No Linear Joins",
                                                        "Silent End of File at 5000 Rows"}));
    l.row_limit_kind = 2;
    l.row_count = 2147483647;
    EXPECT_EQ(limit_lines(l).back(), "Error Message at 2147483647 Rows");
}

TEST(Applications, LineNamesUpdateAndLimitsKind) {
    model::CPcApplication app;
    app.program_name.assign("EXCEL");
    EXPECT_EQ(application_line(app), "EXCEL, Inquiry only, Using global limits");
    app.update_allowed = true;
    app.local_limits = true;
    EXPECT_EQ(application_line(app), "EXCEL, Update allowed, Using local limits");
}

TEST(JoinFields, MemberNumbersOutsideTheMembersPrintTheValueAlone) {
    model::CConfigTable join;
    add_member(join, "ORDERS");
    model::CJoinMember& second = add_member(join, "CUSTOMERS");
    add_join_field(second, "CUST-NO", model::JoinFieldKind::field, 1, "ORD-CUST");
    add_join_field(second, "A", model::JoinFieldKind::field, 0, "ORD-CUST");
    add_join_field(second, "B", model::JoinFieldKind::field, 3, "ORD-CUST");
    add_join_field(second, "C", model::JoinFieldKind::field, -7, "ORD-CUST");
    add_join_field(second, "D", model::JoinFieldKind::literal, 1, "'X'");
    EXPECT_EQ(join_field_line(join, *second.join_fields[0], false), "      Field CUST-NO = ORDERS.ORD-CUST");
    EXPECT_EQ(join_field_line(join, *second.join_fields[0], true), "         Field CUST-NO = ORDERS.ORD-CUST");
    EXPECT_EQ(join_field_line(join, *second.join_fields[1], false), "      Field A = ORD-CUST");
    EXPECT_EQ(join_field_line(join, *second.join_fields[2], false), "      Field B = ORD-CUST");
    EXPECT_EQ(join_field_line(join, *second.join_fields[3], false), "      Field C = ORD-CUST");
    EXPECT_EQ(join_field_line(join, *second.join_fields[4], false), "      Field D = 'X'");
}

TEST(GlobalOptions, EveryLineOfASection) {
    model::CConfigFile file;
    file.description.assign("Sales data");
    model::CGlobalOptions& g = file.global_options;
    g.program_security = 2;
    g.usercode.assign("SALESUC");
    g.priority = 5;
    g.translation.assign("LATIN1");
    g.security_type = 2;
    g.security_use = 3;
    g.date_base_month = 12;
    g.date_base_day = 31;
    g.date_base_year = 1999;
    g.library_kind = true;
    g.unique_indices = true;
    g.app_name.assign("SALESAPP");
    g.hide_fields = true;
    PageWriter out(60);
    write_global_options(out, file, "M/d/yy", "/");
    EXPECT_EQ(out.text(),
              "BGlobal Options:\n"
              "NDescription \"Sales data\"\n"
              "NInquiry Program Security\n"
              "NNo Sec Admin\n"
              "NUsercode =SALESUC\n"
              "NPriority =  5\n"
              "NUsing: LATIN1\n"
              "NSECURITYTYPE: GUARDED (No guardfile specified)\n"
              "NSECURITYUSE: IO\n"
              "NDate Base: 12/31/99\n"
              "NUsing Database Libraries\n"
              "NIgnore Unique Indices\n"
              "NAppName = SALESAPP\n"
              "NHide Fields by Default\n"
              "N\n");
}

TEST(GlobalOptions, DefaultsAndEmptyTexts) {
    model::CConfigFile file;
    file.global_options.guardfile.assign("GUARD/FILE");
    PageWriter out(60);
    write_global_options(out, file, "M/d/yy", "/");
    EXPECT_EQ(out.text(),
              "BGlobal Options:\n"
              "NNo Program Security\n"
              "NNo Sec Admin\n"
              "NUsercode = <default>\n"
              "NPriority = <default>\n"
              "NNo Translation\n"
              "NSECURITYTYPE: PRIVATE\n"
              "NSECURITYUSE: OUT\n"
              "NDate Base: 0/0/0\n"
              "NUsing Dataset Libraries\n"
              "NReturn Unique Indices\n"
              "NAppName = <none>\n"
              "NShow Fields by Default\n"
              "N\n");
    file.global_options.security_type = 2;
    file.global_options.priority = 42;
    PageWriter again(60);
    write_global_options(again, file, "M/d/yy", "/");
    EXPECT_NE(again.text().find("NSECURITYTYPE: GUARDED (GUARD/FILE)\n"), std::string::npos);
    EXPECT_NE(again.text().find("NPriority = 42\n"), std::string::npos);
}

TEST(PageWriter, AFullPageEndsByItselfAndABreakNeverLeavesAnEmptyPage) {
    PageWriter out(3);
    out.bold("one");
    out.normal("two");
    EXPECT_EQ(out.lines_left(), 1);
    out.normal("three");
    EXPECT_EQ(out.lines_used(), 0);
    out.page_break();  // nothing on this page yet
    out.normal("four");
    out.page_break();
    out.page_break();
    out.end();
    out.normal("after the end");
    EXPECT_EQ(out.text(), "Bone\nNtwo\nNthree\nP\nNfour\nP\nE\n");
    EXPECT_EQ(out.page_count(), 2);
}

TEST(PageWriter, LineBreaksInsideATextCannotMakeLinesOfTheirOwn) {
    PageWriter out(60);
    out.normal("a\nP\rb");
    EXPECT_EQ(out.text(), "Na P b\n");
}

TEST(PageWriter, PageCountCountsOnlyPagesWithLines) {
    PageWriter out(2);
    EXPECT_EQ(out.page_count(), 0);
    out.normal("1");
    EXPECT_EQ(out.page_count(), 1);
    out.normal("2");
    EXPECT_EQ(out.page_count(), 1);
    out.normal("3");
    EXPECT_EQ(out.page_count(), 2);
    PageWriter tiny(0);  // taken as one line a page
    tiny.normal("x");
    tiny.normal("y");
    EXPECT_EQ(tiny.text(), "Nx\nP\nNy\nP\n");
}

}  // namespace
