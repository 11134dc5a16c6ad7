#pragma once

#include <string>

#include "cli/command_registry.h"
#include "model/config_file.h"
#include "model/config_table.h"

namespace kestra::cli {

// A TABLE argument: the exact name, else the name equal ignoring case, else a table number. A name that more
// than one table answers to is refused ("N tables are named X; give its number"): the host does not keep names
// unique, and acting on the wrong table is worse than asking. nullptr after a message on ctx.err.
model::CConfigTable* resolve_table(CliContext& ctx, model::CConfigFile& file, const std::string& arg);

// A FIELD argument: a name ignoring case, else a field number; a name several fields answer to is refused.
model::CConfigField* resolve_field(CliContext& ctx, model::CConfigTable& table, const std::string& arg);

}  // namespace kestra::cli
