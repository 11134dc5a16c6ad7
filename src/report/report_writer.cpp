#include "report/report_writer.h"

#include "app/admin_app.h"
#include "configsvc/config_client.h"
#include "hostlink/host_session.h"
#include "hostlink/sqlstate.h"
#include "report/host_report_source.h"
#include "report/report_layout.h"

namespace kestra::report {

namespace {

void write_applications(CReportSource& source, model::CConfigFile& file, PageWriter& out) {
    bool first = true;
    for (const auto& app : file.applications) {
        write_application_heading(out, first);
        first = false;
        if (!source.load_application(file, *app)) {
            write_application_failure(out, app->program_name.view());
            continue;
        }
        write_application(out, *app);
    }
}

void write_table(CReportSource& source, model::CConfigFile& file, model::CConfigTable& table,
                 const PrintOptions& options, bool first, PageWriter& out) {
    if (!options.detail && !options.fields) {
        out.normal(table.name.view());
        return;
    }
    break_before_table(out, options, first);
    if (!source.load_table(file, table)) {
        write_table_failure(out, table.name.view());
        return;
    }
    if (table.join_table) {
        write_join_table(out, table, options);
        return;
    }
    write_table_heading(out, table, options);
    if (options.fields) {
        if (source.load_field_list(table))
            write_fields(out, table);
        else
            write_field_list_failure(out, table.name.view());
    }
    out.blank();
}

void write_tables(CReportSource& source, model::CConfigFile& file, const PrintOptions& options, PageWriter& out) {
    out.bold("Tables:");
    bool first = true;
    for (const auto& table : file.tables) {
        write_table(source, file, *table, options, first, out);
        first = false;
        source.unload_table(*table);
    }
}

}  // namespace

void build_report(CReportSource& source, model::CConfigFile& file, const ReportSettings& settings, PageWriter& out) {
    PrintOptions options = settings.options;
    options.confirm();
    write_header(out, settings.file_name, settings.window_title);
    if (options.global_options) write_global_options(out, file, settings.date_picture, settings.date_separator);
    if (options.limits) write_limits(out, file.limits);
    if (options.applications && !file.applications.empty()) write_applications(source, file, out);
    if (options.names && !file.tables.empty()) write_tables(source, file, options, out);
    out.end();
}

std::int16_t write_report(configsvc::CConfigClient& client, configsvc::CPendingUnloadList& pending,
                          model::CConfigFile& file, const std::string& file_name, const PrintOptions& options,
                          int lines_per_page, CPageFile& page_file, int* pages) {
    hostlink::CHostSession& session = client.session();
    if (pages != nullptr) *pages = 0;
    if (lines_per_page < 1) {
        session.post_error(hostlink::kSqlGeneralFailure, kBadLinesPerPage);
        return hostlink::kError;
    }
    // The file is emptied before anything is fetched, so a bad place costs no host traffic.
    if ((!page_file.exists() && !page_file.create()) || !page_file.write({})) {
        session.post_error(hostlink::kSqlGeneralFailure, page_file.error().c_str());
        return hostlink::kError;
    }
    ReportSettings settings;
    settings.file_name = file_name;
    settings.window_title = session.host_version_text();
    settings.options = options;
    settings.lines_per_page = lines_per_page;
    settings.date_picture = app::admin_app().short_date_picture;
    settings.date_separator = app::admin_app().date_separator;
    HostReportSource source(client, pending);
    PageWriter out(lines_per_page);
    build_report(source, file, settings, out);
    if (!page_file.write(out.text())) {
        session.post_error(hostlink::kSqlGeneralFailure, page_file.error().c_str());
        return hostlink::kError;
    }
    if (pages != nullptr) *pages = out.page_count();
    // Complete, but with "Cannot load" lines whose reasons are queued.
    return source.failures() == 0 ? hostlink::kSuccess : hostlink::kSuccessWithInfo;
}

}  // namespace kestra::report
