#include <gtest/gtest.h>

#include <string>

#include "model/config_file.h"
#include "model/desc_catalogue_entries.h"

namespace kestra::model {
namespace {

TEST(BoundedText, RefusesOrCutsWhatDoesNotFit) {
    BoundedText<5> text;
    EXPECT_TRUE(text.assign("abcde"));
    EXPECT_FALSE(text.assign("abcdef"));
    EXPECT_EQ(text.str(), "abcde");  // the old value stays

    EXPECT_FALSE(text.assign("vwxyz!", TextFit::cut));
    EXPECT_EQ(text.str(), "vwxyz");

    EXPECT_TRUE(text.assign(""));
    EXPECT_TRUE(text.empty());
}

// What the host sends comes back unchanged, so every record text holds anything the wire can carry; the typed
// maxima are the commands' and dialogs' business.
TEST(BoundedText, RecordTextsHoldWhateverTheWireCarries) {
    const std::string longest(kMaxWireText, 'x');
    CConfigTable table;
    for (WireText* t : {&table.name, &table.where_condition, &table.set, &table.database, &table.dataset,
                        &table.description_file}) {
        EXPECT_TRUE(t->assign(longest));
        EXPECT_FALSE(t->assign(longest + "y"));
        EXPECT_EQ(t->str(), longest);
    }
    CConfigField field;
    for (WireText* t : {&field.name, &field.host_name, &field.base_field, &field.expression})
        EXPECT_TRUE(t->assign(longest));
    CGlobalOptions options;
    for (WireText* t : {&options.usercode, &options.translation, &options.guardfile, &options.app_name})
        EXPECT_TRUE(t->assign(longest));
    CPcApplication app;
    EXPECT_TRUE(app.program_name.assign(longest));
    CConfigFile file;
    EXPECT_TRUE(file.description.assign(longest));
}

TEST(RecordDefaults, AsTheHostExpectsThem) {
    CConfigField field;
    EXPECT_TRUE(field.visible);
    EXPECT_TRUE(field.bModified);
    EXPECT_TRUE(field.is_new);
    EXPECT_FALSE(field.bDeleted);
    field.mark_loaded();
    EXPECT_FALSE(field.bModified);
    EXPECT_FALSE(field.is_new);

    CConfigTable table;
    EXPECT_EQ(table.table_handle, 1);
    EXPECT_EQ(table.table_number, 0);
    EXPECT_FALSE(table.loaded);

    CGlobalOptions options;
    EXPECT_EQ(options.security_use, SecurityUse::out);
    EXPECT_EQ(options.security_type, SecurityType::private_);

    CConfigLimits limits;
    EXPECT_FALSE(limits.where_required);
    EXPECT_TRUE(limits.linear_selects);
    EXPECT_TRUE(limits.linear_joins);
    EXPECT_EQ(limits.row_limit_kind, 0);

    CPcApplication app;
    EXPECT_TRUE(app.changed);
    EXPECT_TRUE(app.is_new);
    EXPECT_EQ(app.limits, CConfigLimits{});

    CJoinField join_field;
    EXPECT_EQ(join_field.kind, JoinFieldKind::none);
}

TEST(ConfigTable, TableOptionKeepsAllFiveDigits) {
    CConfigTable table;
    table.table_option = 99999;
    EXPECT_EQ(table.table_option, 99999);
}

TEST(ConfigTable, FieldNamesMatchRegardlessOfCase) {
    CConfigTable table;
    CConfigField* first = table.fields.emplace_back(std::make_unique<CConfigField>()).get();
    first->name.assign("Cust_Name");
    CConfigField* second = table.fields.emplace_back(std::make_unique<CConfigField>()).get();
    second->name.assign("cust_no");
    EXPECT_EQ(table.find_field("CUST_NAME"), first);
    EXPECT_EQ(table.find_field("Cust_No"), second);
    EXPECT_EQ(table.find_field("cust_name", first), nullptr);  // a field does not clash with itself
    EXPECT_EQ(table.find_field("CUST"), nullptr);
}

TEST(ConfigTable, UnloadingDropsTheLoadedDetails) {
    CConfigTable table;
    table.name.assign("ORDERS");
    table.loaded = table.fields_loaded = table.sets_loaded = true;
    table.fields.push_back(std::make_unique<CConfigField>());
    table.cut_fields.push_back(std::make_unique<CConfigField>());
    table.sets.push_back(std::make_unique<CTableSet>());
    table.members.push_back(std::make_unique<CJoinMember>());
    table.clear_loaded_details();
    EXPECT_TRUE(table.fields.empty());
    EXPECT_TRUE(table.cut_fields.empty());
    EXPECT_TRUE(table.sets.empty());
    EXPECT_TRUE(table.members.empty());
    EXPECT_FALSE(table.loaded || table.fields_loaded || table.sets_loaded);
    EXPECT_EQ(table.name, "ORDERS");
}

std::unique_ptr<CJoinField> join_field(const char* field, std::int32_t kind) {
    auto jf = std::make_unique<CJoinField>();
    jf->field.assign(field);
    jf->kind = kind;
    return jf;
}

TEST(JoinMember, AFieldOfKindNoneEndsTheConditions) {
    CJoinMember member;
    EXPECT_EQ(member.condition_count(), 0u);
    member.join_fields.push_back(join_field("A", JoinFieldKind::field));
    member.join_fields.push_back(join_field("B", JoinFieldKind::none));
    member.join_fields.push_back(join_field("C", JoinFieldKind::literal));
    EXPECT_EQ(member.condition_count(), 1u);
    member.join_fields[1]->kind = JoinFieldKind::expression;
    EXPECT_EQ(member.condition_count(), 3u);
}

TEST(JoinMember, CopiesOwnTheirJoinFields) {
    CJoinMember member;
    member.sub_table.assign("ORDERS");
    member.join_kind = 1;
    member.join_fields.push_back(join_field("CUST_NO", JoinFieldKind::field));
    CJoinMember copy(member);
    member.join_fields[0]->field.assign("OTHER");
    ASSERT_EQ(copy.join_fields.size(), 1u);
    EXPECT_EQ(copy.join_fields[0]->field, "CUST_NO");
    EXPECT_EQ(copy.sub_table, "ORDERS");
    EXPECT_EQ(copy.join_kind, 1);

    CJoinMember assigned;
    assigned = copy;
    copy.join_fields.clear();
    ASSERT_EQ(assigned.join_fields.size(), 1u);
    assigned = assigned;
    EXPECT_EQ(assigned.join_fields.size(), 1u);
}

TEST(ConfigFile, TablesKeepTheirOrderAndAreFoundByName) {
    CConfigFile file;
    for (const char* name : {"ZETA", "ALPHA", "MID"}) {
        file.tables.push_back(std::make_unique<CConfigTable>());
        file.tables.back()->name.assign(name);
    }
    EXPECT_EQ(file.tables[0]->name, "ZETA");
    EXPECT_EQ(file.tables[2]->name, "MID");
    EXPECT_EQ(file.find_table("ALPHA"), file.tables[1].get());
    EXPECT_EQ(file.find_table("alpha"), nullptr);
}

TEST(DescCatalogue, AnyNonZeroTypeIsASet) {
    CDescDatasetEntry entry;
    EXPECT_FALSE(entry.is_set());
    entry.dataset_type = 7;
    EXPECT_TRUE(entry.is_set());
}

}  // namespace
}  // namespace kestra::model
