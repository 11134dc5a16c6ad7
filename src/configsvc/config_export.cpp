#include "configsvc/config_export.h"

#include <utility>
#include <vector>

#include "configsvc/config_document.h"
#include "configsvc/field_requests.h"
#include "configsvc/options_requests.h"
#include "configsvc/table_requests.h"
#include "hostlink/host_session.h"

namespace kestra::configsvc {

using hostlink::kSuccess;

std::int16_t fetch_table_details(CConfigClient& client, CPendingUnloadList& pending, std::uint32_t file_reference,
                                 model::CConfigTable& table) {
    std::int16_t rc = kSuccess;
    if (table.join_table) {
        rc = load_join_table(client, file_reference, table, false);
    } else {
        rc = load_table(client, file_reference, table);
        if (rc == kSuccess) rc = get_field_list(client, table);
        if (rc == kSuccess) rc = load_sets(client, table);
    }
    // Unloading drops the details from the model; they are what was read, so they are kept aside meanwhile.
    auto fields = std::move(table.fields);
    auto sets = std::move(table.sets);
    auto members = std::move(table.members);
    const std::int16_t unload = unload_table(client, pending, table, false, false);
    if (rc != kSuccess) return rc;
    if (unload != kSuccess) return unload;
    table.fields = std::move(fields);
    table.sets = std::move(sets);
    table.members = std::move(members);
    table.over_a_set = !table.set.empty();
    return kSuccess;
}

std::int16_t fetch_config_contents(CConfigClient& client, CPendingUnloadList& pending, model::CConfigFile& file) {
    std::int16_t rc = get_global(client, file);
    // Applications that use the global limits take them from the file, so the limits come first.
    if (rc == kSuccess) rc = get_limits(client, file);
    if (rc == kSuccess) rc = get_app_list(client, file);
    for (std::size_t i = 0; rc == kSuccess && i < file.applications.size(); ++i)
        rc = get_app_info(client, file, *file.applications[i]);
    if (rc == kSuccess) rc = get_table_list(client, pending, file);
    const auto reference = static_cast<std::uint32_t>(file.file_reference);
    for (std::size_t i = 0; rc == kSuccess && i < file.tables.size(); ++i)
        rc = fetch_table_details(client, pending, reference, *file.tables[i]);
    if (rc != kSuccess) return rc;
    for (const auto& app : file.applications)
        for (const auto& entry : app->tables) entry->name.assign(application_table_name(file, *entry));
    return kSuccess;
}

}  // namespace kestra::configsvc
