#include <gtest/gtest.h>

#include "app/admin_app.h"
#include "configsvc/field_requests.h"
#include "hostlink/host_session.h"
#include "hostlink/sqlstate.h"
#include "support/fake_provider.h"
#include "support/fake_session.h"

using namespace kestra::configsvc;
using kestra::hostlink::CHostSession;
using kestra::model::CConfigField;
using kestra::model::CConfigTable;
using kestra::model::FieldKind;
using kestra::testing::fake_provider;

namespace {

class FieldRequestTest : public kestra::testing::FakeSessionTest {
protected:
    void SetUp() override {
        FakeSessionTest::SetUp();
        table.table_handle = 5;
        table.loaded = true;
    }
    void answer_every_request_ok() {
        fake_provider().responder = [](std::string_view message) {
            const int code = std::stoi(std::string(message.substr(7, 3)));
            return std::vector<std::string>{fake_provider().next_host_message(2, code, "0")};
        };
    }
    std::string sent(std::size_t i) const { return fake_provider().transmitted.at(i).substr(14); }
    int sent_code(std::size_t i) const { return std::stoi(fake_provider().transmitted.at(i).substr(7, 3)); }
    std::size_t sent_count() const { return fake_provider().transmitted.size(); }
    std::uint16_t last_index() const {
        return session.diagnostics().empty() ? 0 : session.diagnostics().back().sqlstate_index;
    }
    static std::string prefixed(const char* text) { return std::string("[Brisel Software][Kestra ODBC Driver]") + text; }

    // A field as the host sent it.
    CConfigField& loaded_field(int number, const std::string& name, int kind = FieldKind::host) {
        auto f = std::make_unique<CConfigField>();
        f->tblfieldnum = number;
        f->name.assign(name);
        f->host_name.assign(name);
        f->field_kind = kind;
        f->mark_loaded();
        table.fields.push_back(std::move(f));
        return *table.fields.back();
    }
    CConfigField& new_field(const std::string& name, int kind) {
        auto f = std::make_unique<CConfigField>();
        f->name.assign(name);
        f->field_kind = kind;
        table.fields.push_back(std::move(f));
        return *table.fields.back();
    }
    void cut(CConfigField& field) {
        field.bModified = true;
        field.bDeleted = true;
        for (auto it = table.fields.begin(); it != table.fields.end(); ++it) {
            if (it->get() == &field) {
                table.cut_fields.push_back(std::move(*it));
                table.fields.erase(it);
                return;
            }
        }
    }

    CConfigClient client{session};
    CConfigTable table;
};

TEST_F(FieldRequestTest, FieldListReadsEveryKindAndNamesAnUnnamedFieldByItsHostName) {
    queue(25, "0" "0004"
              "0001" "007CUST-ID" "000" "0" "0" "0" "1" "04" "0000" "0010"
              "0002" "004PART" "005ALIAS" "2" "05" "1" "1" "09" "0004" "0006" "00" "0002" "1" "0" "007CUST-ID"
              "0003" "000" "004CALC" "0" "2" "23" "0008" "02" "009A + B * 2"
              "0004" "000" "004FLAG" "0" "2" "24" "007X = 'Y'");
    ASSERT_EQ(get_field_list(client, table), 0);
    EXPECT_EQ(sent(0), "0005");
    EXPECT_TRUE(table.fields_loaded);
    ASSERT_EQ(table.fields.size(), 4u);

    const CConfigField& host = *table.fields[0];
    EXPECT_EQ(host.name.str(), "CUST-ID");
    EXPECT_EQ(host.host_name.str(), "CUST-ID");
    EXPECT_FALSE(host.visible);
    EXPECT_TRUE(host.update_allowed);
    EXPECT_EQ(host.data_type_code, 4);
    EXPECT_EQ(host.length, 10);
    EXPECT_FALSE(host.bModified);
    EXPECT_FALSE(host.is_new);

    const CConfigField& user = *table.fields[1];
    EXPECT_EQ(user.name.str(), "ALIAS");
    EXPECT_EQ(user.date_kind, 2);
    EXPECT_EQ(user.date_format, 5);
    EXPECT_TRUE(user.visible);
    EXPECT_TRUE(user.update_allowed);
    EXPECT_EQ(user.offset, 4);
    EXPECT_EQ(user.length, 6);
    EXPECT_EQ(user.offset_value, 2);
    EXPECT_TRUE(user.offset_in_characters);
    EXPECT_FALSE(user.offset_from_start);
    EXPECT_EQ(user.base_field.str(), "CUST-ID");

    const CConfigField& calc = *table.fields[2];
    EXPECT_EQ(calc.length, 8);
    EXPECT_EQ(calc.decimals, 2);
    EXPECT_EQ(calc.expression.str(), "A + B * 2");
    EXPECT_EQ(table.fields[3]->expression.str(), "X = 'Y'");
    EXPECT_EQ(table.fields[3]->length, 0);

    // Loaded: nothing more is asked.
    ASSERT_EQ(get_field_list(client, table), 0);
    EXPECT_EQ(sent_count(), 1u);
}

// Names longer than a person may type exist on the host: they load whole, and a change that does not rename the
// field leaves them alone; a user-defined field's base field and a calculation are held whole too.
TEST_F(FieldRequestTest, LongHostNamesAliasesAndBaseFieldsLoadWhole) {
    const std::string host_name(35, 'H'), alias(41, 'A'), base(40, 'B'), expression(300, '1');
    queue(25, "0" "0003"
              "0001" "035" + host_name + "041" + alias + "0" "0" "1" "0" "04" "0000" "0010"
              "0002" "004PART" "000" "0" "1" "1" "04" "0004" "0006" "0002" "1" "0" "040" + base +
              "0003" "000" "004CALC" "0" "2" "23" "0008" "02" "300" + expression);
    ASSERT_EQ(get_field_list(client, table), 0) << last_text();
    ASSERT_EQ(table.fields.size(), 3u);
    EXPECT_EQ(table.fields[0]->host_name.str(), host_name);
    EXPECT_EQ(table.fields[0]->name.str(), alias);
    EXPECT_EQ(table.find_field(alias), table.fields[0].get());
    EXPECT_EQ(table.fields[1]->base_field.str(), base);
    EXPECT_EQ(table.fields[2]->expression.str(), expression);

    table.fields[0]->update_allowed = false;
    table.fields[0]->bModified = true;
    queue(26, "0");
    ASSERT_EQ(change_fields(client, table), 0);
    EXPECT_EQ(sent(1), "0005" "0001" "0001" "000" "0" "0");
}

TEST_F(FieldRequestTest, AReceiveErrorLeavesFieldsLoadedClearAndKeepsWhatWasRead) {
    queue(25, "0" "0003" "0001" "001A" "000" "0" "0" "1" "0" "04" "0000" "0010");
    queue(25, "0002" "001B" "000" "0" "0" "1" "0" "04" "0010" "99");  // cut short inside its length
    EXPECT_EQ(get_field_list(client, table), -1);
    EXPECT_FALSE(table.fields_loaded);
    ASSERT_EQ(table.fields.size(), 1u);
    EXPECT_EQ(table.fields[0]->name.str(), "A");
    EXPECT_EQ(last_text(), prefixed(kFieldListReceiveError));
}

TEST_F(FieldRequestTest, MarksSendTheByteValueNotADigit) {
    CConfigField& shown = loaded_field(3, "SHOWN");
    shown.bModified = shown.bVisibility = true;  // was hidden, now visible
    CConfigField& hidden = loaded_field(4, "HIDDEN");
    hidden.bModified = hidden.bVisibility = true;
    hidden.visible = false;
    loaded_field(6, "UNTOUCHED");
    queue(27, "0");
    ASSERT_EQ(mark_fields(client, table), 0);
    const std::string body = sent(0);
    EXPECT_EQ(body, std::string("0005" "0002" "0003") + '\0' + "0004" + '\x01');
    EXPECT_EQ(body.size(), 18u);
}

TEST_F(FieldRequestTest, DeletingACutFieldSendsOneAndEmptiesTheCutFields) {
    CConfigField& user = loaded_field(9, "MINE", FieldKind::user_defined);
    cut(user);
    queue(27, "0");
    ASSERT_EQ(delete_cut_fields(client, table), 0);
    EXPECT_EQ(sent(0), std::string("0005" "0001" "0009") + '\x01');
    EXPECT_TRUE(table.cut_fields.empty());

    // No cut fields: a body with count 0000 still goes.
    queue(27, "0");
    ASSERT_EQ(delete_cut_fields(client, table), 0);
    EXPECT_EQ(sent(1), "0005" "0000");
}

TEST_F(FieldRequestTest, CutFieldsStayWhenAnyMessageOfTheRequestFails) {
    for (int n = 1; n <= 40; ++n) cut(loaded_field(n, "F" + std::to_string(n), FieldKind::user_defined));
    int replies = 0;
    fake_provider().responder = [&](std::string_view) {
        const bool refuse = ++replies == 2;
        return std::vector<std::string>{
            fake_provider().next_host_message(2, 27, refuse ? "2" "0003" "0012" "1 NOT LOADED" "0000" : "0")};
    };
    EXPECT_EQ(delete_cut_fields(client, table), -1);
    EXPECT_EQ(sent_count(), 2u);  // 40 x 5 characters need two messages
    EXPECT_EQ(table.cut_fields.size(), 40u);
}

TEST_F(FieldRequestTest, ChangedFieldsCarryTheirNameOnlyWhenRenamed) {
    CConfigField& same = loaded_field(1, "KEEP");
    same.bModified = true;
    same.update_allowed = true;
    same.date_kind = 3;
    same.date_format = 2;
    CConfigField& renamed = loaded_field(2, "OLD");
    renamed.name.assign("New");
    renamed.bModified = renamed.name_changed = true;
    CConfigField& gone = loaded_field(3, "GONE");
    gone.bModified = gone.bDeleted = true;
    queue(26, "0");
    ASSERT_EQ(change_fields(client, table), 0);
    EXPECT_EQ(sent(0), "0005" "0002" "0001" "000" "3" "02" "1" "0002" "003New" "0" "0");
}

TEST_F(FieldRequestTest, CalculatedLengthPartsFollowTheirCode) {
    CConfigField& numeric = loaded_field(7, "NUM", FieldKind::calculated);
    numeric.bModified = true;
    numeric.data_type_code = 23;
    numeric.length = 9;
    numeric.decimals = 2;
    numeric.expression.assign("A+B");
    CConfigField& text = loaded_field(8, "TXT", FieldKind::calculated);
    text.bModified = true;
    text.data_type_code = 4;
    text.length = 12;
    text.decimals = 3;
    text.expression.assign("C");
    queue(26, "0");
    ASSERT_EQ(change_fields(client, table), 0);
    EXPECT_EQ(sent(0), "0005" "0002" "0007" "000" "0" "23" "0009" "02" "003A+B" "0008" "000" "0" "04" "0012" "001C");

    CConfigField& added = new_field("SUM", FieldKind::calculated);
    added.data_type_code = 23;
    added.length = 5;
    added.decimals = 1;
    added.expression.assign("X");
    CConfigField& offset = new_field("PART", FieldKind::user_defined);
    offset.data_type_code = 4;
    offset.offset = 12;
    offset.length = 3;
    offset.offset_value = 3;
    offset.offset_in_characters = true;
    offset.offset_from_start = true;
    offset.base_field.assign("CUST-ID");
    queue(28, "0" "0011" "0012");
    ASSERT_EQ(add_fields(client, table), 0);
    EXPECT_EQ(sent(1), "0005" "0002" "003SUM" "0" "2" "23" "0005" "01" "001X"
                       "004PART" "0" "1" "0" "04" "0012" "0003" "0003" "1" "1" "007CUST-ID" ".");
    EXPECT_EQ(added.tblfieldnum, 11);
    EXPECT_FALSE(added.is_new);
    EXPECT_EQ(offset.tblfieldnum, 12);
}

TEST_F(FieldRequestTest, AFieldStillNewNeverGoesWithTheChangesEvenWhenEditedAgain) {
    // Made, then renamed and formatted in the same dialog: it is all still one addition.
    CConfigField& made = new_field("TAX", FieldKind::calculated);
    made.name_changed = true;
    made.date_kind = 1;
    queue(26, "0");
    ASSERT_EQ(change_fields(client, table), 0);
    EXPECT_EQ(sent_count(), 0u);

    loaded_field(3, "A").bModified = true;
    ASSERT_EQ(change_fields(client, table), 0);
    ASSERT_EQ(sent_count(), 1u);
    EXPECT_EQ(sent(0), "0005" "0001" "0003" "000" "0" "0");
}

TEST_F(FieldRequestTest, NoChangesSendNothingAndNoAdditionsAreNothingToAdd) {
    loaded_field(1, "A");
    ASSERT_EQ(change_fields(client, table), 0);
    EXPECT_EQ(sent_count(), 0u);
    EXPECT_EQ(add_fields(client, table), -1);
    EXPECT_EQ(sent_count(), 0u);
    EXPECT_EQ(last_index(), kestra::hostlink::kSqlLinkFailure);
    EXPECT_EQ(last_text(), prefixed(kNothingToAdd));
}

TEST_F(FieldRequestTest, AnEntryThatCannotFitAnEmptyMessageSendsNothing) {
    new_field("SHORT", FieldKind::calculated).expression.assign("1");
    CConfigField& longer = new_field("LONG", FieldKind::calculated);
    longer.expression.assign(std::string(200, 'A'));  // a valid expression that no 186-character message holds
    EXPECT_EQ(add_fields(client, table), -1);
    EXPECT_EQ(sent_count(), 0u);
    EXPECT_EQ(last_index(), kestra::hostlink::kSqlGeneralFailure);
    EXPECT_EQ(last_text(), prefixed(kAddFieldsFailure));
    EXPECT_TRUE(longer.is_new);
    EXPECT_TRUE(table.fields[0]->is_new);

    longer.is_new = false;
    longer.tblfieldnum = 4;
    EXPECT_EQ(change_fields(client, table), -1);
    EXPECT_EQ(sent_count(), 0u);
    EXPECT_EQ(last_text(), prefixed(kChangeFieldsFailure));
}

TEST_F(FieldRequestTest, ChangesSplitByRoomAndStopAtTheFirstRefusal) {
    for (int n = 1; n <= 30; ++n) loaded_field(n, "F").bModified = true;  // 4 + 3 + 1 + 1 = 9 characters each
    int replies = 0;
    fake_provider().responder = [&](std::string_view) {
        ++replies;
        return std::vector<std::string>{fake_provider().next_host_message(2, 26, "0")};
    };
    ASSERT_EQ(change_fields(client, table), 0);
    ASSERT_EQ(sent_count(), 2u);
    EXPECT_EQ(sent(0).substr(4, 4), "0019");  // 19 x 9 = 171 of the 178 the room holds
    EXPECT_EQ(sent(0).size(), 8u + 19 * 9);
    EXPECT_EQ(sent(1).substr(4, 4), "0011");
    EXPECT_EQ(replies, 2);
}

TEST_F(FieldRequestTest, AdditionsSplitByRoomAndKeepTheNumbersOfEarlierMessages) {
    for (int i = 0; i < 12; ++i) new_field("CALC" + std::to_string(10 + i), FieldKind::calculated)
                                     .expression.assign(std::string(10, 'X'));  // 9+1+1+2+4+13 = 30 characters
    int replies = 0;
    fake_provider().responder = [&](std::string_view message) {
        const std::string body(message.substr(14));
        const int count = std::stoi(body.substr(4, 4));
        std::string reply = "0";
        for (int i = 0; i < count; ++i) reply += "00" + std::to_string(10 + replies * 10 + i);
        if (++replies == 2) reply = "2" "0003" "0010" "1 NO ROOM!" "0000";
        return std::vector<std::string>{fake_provider().next_host_message(2, 28, reply)};
    };
    EXPECT_EQ(add_fields(client, table), -1);
    ASSERT_EQ(sent_count(), 2u);
    EXPECT_EQ(sent(0).substr(4, 4), "0005");  // 5 x 30 = 150 of 176; a sixth does not fit
    EXPECT_EQ(sent(0).size(), 8u + 150 + 1);
    EXPECT_EQ(sent(0).back(), '.');
    EXPECT_EQ(table.fields[0]->tblfieldnum, 10);
    EXPECT_EQ(table.fields[4]->tblfieldnum, 14);
    EXPECT_FALSE(table.fields[4]->is_new);
    EXPECT_EQ(table.fields[5]->tblfieldnum, 0);
    EXPECT_TRUE(table.fields[5]->is_new);
}

TEST_F(FieldRequestTest, ATableSaveSendsOnlyWhatChangedInOrder) {
    loaded_field(1, "A").bModified = true;
    CConfigField& hide = loaded_field(2, "B");
    hide.bModified = hide.bVisibility = true;
    hide.visible = false;
    cut(loaded_field(3, "C", FieldKind::user_defined));
    new_field("D", FieldKind::calculated).expression.assign("1");
    // As the host does, a change naming a field it does not have is refused whole: numbers 1 and 2 are host
    // fields here, and their change entries are number, "000" (not renamed), date kind 0 and the update flag.
    fake_provider().responder = [](std::string_view message) {
        const int code = std::stoi(std::string(message.substr(7, 3)));
        std::string reply = code == 28 ? "00010" : "0";
        if (code == 26) {
            const std::string body(message.substr(14));
            const int count = std::stoi(body.substr(4, 4));
            for (int i = 0; i < count; ++i) {
                const std::string entry = body.substr(8 + 9 * static_cast<std::size_t>(i), 9);
                if (entry.size() < 9 || (entry.substr(0, 4) != "0001" && entry.substr(0, 4) != "0002")) {
                    reply = "2" "0003" "0028" "[Kestra]INVALID FIELD NUMBER" "0000";
                    break;
                }
            }
        }
        return std::vector<std::string>{fake_provider().next_host_message(2, code, reply)};
    };
    ASSERT_EQ(save_field_changes(client, table), 0) << last_text();
    ASSERT_EQ(sent_count(), 4u);
    EXPECT_EQ(sent_code(0), 26);
    EXPECT_EQ(sent_code(1), 27);
    EXPECT_EQ(sent_code(2), 27);
    EXPECT_EQ(sent_code(3), 28);
    // A and B only: D, not yet numbered, goes with the add request alone.
    EXPECT_EQ(sent(0).substr(4, 4), "0002");
    EXPECT_EQ(sent(0).size(), 8u + 2 * 9);

    // A clean table sends nothing at all.
    CConfigTable clean;
    clean.table_handle = 2;
    ASSERT_EQ(save_field_changes(client, clean), 0);
    EXPECT_EQ(sent_count(), 4u);
}

}  // namespace
