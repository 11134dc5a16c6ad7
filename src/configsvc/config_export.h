#pragma once

#include <cstdint>

#include "configsvc/config_client.h"
#include "configsvc/pending_unload_list.h"
#include "model/config_file.h"

namespace kestra::configsvc {

// Reads everything an open configuration file holds into `file` (its file reference set): the description and
// global options, the limits, every application with its details, and every table with its details, sets and
// fields, or its members for a join. Each table is loaded and unloaded again without save; its details stay in
// the model. Application table entries get the names of the tables their numbers name. Returns 0 or the first
// failure, its reason queued; a partial read is never handed on as if it were whole.
std::int16_t fetch_config_contents(CConfigClient& client, CPendingUnloadList& pending, model::CConfigFile& file);

// The details of one table (already in the file's list) as the host holds them: loaded, read, unloaded without
// save, the details kept.
std::int16_t fetch_table_details(CConfigClient& client, CPendingUnloadList& pending, std::uint32_t file_reference,
                                 model::CConfigTable& table);

}  // namespace kestra::configsvc
