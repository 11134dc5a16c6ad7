#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "model/config_file.h"

namespace kestra::configsvc {

// One request that changes the host's file, with what it changes, for the dry run and the report.
struct PlannedRequest {
    std::uint16_t code = 0;
    std::string target;                // "table ORDERS", "global options", "application EXCEL.EXE", ...
    std::vector<std::string> changes;  // one line per change it carries
};

// A field of the host's table as the document wants it; the host's field is named by its number, which stays
// valid while the file is open.
struct FieldEdit {
    std::int32_t number = 0;
    const model::CConfigField* desired = nullptr;
    bool rename = false;
};

// The work on one table, in the order the table editor sends it: where condition, field changes, marks, removal
// of cut fields, new fields; a join: its header, then its members. The table list (34) goes once for every table.
struct TablePlan {
    const model::CConfigTable* current = nullptr;  // nullptr: a join table to add
    const model::CConfigTable* desired = nullptr;
    bool header = false;                                // 34: name, option, update allowed, return groups
    bool join_header = false;                           // 53: a join's new name
    bool where = false;                                 // 41
    bool members = false;                               // 56
    std::vector<FieldEdit> changes;                     // 26
    std::vector<FieldEdit> marks;                       // 27, hide or show host fields
    std::vector<std::int32_t> cuts;                     // 27 over cut fields
    std::vector<const model::CConfigField*> additions;  // 28
    // Something must be sent while the table is loaded.
    bool needs_load() const {
        return join_header || where || members || !changes.empty() || !marks.empty() || !cuts.empty() ||
               !additions.empty();
    }
};

struct ApplicationPlan {
    const model::CPcApplication* current = nullptr;  // nullptr: added
    const model::CPcApplication* desired = nullptr;
};

// The fewest requests that make the host's file (`current`, as fetched) match the document (`desired`), in the
// order they are sent, or why the document cannot be applied. Pointers refer into the two files, which must
// outlive the plan.
struct ConfigPlan {
    const model::CConfigFile* desired = nullptr;
    std::vector<PlannedRequest> requests;
    std::vector<std::string> refusals;   // nothing may be sent while there is one
    std::vector<std::string> deletions;  // tables, fields and applications that would go

    std::vector<TablePlan> tables;  // joins to add first, then the host's tables in its order
    std::vector<std::int32_t> table_deletions;
    bool global = false;
    bool limits = false;
    std::vector<std::int32_t> application_deletions;
    std::vector<ApplicationPlan> application_changes;
    std::vector<const model::CPcApplication*> application_additions;

    bool empty() const { return requests.empty(); }
};

// Without `allow_delete` every deletion is also a refusal, listing what would go.
ConfigPlan plan_config_changes(const model::CConfigFile& current, const model::CConfigFile& desired, bool allow_delete);

// The plan as the dry run prints it: one line per request ("CODE WHAT  TARGET") and its changes indented below.
std::string format_plan(const ConfigPlan& plan);

// Whether the field dialogs could have produced this data type code for a user-defined field of this length and
// decimals (the code follows from the type, the sign, the decimals and the length).
bool offset_field_type_allowed(std::int32_t code, std::int32_t length, std::int32_t decimals);

}  // namespace kestra::configsvc
