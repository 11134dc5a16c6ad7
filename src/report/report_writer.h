#pragma once

#include <cstdint>
#include <string>

#include "configsvc/pending_unload_list.h"
#include "model/config_file.h"
#include "report/page_file.h"
#include "report/page_writer.h"
#include "report/print_options.h"
#include "report/report_source.h"

namespace kestra::configsvc {
class CConfigClient;
}

namespace kestra::report {

inline constexpr int kDefaultLinesPerPage = 60;
inline constexpr const char* kBadLinesPerPage = "Lines per page must be at least 1";

// What the report is about and how it is laid out.
struct ReportSettings {
    std::string file_name;     // the configuration file's name, as the tree shows it
    std::string window_title;  // the host version text of the session
    PrintOptions options;
    int lines_per_page = kDefaultLinesPerPage;
    std::string date_picture = "M/d/yy";  // the short date picture
    std::string date_separator = "/";
};

// Writes every section the options ask for, loading applications, tables and field lists through `source` as
// they are reached; a load that fails prints its "Cannot load" line and the report goes on. Ends with "E".
void build_report(CReportSource& source, model::CConfigFile& file, const ReportSettings& settings, PageWriter& out);

// The whole print preparation on a session: refuses lines per page below 1 (index 3), builds the report from the
// host, and writes it into `page_file`, which is made first when it does not exist yet. A page file that cannot
// be made or written posts its message with index 3 and returns -1 before anything is loaded. `pages` (when
// given) receives the page count, so a printer range can be clamped. The window title is the session's host
// version text; the date picture is the application's short one. Returns 1 when the report is complete but
// something failed to load (its reasons stay queued).
std::int16_t write_report(configsvc::CConfigClient& client, configsvc::CPendingUnloadList& pending,
                          model::CConfigFile& file, const std::string& file_name, const PrintOptions& options,
                          int lines_per_page, CPageFile& page_file, int* pages = nullptr);

}  // namespace kestra::report
