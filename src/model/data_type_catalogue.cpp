#include "model/data_type_catalogue.h"

#include <array>
#include <limits>

#include "model/config_field.h"

namespace kestra::model {
namespace {

enum class Shape {
    bare,             // the stem alone
    length,           // stem, length, ")"
    length_decimals,  // stem, length, ",decimals" when decimals > 0, ")"
};

enum class Sql { varchar, bit, integer, smallint, doubl, numeric, by_length };

struct TypeEntry {
    std::string_view stem;
    Shape shape;
    Sql sql;
};

constexpr std::array<TypeEntry, 35> kTypes = {{
    {"GROUP(", Shape::length, Sql::varchar},                 // 1
    {"BOOLEAN", Shape::bare, Sql::bit},                      // 2
    {"FIELD(", Shape::length, Sql::integer},                 // 3 (bits)
    {"ALPHA(", Shape::length, Sql::by_length},               // 4
    {"PACKED(S", Shape::length_decimals, Sql::smallint},     // 5
    {"PACKED(S", Shape::length_decimals, Sql::integer},      // 6
    {"PACKED(S", Shape::length_decimals, Sql::doubl},        // 7
    {"PACKED(", Shape::length_decimals, Sql::smallint},      // 8
    {"PACKED(", Shape::length_decimals, Sql::integer},       // 9
    {"PACKED(", Shape::length_decimals, Sql::doubl},         // 10
    {"PACKED(S", Shape::length_decimals, Sql::numeric},      // 11
    {"PACKED(S", Shape::length_decimals, Sql::doubl},        // 12
    {"PACKED(", Shape::length_decimals, Sql::numeric},       // 13
    {"PACKED(", Shape::length_decimals, Sql::doubl},         // 14
    {"REAL(", Shape::length_decimals, Sql::doubl},           // 15
    {"REAL(", Shape::length_decimals, Sql::doubl},           // 16
    {"REAL(", Shape::length_decimals, Sql::doubl},           // 17
    {"UNPACKED(S", Shape::length_decimals, Sql::integer},    // 18
    {"UNPACKED(", Shape::length_decimals, Sql::integer},     // 19
    {"UNPACKED(S", Shape::length_decimals, Sql::numeric},    // 20
    {"UNPACKED(", Shape::length_decimals, Sql::numeric},     // 21
    {"STRING(", Shape::length, Sql::by_length},              // 22
    {"NUMERIC(S", Shape::length_decimals, Sql::doubl},       // 23
    {"BOOLEAN", Shape::bare, Sql::bit},                      // 24
    {"UNPACKED(", Shape::length_decimals, Sql::smallint},    // 25
    {"UNPACKED(", Shape::length_decimals, Sql::doubl},       // 26
    {"UNPACKED(S", Shape::length_decimals, Sql::smallint},   // 27
    {"UNPACKED(S", Shape::length_decimals, Sql::doubl},      // 28
    {"UNPACKED(", Shape::length_decimals, Sql::doubl},       // 29
    {"UNPACKED(S", Shape::length_decimals, Sql::doubl},      // 30
    {"PACKED(S", Shape::length_decimals, Sql::smallint},     // 31
    {"PACKED(S", Shape::length_decimals, Sql::integer},      // 32
    {"PACKED(S", Shape::length_decimals, Sql::doubl},        // 33
    {"PACKED(S", Shape::length_decimals, Sql::numeric},      // 34
    {"PACKED(S", Shape::length_decimals, Sql::doubl},        // 35
}};

const TypeEntry* find_type(std::int32_t code) {
    if (code < DataTypeCode::first || code > DataTypeCode::last) return nullptr;
    return &kTypes[static_cast<std::size_t>(code - 1)];
}

// ALPHA and STRING of this length or more are long varchars.
constexpr std::int32_t kLongVarcharLength = 255;

}  // namespace

std::string type_text(std::int32_t data_type_code, std::int32_t length, std::int32_t decimals) {
    const TypeEntry* entry = find_type(data_type_code);
    if (entry == nullptr) return std::string(kUnknownFieldType);
    std::string text(entry->stem);
    if (entry->shape == Shape::bare) return text;
    text += std::to_string(length);
    if (entry->shape == Shape::length_decimals && decimals > 0) {
        text += ',';
        text += std::to_string(decimals);
    }
    text += ')';
    return text;
}

std::string_view sql_type_name(std::int32_t date_kind, std::int32_t data_type_code, std::int32_t length) {
    switch (date_kind) {
        case DateKind::date: return "SQL_DATE";
        case DateKind::time: return "SQL_TIME";
        case DateKind::timestamp: return "SQL_TIMESTAMP";
        default: break;
    }
    const TypeEntry* entry = find_type(data_type_code);
    if (entry == nullptr) return kUnknownSqlType;
    switch (entry->sql) {
        case Sql::varchar: return "SQL_VARCHAR";
        case Sql::bit: return "SQL_BIT";
        case Sql::integer: return "SQL_INTEGER";
        case Sql::smallint: return "SQL_SMALLINT";
        case Sql::doubl: return "SQL_DOUBLE";
        case Sql::numeric: return "SQL_NUMERIC";
        case Sql::by_length: return length < kLongVarcharLength ? "SQL_VARCHAR" : "SQL_LONGVARCHAR";
    }
    return kUnknownSqlType;
}

std::int32_t field_extent(std::int32_t data_type_code, std::int32_t length) {
    switch (data_type_code) {
        case DataTypeCode::group:
        case DataTypeCode::alpha:
        case DataTypeCode::string: {
            // A length from a bad record must not overflow into a small or negative extent.
            const std::int64_t digits = std::int64_t{length} * 2;
            if (digits > std::numeric_limits<std::int32_t>::max()) return std::numeric_limits<std::int32_t>::max();
            if (digits < std::numeric_limits<std::int32_t>::min()) return std::numeric_limits<std::int32_t>::min();
            return static_cast<std::int32_t>(digits);
        }
        case DataTypeCode::boolean:
        case DataTypeCode::boolean2: return 1;
        default: return length;
    }
}

}  // namespace kestra::model
