#pragma once

#include <cstdint>
#include <string_view>

#include "model/config_field.h"

// The keys of a configuration document, shared by its writer, reader and differ so a key is spelt in one place.
namespace kestra::configsvc::keys {

inline constexpr std::string_view kFormat = "format";
inline constexpr std::string_view kFile = "file";
inline constexpr std::string_view kDescription = "description";
inline constexpr std::string_view kGlobal = "global";
inline constexpr std::string_view kLimits = "limits";
inline constexpr std::string_view kApplications = "applications";
inline constexpr std::string_view kTables = "tables";

inline constexpr std::string_view kDateBaseMonth = "date_base_month";
inline constexpr std::string_view kDateBaseDay = "date_base_day";
inline constexpr std::string_view kDateBaseYear = "date_base_year";
inline constexpr std::string_view kDatabaseLibraries = "database_libraries";
inline constexpr std::string_view kIgnoreUniqueIndices = "ignore_unique_indices";
inline constexpr std::string_view kHideFields = "hide_fields";
inline constexpr std::string_view kSecurityType = "security_type";
inline constexpr std::string_view kSecurityUse = "security_use";
inline constexpr std::string_view kGuardfile = "guardfile";
inline constexpr std::string_view kProgramSecurity = "program_security";
inline constexpr std::string_view kUsercode = "usercode";
inline constexpr std::string_view kAppName = "app_name";
inline constexpr std::string_view kPriority = "priority";
inline constexpr std::string_view kTranslation = "translation";

inline constexpr std::string_view kWhereRequired = "where_required";
inline constexpr std::string_view kLinearSelects = "linear_selects";
inline constexpr std::string_view kLinearJoins = "linear_joins";
inline constexpr std::string_view kRowLimitKind = "row_limit_kind";
inline constexpr std::string_view kRowCount = "row_count";

inline constexpr std::string_view kProgram = "program";
inline constexpr std::string_view kNumber = "number";
inline constexpr std::string_view kUpdateAllowed = "update_allowed";
inline constexpr std::string_view kName = "name";

inline constexpr std::string_view kJoin = "join";
inline constexpr std::string_view kOption = "option";
inline constexpr std::string_view kReturnGroups = "return_groups";
inline constexpr std::string_view kDatabase = "database";
inline constexpr std::string_view kDataset = "dataset";
inline constexpr std::string_view kSet = "set";
inline constexpr std::string_view kDescriptionFile = "description_file";
inline constexpr std::string_view kWhere = "where";
inline constexpr std::string_view kSets = "sets";
inline constexpr std::string_view kFields = "fields";
inline constexpr std::string_view kMembers = "members";

inline constexpr std::string_view kFirst = "first";
inline constexpr std::string_view kSecond = "second";
inline constexpr std::string_view kThird = "third";
inline constexpr std::string_view kKeys = "keys";
inline constexpr std::string_view kField = "field";

inline constexpr std::string_view kSubTable = "sub_table";
inline constexpr std::string_view kJoinKind = "join_kind";
inline constexpr std::string_view kJoinFields = "join_fields";
inline constexpr std::string_view kMember = "member";
inline constexpr std::string_view kValue = "value";

inline constexpr std::string_view kHostName = "host_name";
inline constexpr std::string_view kKind = "kind";
inline constexpr std::string_view kVisible = "visible";
inline constexpr std::string_view kType = "type";
inline constexpr std::string_view kLength = "length";
inline constexpr std::string_view kDecimals = "decimals";
inline constexpr std::string_view kDateKind = "date_kind";
inline constexpr std::string_view kDateFormat = "date_format";
inline constexpr std::string_view kOffset = "offset";
inline constexpr std::string_view kOffsetValue = "offset_value";
inline constexpr std::string_view kOffsetInCharacters = "offset_in_characters";
inline constexpr std::string_view kOffsetFromStart = "offset_from_start";
inline constexpr std::string_view kBaseField = "base_field";
inline constexpr std::string_view kExpression = "expression";

}  // namespace kestra::configsvc::keys

namespace kestra::configsvc {

// "host", "user" or "calculated"; empty for a kind this program does not know (written as its number).
inline std::string_view field_kind_word(std::int32_t kind) {
    switch (kind) {
        case model::FieldKind::host:
            return "host";
        case model::FieldKind::user_defined:
            return "user";
        case model::FieldKind::calculated:
            return "calculated";
        default:
            return {};
    }
}

}  // namespace kestra::configsvc
