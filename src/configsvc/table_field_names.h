#pragma once

#include <string>
#include <string_view>

#include "model/config_file.h"
#include "model/config_table.h"

namespace kestra::configsvc {

inline constexpr const char* kTableNameMissing = "**You must enter a table name**";
inline constexpr const char* kTableNameTooLong = "*** Table name length cannot exceed 29 characters ***";
inline constexpr const char* kTableNameDuplicate = "**Duplicate Table Name**";
inline constexpr const char* kJoinNameInvalid = "*** Invalid table name ***";
inline constexpr const char* kJoinNameDuplicate = "*** Duplicate table name ***";
inline constexpr const char* kFieldNameMissing = "**You must enter a field name**";
inline constexpr const char* kFieldNameTooLong = "**Field name too long**";
inline constexpr const char* kFieldNameDuplicate = "**Duplicate Field Name**";

// A plain table's new name, as Table Edit and the command line check it. `name` is trimmed in place; `current` is
// the name the table had when editing began. The name it came with passes however long the host holds it; any
// other name must fit what may be typed and match no table of the file ignoring case, this one included, so a
// change of letter case alone is refused. Returns nullptr when the name may be used, else the message.
const char* check_table_name(std::string& name, const model::CConfigFile& file, std::string_view current);

// A join's name, as Edit Join checks it: tables are told apart by their number, so a join is never a duplicate of
// itself and a change of letter case passes. `join` is the join being edited, nullptr for a new one.
const char* check_join_name(std::string& name, const model::CConfigFile& file, const model::CConfigTable* join);

// A field's name, as every field dialog and the command line check it. `name` is trimmed in place; `current` is the
// name the field had when editing began ("" for a new field). Compared with every field of the table, this one
// included, so a change of letter case alone is refused.
const char* check_field_name(std::string& name, const model::CConfigTable& table, std::string_view current);

}  // namespace kestra::configsvc
