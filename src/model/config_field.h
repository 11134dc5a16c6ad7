#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "model/bounded_text.h"
#include "model/text_limits.h"

namespace kestra::model {

// Codes of CConfigField::date_kind ("Mark as").
struct DateKind {
    static constexpr std::int32_t standard = 0;
    static constexpr std::int32_t currency = 1;
    static constexpr std::int32_t date = 2;
    static constexpr std::int32_t time = 3;
    static constexpr std::int32_t timestamp = 4;
};

// Codes of CConfigField::field_kind.
struct FieldKind {
    static constexpr std::int32_t host = 0;        // from the description file
    static constexpr std::int32_t user_defined = 1;  // a new view of part of the record
    static constexpr std::int32_t calculated = 2;
};

// One field (column) of a table. Codes are kept exactly as the host sent them, known or not.
class CConfigField {
public:
    CConfigField() = default;
    CConfigField(const CConfigField&) = default;
    CConfigField& operator=(const CConfigField&) = default;
    virtual ~CConfigField() = default;

    // A field as it arrives from the host: nothing to send.
    void mark_loaded() {
        bModified = false;
        is_new = false;
    }

    bool is_date_or_time() const;
    std::string type_text() const;
    std::string_view sql_type_name() const;
    std::int32_t extent() const;
    // Empty when the field is no date or time, or its format index is outside its table.
    std::string_view date_format_text() const;

    WireText name;  // unique within the table regardless of case; typed at most kFieldNameMax
    WireText host_name;
    std::int32_t tblfieldnum = 0;  // 4 digits; 0 until the host assigns one
    bool update_allowed = false;
    bool visible = true;
    std::int32_t date_kind = DateKind::standard;  // 1 digit
    std::int32_t date_format = 0;                 // 2 digits; index into the format table of the date kind
    std::int32_t field_kind = FieldKind::host;    // 1 digit
    std::int32_t offset = 0;                      // 4 digits, in digits (4 bits each)
    std::int32_t length = 0;                      // 4 digits, in the unit of the type
    std::int32_t decimals = 0;                    // 2 digits
    std::int32_t offset_value = 0;                // 4 digits, as the administrator entered it
    bool offset_in_characters = false;            // 1 "Chars", 0 "Digits"
    bool offset_from_start = false;               // 1 "Start", 0 "End"
    WireText base_field;                          // empty: the record itself
    WireText expression;                          // calculated fields
    std::int32_t data_type_code = 0;              // 2 digits
    bool bModified = true;
    bool name_changed = false;
    bool bVisibility = false;
    bool bDeleted = false;
    bool is_new = true;
};

// ASCII case-insensitive comparison, the rule for field names within a table.
bool equal_ignoring_case(std::string_view a, std::string_view b);

}  // namespace kestra::model
