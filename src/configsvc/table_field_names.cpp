#include "configsvc/table_field_names.h"

#include "configsvc/config_file_names.h"
#include "model/config_field.h"
#include "model/text_limits.h"

namespace kestra::configsvc {

const char* check_table_name(std::string& name, const model::CConfigFile& file, std::string_view current) {
    name = trim_config_file_name(name);
    if (name.empty()) return kTableNameMissing;
    if (name == current) return nullptr;
    if (name.size() > model::kTableNameMax) return kTableNameTooLong;
    for (const auto& table : file.tables)
        if (model::equal_ignoring_case(table->name.view(), name)) return kTableNameDuplicate;
    return nullptr;
}

const char* check_join_name(std::string& name, const model::CConfigFile& file, const model::CConfigTable* join) {
    name = trim_config_file_name(name);
    if (name.empty()) return kJoinNameInvalid;
    if (join != nullptr && name == join->name.view()) return nullptr;
    if (name.size() > model::kTableNameMax) return kTableNameTooLong;
    for (const auto& table : file.tables) {
        if (join != nullptr && table.get() == join) continue;
        // A join not yet on the host has number 0; it is this one only by identity, checked above.
        if (join != nullptr && join->table_number != 0 && table->table_number == join->table_number) continue;
        if (model::equal_ignoring_case(table->name.view(), name)) return kJoinNameDuplicate;
    }
    return nullptr;
}

const char* check_field_name(std::string& name, const model::CConfigTable& table, std::string_view current) {
    name = trim_config_file_name(name);
    if (name.empty()) return kFieldNameMissing;
    if (name == current) return nullptr;
    if (name.size() > model::kFieldNameMax) return kFieldNameTooLong;
    if (table.find_field(name) != nullptr) return kFieldNameDuplicate;
    return nullptr;
}

}  // namespace kestra::configsvc
