#include "workspace/user_defined_field_form.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "workspace/field_edit_form.h"

namespace kestra::workspace {
namespace {

using model::CConfigField;
using model::CConfigTable;
using model::DateKind;
using model::FieldKind;

CConfigField& add(CConfigTable& table, const std::string& name, std::int32_t kind, std::int32_t code,
                  std::int32_t offset, std::int32_t length) {
    auto f = std::make_unique<CConfigField>();
    f->name.assign(name);
    f->field_kind = kind;
    f->tblfieldnum = static_cast<std::int32_t>(table.fields.size()) + 1;
    f->data_type_code = code;
    f->offset = offset;
    f->length = length;
    f->mark_loaded();
    table.fields.push_back(std::move(f));
    return *table.fields.back();
}

std::string shown(const SizeControls& s) {
    std::string out;
    if (s.length) out += s.bit_length_label ? "BitLength " : "Length ";
    if (s.decimals) out += "Decimals ";
    if (s.signed_box) out += "Signed ";
    if (s.bit) out += "Bit ";
    return out;
}

TEST(UserDefinedField, SizeControlsFollowTheDataType) {
    UserDefinedFieldForm form;
    form.load_new();
    const std::pair<OffsetType, const char*> offset_rows[] = {{OffsetType::alpha, "Length "},
                                                              {OffsetType::packed, "Length Decimals Signed "},
                                                              {OffsetType::unpacked, "Length Decimals Signed "},
                                                              {OffsetType::real, "Length Decimals "},
                                                              {OffsetType::boolean, "Bit "},
                                                              {OffsetType::field, "BitLength "}};
    for (const auto& [type, expected] : offset_rows) {
        form.set_offset_type(type);
        EXPECT_EQ(shown(form.size_controls()), expected) << static_cast<int>(type);
    }
    form.calculated = true;
    const std::pair<CalcType, const char*> calc_rows[] = {
        {CalcType::string, "Length "}, {CalcType::numeric, "Length Decimals "}, {CalcType::boolean, ""}};
    for (const auto& [type, expected] : calc_rows) {
        form.set_calc_type(type);
        EXPECT_EQ(shown(form.size_controls()), expected) << static_cast<int>(type);
        // The Assistant checks for the kind of the button chosen now: String 1, Numeric 0, Boolean 2.
        EXPECT_EQ(form.assistant_kind(), type == CalcType::string ? 1 : type == CalcType::numeric ? 0 : 2);
    }
}

TEST(UserDefinedField, OpeningMapsCodesToEntryAndSigned) {
    const auto entry = [](int code) { return UserDefinedFieldForm::offset_type_for_code(code); };
    EXPECT_EQ(entry(2), OffsetType::boolean);
    EXPECT_EQ(entry(3), OffsetType::field);
    EXPECT_EQ(entry(4), OffsetType::alpha);
    for (int code = 5; code <= 14; ++code) EXPECT_EQ(entry(code), OffsetType::packed) << code;
    for (int code = 31; code <= 35; ++code) EXPECT_EQ(entry(code), OffsetType::packed) << code;
    for (int code = 15; code <= 17; ++code) EXPECT_EQ(entry(code), OffsetType::real) << code;
    for (int code : {18, 19, 20, 21, 25, 26, 27, 28, 29, 30}) EXPECT_EQ(entry(code), OffsetType::unpacked) << code;
    for (int code : {0, 1, 22, 23, 24, 36, 99}) EXPECT_EQ(entry(code), OffsetType::alpha) << code;

    std::string signed_codes;
    for (int code = 0; code <= 40; ++code)
        if (UserDefinedFieldForm::signed_for_code(code)) signed_codes += std::to_string(code) + " ";
    EXPECT_EQ(signed_codes, "5 6 7 11 12 18 20 27 28 30 31 32 33 34 35 ");
}

TEST(UserDefinedField, OkCodeTableEveryRow) {
    struct Row {
        OffsetType type;
        bool is_signed;
        int decimals;
        int short_code, mid_code, long_code;
    };
    const Row rows[] = {
        {OffsetType::alpha, true, 2, 4, 4, 4},        {OffsetType::packed, false, 0, 8, 9, 10},
        {OffsetType::packed, false, 1, 13, 13, 14},   {OffsetType::packed, true, 0, 5, 6, 7},
        {OffsetType::packed, true, 3, 11, 11, 12},    {OffsetType::unpacked, false, 0, 25, 19, 26},
        {OffsetType::unpacked, false, 1, 21, 21, 29}, {OffsetType::unpacked, true, 0, 27, 18, 28},
        {OffsetType::unpacked, true, 2, 20, 20, 30},  {OffsetType::real, true, 0, 15, 15, 15},
        {OffsetType::real, false, 4, 16, 16, 16},     {OffsetType::boolean, true, 1, 2, 2, 2},
        {OffsetType::field, false, 0, 3, 3, 3},
    };
    for (const Row& r : rows) {
        // The column edges: 4 | 5, 9 | 10.
        EXPECT_EQ(UserDefinedFieldForm::offset_code(r.type, r.is_signed, r.decimals, 4), r.short_code);
        EXPECT_EQ(UserDefinedFieldForm::offset_code(r.type, r.is_signed, r.decimals, 5), r.mid_code);
        EXPECT_EQ(UserDefinedFieldForm::offset_code(r.type, r.is_signed, r.decimals, 9), r.mid_code);
        EXPECT_EQ(UserDefinedFieldForm::offset_code(r.type, r.is_signed, r.decimals, 10), r.long_code);
    }
}

TEST(UserDefinedField, AbsoluteOffsetFromBaseUnitAndReferencePoint) {
    CConfigTable table;
    add(table, "CODE", FieldKind::host, 9, 5, 8);            // digits 5 to 12
    add(table, "TEXT", FieldKind::host, 4, 20, 10);          // 20 digits
    add(table, "CALC", FieldKind::calculated, 23, 900, 12);  // no place in the record
    UserDefinedFieldForm form;
    form.load_new();
    form.name = "PART";
    form.set_length(2);
    form.base = "CODE";
    form.in_characters = true;
    form.from_start = true;
    form.offset_value = 3;
    EXPECT_EQ(form.absolute_offset(table), 12);  // 5 + 6 = 11, raised to a whole character
    form.in_characters = false;
    form.set_offset_type(OffsetType::packed);
    EXPECT_EQ(form.absolute_offset(table), 8);  // digits stay odd for a number
    form.from_start = false;
    EXPECT_EQ(form.absolute_offset(table), 16);  // 5 + 8 + 3
    form.base = std::string(UserDefinedFieldForm::kBuffer);
    form.offset_value = 0;
    EXPECT_EQ(form.absolute_offset(table), 40);  // the end of TEXT; the calculated field is not in the record
    form.from_start = true;
    EXPECT_EQ(form.absolute_offset(table), 0);
    EXPECT_EQ(form.base_choices(table), (std::vector<std::string>{"<Buffer>", "CODE", "TEXT"}));
}

TEST(UserDefinedField, AnEndPlacedFieldEditedTwiceKeepsItsOffset) {
    CConfigTable table;
    add(table, "TEXT", FieldKind::host, 4, 0, 10);
    UserDefinedFieldForm form;
    form.load_new();
    form.name = "TAIL";
    form.set_length(4);
    form.from_start = false;
    form.offset_value = 0;
    ASSERT_FALSE(form.validate(table).has_value());
    table.fields.push_back(form.make_field(table));
    CConfigField& tail = *table.fields.back();
    EXPECT_EQ(tail.offset, 20);
    for (int round = 0; round < 2; ++round) {
        form.load(tail);
        EXPECT_EQ(form.base_choices(table), (std::vector<std::string>{"<Buffer>", "TEXT"}));
        form.set_length(6);
        ASSERT_FALSE(form.validate(table).has_value());
        form.store(table, tail);
        EXPECT_EQ(tail.offset, 20) << round;
    }
}

TEST(UserDefinedField, UnknownCodesAndFormatsSurviveARename) {
    CConfigTable table;
    CConfigField& odd = add(table, "ODD", FieldKind::user_defined, 36, 4, 7);
    odd.decimals = 1;
    odd.date_kind = DateKind::date;
    odd.date_format = 77;
    UserDefinedFieldForm form;
    form.load(odd);
    EXPECT_EQ(form.title(), "Edit User Defined Field");
    EXPECT_EQ(form.offset_type, OffsetType::alpha);
    EXPECT_EQ(form.format.list_row(), -1);
    form.name = "ODDER";
    ASSERT_FALSE(form.validate(table).has_value());
    form.store(table, odd);
    EXPECT_EQ(odd.data_type_code, 36);
    EXPECT_EQ(odd.length, 7);
    EXPECT_EQ(odd.decimals, 1);
    EXPECT_EQ(odd.date_format, 77);
    EXPECT_TRUE(odd.name_changed && odd.bModified);

    // Touching the type makes it one the drop-down knows.
    form.load(odd);
    form.set_signed(true);
    form.set_offset_type(OffsetType::packed);
    form.format.choose_kind(DateKind::time);
    ASSERT_FALSE(form.validate(table).has_value());
    form.store(table, odd);
    EXPECT_EQ(odd.data_type_code, 11);  // signed, with decimals, length 5 to 9
    EXPECT_EQ(odd.date_kind, DateKind::time);
    EXPECT_EQ(odd.date_format, 0);
}

TEST(UserDefinedField, RangesAreCheckedAtOkInControlOrder) {
    CConfigTable table;
    add(table, "TEXT", FieldKind::host, 4, 0, 10);
    UserDefinedFieldForm form;
    form.load_new();
    EXPECT_EQ(form.title(), "New User Defined Field");
    const auto refusal = [&] {
        const auto r = form.validate(table);
        return r ? std::to_string(r->control) + " " + r->message : std::string("ok");
    };
    EXPECT_EQ(refusal(), "1059 **You must enter a field name**");
    form.name = "text";
    EXPECT_EQ(refusal(), "1059 **Duplicate Field Name**");
    form.name = "  F  ";
    EXPECT_EQ(refusal(), "1058 **Length must be between 1 and 9999**");
    EXPECT_EQ(form.name, "F");
    form.set_length(10000);
    EXPECT_EQ(refusal(), "1058 **Length must be between 1 and 9999**");
    form.set_length(9999);
    EXPECT_EQ(refusal(), "ok");

    form.set_offset_type(OffsetType::field);
    form.set_length(49);
    EXPECT_EQ(refusal(), "1058 **Field Length must be between 1 and 48**");
    form.set_length(48);
    EXPECT_EQ(refusal(), "ok");

    form.set_offset_type(OffsetType::packed);
    form.set_length(5);
    form.set_decimals(6);
    EXPECT_EQ(refusal(), "1074 **Decimals must be between 0 and 5**");
    form.set_length(200);
    form.set_decimals(100);
    EXPECT_EQ(refusal(), "1074 **Decimals must be between 0 and 99**");
    // Lowering the length lowers the decimals with it; the arrows stay within 0 and the length.
    form.set_length(3);
    EXPECT_EQ(form.decimals, 3);
    form.step_decimals(+1);
    EXPECT_EQ(form.decimals, 3);
    for (int i = 0; i < 5; ++i) form.step_decimals(-1);
    EXPECT_EQ(form.decimals, 0);

    form.offset_value = 10000;
    EXPECT_EQ(refusal(), "1056 **Offset must be between 0 and 9999**");
    form.offset_value = -1;
    EXPECT_EQ(refusal(), "1056 **Offset must be between 0 and 9999**");
    // A value in range whose place lies beyond what four digits hold.
    form.offset_value = 9990;
    form.in_characters = true;
    EXPECT_EQ(refusal(), "1056 **Offset must be between 0 and 9999**");
    form.in_characters = false;
    EXPECT_EQ(refusal(), "ok");
}

TEST(UserDefinedField, CalculatedDefinitionIsUpperCasedOutsideQuotes) {
    EXPECT_EQ(UserDefinedFieldForm::upper_outside_quotes("concat(name, 'abc') & x'y'z"), "CONCAT(NAME, 'abc') & X'y'Z");
    EXPECT_EQ(UserDefinedFieldForm::upper_outside_quotes("'open é"), "'open é");

    CConfigTable table;
    UserDefinedFieldForm form;
    form.load_new();
    form.calculated = true;
    form.name = "LABEL";
    form.set_calc_type(CalcType::boolean);
    form.definition = "a = 'abc'";
    ASSERT_FALSE(form.validate(table).has_value());
    auto field = form.make_field(table);
    EXPECT_EQ(field->expression.str(), "A = 'abc'");
    EXPECT_EQ(field->data_type_code, 24);
    EXPECT_EQ(field->field_kind, FieldKind::calculated);
    EXPECT_TRUE(field->is_new);
    EXPECT_EQ(field->tblfieldnum, 0);

    form.definition = std::string(256, 'A');
    EXPECT_EQ(form.validate(table)->control, UserDefinedFieldForm::kDefinition);
}

TEST(FieldEdit, ChangesMarkOnlyWhatChangedAndCaseOnlyRenamesAreRefused) {
    CConfigTable table;
    CConfigField& f = add(table, "CUST-NAME", FieldKind::host, 4, 0, 30);
    add(table, "CITY", FieldKind::host, 4, 60, 20);
    FieldEditForm form;
    form.load(f);
    ASSERT_FALSE(form.apply(table, f).has_value());
    EXPECT_FALSE(f.bModified);

    form.name = "cust-name";
    EXPECT_EQ(form.apply(table, f)->message, "**Duplicate Field Name**");
    form.name = "City";
    EXPECT_EQ(form.apply(table, f)->message, "**Duplicate Field Name**");
    form.name = std::string(30, 'N');
    EXPECT_EQ(form.apply(table, f)->message, "**Field name too long**");
    form.name = " ";
    EXPECT_EQ(form.apply(table, f)->control, FieldEditForm::kName);
    EXPECT_FALSE(f.bModified);

    form.name = "NAME";
    form.hidden = true;
    form.format.choose_kind(DateKind::date);
    form.format.choose_format(31);
    ASSERT_FALSE(form.apply(table, f).has_value());
    EXPECT_EQ(f.name.str(), "NAME");
    EXPECT_TRUE(f.name_changed && f.bVisibility && f.bModified);
    EXPECT_FALSE(f.visible);
    EXPECT_EQ(f.date_format, 31);

    // A format index its catalogue lacks goes back while the kind is untouched; choosing its own kind keeps it.
    CConfigField& odd = add(table, "ODD", FieldKind::host, 9, 80, 8);
    odd.date_kind = DateKind::time;
    odd.date_format = 12;
    form.load(odd);
    EXPECT_EQ(form.format.list_row(), -1);
    form.format.choose_kind(DateKind::time);
    form.format.choose_format(7);  // outside the seven time formats: ignored
    form.update_allowed = true;
    ASSERT_FALSE(form.apply(table, odd).has_value());
    EXPECT_EQ(odd.date_format, 12);
    EXPECT_TRUE(odd.update_allowed && odd.bModified);

    // Rename Field: the very same name is an OK that changes nothing.
    CConfigField& city = *table.fields[1];
    EXPECT_FALSE(rename_checked(table, city, "CITY", 1111).has_value());
    EXPECT_FALSE(city.bModified);
    EXPECT_EQ(rename_checked(table, city, "city", 1111)->message, "**Duplicate Field Name**");
    EXPECT_FALSE(rename_checked(table, city, "TOWN", 1111).has_value());
    EXPECT_TRUE(city.name_changed);
}

}  // namespace
}  // namespace kestra::workspace
