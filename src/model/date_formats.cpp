#include "model/date_formats.h"

#include <array>

#include "model/config_field.h"

namespace kestra::model {
namespace {

constexpr std::array<std::string_view, 32> kDateFormats = {
    "CENTURY",    "YYDDD",      "YYYYDDD",    "MMDDYY",     "MMDDYYYY",   "MMYYDD",     "MMYYYYDD",
    "MM/DD/YY",   "MM/DD/YYYY", "MM/YY/DD",   "MM/YYYY/DD", "DDMMYY",     "DDMMYYYY",   "DDYYMM",
    "DDYYYYMM",   "DD/MM/YY",   "DD/MM/YYYY", "DD/YY/MM",   "DD/YYYY/MM", "YYMMDD",     "YYDDMM",
    "YY/MM/DD",   "YY/DD/MM",   "YYYYMMDD",   "YYYYDDMM",   "YYYY/MM/DD", "YYYY/DD/MM", "TIME(6)",
    "TIME(7)",    "TIME(10)",   "TIME(15)",   "TIME(16)",
};

constexpr std::array<std::string_view, 7> kTimeFormats = {
    "HHMMSS", "TIME(1)", "TIME(6)", "TIME(7)", "TIME(9)", "TIME(11)", "TIME(16)",
};

constexpr std::array<std::string_view, 5> kTimestampFormats = {
    "TIME(6)", "TIME(7)", "TIME(16)", "HHMMSSFF", "YYYYMMDDHHMMSSFF",
};

}  // namespace

std::span<const std::string_view> date_formats(std::int32_t date_kind) {
    switch (date_kind) {
        case DateKind::date: return kDateFormats;
        case DateKind::time: return kTimeFormats;
        case DateKind::timestamp: return kTimestampFormats;
        default: return {};
    }
}

std::string_view date_format_text(std::int32_t date_kind, std::int32_t index) {
    const auto table = date_formats(date_kind);
    if (index < 0 || static_cast<std::size_t>(index) >= table.size()) return {};
    return table[static_cast<std::size_t>(index)];
}

std::int32_t date_format_string_id(std::int32_t date_kind, std::int32_t index) {
    if (date_format_text(date_kind, index).empty()) return 0;
    return date_kind * 1000 + index;
}

}  // namespace kestra::model
