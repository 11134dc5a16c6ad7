#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "model/config_file.h"
#include "report/page_writer.h"
#include "report/print_options.h"

namespace kestra::report {

// The wording of the report, over the model's records. Nothing here talks to the host: the writer loads what a
// section needs and hands the records in.

// Lines needed on a page before an application, or before a table's field line, starts there.
inline constexpr int kApplicationRoom = 6;
inline constexpr int kFieldRoom = 5;

// Columns of a field line.
inline constexpr std::size_t kFieldNameColumn = 29;
inline constexpr std::size_t kTypeTextColumn = 15;

// "Date Base: %s" value in the given short date picture. A date that is no calendar date prints its three numbers
// in the picture's order, joined by the date separator, with no names.
std::string date_base_text(const model::CGlobalOptions& options, const std::string& picture,
                           const std::string& separator);

// The name padded or cut to 29, the type text padded or cut to 15, then the SQL type name.
std::string field_line(const model::CConfigField& field);
// Hidden fields are left out, and group fields when the table does not return groups.
bool field_is_printed(const model::CConfigTable& table, const model::CConfigField& field);

// The limit lines: where required, linear selects, linear joins, row limit (the last is left out for a row-limit
// kind the catalogue does not know).
std::vector<std::string> limit_lines(const model::CConfigLimits& limits);
// Name, update and limits kind on one line.
std::string application_line(const model::CPcApplication& app);
// A member's join field; the member number is used only when it names a member of `join`.
std::string join_field_line(const model::CConfigTable& join, const model::CJoinField& field, bool detail);

void write_header(PageWriter& out, std::string_view file_name, std::string_view window_title);
void write_global_options(PageWriter& out, const model::CConfigFile& file, const std::string& date_picture,
                          const std::string& date_separator);
void write_limits(PageWriter& out, const model::CConfigLimits& limits);

// The heading before an application: "Applications:" before the first, "Applications (continued):" before a later
// one that starts a new page. Breaks the page when fewer than six lines are left.
void write_application_heading(PageWriter& out, bool first);
void write_application(PageWriter& out, const model::CPcApplication& app);
void write_application_failure(PageWriter& out, std::string_view name);

// The break before a table when its details or fields are printed.
void break_before_table(PageWriter& out, const PrintOptions& options, bool first_table);
void write_table_failure(PageWriter& out, std::string_view name);
// A loaded join table: its heading and members.
void write_join_table(PageWriter& out, const model::CConfigTable& table, const PrintOptions& options);
// A loaded plain table: its heading and, with "Detail", its details.
void write_table_heading(PageWriter& out, const model::CConfigTable& table, const PrintOptions& options);
// The printed fields of a table whose field list is loaded, with their headings.
void write_fields(PageWriter& out, const model::CConfigTable& table);
void write_field_list_failure(PageWriter& out, std::string_view name);

}  // namespace kestra::report
