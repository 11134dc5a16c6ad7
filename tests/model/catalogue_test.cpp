#include <gtest/gtest.h>

#include <limits>

#include "model/config_field.h"
#include "model/data_type_catalogue.h"
#include "model/date_formats.h"

namespace kestra::model {
namespace {

TEST(TypeText, DecimalsShowOnlyWhenPositiveOnDecimalTypes) {
    EXPECT_EQ(type_text(5, 5, 0), "PACKED(S5)");
    EXPECT_EQ(type_text(5, 5, 2), "PACKED(S5,2)");
    EXPECT_EQ(type_text(11, 7, 2), "PACKED(S7,2)");
    EXPECT_EQ(type_text(9, 6, 0), "PACKED(6)");
    EXPECT_EQ(type_text(20, 8, 3), "UNPACKED(S8,3)");
    EXPECT_EQ(type_text(23, 12, 4), "NUMERIC(S12,4)");
    EXPECT_EQ(type_text(17, 11, 1), "REAL(11,1)");
    EXPECT_EQ(type_text(9, 6, -1), "PACKED(6)");
}

TEST(TypeText, TypesWithoutDecimalsNeverShowThem) {
    EXPECT_EQ(type_text(1, 12, 3), "GROUP(12)");
    EXPECT_EQ(type_text(3, 7, 3), "FIELD(7)");
    EXPECT_EQ(type_text(4, 10, 3), "ALPHA(10)");
    EXPECT_EQ(type_text(22, 10, 3), "STRING(10)");
    EXPECT_EQ(type_text(2, 1, 3), "BOOLEAN");
    EXPECT_EQ(type_text(24, 1, 0), "BOOLEAN");
}

TEST(TypeText, CodesOutsideTheCatalogueAreUnknown) {
    for (std::int32_t code : {0, 36, -1, 99, std::numeric_limits<std::int32_t>::min()}) {
        EXPECT_EQ(type_text(code, 5, 0), "Unknown field type") << code;
        EXPECT_EQ(sql_type_name(0, code, 5), "Unknown sql type") << code;
    }
}

TEST(SqlTypeName, AlphaAndStringTurnLongAt255) {
    EXPECT_EQ(sql_type_name(0, 4, 254), "SQL_VARCHAR");
    EXPECT_EQ(sql_type_name(0, 4, 255), "SQL_LONGVARCHAR");
    EXPECT_EQ(sql_type_name(0, 22, 254), "SQL_VARCHAR");
    EXPECT_EQ(sql_type_name(0, 22, 255), "SQL_LONGVARCHAR");
    // GROUP has a fixed type whatever its length.
    EXPECT_EQ(sql_type_name(0, 1, 4000), "SQL_VARCHAR");
}

TEST(SqlTypeName, DateKindsWinOverTheCode) {
    EXPECT_EQ(sql_type_name(3, 4, 10), "SQL_TIME");
    EXPECT_EQ(sql_type_name(2, 9, 6), "SQL_DATE");
    EXPECT_EQ(sql_type_name(4, 7, 16), "SQL_TIMESTAMP");
    EXPECT_EQ(sql_type_name(2, 77, 6), "SQL_DATE");
    // Currency and standard do not make a date.
    EXPECT_EQ(sql_type_name(1, 9, 6), "SQL_INTEGER");
    EXPECT_EQ(sql_type_name(5, 9, 6), "SQL_INTEGER");
}

TEST(SqlTypeName, EveryCodeHasItsType) {
    const char* expected[35] = {
        "SQL_VARCHAR",  "SQL_BIT",      "SQL_INTEGER", "SQL_VARCHAR",  "SQL_SMALLINT", "SQL_INTEGER",
        "SQL_DOUBLE",   "SQL_SMALLINT", "SQL_INTEGER", "SQL_DOUBLE",   "SQL_NUMERIC",  "SQL_DOUBLE",
        "SQL_NUMERIC",  "SQL_DOUBLE",   "SQL_DOUBLE",  "SQL_DOUBLE",   "SQL_DOUBLE",   "SQL_INTEGER",
        "SQL_INTEGER",  "SQL_NUMERIC",  "SQL_NUMERIC", "SQL_VARCHAR",  "SQL_DOUBLE",   "SQL_BIT",
        "SQL_SMALLINT", "SQL_DOUBLE",   "SQL_SMALLINT", "SQL_DOUBLE",  "SQL_DOUBLE",   "SQL_DOUBLE",
        "SQL_SMALLINT", "SQL_INTEGER",  "SQL_DOUBLE",  "SQL_NUMERIC",  "SQL_DOUBLE",
    };
    for (std::int32_t code = 1; code <= 35; ++code) {
        EXPECT_EQ(sql_type_name(0, code, 10), expected[code - 1]) << code;
    }
}

TEST(FieldExtent, CharactersTakeTwoDigits) {
    EXPECT_EQ(field_extent(4, 10), 20);
    EXPECT_EQ(field_extent(22, 10), 20);
    EXPECT_EQ(field_extent(1, 3), 6);
    EXPECT_EQ(field_extent(2, 8), 1);
    EXPECT_EQ(field_extent(24, 0), 1);
    EXPECT_EQ(field_extent(8, 7), 7);
    EXPECT_EQ(field_extent(3, 13), 13);
    EXPECT_EQ(field_extent(99, 13), 13);
}

TEST(FieldExtent, HugeLengthDoesNotOverflow) {
    EXPECT_EQ(field_extent(4, std::numeric_limits<std::int32_t>::max()), std::numeric_limits<std::int32_t>::max());
    EXPECT_EQ(field_extent(4, std::numeric_limits<std::int32_t>::min()), std::numeric_limits<std::int32_t>::min());
}

TEST(DateFormats, TablesHoldTheirTextsInIndexOrder) {
    ASSERT_EQ(date_formats(DateKind::date).size(), 32u);
    ASSERT_EQ(date_formats(DateKind::time).size(), 7u);
    ASSERT_EQ(date_formats(DateKind::timestamp).size(), 5u);
    EXPECT_EQ(date_format_text(2, 0), "CENTURY");
    EXPECT_EQ(date_format_text(2, 8), "MM/DD/YYYY");
    EXPECT_EQ(date_format_text(2, 16), "DD/MM/YYYY");
    EXPECT_EQ(date_format_text(2, 26), "YYYY/DD/MM");
    EXPECT_EQ(date_format_text(2, 27), "TIME(6)");
    EXPECT_EQ(date_format_text(2, 31), "TIME(16)");
    EXPECT_EQ(date_format_text(3, 0), "HHMMSS");
    EXPECT_EQ(date_format_text(3, 5), "TIME(11)");
    EXPECT_EQ(date_format_text(3, 6), "TIME(16)");
    EXPECT_EQ(date_format_text(4, 3), "HHMMSSFF");
    EXPECT_EQ(date_format_text(4, 4), "YYYYMMDDHHMMSSFF");
}

TEST(DateFormats, OutsideTheTableThereIsNoFormat) {
    EXPECT_EQ(date_format_text(2, 32), "");
    EXPECT_EQ(date_format_text(3, 7), "");
    EXPECT_EQ(date_format_text(4, 5), "");
    EXPECT_EQ(date_format_text(2, -1), "");
    EXPECT_EQ(date_format_text(0, 0), "");
    EXPECT_EQ(date_format_text(1, 0), "");
    EXPECT_EQ(date_format_text(5, 0), "");
    EXPECT_TRUE(date_formats(0).empty());
}

TEST(DateFormats, StringIdsFollowTheKind) {
    EXPECT_EQ(date_format_string_id(2, 31), 2031);
    EXPECT_EQ(date_format_string_id(3, 0), 3000);
    EXPECT_EQ(date_format_string_id(4, 4), 4004);
    EXPECT_EQ(date_format_string_id(4, 5), 0);
    EXPECT_EQ(date_format_string_id(1, 0), 0);
}

TEST(FieldCatalogue, AFieldAnswersThroughTheCatalogue) {
    CConfigField field;
    field.data_type_code = 4;
    field.length = 10;
    field.date_kind = DateKind::time;
    field.date_format = 40;
    EXPECT_EQ(field.sql_type_name(), "SQL_TIME");
    EXPECT_EQ(field.type_text(), "ALPHA(10)");
    EXPECT_EQ(field.extent(), 20);
    EXPECT_TRUE(field.is_date_or_time());
    // An index outside the table has no text but is kept for sending back.
    EXPECT_EQ(field.date_format_text(), "");
    EXPECT_EQ(field.date_format, 40);
}

}  // namespace
}  // namespace kestra::model
