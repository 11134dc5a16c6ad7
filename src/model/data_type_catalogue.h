#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace kestra::model {

// The data type codes with a meaning of their own; the packed and unpacked variants are 5 to 35.
struct DataTypeCode {
    static constexpr std::int32_t group = 1;
    static constexpr std::int32_t boolean = 2;
    static constexpr std::int32_t field = 3;
    static constexpr std::int32_t alpha = 4;
    static constexpr std::int32_t string = 22;
    static constexpr std::int32_t boolean2 = 24;
    static constexpr std::int32_t first = 1;
    static constexpr std::int32_t last = 35;
};

inline constexpr std::string_view kUnknownFieldType = "Unknown field type";
inline constexpr std::string_view kUnknownSqlType = "Unknown sql type";

// The text shown and printed for a field's type, e.g. "PACKED(S7,2)" or "ALPHA(10)".
std::string type_text(std::int32_t data_type_code, std::int32_t length, std::int32_t decimals);

// "SQL_DATE", "SQL_TIME" or "SQL_TIMESTAMP" for date kinds 2 to 4, otherwise the SQL type of the code.
std::string_view sql_type_name(std::int32_t date_kind, std::int32_t data_type_code, std::int32_t length);

// Digits the field occupies in the record (characters take two).
std::int32_t field_extent(std::int32_t data_type_code, std::int32_t length);

}  // namespace kestra::model
