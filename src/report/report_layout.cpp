#include "report/report_layout.h"

#include <cstdio>

#include "app/date_format.h"
#include "model/data_type_catalogue.h"

namespace kestra::report {

using model::CConfigField;
using model::CConfigLimits;
using model::CConfigTable;
using model::CGlobalOptions;
using model::CJoinField;
using model::CPcApplication;

namespace {

// Longest date base text printed: the pictures are short, so only a broken one gets near it.
constexpr std::size_t kMaxDateText = 127;

std::string number_text(const char* format, long value) {
    char text[64];
    std::snprintf(text, sizeof text, format, value);
    return text;
}

std::string fit(std::string_view text, std::size_t width) {
    std::string out(text.substr(0, width));
    out.resize(width, ' ');
    return out;
}

bool is_calendar_date(int month, int day, int year) {
    return month >= 1 && month <= 12 && day >= 1 && day <= 31 && year >= 1 && year <= 9999;
}

// Sunday = 0; only for dates that passed is_calendar_date.
int weekday_of(int month, int day, int year) {
    static const int offsets[] = {0, 3, 2, 5, 0, 3, 5, 1, 4, 6, 2, 4};
    if (month < 3) --year;
    return (year + year / 4 - year / 100 + year / 400 + offsets[month - 1] + day) % 7;
}

// The order in which a picture names day, month and year: 'd', 'm', 'y'. Weekday runs and quoted literals are
// passed over; whatever the picture leaves out follows in month, day, year order.
std::string field_order(const std::string& picture) {
    std::string order;
    std::size_t i = 0;
    while (i < picture.size()) {
        char c = picture[i];
        if (c == '"') {
            const std::size_t close = picture.find('"', i + 1);
            i = close == std::string::npos ? picture.size() : close + 1;
            continue;
        }
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
        if (c != 'd' && c != 'm' && c != 'y') {
            ++i;
            continue;
        }
        std::size_t run = 0;
        while (i + run < picture.size() && (picture[i + run] == c || picture[i + run] == c - 'a' + 'A')) ++run;
        const bool weekday = c == 'd' && run >= 3;
        if (!weekday && order.find(c) == std::string::npos) order += c;
        i += run;
    }
    for (char c : std::string("mdy"))
        if (order.find(c) == std::string::npos) order += c;
    return order;
}

std::string row_limit_line(const CConfigLimits& limits) {
    switch (limits.row_limit_kind) {
        case model::RowLimitKind::none:
            return "No Row Limit";
        case model::RowLimitKind::silent_eof:
            return number_text("Silent End of File at %ld Rows", limits.row_count);
        case model::RowLimitKind::error_message:
            return number_text("Error Message at %ld Rows", limits.row_count);
        default:
            return {};
    }
}

}  // namespace

std::string date_base_text(const CGlobalOptions& options, const std::string& picture, const std::string& separator) {
    const int month = options.date_base_month;
    const int day = options.date_base_day;
    const int year = options.date_base_year;
    std::string text;
    if (is_calendar_date(month, day, year)) {
        text = app::format_date_picture(picture, day, month, weekday_of(month, day, year), year);
    } else {
        const std::string joint = separator.empty() ? std::string("/") : separator;
        for (char c : field_order(picture)) {
            if (!text.empty()) text += joint;
            text += number_text("%ld", c == 'd' ? day : c == 'm' ? month : year);
        }
    }
    if (text.size() > kMaxDateText) text.resize(kMaxDateText);
    return text;
}

std::string field_line(const CConfigField& field) {
    return fit(field.name.view(), kFieldNameColumn) + ' ' + fit(field.type_text(), kTypeTextColumn) + ' ' +
           std::string(field.sql_type_name());
}

bool field_is_printed(const CConfigTable& table, const CConfigField& field) {
    return field.visible && table.lists_field(field);
}

std::vector<std::string> limit_lines(const CConfigLimits& limits) {
    std::vector<std::string> lines{
        limits.where_required ? "Where Required" : "No Where Required",
        limits.linear_selects ? "Linear Selects Allowed" : "No Linear Selects",
        limits.linear_joins ? "Linear Joins Allowed" : "No Linear Joins",
    };
    std::string rows = row_limit_line(limits);
    if (!rows.empty()) lines.push_back(std::move(rows));
    return lines;
}

std::string application_line(const CPcApplication& app) {
    return app.program_name.str() + (app.update_allowed ? ", Update allowed" : ", Inquiry only") +
           (app.local_limits ? ", Using local limits" : ", Using global limits");
}

std::string join_field_line(const CConfigTable& join, const CJoinField& field, bool detail) {
    std::string line = detail ? "         Field " : "      Field ";
    line += field.field.str();
    line += " = ";
    const std::int32_t number = field.member_number;
    if (field.kind == model::JoinFieldKind::field && number >= 1 &&
        static_cast<std::size_t>(number) <= join.members.size()) {
        line += join.members[static_cast<std::size_t>(number) - 1]->sub_table.str();
        line += '.';
    }
    line += field.value.str();
    return line;
}

void write_header(PageWriter& out, std::string_view file_name, std::string_view window_title) {
    out.bold("Configuration file " + std::string(file_name) + " at " + std::string(window_title));
    out.blank();
}

void write_global_options(PageWriter& out, const model::CConfigFile& file, const std::string& date_picture,
                          const std::string& date_separator) {
    const CGlobalOptions& g = file.global_options;
    out.bold("Global Options:");
    if (!file.description.empty()) out.normal("Description \"" + file.description.str() + "\"");
    switch (g.program_security) {
        case model::ProgramSecurity::none:
            out.normal("No Program Security");
            break;
        case model::ProgramSecurity::update:
            out.normal("Update Program Security");
            break;
        case model::ProgramSecurity::inquiry:
            out.normal("Inquiry Program Security");
            break;
        default:
            break;
    }
    out.normal("No Sec Admin");
    out.normal(g.usercode.empty() ? std::string("Usercode = <default>") : "Usercode =" + g.usercode.str());
    out.normal(g.priority == 0 ? std::string("Priority = <default>") : number_text("Priority = %2ld", g.priority));
    out.normal(g.translation.empty() ? std::string("No Translation") : "Using: " + g.translation.str());
    switch (g.security_type) {
        case model::SecurityType::private_:
            out.normal("SECURITYTYPE: PRIVATE");
            break;
        case model::SecurityType::public_:
            out.normal("SECURITYTYPE: PUBLIC");
            break;
        case model::SecurityType::guarded:
            out.normal("SECURITYTYPE: GUARDED (" +
                       (g.guardfile.empty() ? std::string("No guardfile specified") : g.guardfile.str()) + ")");
            break;
        default:
            break;
    }
    static const char* const uses[] = {"SECURITYUSE: SECURED", "SECURITYUSE: IN", "SECURITYUSE: OUT",
                                       "SECURITYUSE: IO"};
    if (g.security_use >= 0 && g.security_use <= 3) out.normal(uses[g.security_use]);
    out.normal("Date Base: " + date_base_text(g, date_picture, date_separator));
    out.normal(g.library_kind ? "Using Database Libraries" : "Using Dataset Libraries");
    out.normal(g.unique_indices ? "Ignore Unique Indices" : "Return Unique Indices");
    out.normal(g.app_name.empty() ? std::string("AppName = <none>") : "AppName = " + g.app_name.str());
    out.normal(g.hide_fields ? "Hide Fields by Default" : "Show Fields by Default");
    out.blank();
}

void write_limits(PageWriter& out, const CConfigLimits& limits) {
    out.bold("Limits:");
    for (const std::string& line : limit_lines(limits)) out.normal(line);
    out.blank();
}

void write_application_heading(PageWriter& out, bool first) {
    const bool short_of_room = out.lines_left() < kApplicationRoom;
    if (first) {
        if (short_of_room) out.page_break();
        out.bold("Applications:");
    } else if (short_of_room) {
        out.page_break();
        out.bold("Applications (continued):");
    }
}

void write_application(PageWriter& out, const CPcApplication& app) {
    out.normal(application_line(app));
    if (app.local_limits)
        for (const std::string& line : limit_lines(app.limits)) out.normal(line);
    out.blank();
}

void write_application_failure(PageWriter& out, std::string_view name) {
    out.bold("Cannot load application info for " + std::string(name));
    out.blank();
}

void break_before_table(PageWriter& out, const PrintOptions& options, bool first_table) {
    if (!options.detail && !options.fields) return;
    // At least half the page used, written without a product that could overflow.
    if ((options.fields && !first_table) || out.lines_used() >= out.lines_per_page() - out.lines_used())
        out.page_break();
}

void write_table_failure(PageWriter& out, std::string_view name) {
    out.bold("Cannot load table " + std::string(name));
    out.blank();
}

void write_join_table(PageWriter& out, const CConfigTable& table, const PrintOptions& options) {
    out.bold("Join Table " + table.name.str());
    bool first_member = true;
    for (const auto& member : table.members) {
        out.normal("   Sub Table " + member->sub_table.str());
        if (options.detail) {
            if (!first_member)
                out.normal(std::string("      Read type ") +
                           (member->join_kind == model::CJoinMember::kInner ? "INNER" : "OUTER"));
            out.normal("      Where condition " +
                       (member->where_condition.empty() ? std::string("UNDEFINED") : member->where_condition.str()));
            out.normal("      Set " + (member->set.empty() ? std::string("DEFAULT") : member->set.str()));
        }
        if (options.fields) {
            for (const auto& field : member->join_fields) {
                if (field->kind == model::JoinFieldKind::none) break;
                out.normal(join_field_line(table, *field, options.detail));
            }
        }
        first_member = false;
    }
}

void write_table_heading(PageWriter& out, const CConfigTable& table, const PrintOptions& options) {
    out.bold("Table " + table.name.str());
    if (!options.detail) return;
    out.normal(table.update_allowed ? "Update allowed" : "Inquiry only");
    if (!table.set.empty())
        out.normal("Set " + table.set.str() + " of Dataset " + table.dataset.str());
    else
        out.normal("Dataset " + table.dataset.str());
    out.normal("Database " + table.database.str());
    out.normal("Description file " + table.description_file.str());
    out.blank();
}

void write_fields(PageWriter& out, const CConfigTable& table) {
    bool first = true;
    for (const auto& field : table.fields) {
        if (!field_is_printed(table, *field)) continue;
        const bool short_of_room = out.lines_left() < kFieldRoom;
        if (first) {
            if (short_of_room) out.page_break();
            out.normal("Fields from table " + table.name.str() + ":");
        } else if (short_of_room) {
            out.page_break();
            out.normal("Fields from table " + table.name.str() + " (continued):");
        }
        out.normal(field_line(*field));
        first = false;
    }
}

void write_field_list_failure(PageWriter& out, std::string_view name) {
    out.bold("Cannot load field list for table " + std::string(name));
    out.blank();
}

}  // namespace kestra::report
