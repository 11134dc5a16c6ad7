#include "configsvc/config_document.h"

#include <gtest/gtest.h>

#include <string>

#include "config_sample_model.h"

using namespace kestra::configsvc;
using kestra::model::FieldKind;

namespace {

class ConfigDocumentTest : public ::testing::Test {
  protected:
    void SetUp() override {
        sample.file_name = "SALES";
        kestra::testing::fill_sample_file(sample.file);
    }
    // The problems of reading `text`; empty when it was read.
    std::vector<DocumentProblem> problems_of(const std::string& text) {
        ConfigDocument doc;
        std::vector<DocumentProblem> problems;
        const bool ok = read_config_document(text, doc, problems);
        EXPECT_EQ(ok, problems.empty());
        return problems;
    }
    // The sample's text with one piece replaced.
    std::string edited(const std::string& from, const std::string& to) {
        std::string text = write_config_document(sample);
        const auto at = text.find(from);
        EXPECT_NE(at, std::string::npos) << from;
        if (at != std::string::npos) text.replace(at, from.size(), to);
        return text;
    }
    bool refused_at(const std::string& text, const std::string& path, const std::string& message_part = "") {
        for (const auto& p : problems_of(text))
            if (p.path == path && p.message.find(message_part) != std::string::npos) return true;
        return false;
    }
    ConfigDocument sample;
};

TEST_F(ConfigDocumentTest, RoundTripKeepsEveryDetailAndTheSameBytes) {
    const std::string text = write_config_document(sample);
    ConfigDocument back;
    std::vector<DocumentProblem> problems;
    ASSERT_TRUE(read_config_document(text, back, problems)) << (problems.empty() ? "" : describe(problems[0]));
    EXPECT_EQ(write_config_document(back), text);

    EXPECT_EQ(back.file_name, "SALES");
    EXPECT_EQ(back.file.description.str(), "Sales \xC9t\xE9 \"2026\"");
    EXPECT_EQ(back.file.global_options.priority, 50);
    EXPECT_EQ(back.file.global_options.guardfile.str(), "(PROD)GUARD/SALES ON DBPACK");
    EXPECT_EQ(back.file.limits.row_count, 500);
    ASSERT_EQ(back.file.applications.size(), 2u);
    EXPECT_FALSE(back.file.applications[0]->local_limits);
    EXPECT_FALSE(back.file.applications[0]->table_list);
    EXPECT_TRUE(back.file.applications[1]->local_limits);
    EXPECT_EQ(back.file.applications[1]->limits.row_count, 2147483647);
    ASSERT_EQ(back.file.applications[1]->tables.size(), 1u);
    EXPECT_EQ(back.file.applications[1]->tables[0]->name.str(), "ORDERS");
    ASSERT_EQ(back.file.tables.size(), 3u);
    const auto& customer = *back.file.tables[0];
    EXPECT_EQ(customer.table_option, 12345);
    EXPECT_EQ(customer.where_condition.str(), "CUST-ID > 100");
    ASSERT_EQ(customer.fields.size(), 6u);
    EXPECT_FALSE(customer.fields[3]->visible);
    EXPECT_EQ(customer.fields[2]->date_format, 23);
    const auto& city = *customer.fields[4];
    EXPECT_EQ(city.field_kind, FieldKind::user_defined);
    EXPECT_EQ(city.base_field.str(), "NAME");
    EXPECT_TRUE(city.offset_in_characters);
    EXPECT_EQ(city.offset_value, 2);
    EXPECT_EQ(customer.fields[5]->expression.str(), "CUST-ID / 1000");
    EXPECT_EQ(customer.fields[5]->decimals, 3);
    ASSERT_EQ(customer.sets.size(), 1u);
    EXPECT_EQ(customer.sets[0]->keys[0].second_attribute, 1);
    const auto& join = *back.file.tables[2];
    ASSERT_EQ(join.members.size(), 2u);
    ASSERT_EQ(join.members[1]->join_fields.size(), 3u);
    EXPECT_EQ(join.members[1]->join_fields[0]->member_number, 1);
    EXPECT_EQ(join.members[1]->join_fields[2]->value.str(), "'O''NEIL'");
    // Read fields are as the host sent them: nothing to send.
    EXPECT_FALSE(customer.fields[0]->bModified);
    EXPECT_FALSE(customer.fields[0]->is_new);
}

TEST_F(ConfigDocumentTest, CanonicalLayout) {
    const std::string text = write_config_document(sample);
    EXPECT_EQ(text.rfind("{\n  \"format\": \"kestra-config/1\",\n  \"file\": \"SALES\",\n", 0), 0u)
        << text.substr(0, 80);
    EXPECT_EQ(text.substr(text.size() - 3), "\n}\n");
    // Latin-1 characters are code points, written as UTF-8; quotes are escaped.
    EXPECT_NE(text.find("\"description\": \"Sales \xC3\x89t\xC3\xA9 \\\"2026\\\"\""), std::string::npos);
    EXPECT_NE(text.find("\n      \"fields\": [\n        {\n          \"name\": \"CUST-ID\","), std::string::npos);
    EXPECT_NE(text.find("\"sets\": [],"), std::string::npos) << "an empty list stays on one line";
    // A control character never leaves a raw line break inside a value.
    sample.file.tables[0]->where_condition.assign("A\nB\x01");
    EXPECT_NE(write_config_document(sample).find("\"where\": \"A\\nB\\u0001\""), std::string::npos);
    ConfigDocument back;
    ASSERT_TRUE(kestra::testing::copy_by_document(sample, back));
    EXPECT_EQ(back.file.tables[0]->where_condition.str(), "A\nB\x01");
}

TEST_F(ConfigDocumentTest, WrongTypesAreRefusedWithTheirPath) {
    EXPECT_TRUE(
        refused_at(edited("\"name\": \"CITY_CODE\"", "\"name\": 7"), "tables[0].fields[4].name", "a text is required"));
    EXPECT_TRUE(refused_at(edited("\"priority\": 50", "\"priority\": \"50\""), "global.priority", "whole number"));
    EXPECT_TRUE(refused_at(edited("\"priority\": 50", "\"priority\": 5.5"), "global.priority", "whole number"));
    EXPECT_TRUE(refused_at(edited("\"join\": false", "\"join\": 0"), "tables[0].join", "true or false"));
    EXPECT_TRUE(refused_at(edited("\"tables\": [\n    {", "\"tables\": [\n    7, {"), "tables[0]", "an object"));
    EXPECT_TRUE(refused_at(edited("\"limits\": {\n    \"where", "\"limits\": [{\n    \"where"), "", "not valid JSON"));
    EXPECT_TRUE(refused_at("[]", "", "not a JSON object"));
    EXPECT_TRUE(refused_at("", "", "not valid JSON"));
    EXPECT_TRUE(refused_at(write_config_document(sample).substr(0, 300), "", "not valid JSON"));
}

TEST_F(ConfigDocumentTest, NumbersOutsideTheirWidthAreRefused) {
    EXPECT_TRUE(refused_at(edited("\"row_count\": 500", "\"row_count\": 2147483648"), "limits.row_count", "outside"));
    EXPECT_TRUE(refused_at(edited("\"row_count\": 500", "\"row_count\": -1"), "limits.row_count", "outside"));
    EXPECT_TRUE(refused_at(edited("\"row_count\": 500", "\"row_count\": 99999999999999999999999"), "limits.row_count",
                           "whole number"));
    EXPECT_TRUE(refused_at(edited("\"row_count\": 500", "\"row_count\": 1e400"), "", "a number beyond any range"));
    EXPECT_TRUE(refused_at(edited("\"option\": 12345", "\"option\": 123456"), "tables[0].option", "outside"));
    EXPECT_TRUE(refused_at(edited("\"security_use\": 3", "\"security_use\": 4"), "global.security_use"));
}

TEST_F(ConfigDocumentTest, DeepNestingIsRefusedWithoutBuildingIt) {
    const std::string deep = std::string(10000, '[') + std::string(10000, ']');
    EXPECT_TRUE(refused_at(deep, "", "nested deeper"));
    const std::string deep_inside = edited(
        "\"description\": ", "\"x\": " + std::string(10000, '[') + std::string(10000, ']') + ", \"description\": ");
    EXPECT_TRUE(refused_at(deep_inside, "", "nested deeper"));
}

TEST_F(ConfigDocumentTest, TextsAreHeldToTheWireAndLatin1) {
    // The host may hold names longer than a person may type; a document keeps them whole.
    EXPECT_TRUE(problems_of(edited("\"usercode\": \"PROD\"", "\"usercode\": \"" + std::string(35, 'U') + "\"")).empty());
    EXPECT_TRUE(problems_of(edited("\"where\": \"CUST-ID > 100\"", "\"where\": \"" + std::string(300, 'W') + "\""))
                    .empty());
    EXPECT_TRUE(refused_at(edited("\"dataset\": \"ORDERS\"", "\"dataset\": \"" + std::string(1000, 'D') + "\""),
                           "tables[1].dataset", "longer than 999"));
    EXPECT_TRUE(refused_at(edited("\"usercode\": \"PROD\"", "\"usercode\": \"\\u0100\""), "global.usercode",
                           "outside Latin-1"));
}

TEST_F(ConfigDocumentTest, UnknownKeysAndKeysOfAnotherKindAreRefused) {
    EXPECT_TRUE(refused_at(edited("\"priority\": 50", "\"priority\": 50, \"colour\": 1"), "global.colour", "unknown"));
    EXPECT_TRUE(refused_at(edited("\"file\": \"SALES\"", "\"file\": \"SALES\", \"extra\": []"), "extra", "unknown"));
    // A calculated field has no offset; a user-defined one has no visible flag.
    EXPECT_TRUE(refused_at(edited("\"expression\": \"CUST-ID / 1000\"", "\"expression\": \"X\", \"offset\": 1"),
                           "tables[0].fields[5].offset", "calculated"));
    EXPECT_TRUE(refused_at(edited("\"base_field\": \"NAME\"", "\"base_field\": \"NAME\", \"visible\": true"),
                           "tables[0].fields[4].visible"));
    EXPECT_TRUE(refused_at(edited("\"kind\": \"calculated\"", "\"kind\": \"magic\""), "tables[0].fields[5].kind"));
}

TEST_F(ConfigDocumentTest, DuplicatesAndDanglingReferencesAreRefused) {
    EXPECT_TRUE(refused_at(edited("\"name\": \"CREDIT_K\"", "\"name\": \"city_code\""), "tables[0].fields[5].name",
                           "duplicate"));
    EXPECT_TRUE(
        refused_at(edited("\"name\": \"ORDERS\",\n      \"number\"", "\"name\": \"Customer\",\n      \"number\""),
                   "tables[1].name", "duplicate"));
    EXPECT_TRUE(refused_at(edited("\"program\": \"REPORT.EXE\"", "\"program\": \"excel.exe\""),
                           "applications[1].program", "duplicate"));
    EXPECT_TRUE(refused_at(edited("\"member\": 1", "\"member\": 3"), "tables[2].members[1].join_fields[0].member",
                           "no member 3"));
    EXPECT_TRUE(refused_at(edited("\"sub_table\": \"ORDERS\"", "\"sub_table\": \"INVOICES\""),
                           "tables[2].members[1].sub_table", "no table INVOICES"));
    EXPECT_TRUE(refused_at(
        edited("\"name\": \"ORDERS\",\n          \"number\": 2", "\"name\": \"RETURNS\",\n          \"number\": 2"),
        "applications[1].tables[0].name", "no table RETURNS"));
}

TEST_F(ConfigDocumentTest, ANewerFormatIsRefusedWhole) {
    EXPECT_TRUE(refused_at(edited("kestra-config/1", "kestra-config/2"), "format", "newer version"));
    // Nothing else is looked at: one problem only, though the document is otherwise broken too.
    const auto problems = problems_of(edited("kestra-config/1\",", "kestra-config/12\", \"bogus\": 1,"));
    ASSERT_EQ(problems.size(), 1u);
    EXPECT_EQ(problems[0].path, "format");
    EXPECT_TRUE(refused_at(edited("kestra-config/1", "other/1"), "format", "not a configuration document"));
    EXPECT_TRUE(refused_at("{\"tables\": []}", "format", "missing"));
}

TEST_F(ConfigDocumentTest, AHandWrittenDocumentTakesDefaults) {
    const std::string text = R"({"format": "kestra-config/1",
        "tables": [{"name": "T", "fields": [{"kind": "host", "host_name": "H-1"},
                                            {"kind": "calculated", "name": "C", "type": 22, "expression": "'A'"}]}]})";
    ConfigDocument doc;
    std::vector<DocumentProblem> problems;
    ASSERT_TRUE(read_config_document(text, doc, problems)) << describe(problems[0]);
    ASSERT_EQ(doc.file.tables.size(), 1u);
    EXPECT_EQ(doc.file.tables[0]->fields[0]->name.str(), "H-1") << "a host field without a name is its host name";
    EXPECT_TRUE(doc.file.tables[0]->fields[0]->visible);
    EXPECT_EQ(doc.file.global_options.security_use, 2);
    EXPECT_TRUE(doc.file.limits.linear_selects);
}

}  // namespace
