#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "configsvc/config_client.h"
#include "configsvc/config_plan.h"
#include "configsvc/pending_unload_list.h"
#include "model/config_file.h"

namespace kestra::configsvc {

struct ApplyReport {
    std::vector<std::string> applied;  // one line per request the host accepted
    std::string failed;                // the request the host refused; empty when none was
    // Global options or limits were put back after a later failure, since the host keeps them at once.
    std::vector<std::string> restored;
    // Changes the host kept at once and that could not be undone after a failure.
    std::vector<std::string> kept;
};

// Sends a plan made from `live` (the host's file as fetched, open, its file reference set) and the document. The
// tables are loaded and unloaded with save as the table editor does; the first failure stops everything, the
// table being worked on is unloaded without save, and the caller must then close the file without saving it.
// Returns 0 or the failure; nothing is sent for a plan that has refusals.
std::int16_t apply_config_plan(CConfigClient& client, CPendingUnloadList& pending, model::CConfigFile& live,
                               const ConfigPlan& plan, ApplyReport& report);

}  // namespace kestra::configsvc
