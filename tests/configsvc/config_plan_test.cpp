#include "configsvc/config_plan.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "config_sample_model.h"
#include "configsvc/config_diff.h"

using namespace kestra::configsvc;
using kestra::model::CConfigField;
using kestra::model::CConfigTable;
using kestra::model::FieldKind;

namespace {

// The host's file as fetched and a document made from it, to be edited by each test.
class ConfigPlanTest : public ::testing::Test {
  protected:
    void SetUp() override {
        kestra::testing::fill_sample_file(host.file);
        ASSERT_TRUE(kestra::testing::copy_by_document(host, doc));
    }
    CConfigTable& table(const char* name) { return *doc.file.find_table(name); }
    CConfigField& field(const char* table_name, const char* field_name) {
        return *table(table_name).find_field(field_name);
    }
    ConfigPlan plan(bool allow_delete = false) { return plan_config_changes(host.file, doc.file, allow_delete); }
    static std::vector<int> codes(const ConfigPlan& p) {
        std::vector<int> out;
        for (const auto& r : p.requests) out.push_back(r.code);
        return out;
    }
    // Every refusal, for a failure's message.
    static std::string all(const ConfigPlan& p) {
        std::string out;
        for (const auto& r : p.refusals) out += r + "\n";
        return out;
    }
    static bool refused(const ConfigPlan& p, const std::string& part) {
        for (const auto& r : p.refusals)
            if (r.find(part) != std::string::npos) return true;
        return false;
    }
    ConfigDocument host, doc;
};

TEST_F(ConfigPlanTest, TheSameDocumentGivesAnEmptyPlan) {
    const ConfigPlan p = plan();
    EXPECT_TRUE(p.empty());
    EXPECT_TRUE(p.refusals.empty());
    EXPECT_EQ(format_plan(p), "");
    // Host numbers do not identify entries: a document with the numbers left out plans nothing either.
    for (auto& t : doc.file.tables)
        for (auto& f : t->fields) f->tblfieldnum = 0;
    for (auto& a : doc.file.applications) a->app_number = 0;
    EXPECT_TRUE(plan().empty());
}

TEST_F(ConfigPlanTest, ARenamedFieldIsOneChangeRequest) {
    field("CUSTOMER", "OPENED").name.assign("OPENED_ON");
    const ConfigPlan p = plan();
    EXPECT_EQ(codes(p), std::vector<int>{26});
    ASSERT_EQ(p.tables.size(), 1u);
    ASSERT_EQ(p.tables[0].changes.size(), 1u);
    EXPECT_EQ(p.tables[0].changes[0].number, 3);
    EXPECT_TRUE(p.tables[0].changes[0].rename);
    EXPECT_EQ(p.requests[0].changes, std::vector<std::string>{"field OPENED: name: \"OPENED\" -> \"OPENED_ON\""});
}

// What the host holds goes back whole whatever its length; only a new or changed text is held to what may be typed.
TEST_F(ConfigPlanTest, LongHostTextsPassUnchangedWhileChangedOnesAreHeldToTheirLimits) {
    const std::string long_alias(41, 'A');
    host.file.find_table("CUSTOMER")->find_field("OPENED")->name.assign(long_alias);
    field("CUSTOMER", "OPENED").name.assign(long_alias);
    host.file.global_options.usercode.assign(std::string(20, 'U'));
    doc.file.global_options.usercode.assign(std::string(20, 'U'));
    ConfigPlan p = plan();
    EXPECT_TRUE(p.empty()) << all(p);
    EXPECT_TRUE(p.refusals.empty()) << all(p);

    field("CUSTOMER", long_alias.c_str()).name.assign(std::string(30, 'N'));
    doc.file.global_options.usercode.assign(std::string(18, 'V'));
    table("ORDERS").where_condition.assign(std::string(256, 'W'));
    p = plan();
    EXPECT_TRUE(refused(p, "name longer than 29 characters")) << all(p);
    EXPECT_TRUE(refused(p, "global: usercode longer than 17 characters")) << all(p);
    EXPECT_TRUE(refused(p, "table ORDERS: where longer than 255 characters")) << all(p);
    // A new program name is held to what the Application window lets a person type.
    ASSERT_FALSE(doc.file.applications.empty());
    doc.file.applications[0]->program_name.assign(std::string(17, 'P'));
    EXPECT_TRUE(refused(plan(true), "program longer than 16 characters")) << all(plan(true));
    doc.file.applications[0]->program_name.assign(host.file.applications[0]->program_name.str());

    field("CUSTOMER", std::string(30, 'N').c_str()).name.assign(std::string(29, 'N'));
    doc.file.global_options.usercode.assign(std::string(17, 'V'));
    table("ORDERS").where_condition.assign(std::string(255, 'W'));
    p = plan();
    EXPECT_TRUE(p.refusals.empty()) << all(p);
}

TEST_F(ConfigPlanTest, AHiddenFieldIsOneMarkRequest) {
    field("ORDERS", "ORD-CUST").visible = false;
    ConfigPlan p = plan();
    EXPECT_EQ(codes(p), std::vector<int>{27});
    ASSERT_EQ(p.tables.size(), 1u);
    EXPECT_TRUE(p.tables[0].changes.empty());
    EXPECT_EQ(p.tables[0].marks.size(), 1u);
    // Showing a hidden one again is the same request.
    field("ORDERS", "ORD-CUST").visible = true;
    field("CUSTOMER", "CUST-FLAGS").visible = true;
    EXPECT_EQ(codes(plan()), std::vector<int>{27});
}

TEST_F(ConfigPlanTest, ANewCalculatedFieldIsOneAddRequest) {
    auto f = kestra::testing::sample_field(0, "TOTAL", "", FieldKind::calculated);
    f->data_type_code = 23;
    f->length = 10;
    f->expression.assign("ORD-NO * 2");
    table("ORDERS").fields.push_back(std::move(f));
    const ConfigPlan p = plan();
    EXPECT_EQ(codes(p), std::vector<int>{28});
    ASSERT_EQ(p.tables.size(), 1u);
    ASSERT_EQ(p.tables[0].additions.size(), 1u);
    EXPECT_EQ(p.tables[0].additions[0]->name.str(), "TOTAL");
}

TEST_F(ConfigPlanTest, AChangedWhereIsOneWhereRequest) {
    table("CUSTOMER").where_condition.assign("CUST-ID > 200");
    EXPECT_EQ(codes(plan()), std::vector<int>{41});
    table("CUSTOMER").where_condition.assign("");
    EXPECT_EQ(codes(plan()), std::vector<int>{41});
}

TEST_F(ConfigPlanTest, RequestsFollowTheEditorsOrderAcrossKinds) {
    doc.file.global_options.priority = 7;
    doc.file.limits.row_count = 1000;
    doc.file.applications[0]->update_allowed = true;
    table("ORDERS").update_allowed = true;
    table("CUSTOMER").where_condition.assign("CUST-ID > 1");
    field("CUSTOMER", "NAME").update_allowed = false;
    field("CUSTOMER", "CUST-ID").visible = false;
    auto& fields = table("CUSTOMER").fields;
    fields.erase(fields.begin() + 4);  // CITY_CODE goes
    auto f = kestra::testing::sample_field(0, "ZIP", "", FieldKind::user_defined);
    f->data_type_code = 4;
    f->length = 5;
    fields.push_back(std::move(f));
    table("CUSTOMER_ORDERS").members[1]->join_kind = 0;

    const ConfigPlan p = plan(true);
    EXPECT_TRUE(p.refusals.empty()) << all(p);
    EXPECT_EQ(codes(p), (std::vector<int>{34, 41, 26, 27, 27, 28, 56, 31, 33, 38}));
    EXPECT_EQ(p.deletions, std::vector<std::string>{"table CUSTOMER field CITY_CODE"});
    const std::string text = format_plan(p);
    EXPECT_NE(text.find("34 modify tables  tables\n    table ORDERS: update_allowed: false -> true\n"),
              std::string::npos)
        << text;
    EXPECT_NE(text.find("27 mark fields  table CUSTOMER\n    delete field CITY_CODE\n"), std::string::npos) << text;
}

TEST_F(ConfigPlanTest, ADeletionNeedsItsPermission) {
    doc.file.tables.erase(doc.file.tables.begin() + 2);  // the join
    doc.file.applications.erase(doc.file.applications.begin());
    ConfigPlan p = plan();
    ASSERT_EQ(p.refusals.size(), 1u) << all(p);
    EXPECT_EQ(p.refusals[0],
              "the document deletes table CUSTOMER_ORDERS, application EXCEL.EXE; give --allow-delete to delete them");
    p = plan(true);
    EXPECT_TRUE(p.refusals.empty());
    EXPECT_EQ(codes(p), (std::vector<int>{22, 37}));
    EXPECT_EQ(p.table_deletions, std::vector<std::int32_t>{3});
    EXPECT_EQ(p.application_deletions, std::vector<std::int32_t>{1});
}

TEST_F(ConfigPlanTest, WhatADocumentCannotExpressIsRefused) {
    // A host field the host does not have.
    table("ORDERS").fields.push_back(kestra::testing::sample_field(0, "ORD-NOTE", "ORD-NOTE", FieldKind::host));
    // A DMSII table that is not on the host.
    auto invoices = std::make_unique<CConfigTable>();
    invoices->name.assign("INVOICES");
    doc.file.tables.push_back(std::move(invoices));
    // A host field's type comes from the description.
    field("CUSTOMER", "CUST-ID").length = 9;
    // A user-defined ALPHA cannot carry a packed code.
    field("CUSTOMER", "CITY_CODE").data_type_code = 9;
    // A host field cannot be deleted.
    table("ORDERS").fields.erase(table("ORDERS").fields.begin());
    const ConfigPlan p = plan(true);
    EXPECT_TRUE(refused(p, "table ORDERS field ORD-NOTE: the host has no such host field")) << all(p);
    EXPECT_TRUE(refused(p, "table INVOICES: a DMSII table cannot be added"));
    EXPECT_TRUE(refused(p, "table CUSTOMER field CUST-ID: the type, length"));
    EXPECT_TRUE(refused(p, "table CUSTOMER field CITY_CODE: type 9 with length 3"));
    EXPECT_TRUE(refused(p, "table ORDERS field ORD-NO: a host field cannot be deleted"));
}

TEST_F(ConfigPlanTest, ExpressionsAreCheckedAsTheirEditorsCheckThem) {
    auto f = kestra::testing::sample_field(0, "HALF", "", FieldKind::calculated);
    f->data_type_code = 23;
    f->length = 10;
    f->expression.assign("ORD-NO /");
    table("ORDERS").fields.push_back(std::move(f));
    table("CUSTOMER_ORDERS").members[1]->where_condition.assign("ORD-NO > > 1");
    ConfigPlan p = plan();
    EXPECT_TRUE(refused(p, "table ORDERS field HALF: the expression \"ORD-NO /\" is not a complete calculation"))
        << all(p);
    EXPECT_TRUE(refused(p, "join CUSTOMER_ORDERS member 2: where \"ORD-NO > > 1\": Error at col")) << all(p);
    // Sound ones pass: a calculation over the table's fields, a condition over the members' fields.
    field("ORDERS", "HALF").expression.assign("ORD-NO / 2");
    // (A hyphen is a minus sign in a search condition, so the names here have none.)
    table("CUSTOMER_ORDERS").members[1]->where_condition.assign("NAME <> 'X' AND OPENED IS NOT NULL");
    p = plan();
    EXPECT_TRUE(p.refusals.empty()) << all(p);
    EXPECT_EQ(codes(p), (std::vector<int>{28, 56}));
}

TEST_F(ConfigPlanTest, ANewJoinTableIsAddedThenGivenItsMembers) {
    auto join = std::make_unique<CConfigTable>();
    join->name.assign("ORDERS_BY_CUSTOMER");
    join->join_table = true;
    join->update_allowed = true;
    for (const char* sub : {"ORDERS", "CUSTOMER"}) {
        auto m = std::make_unique<kestra::model::CJoinMember>();
        m->sub_table.assign(sub);
        join->members.push_back(std::move(m));
    }
    doc.file.tables.push_back(std::move(join));
    const ConfigPlan p = plan();
    EXPECT_EQ(codes(p), (std::vector<int>{52, 56, 34}));
}

TEST_F(ConfigPlanTest, JoinsAndDefinedFieldsAreFollowedThroughARenameByTheirNumber) {
    table("CUSTOMER_ORDERS").name.assign("CUST_ORDERS");
    field("CUSTOMER", "CREDIT_K").name.assign("CREDIT");
    field("CUSTOMER", "CITY_CODE").name.assign("CITY");
    ConfigPlan p = plan();
    EXPECT_TRUE(p.refusals.empty());
    EXPECT_TRUE(p.deletions.empty());
    EXPECT_EQ(codes(p), (std::vector<int>{26, 53}));
    // A plain table's name comes from the catalogue: another name is another table, and the host has none.
    table("ORDERS").name.assign("ORDER_LIST");
    p = plan(true);
    EXPECT_TRUE(refused(p, "table ORDER_LIST: a DMSII table cannot be added"));
    EXPECT_EQ(p.deletions, std::vector<std::string>{"table ORDERS"});
}

TEST(OffsetFieldType, TheCodeFollowsFromTypeSignDecimalsAndLength) {
    EXPECT_TRUE(offset_field_type_allowed(4, 10, 0));
    EXPECT_TRUE(offset_field_type_allowed(5, 4, 0));   // PACKED signed below 5
    EXPECT_FALSE(offset_field_type_allowed(5, 5, 0));  // ... is 6 from 5 on
    EXPECT_TRUE(offset_field_type_allowed(6, 5, 0));
    EXPECT_TRUE(offset_field_type_allowed(12, 10, 2));
    EXPECT_FALSE(offset_field_type_allowed(11, 4, 5));  // more decimals than digits
    EXPECT_TRUE(offset_field_type_allowed(27, 4, 0));   // UNPACKED signed below 5
    EXPECT_TRUE(offset_field_type_allowed(3, 48, 0));
    EXPECT_FALSE(offset_field_type_allowed(3, 49, 0));  // FIELD of 49 bits
    EXPECT_FALSE(offset_field_type_allowed(3, 0, 0));
    EXPECT_FALSE(offset_field_type_allowed(31, 4, 0));  // a host-only code
    EXPECT_FALSE(offset_field_type_allowed(22, 4, 0));  // a calculated field's code
}

TEST_F(ConfigPlanTest, DiffShowsChangesByPartAndNothingForEqualFiles) {
    EXPECT_TRUE(diff_config_files(host.file, doc.file).empty());
    doc.file.global_options.priority = 7;
    field("CUSTOMER", "OPENED").name.assign("OPENED_ON");
    table("ORDERS").fields.erase(table("ORDERS").fields.begin() + 1);
    doc.file.applications.erase(doc.file.applications.begin());
    table("CUSTOMER_ORDERS").members[1]->join_kind = 0;
    const auto lines = diff_config_files(host.file, doc.file);
    EXPECT_EQ(format_diff_text(lines),
              "global\n"
              "  ~ priority: 50 -> 7\n"
              "- application EXCEL.EXE\n"
              "table CUSTOMER field OPENED\n"
              "  ~ name: \"OPENED\" -> \"OPENED_ON\"\n"
              "- table ORDERS field ORD-CUST\n"
              "join CUSTOMER_ORDERS member 2\n"
              "  ~ join_kind: 1 -> 0\n");
    const std::string json = format_diff_json(lines);
    EXPECT_EQ(json.rfind("[{\"part\":\"global\",\"op\":\"~\",\"key\":\"priority\",\"old\":\"50\",\"new\":\"7\"},", 0),
              0u)
        << json;
}

}  // namespace
