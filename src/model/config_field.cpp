#include "model/config_field.h"

#include "model/data_type_catalogue.h"
#include "model/date_formats.h"

namespace kestra::model {

bool CConfigField::is_date_or_time() const {
    return date_kind == DateKind::date || date_kind == DateKind::time || date_kind == DateKind::timestamp;
}

std::string CConfigField::type_text() const { return model::type_text(data_type_code, length, decimals); }

std::string_view CConfigField::sql_type_name() const {
    return model::sql_type_name(date_kind, data_type_code, length);
}

std::int32_t CConfigField::extent() const { return field_extent(data_type_code, length); }

std::string_view CConfigField::date_format_text() const { return model::date_format_text(date_kind, date_format); }

bool equal_ignoring_case(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        char x = a[i];
        char y = b[i];
        if (x >= 'a' && x <= 'z') x = static_cast<char>(x - 'a' + 'A');
        if (y >= 'a' && y <= 'z') y = static_cast<char>(y - 'a' + 'A');
        if (x != y) return false;
    }
    return true;
}

}  // namespace kestra::model
