#include "report/host_report_source.h"

#include "configsvc/field_requests.h"
#include "configsvc/options_requests.h"
#include "configsvc/table_requests.h"

namespace kestra::report {

bool HostReportSource::count(std::int16_t rc) {
    if (rc == 0) return true;
    ++failures_;
    return false;
}

bool HostReportSource::load_application(model::CConfigFile& file, model::CPcApplication& app) {
    return count(configsvc::get_app_info(client_, file, app));
}

bool HostReportSource::load_table(model::CConfigFile& file, model::CConfigTable& table) {
    const auto reference = static_cast<std::uint32_t>(file.file_reference);
    if (table.join_table) return count(configsvc::load_join_table(client_, reference, table, false));
    return count(configsvc::load_table(client_, reference, table));
}

bool HostReportSource::load_field_list(model::CConfigTable& table) {
    return count(configsvc::get_field_list(client_, table));
}

void HostReportSource::unload_table(model::CConfigTable& table) {
    // A failed unload has cleared the table's details all the same; its diagnostic stays queued.
    if (configsvc::unload_table(client_, pending_, table, false, false) != 0) ++failures_;
}

}  // namespace kestra::report
