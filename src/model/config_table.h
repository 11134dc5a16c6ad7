#pragma once

#include <cstdint>
#include <memory>
#include <string_view>
#include <vector>

#include "model/bounded_text.h"
#include "model/text_limits.h"
#include "model/config_field.h"
#include "model/join_member.h"
#include "model/table_set.h"

namespace kestra::model {

// One ODBC table of a configuration file. An application's table list holds tables of their own that carry only
// the table number and update allowed.
class CConfigTable {
public:
    CConfigTable() = default;
    CConfigTable(const CConfigTable&) = delete;
    CConfigTable& operator=(const CConfigTable&) = delete;
    virtual ~CConfigTable() = default;

    // Field by name, letter case ignored; nullptr when none.
    CConfigField* find_field(std::string_view field_name, const CConfigField* except = nullptr) const;
    // What unloading drops: fields, cut fields, sets and members, and the three loaded flags.
    void clear_loaded_details();
    // Whether a field of this table is listed: GROUP fields only while Return Groups is on.
    bool lists_field(const CConfigField& field) const;

    WireText name;  // unique within the file; typed names at most kTableNameMax
    std::int32_t table_number = 0;  // 4 digits; 0 until the host assigns one
    std::int32_t table_option = 0;  // 5 digits, kept and sent back as received
    std::int32_t table_handle = 1;  // 4 digits, from the load request
    bool loaded = false;
    bool fields_loaded = false;
    bool sets_loaded = false;
    bool update_allowed = false;
    bool return_groups = false;  // when clear, GROUP fields are not shown
    bool join_table = false;
    std::vector<std::unique_ptr<CConfigField>> fields;
    std::vector<std::unique_ptr<CConfigField>> cut_fields;  // deleted on the host by the next delete-fields request
    WireText where_condition;  // typed at most kWhereConditionMax
    bool over_a_set = false;
    WireText dataset;
    WireText set;       // typed at most kSetNameMax
    WireText database;  // typed at most kDatabaseNameMax
    WireText description_file;
    bool changed = false;
    std::vector<std::unique_ptr<CTableSet>> sets;
    std::vector<std::unique_ptr<CJoinMember>> members;
};

}  // namespace kestra::model
