#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "model/field_edits.h"

namespace kestra::model {
namespace {

CConfigField& add(CConfigTable& table, const std::string& name, std::int32_t number, bool is_new) {
    auto f = std::make_unique<CConfigField>();
    f->name.assign(name);
    f->tblfieldnum = number;
    f->is_new = is_new;
    f->bModified = false;
    table.fields.push_back(std::move(f));
    return *table.fields.back();
}

TEST(FieldEdits, RenameAndVisibilityMarkOnlyRealChanges) {
    CConfigTable table;
    CConfigField& f = add(table, "CUST-NAME", 3, false);
    EXPECT_FALSE(rename_field(f, "CUST-NAME"));
    EXPECT_FALSE(f.name_changed);
    EXPECT_FALSE(f.bModified);
    EXPECT_TRUE(rename_field(f, "NAME"));
    EXPECT_EQ(f.name.str(), "NAME");
    EXPECT_TRUE(f.name_changed && f.bModified);

    CConfigField& g = add(table, "CITY", 4, false);
    EXPECT_FALSE(set_field_visible(g, true));
    EXPECT_FALSE(g.bVisibility);
    EXPECT_TRUE(set_field_visible(g, false));
    EXPECT_TRUE(g.bVisibility && g.bModified);
    // Shown again before a save: the flag still goes, carrying the value as it stands.
    EXPECT_TRUE(set_field_visible(g, true));
    EXPECT_TRUE(g.bVisibility && g.visible);
}

TEST(FieldEdits, CutKeepsNumberedFieldsForTheDeleteRequest) {
    CConfigTable table;
    CConfigField& numbered = add(table, "OLD-CALC", 7, false);
    CConfigField& fresh = add(table, "NEW-CALC", 0, true);
    CConfigField& numbered_new = add(table, "SAVED-ONCE", 9, true);  // numbered by an earlier add this session
    CConfigField stranger;

    EXPECT_FALSE(cut_field(table, stranger));
    EXPECT_TRUE(cut_field(table, fresh));
    EXPECT_TRUE(table.cut_fields.empty());  // never on the host: nothing to delete there
    EXPECT_TRUE(cut_field(table, numbered));
    EXPECT_TRUE(cut_field(table, numbered_new));
    ASSERT_EQ(table.cut_fields.size(), 2u);
    EXPECT_EQ(table.cut_fields[0]->tblfieldnum, 7);
    EXPECT_TRUE(table.cut_fields[0]->bDeleted);
    EXPECT_EQ(table.cut_fields[1]->tblfieldnum, 9);
    EXPECT_TRUE(table.fields.empty());
}

}  // namespace
}  // namespace kestra::model
