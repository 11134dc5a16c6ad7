#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "expr/search_conditions.h"
#include "model/config_field.h"
#include "model/config_file.h"
#include "model/config_table.h"
#include "model/join_member.h"
#include "model/table_set.h"

namespace kestra::expr {
namespace {

using model::CConfigField;
using model::CConfigFile;
using model::CConfigTable;
using model::CJoinField;
using model::CJoinMember;

void AddField(CConfigTable& t, const char* name, int code, int date_kind, int number) {
    auto f = std::make_unique<CConfigField>();
    f->name.assign(name);
    f->data_type_code = code;
    f->date_kind = date_kind;
    f->tblfieldnum = number;
    t.fields.push_back(std::move(f));
}

// CUST(ID, NAME, BIRTH date), ORDERS(ID, CUST_ID, AMOUNT, over set BYCUST keyed on CUST_ID), join J of both.
class JoinFixture : public ::testing::Test {
protected:
    void SetUp() override {
        auto cust = std::make_unique<CConfigTable>();
        cust->name.assign("CUST");
        AddField(*cust, "ID", 9, 0, 1);
        AddField(*cust, "NAME", 4, 0, 2);
        AddField(*cust, "BIRTH", 4, 2, 3);
        auto orders = std::make_unique<CConfigTable>();
        orders->name.assign("ORDERS");
        AddField(*orders, "ID", 9, 0, 1);
        AddField(*orders, "CUST_ID", 9, 0, 2);
        AddField(*orders, "AMOUNT", 11, 0, 3);
        auto set = std::make_unique<model::CTableSet>();
        set->set_name.assign("BYCUST");
        set->keys.push_back(model::CSetKey{2, 0, 0});
        orders->sets.push_back(std::move(set));
        auto join = std::make_unique<CConfigTable>();
        join->name.assign("J");
        join->join_table = true;
        for (const char* sub : {"CUST", "ORDERS"}) {
            auto m = std::make_unique<CJoinMember>();
            m->sub_table.assign(sub);
            join->members.push_back(std::move(m));
        }
        auto jf = std::make_unique<CJoinField>();
        jf->field.assign("CUST_ID");
        join->members[1]->set.assign("BYCUST");
        join->members[1]->join_fields.push_back(std::move(jf));
        join_ = join.get();
        file_.tables.push_back(std::move(cust));
        file_.tables.push_back(std::move(orders));
        file_.tables.push_back(std::move(join));
    }

    CJoinField& JoinField() { return *join_->members[1]->join_fields[0]; }

    // Edits the join-field value of the second member with `text` and returns the stored field.
    CJoinField& EditValue(const std::string& text) {
        CExpressionParser parser;
        std::vector<MemberFieldRef> refs;
        EXPECT_TRUE(begin_join_value_edit(file_, *join_, 1, 0, parser, refs));
        parser.SetText(text);
        if (!text.empty()) {
            EXPECT_EQ(parser.Parse(), 1) << text << ": " << parser.GetErrorMessage();
        }
        EXPECT_TRUE(store_join_value(file_, *join_, 1, 0, parser, refs));
        return JoinField();
    }

    CConfigFile file_;
    CConfigTable* join_ = nullptr;
};

TEST(ExprFieldTypeMapping, DateKindFirstThenDataType) {
    EXPECT_EQ(ExprFieldType(2, 4), kTypeDate);  // a character field marked as date
    EXPECT_EQ(ExprFieldType(3, 9), kTypeTime);
    EXPECT_EQ(ExprFieldType(4, 4), kTypeTimestamp);
    EXPECT_EQ(ExprFieldType(0, 1), kTypeString);
    EXPECT_EQ(ExprFieldType(0, 4), kTypeString);
    EXPECT_EQ(ExprFieldType(0, 22), kTypeString);
    EXPECT_EQ(ExprFieldType(1, 2), kTypeNumeric);
    EXPECT_EQ(ExprFieldType(0, 21), kTypeNumeric);
    EXPECT_EQ(ExprFieldType(0, 23), kTypeNumeric);
    EXPECT_EQ(ExprFieldType(0, 35), kTypeNumeric);
    EXPECT_EQ(ExprFieldType(0, 0), kTypeNone);
    EXPECT_EQ(ExprFieldType(0, 36), kTypeNone);
}

TEST_F(JoinFixture, MemberWhereConditionKnowsMembersUpToItself) {
    CExpressionParser parser;
    std::vector<MemberFieldRef> refs;
    ASSERT_TRUE(begin_member_where_edit(file_, *join_, 1, parser, refs));
    EXPECT_TRUE(parser.IsSearchCondition());
    ASSERT_EQ(parser.GetFieldCount(), 12);
    EXPECT_EQ(parser.GetFieldName(0), "CUST.ID");
    EXPECT_EQ(parser.GetFieldName(1), "ID");
    EXPECT_EQ(parser.GetFieldType(5), kTypeDate);
    parser.SetText("orders.amount > 10 AND cust.name = 'X' AND BIRTH = '01-02-2003'");
    ASSERT_EQ(parser.Parse(), 1) << parser.GetErrorMessage();
    ASSERT_TRUE(store_member_where(file_, *join_, 1, parser));
    EXPECT_EQ(join_->members[1]->where_condition.str(),
              "ORDERS.AMOUNT > 10 AND CUST.NAME = 'X' AND BIRTH = '01-02-2003'");
    EXPECT_TRUE(file_.modified);
    EXPECT_FALSE(begin_member_where_edit(file_, *join_, 2, parser, refs));
}

TEST_F(JoinFixture, JoinValueKnowsOnlyEarlierMembers) {
    CExpressionParser parser;
    std::vector<MemberFieldRef> refs;
    ASSERT_TRUE(begin_join_value_edit(file_, *join_, 1, 0, parser, refs));
    EXPECT_EQ(parser.GetRequiredType(), kTypeNumeric);  // CUST_ID, key 0 of BYCUST
    EXPECT_EQ(parser.GetFieldCount(), 6);
    parser.SetText("AMOUNT");
    EXPECT_EQ(parser.Parse(), 0);
    EXPECT_EQ(parser.GetErrorCode(), kErrUndefinedField);
    EXPECT_FALSE(begin_join_value_edit(file_, *join_, 1, 1, parser, refs));
}

TEST_F(JoinFixture, ClassificationOfValues) {
    CJoinField& qualified = EditValue("cust.id");
    EXPECT_EQ(qualified.kind, model::JoinFieldKind::field);
    EXPECT_EQ(qualified.member_number, 1);
    EXPECT_EQ(qualified.value.str(), "ID");
    EXPECT_EQ(join_value_text(*join_, 1, qualified), "CUST.ID");

    CJoinField& bare = EditValue("id");
    EXPECT_EQ(bare.kind, model::JoinFieldKind::field);
    EXPECT_EQ(bare.member_number, 1);
    EXPECT_EQ(bare.value.str(), "ID");

    CJoinField& expression = EditValue("ID + 1");
    EXPECT_EQ(expression.kind, model::JoinFieldKind::expression);
    EXPECT_EQ(expression.value.str(), "ID + 1");
    EXPECT_EQ(expression.member_number, 0);

    CJoinField& negative = EditValue("-ID");
    EXPECT_EQ(negative.kind, model::JoinFieldKind::expression);

    CJoinField& literal = EditValue("-5");
    EXPECT_EQ(literal.kind, model::JoinFieldKind::literal);
    EXPECT_EQ(literal.value.str(), "-5");

    CJoinField& cleared = EditValue("");
    EXPECT_EQ(cleared.kind, model::JoinFieldKind::none);
    EXPECT_EQ(cleared.value.str(), "");
    EXPECT_EQ(join_value_text(*join_, 1, cleared), "");
}

TEST_F(JoinFixture, StringLiteralIsStoredRequoted) {
    CExpressionParser parser("'AB''C'", kTypeString);
    ASSERT_EQ(parser.Parse(), 1);
    CJoinField out;
    classify_join_value(parser, {}, out);
    EXPECT_EQ(out.kind, model::JoinFieldKind::literal);
    EXPECT_EQ(out.value.str(), "'AB''C'");
}

TEST_F(JoinFixture, FieldNamingNoMemberBecomesAnExpression) {
    CExpressionParser parser("X.Y", kTypeNumeric);
    parser.AddField("X.Y", kTypeNumeric);
    ASSERT_EQ(parser.Parse(), 1);
    CJoinField out;
    classify_join_value(parser, {MemberFieldRef{0, "Y"}}, out);
    EXPECT_EQ(out.kind, model::JoinFieldKind::expression);
    EXPECT_EQ(out.member_number, 0);
    EXPECT_EQ(out.value.str(), "X.Y");
}

TEST_F(JoinFixture, ReadersCheckTheMemberNumber) {
    CJoinField f;
    f.kind = model::JoinFieldKind::field;
    f.value.assign("ID");
    for (int bad : {0, 2, 3, -1}) {
        f.member_number = bad;
        EXPECT_EQ(join_value_member(*join_, 1, f), nullptr) << bad;
        EXPECT_EQ(join_value_text(*join_, 1, f), "ID") << bad;
    }
    f.member_number = 1;
    EXPECT_EQ(join_value_member(*join_, 1, f), join_->members[0].get());
}

TEST_F(JoinFixture, KeyTypeUnknownWhenSetOrFieldIsMissing) {
    EXPECT_EQ(join_key_type(file_, *join_, 1, 0), kTypeNumeric);
    EXPECT_EQ(join_key_type(file_, *join_, 1, 1), kTypeNone);
    join_->members[1]->set.assign("NOSUCH");
    EXPECT_EQ(join_key_type(file_, *join_, 1, 0), kTypeNone);
    EXPECT_EQ(join_key_type(file_, *join_, 5, 0), kTypeNone);
}

TEST(TableWhere, StoreRefusesWhatTheRecordCannotHold) {
    CConfigTable t;
    EXPECT_EQ(store_table_where(t, ""), WhereStoreResult::unchanged);
    EXPECT_EQ(store_table_where(t, "A = 1"), WhereStoreResult::stored);
    EXPECT_EQ(store_table_where(t, "A = 1"), WhereStoreResult::unchanged);
    EXPECT_EQ(store_table_where(t, std::string(255, 'X')), WhereStoreResult::stored);
    EXPECT_EQ(store_table_where(t, std::string(256, 'Y')), WhereStoreResult::too_long);
    EXPECT_EQ(t.where_condition.str(), std::string(255, 'X'));

    // A condition loaded longer is kept whole; storing it unchanged is no change.
    const std::string loaded(400, 'H');
    t.where_condition.assign(loaded);
    EXPECT_EQ(store_table_where(t, loaded), WhereStoreResult::unchanged);
    EXPECT_EQ(t.where_condition.str(), loaded);
}

}  // namespace
}  // namespace kestra::expr
