// Edit Join without its window: the check that repairs stored joins, member and join-field edits, the popups, the
// OK rule, and what the controller sends after the window closes.
#include "workspace/join_edit_model.h"

#include <gtest/gtest.h>

#include <set>

#include "configsvc/table_field_names.h"
#include "support/fake_provider.h"
#include "support/fake_session.h"
#include "support/recording_ui_hooks.h"
#include "workspace/admin_doc.h"
#include "workspace/join_controller.h"

namespace ws = kestra::workspace;
namespace model = kestra::model;
using kestra::testing::fake_provider;
using model::CConfigTable;
using model::CJoinField;
using model::CJoinMember;
using model::JoinFieldKind;
using ws::CJoinEditModel;
using ws::JoinMenuItem;

namespace {

constexpr int kNumber = 9;  // data type codes: 9 numeric, 4 string
constexpr int kText = 4;

void add_field(CConfigTable& t, int number, const std::string& name, int type) {
    auto f = std::make_unique<model::CConfigField>();
    f->tblfieldnum = number;
    f->name.assign(name);
    f->data_type_code = type;
    t.fields.push_back(std::move(f));
}

void add_set(CConfigTable& t, const std::string& name, std::vector<int> keys) {
    auto s = std::make_unique<model::CTableSet>();
    s->set_name.assign(name);
    for (int k : keys) s->keys.push_back({k, 0, 1});
    t.sets.push_back(std::move(s));
}

std::unique_ptr<CJoinField> jf(const std::string& field, int kind = JoinFieldKind::none, int member = 0,
                               const std::string& value = {}) {
    auto f = std::make_unique<CJoinField>();
    f->field.assign(field);
    f->kind = kind;
    f->member_number = member;
    f->value.assign(value);
    return f;
}

// Tables: CUST (CUST-ID, NAME), ORD (ORD-NO, ORD-CUST, ORD-STATUS), ITEM (IT-ORD, IT-CUST, IT-QTY, IT-CODE),
// DUP (NAME, numeric), and the join J.
class JoinModel : public ::testing::Test {
  protected:
    void SetUp() override {
        CConfigTable& cust = table("CUST", 1);
        add_field(cust, 1, "CUST-ID", kNumber);
        add_field(cust, 2, "NAME", kText);
        add_set(cust, "BY-ID", {1});
        add_set(cust, "BY-NAME", {2, 1});
        CConfigTable& ord = table("ORD", 2);
        add_field(ord, 1, "ORD-NO", kNumber);
        add_field(ord, 2, "ORD-CUST", kNumber);
        add_field(ord, 3, "ORD-STATUS", kText);
        add_set(ord, "BY-CUST", {2});
        add_set(ord, "BY-CUST-STATUS", {2, 3, 1});
        CConfigTable& item = table("ITEM", 3);
        add_field(item, 1, "IT-ORD", kNumber);
        add_field(item, 2, "IT-CUST", kNumber);
        add_field(item, 3, "IT-QTY", kNumber);
        add_field(item, 4, "IT-CODE", kText);
        add_set(item, "IT-KEY", {1, 2, 4});
        add_set(item, "LONG", {1, 2, 3, 4});
        add_set(item, "BROKEN", {1, 77});
        CConfigTable& dup = table("DUP", 4);
        add_field(dup, 1, "NAME", kNumber);
        CConfigTable& j = table("J", 5);
        j.join_table = true;
    }

    CConfigTable& table(const std::string& name, int number) {
        auto t = std::make_unique<CConfigTable>();
        t->name.assign(name);
        t->table_number = number;
        file.tables.push_back(std::move(t));
        return *file.tables.back();
    }

    CJoinMember& member(const std::string& table_name, const std::string& set, int kind = 0) {
        auto m = std::make_unique<CJoinMember>();
        m->sub_table.assign(table_name);
        m->set.assign(set);
        m->join_kind = kind;
        join.members.push_back(std::move(m));
        return *join.members.back();
    }

    // CUST (BY-ID), ORD (BY-CUST) joined to CUST-ID, ITEM (IT-KEY) joined to ORD-NO, ORD-CUST and a constant.
    void three_members() {
        member("CUST", "BY-ID");
        member("ORD", "BY-CUST", 1).join_fields.push_back(jf("ORD-CUST", JoinFieldKind::field, 1, "CUST-ID"));
        CJoinMember& item = member("ITEM", "IT-KEY");
        item.join_fields.push_back(jf("IT-ORD", JoinFieldKind::field, 2, "ORD-NO"));
        item.join_fields.push_back(jf("IT-CUST", JoinFieldKind::field, 2, "ORD-CUST"));
        item.join_fields.push_back(jf("IT-CODE", JoinFieldKind::literal, 0, "'A'"));
    }

    CJoinEditModel make() {
        return CJoinEditModel(file, join, [this](CConfigTable& t) {
            loads.push_back(t.name.str());
            return t.name.str() != fail_load;
        });
    }

    std::vector<std::string> texts(const CJoinEditModel& m) const {
        std::vector<std::string> out;
        for (std::size_t k = 0; k < m.member_count(); ++k) {
            out.push_back(m.member_text(k));
            for (std::size_t i = 0; i < m.join_field_count(k); ++i) out.push_back("  " + m.join_field_text(k, i));
        }
        return out;
    }

    kestra::testing::RecordingUiHooks hooks;
    model::CConfigFile file;
    CConfigTable join;
    std::vector<std::string> loads;
    std::string fail_load;
};

const JoinMenuItem* find_item(const std::vector<JoinMenuItem>& menu, const std::string& text) {
    for (const JoinMenuItem& item : menu) {
        if (item.text == text) return &item;
        if (const JoinMenuItem* inner = find_item(item.items, text)) return inner;
    }
    return nullptr;
}

std::vector<std::string> captions(const std::vector<JoinMenuItem>& menu) {
    std::vector<std::string> out;
    for (const JoinMenuItem& item : menu) out.push_back(item.kind == JoinMenuItem::Kind::separator ? "-" : item.text);
    return out;
}

}  // namespace

TEST_F(JoinModel, AConsistentJoinOpensAsStoredWithItsTexts) {
    three_members();
    join.members[2]->where_condition.assign("IT-QTY > 0");
    CJoinEditModel m = make();
    EXPECT_EQ(m.open(), CJoinEditModel::OpenResult::opened);
    EXPECT_FALSE(m.changed());
    EXPECT_EQ(loads, (std::vector<std::string>{"CUST", "ORD", "ITEM"}));
    EXPECT_EQ(texts(m),
              (std::vector<std::string>{"CUST (BY-ID)", "  CUST-ID", "ORD (BY-CUST, OUTER)",
                                        "  ORD-CUST = CUST.CUST-ID", "ITEM (IT-KEY, INNER, WHERE IT-QTY > 0)",
                                        "  IT-ORD = ORD.ORD-NO", "  IT-CUST = ORD.ORD-CUST", "  IT-CODE = 'A'"}));
}

TEST_F(JoinModel, AMissingSetKeepsTheFirstMemberButRemovesALaterOne) {
    member("CUST", "GONE").join_fields.push_back(jf("CUST-ID", JoinFieldKind::literal, 0, "5"));
    member("ORD", "GONE-TOO");
    member("ITEM", "IT-KEY").join_fields.push_back(jf("IT-CUST", JoinFieldKind::field, 1, "CUST-ID"));
    CJoinEditModel m = make();
    EXPECT_EQ(m.open(), CJoinEditModel::OpenResult::repaired);
    EXPECT_TRUE(m.changed());
    ASSERT_EQ(m.member_count(), 2u);
    // The first member's stored join field stays as it was, but cannot be rebound without its set.
    EXPECT_EQ(m.join_field_text(0, 0), "CUST-ID = 5");
    EXPECT_EQ(m.join_field_menu(0, 0).size(), 2u);
    EXPECT_FALSE(find_item(m.join_field_menu(0, 0), "Join Expression...")->enabled);
    EXPECT_EQ(find_item(m.join_field_menu(0, 0), "Join Field"), nullptr);
    // ITEM's first key is IT-ORD, not the stored IT-CUST: reset, and the rest of the key appended.
    EXPECT_EQ(texts(m)[2], "ITEM (IT-KEY, INNER)");
    EXPECT_EQ(texts(m)[3], "  IT-ORD");
    EXPECT_EQ(m.join_field_count(1), 3u);
}

TEST_F(JoinModel, ASetWithAKeyOutsideTheFieldListCountsAsMissing) {
    member("CUST", "BY-ID");
    member("ITEM", "BROKEN");
    CJoinEditModel m = make();
    EXPECT_EQ(m.open(), CJoinEditModel::OpenResult::repaired);
    EXPECT_EQ(m.member_count(), 1u);
}

TEST_F(JoinModel, ALaterMemberOnTheDefaultSetSurvivesReopeningWithoutJoinFields) {
    member("CUST", "BY-ID");
    member("ORD", "");
    CJoinEditModel first = make();
    EXPECT_EQ(first.open(), CJoinEditModel::OpenResult::opened);
    EXPECT_EQ(first.member_text(1), "ORD (DEFAULT, INNER)");
    CJoinEditModel again = make();
    EXPECT_EQ(again.open(), CJoinEditModel::OpenResult::opened);
    EXPECT_EQ(again.member_count(), 2u);
    std::size_t bad = 0;
    EXPECT_EQ(again.save("NEWJ", bad), nullptr);

    // Join fields under the default set are dropped.
    join.members[1]->join_fields.push_back(jf("ORD-CUST", JoinFieldKind::literal, 0, "1"));
    CJoinEditModel third = make();
    EXPECT_EQ(third.open(), CJoinEditModel::OpenResult::repaired);
    EXPECT_EQ(third.join_field_count(1), 0u);
}

TEST_F(JoinModel, ReferencesOutsideTheEarlierMembersOrToMissingFieldsBecomeBareKeys) {
    member("CUST", "BY-ID");
    member("ORD", "BY-CUST").join_fields.push_back(jf("ORD-CUST", JoinFieldKind::field, 0, "CUST-ID"));
    member("ITEM", "IT-KEY").join_fields.push_back(jf("IT-ORD", JoinFieldKind::field, 3, "IT-QTY"));
    join.members[2]->join_fields.push_back(jf("IT-CUST", JoinFieldKind::field, 9, "CUST-ID"));
    join.members[2]->join_fields.push_back(jf("IT-CODE", JoinFieldKind::field, 1, "CUST-ID"));  // type differs
    CJoinEditModel m = make();
    EXPECT_EQ(m.open(), CJoinEditModel::OpenResult::repaired);
    EXPECT_EQ(m.join_field_text(1, 0), "ORD-CUST");
    for (std::size_t i = 0; i < 3; ++i) EXPECT_EQ(join.members[2]->join_fields[i]->kind, JoinFieldKind::none) << i;
}

TEST_F(JoinModel, AMemberWhoseTableIsGoneOrCannotLoadIsHandledApart) {
    member("CUST", "BY-ID");
    member("NOWHERE", "");
    member("ORD", "BY-CUST").join_fields.push_back(jf("ORD-CUST", JoinFieldKind::field, 1, "CUST-ID"));
    {
        CJoinEditModel m = make();
        fail_load = "ORD";
        // A load failure opens nothing and repairs nothing.
        EXPECT_EQ(m.open(), CJoinEditModel::OpenResult::failed);
    }
    fail_load.clear();
    CJoinEditModel m = make();
    EXPECT_EQ(m.open(), CJoinEditModel::OpenResult::repaired);
    ASSERT_EQ(m.member_count(), 2u);
    EXPECT_EQ(m.join_field_text(1, 0), "ORD-CUST = CUST.CUST-ID");
}

TEST_F(JoinModel, RemovingTheOnlyMemberAJoinFieldNamedLeavesABareKey) {
    three_members();
    CJoinEditModel m = make();
    m.open();
    EXPECT_TRUE(m.removal_loses_joins(1));
    EXPECT_FALSE(m.removal_loses_joins(2));
    hooks.answers.push_back(kestra::app::MessageResult::No);
    EXPECT_FALSE(m.delete_member(1));
    EXPECT_EQ(hooks.boxes.back(), ws::kJoinAskDelete);
    EXPECT_EQ(m.member_count(), 3u);
    EXPECT_TRUE(m.delete_member(1));
    EXPECT_EQ(texts(m), (std::vector<std::string>{"CUST (BY-ID)", "  CUST-ID", "ITEM (IT-KEY, INNER)", "  IT-ORD",
                                                  "  IT-CUST", "  IT-CODE = 'A'"}));
    // ORD is free again, in file order.
    std::vector<std::string> names;
    for (auto* t : m.available_tables()) names.push_back(t->name.str());
    EXPECT_EQ(names, (std::vector<std::string>{"ORD", "DUP"}));
}

TEST_F(JoinModel, ReferencesAfterARemovedMemberMoveDown) {
    member("CUST", "BY-ID");
    member("DUP", "");
    member("ORD", "BY-CUST").join_fields.push_back(jf("ORD-CUST", JoinFieldKind::field, 1, "CUST-ID"));
    member("ITEM", "IT-KEY").join_fields.push_back(jf("IT-ORD", JoinFieldKind::field, 3, "ORD-NO"));
    CJoinEditModel m = make();
    // DUP's NAME clashes with CUST's: removed by the check, and ITEM's reference follows ORD down.
    EXPECT_EQ(m.open(), CJoinEditModel::OpenResult::repaired);
    ASSERT_EQ(m.member_count(), 3u);
    EXPECT_EQ(join.members[2]->join_fields[0]->member_number, 2);
    EXPECT_EQ(m.join_field_text(2, 0), "IT-ORD = ORD.ORD-NO");
}

TEST_F(JoinModel, AddingRefusesConflictingNamesWhateverTheirTypeAndTooManyFields) {
    member("CUST", "BY-ID");
    CJoinEditModel m = make();
    m.open();
    EXPECT_FALSE(m.add_table(*file.tables[3]));  // DUP.NAME is numeric, CUST.NAME text
    EXPECT_EQ(hooks.boxes.back(), ws::kJoinConflictingNames);
    EXPECT_FALSE(m.changed());

    CConfigTable& wide = table("WIDE", 6);
    for (int i = 1; i <= 8190; ++i) add_field(wide, i, "W" + std::to_string(i), kNumber);
    EXPECT_TRUE(m.add_table(wide));  // 2 + 8190 = 8192
    EXPECT_FALSE(m.add_table(*file.tables[1]));
    EXPECT_EQ(hooks.boxes.back(), ws::kJoinTooManyFields);
    EXPECT_EQ(m.member_text(1), "WIDE (DEFAULT, INNER)");
    EXPECT_TRUE(m.changed());
}

TEST_F(JoinModel, KeysMustBeBoundAsAPrefix) {
    member("CUST", "BY-ID");
    CJoinMember& ord = member("ORD", "BY-CUST-STATUS");
    ord.join_fields.push_back(jf("ORD-CUST", JoinFieldKind::field, 1, "CUST-ID"));
    ord.join_fields.push_back(jf("ORD-STATUS", JoinFieldKind::literal, 0, "'O'"));
    ord.join_fields.push_back(jf("ORD-NO", JoinFieldKind::expression, 0, "1 + 1"));
    CJoinEditModel m = make();
    EXPECT_EQ(m.open(), CJoinEditModel::OpenResult::opened);
    std::size_t bad = 99;
    EXPECT_EQ(m.save("NEWJ", bad), nullptr);

    m.unbind(1, 1);
    EXPECT_STREQ(m.save("NEWJ", bad), ws::kJoinFragmented);
    EXPECT_EQ(bad, 1u);
    m.unbind(1, 2);
    EXPECT_EQ(m.save("NEWJ", bad), nullptr);
}

TEST_F(JoinModel, TheNameIsComparedWithOtherTablesOnly) {
    member("CUST", "BY-ID");
    CJoinEditModel m(
        file, join, [](CConfigTable&) { return true; }, file.tables[4].get());
    join.table_number = 5;
    m.open();
    std::size_t bad = 0;
    EXPECT_EQ(m.save("  j  ", bad), nullptr);  // the join itself, in other letter case
    EXPECT_EQ(join.name.str(), "j");
    EXPECT_STREQ(m.save("cust", bad), kestra::configsvc::kJoinNameDuplicate);
    EXPECT_STREQ(m.save("   ", bad), kestra::configsvc::kJoinNameInvalid);
    EXPECT_EQ(join.name.str(), "j");
}

TEST_F(JoinModel, MovingTheSecondMemberToTheTopAsksWhenTheThirdJoinsIt) {
    three_members();
    CJoinEditModel m = make();
    m.open();
    // ORD's own join to CUST goes; ITEM's joins to ORD stay, ORD still coming before ITEM.
    EXPECT_EQ(m.move_losses(1, 0), 1u);
    hooks.answers.push_back(kestra::app::MessageResult::No);
    EXPECT_FALSE(m.move_member(1, 0));
    EXPECT_EQ(hooks.boxes.back(), ws::kJoinAskMove);
    EXPECT_EQ(m.member_text(0), "CUST (BY-ID)");
    EXPECT_TRUE(m.move_member(1, 0));
    EXPECT_EQ(texts(m), (std::vector<std::string>{"ORD (BY-CUST)", "  ORD-CUST", "CUST (BY-ID, INNER)", "  CUST-ID",
                                                  "ITEM (IT-KEY, INNER)", "  IT-ORD = ORD.ORD-NO",
                                                  "  IT-CUST = ORD.ORD-CUST", "  IT-CODE = 'A'"}));
    EXPECT_EQ(join.members[2]->join_fields[0]->member_number, 1);
    EXPECT_TRUE(m.changed());
}

TEST_F(JoinModel, AMoveThatKeepsEveryJoinDoesNotAsk) {
    member("CUST", "BY-ID");
    member("ORD", "BY-CUST").join_fields.push_back(jf("ORD-CUST", JoinFieldKind::field, 1, "CUST-ID"));
    member("ITEM", "IT-KEY").join_fields.push_back(jf("IT-ORD", JoinFieldKind::field, 1, "CUST-ID"));
    CJoinEditModel m = make();
    m.open();
    EXPECT_EQ(m.move_losses(2, 1), 0u);
    EXPECT_TRUE(m.move_member(2, 1));
    EXPECT_TRUE(hooks.boxes.empty());
    EXPECT_EQ(m.join_field_text(1, 0), "IT-ORD = CUST.CUST-ID");
    EXPECT_EQ(m.join_field_text(2, 0), "ORD-CUST = CUST.CUST-ID");
    EXPECT_FALSE(m.can_move_up(0));
    EXPECT_TRUE(m.can_move_up(2));
    EXPECT_FALSE(m.can_move_down(2));
}

TEST_F(JoinModel, ChangingTheSetAsksWhenBoundJoinFieldsGo) {
    member("CUST", "BY-ID");
    CJoinMember& ord = member("ORD", "BY-CUST-STATUS");
    ord.join_fields.push_back(jf("ORD-CUST", JoinFieldKind::field, 1, "CUST-ID"));
    ord.join_fields.push_back(jf("ORD-STATUS", JoinFieldKind::literal, 0, "'O'"));
    ord.join_fields.push_back(jf("ORD-NO", JoinFieldKind::expression, 0, "CUST-ID + 1"));
    CJoinEditModel m = make();
    m.open();
    hooks.answers.push_back(kestra::app::MessageResult::No);
    EXPECT_EQ(m.member_command(1, ws::join_cmd::kFirstSet), ws::JoinAction::none);
    EXPECT_EQ(hooks.boxes.back(), ws::kJoinAskSetChange);
    EXPECT_EQ(m.member_text(1), "ORD (BY-CUST-STATUS, INNER)");
    // The field join goes; so do joins of keys the new set lacks.
    EXPECT_EQ(m.member_command(1, ws::join_cmd::kFirstSet), ws::JoinAction::changed);
    EXPECT_EQ(texts(m).size(), 4u);
    EXPECT_EQ(texts(m)[3], "  ORD-CUST");
    // Nothing bound: no question.
    const std::size_t asked = hooks.boxes.size();
    EXPECT_EQ(m.member_command(1, ws::join_cmd::kFirstSet + 1), ws::JoinAction::changed);
    EXPECT_EQ(hooks.boxes.size(), asked);
    EXPECT_EQ(texts(m)[4], "  ORD-STATUS");
    // The first member alone has DEFAULT.
    EXPECT_EQ(m.member_command(1, ws::join_cmd::kDefaultSet), ws::JoinAction::none);
    EXPECT_EQ(m.member_command(0, ws::join_cmd::kDefaultSet), ws::JoinAction::changed);
    EXPECT_EQ(m.member_text(0), "CUST (DEFAULT)");
    EXPECT_EQ(m.join_field_count(0), 0u);
}

TEST_F(JoinModel, ExpressionsAndConstantsSurviveASetChange) {
    member("CUST", "BY-ID");
    CJoinMember& item = member("ITEM", "IT-KEY");
    item.join_fields.push_back(jf("IT-ORD", JoinFieldKind::expression, 0, "CUST-ID * 2"));
    item.join_fields.push_back(jf("IT-CUST", JoinFieldKind::field, 1, "CUST-ID"));
    item.join_fields.push_back(jf("IT-CODE", JoinFieldKind::literal, 0, "'Z'"));
    CJoinEditModel m = make();
    m.open();
    EXPECT_EQ(m.member_command(1, ws::join_cmd::kFirstSet + 1), ws::JoinAction::changed);  // LONG
    EXPECT_EQ(texts(m),
              (std::vector<std::string>{"CUST (BY-ID)", "  CUST-ID", "ITEM (LONG, INNER)", "  IT-ORD = CUST-ID * 2",
                                        "  IT-CUST", "  IT-QTY", "  IT-CODE = 'Z'"}));
}

TEST_F(JoinModel, MemberPopupsFollowTheMemberAndItsTable) {
    member("CUST", "");
    member("ITEM", "LONG");
    CJoinEditModel m = make();
    m.open();
    const auto first = m.member_menu(0);
    EXPECT_EQ(captions(first), (std::vector<std::string>{"Active Set", "-", "Where Condition...", "Delete Table"}));
    ASSERT_EQ(first[0].items.size(), 3u);
    EXPECT_EQ(first[0].items[0].id, ws::join_cmd::kDefaultSet);
    EXPECT_TRUE(first[0].items[0].checked);
    EXPECT_EQ(first[0].items[1].text, "BY-ID (CUST-ID)");
    EXPECT_EQ(first[0].items[2].text, "BY-NAME (NAME, CUST-ID)");
    EXPECT_FALSE(first[0].items[2].checked);

    const auto later = m.member_menu(1);
    EXPECT_EQ(captions(later), (std::vector<std::string>{"Active Set", "-", "Inner Join", "Outer Join", "-",
                                                         "Where Condition...", "Delete Table"}));
    ASSERT_EQ(later[0].items.size(), 3u);
    EXPECT_EQ(later[0].items[0].id, ws::join_cmd::kFirstSet);
    EXPECT_EQ(later[0].items[1].text, "LONG (IT-ORD, IT-CUST, IT-QTY, ...)");
    EXPECT_TRUE(later[0].items[1].checked);
    EXPECT_FALSE(later[0].items[2].enabled);  // BROKEN names a field the table lacks
    EXPECT_TRUE(later[2].checked);
    EXPECT_EQ(m.member_command(1, ws::join_cmd::kOuter), ws::JoinAction::changed);
    EXPECT_TRUE(m.member_menu(1)[3].checked);
    EXPECT_EQ(m.member_command(1, ws::join_cmd::kWhere), ws::JoinAction::edit_where);
}

TEST_F(JoinModel, JoinFieldPopupsListMatchingFieldsOfEarlierMembers) {
    member("CUST", "BY-ID");
    member("ORD", "BY-CUST");
    member("ITEM", "IT-KEY");
    CJoinEditModel m = make();
    m.open();
    // IT-CODE is text: only CUST.NAME and ORD.ORD-STATUS match.
    auto menu = m.join_field_menu(2, 2);
    EXPECT_EQ(captions(menu), (std::vector<std::string>{"Join Field", "Join Expression..."}));
    ASSERT_EQ(menu[0].items.size(), 2u);
    EXPECT_EQ(menu[0].items[0].text, "CUST");
    EXPECT_EQ(menu[0].items[1].text, "ORD");
    EXPECT_EQ(menu[0].items[1].items[0].text, "ORD-STATUS");
    EXPECT_EQ(menu[0].items[1].items[0].id, ws::join_cmd::kFirstJoinField + 1);
    EXPECT_EQ(m.join_field_command(2, 2, ws::join_cmd::kFirstJoinField + 1), ws::JoinAction::changed);
    EXPECT_EQ(m.join_field_text(2, 2), "IT-CODE = ORD.ORD-STATUS");
    EXPECT_EQ(join.members[2]->join_fields[2]->member_number, 2);
    // Bound now: Delete Join appears and unbinds.
    menu = m.join_field_menu(2, 2);
    EXPECT_EQ(captions(menu).back(), "Delete Join");
    EXPECT_EQ(m.join_field_command(2, 2, ws::join_cmd::kDeleteJoin), ws::JoinAction::changed);
    EXPECT_EQ(m.join_field_text(2, 2), "IT-CODE");
    // The first member has nobody before it.
    EXPECT_EQ(captions(m.join_field_menu(0, 0)), (std::vector<std::string>{"Join Expression..."}));
    EXPECT_EQ(m.join_field_command(0, 0, ws::join_cmd::kExpression), ws::JoinAction::edit_expression);
}

TEST_F(JoinModel, TheRootPopupAddsAvailableTablesBelowSixteenMembers) {
    CJoinEditModel m = make();
    m.open();
    auto menu = m.root_menu();
    ASSERT_EQ(menu.size(), 1u);
    EXPECT_EQ(menu[0].text, "Add Table");
    ASSERT_EQ(menu[0].items.size(), 4u);  // the join itself is not offered
    EXPECT_EQ(menu[0].items[1].text, "ORD");
    EXPECT_EQ(menu[0].items[1].id, ws::join_cmd::kFirstAddTable + 1);
    EXPECT_EQ(m.root_command(ws::join_cmd::kFirstAddTable + 1), ws::JoinAction::changed);
    EXPECT_EQ(m.member_text(0), "ORD (DEFAULT)");
    EXPECT_EQ(m.root_menu()[0].items.size(), 3u);

    for (int i = 0; i < 15; ++i) {
        CConfigTable& t = table("T" + std::to_string(i), 10 + i);
        add_field(t, 1, "F" + std::to_string(i), kNumber);
        m.add_table(t);
    }
    EXPECT_EQ(m.member_count(), 16u);
    EXPECT_TRUE(m.root_menu().empty());
    EXPECT_EQ(m.root_command(ws::join_cmd::kFirstAddTable), ws::JoinAction::none);
    EXPECT_FALSE(m.available_tables().empty());
}

TEST_F(JoinModel, JoinValuesFromTheExpressionDialogAreClassified) {
    file.tables[0]->fields[0]->name.assign("CUSTID");  // the expression language reads '-' as minus
    member("CUST", "BY-ID");
    member("ORD", "BY-CUST-STATUS");
    CJoinEditModel m = make();
    m.open();
    struct Case {
        const char* text;
        int kind;
        int member;
        const char* shown;
    };
    for (const Case& c : {Case{"CUST.CUSTID", JoinFieldKind::field, 1, "ORD-CUST = CUST.CUSTID"},
                          Case{"custid", JoinFieldKind::field, 1, "ORD-CUST = CUST.CUSTID"},
                          Case{"42", JoinFieldKind::literal, 0, "ORD-CUST = 42"},
                          Case{"CUSTID + 1", JoinFieldKind::expression, 0, "ORD-CUST = CUSTID + 1"},
                          Case{"", JoinFieldKind::none, 0, "ORD-CUST"}}) {
        kestra::expr::CExpressionParser parser;
        std::vector<kestra::expr::MemberFieldRef> refs;
        ASSERT_TRUE(m.begin_join_value_edit(1, 0, parser, refs));
        // The dialog's OK: the typed text checked against the same field list.
        parser = kestra::expr::CExpressionParser(c.text, m.key_type(1, 0));
        refs.clear();
        kestra::expr::load_member_fields(file, join, 0, 1, parser, refs);
        if (*c.text != '\0') {
            ASSERT_EQ(parser.Parse(), 1) << c.text;
        }
        m.store_join_value(1, 0, parser, refs);
        EXPECT_EQ(join.members[1]->join_fields[0]->kind, c.kind) << c.text;
        EXPECT_EQ(join.members[1]->join_fields[0]->member_number, c.member) << c.text;
        EXPECT_EQ(m.join_field_text(1, 0), c.shown) << c.text;
    }
}

// --- The controller against a scripted host ---

namespace {

int code_of(std::string_view sent) {
    return std::stoi(std::string(sent.substr(7, 3)));
}

class JoinControllerTest : public kestra::testing::FakeSessionTest {
  protected:
    void SetUp() override {
        FakeSessionTest::SetUp();
        doc = std::make_unique<ws::CAdminDoc>(std::make_unique<kestra::hostlink::CHostSession>(std::move(session)));
        node = doc->root().add_child("*F ON P", 1);
        node->config.file_reference = 7;
        for (const char* name : {"CUST", "ORD"}) {
            auto t = std::make_unique<CConfigTable>();
            t->name.assign(name);
            t->table_number = static_cast<int>(node->config.tables.size()) + 1;
            // Loaded already, with fields and sets: the window loads nothing more.
            t->loaded = t->fields_loaded = t->sets_loaded = true;
            add_field(*t, 1, std::string(name) + "-ID", kNumber);
            add_set(*t, "K", {1});
            node->config.tables.push_back(std::move(t));
        }
        auto j = std::make_unique<CConfigTable>();
        j->name.assign("J");
        j->table_number = 3;
        j->join_table = true;
        j->loaded = true;  // its members are here, so no full load is needed
        j->table_handle = 12;
        auto m = std::make_unique<CJoinMember>();
        m->sub_table.assign("CUST");
        m->set.assign("K");
        j->members.push_back(std::move(m));
        node->config.tables.push_back(std::move(j));
        fake_provider().responder = [this](std::string_view sent) {
            const int code = code_of(sent);
            codes.push_back(code);
            std::string reply = refuse.count(code) ? "2000300171 TABLE IS LOCKED0000" : "0";
            if (reply == "0" && code == 52) reply += "0044";
            if (reply == "0" && code == 55) reply += "0031";
            return std::vector<std::string>{fake_provider().next_host_message(2, code, reply)};
        };
    }
    void TearDown() override {
        doc.reset();
        FakeSessionTest::TearDown();
    }
    model::CConfigFile& file() { return node->config; }

    kestra::testing::RecordingUiHooks hooks;
    std::unique_ptr<ws::CAdminDoc> doc;
    model::CServerNode* node = nullptr;
    std::vector<int> codes;
    std::set<int> refuse;
};

}  // namespace

TEST_F(JoinControllerTest, ANewJoinIsAddedThenGetsItsHandleMembersAndUnload) {
    ws::CJoinController controller(*doc, file());
    std::size_t index = 0;
    std::string title;
    ASSERT_TRUE(controller.new_join(
        [&](CJoinEditModel& m, const std::string& t) {
            title = t;
            EXPECT_TRUE(m.add_table(*file().tables[1]));
            std::size_t bad = 0;
            return m.save("NEWJ", bad) == nullptr;
        },
        index));
    EXPECT_EQ(title, "New Join");
    EXPECT_EQ(codes, (std::vector<int>{52, 55, 56, 24}));
    ASSERT_EQ(index, 3u);
    const CConfigTable& added = *file().tables[3];
    EXPECT_EQ(added.name.str(), "NEWJ");
    EXPECT_EQ(added.table_number, 44);
    EXPECT_TRUE(file().modified);
    // 56 and 24 name the handle 55 gave.
    EXPECT_EQ(fake_provider().transmitted[2].substr(14, 4), "0031");
    EXPECT_EQ(fake_provider().transmitted[3].substr(14, 4), "0031");
}

TEST_F(JoinControllerTest, ARefusedAddDiscardsTheNewJoinAndCancelSendsNothing) {
    ws::CJoinController controller(*doc, file());
    std::size_t index = 0;
    EXPECT_FALSE(controller.new_join([](CJoinEditModel&, const std::string&) { return false; }, index));
    EXPECT_TRUE(codes.empty());
    refuse = {52};
    EXPECT_FALSE(controller.new_join(
        [](CJoinEditModel& m, const std::string&) {
            std::size_t bad = 0;
            return m.save("NEWJ", bad) == nullptr;
        },
        index));
    EXPECT_EQ(codes, (std::vector<int>{52}));
    EXPECT_EQ(file().tables.size(), 3u);
    EXPECT_FALSE(hooks.boxes.empty());
}

TEST_F(JoinControllerTest, ARenameAloneSendsTheHeaderAndAMemberChangeAloneTheMembers) {
    ws::CJoinController controller(*doc, file());
    ASSERT_TRUE(controller.edit_join(2, [](CJoinEditModel& m, const std::string& t) {
        EXPECT_EQ(t, "Edit Join");
        std::size_t bad = 0;
        return m.save("RENAMED", bad) == nullptr;
    }));
    EXPECT_EQ(codes, (std::vector<int>{53, 24}));
    EXPECT_EQ(file().tables[2]->name.str(), "RENAMED");

    file().tables[2]->loaded = true;
    codes.clear();
    const CConfigTable* before = file().tables[2].get();
    ASSERT_TRUE(controller.edit_join(2, [&](CJoinEditModel& m, const std::string&) {
        EXPECT_TRUE(m.add_table(*file().tables[1]));
        std::size_t bad = 0;
        return m.save("RENAMED", bad) == nullptr;
    }));
    EXPECT_EQ(codes, (std::vector<int>{56, 24}));
    EXPECT_NE(file().tables[2].get(), before);  // the copy took the table's place
    EXPECT_EQ(file().tables[2]->name.str(), "RENAMED");
}

TEST_F(JoinControllerTest, AFailureKeepsThePreviousValues) {
    ws::CJoinController controller(*doc, file());
    refuse = {53, 56};
    CConfigTable* before = file().tables[2].get();
    ASSERT_TRUE(controller.edit_join(2, [&](CJoinEditModel& m, const std::string&) {
        EXPECT_TRUE(m.add_table(*file().tables[1]));
        std::size_t bad = 0;
        return m.save("OTHER", bad) == nullptr;
    }));
    EXPECT_EQ(codes, (std::vector<int>{53, 56, 24}));
    EXPECT_EQ(file().tables[2].get(), before);
    EXPECT_EQ(before->name.str(), "J");
    EXPECT_EQ(hooks.boxes.size(), 2u);
}
