#include "workspace/view_lines.h"

#include <cstdio>

#include "app/admin_app.h"
#include "report/report_layout.h"

namespace kestra::workspace {

std::vector<std::string> global_lines(const model::CGlobalOptions& g) {
    std::vector<std::string> lines;
    static const char* const program_security[] = {"No Program Security", "Update Program Security",
                                                   "Inquiry Program Security"};
    lines.push_back(g.program_security >= 0 && g.program_security <= 2
                        ? program_security[g.program_security]
                        : "Program Security " + std::to_string(g.program_security));
    lines.push_back("No Sec Admin");
    lines.push_back(g.usercode.empty() ? "Usercode = <default>" : "Usercode =" + g.usercode.str());
    if (g.priority == 0) {
        lines.push_back("Priority = <default>");
    } else {
        char text[32];
        std::snprintf(text, sizeof text, "Priority = %2d", static_cast<int>(g.priority));
        lines.push_back(text);
    }
    lines.push_back(g.translation.empty() ? "No Translation" : "Using: " + g.translation.str());
    static const char* const types[] = {"SECURITYTYPE: PRIVATE", "SECURITYTYPE: PUBLIC", "SECURITYTYPE: GUARDED"};
    lines.push_back(g.security_type >= 0 && g.security_type <= 2 ? types[g.security_type]
                                                                 : "SECURITYTYPE: " + std::to_string(g.security_type));
    static const char* const uses[] = {"SECURITYUSE: SECURED", "SECURITYUSE: IN", "SECURITYUSE: OUT",
                                       "SECURITYUSE: IO"};
    lines.push_back(g.security_use >= 0 && g.security_use <= 3 ? uses[g.security_use]
                                                               : "SECURITYUSE: " + std::to_string(g.security_use));
    const app::CAdminApp& settings = app::admin_app();
    lines.push_back("Date Base:" + report::date_base_text(g, settings.short_date_picture, settings.date_separator));
    lines.push_back(g.library_kind ? "Using Database Libraries" : "Using Dataset Libraries");
    lines.push_back(g.unique_indices ? "Ignore Unique Indices" : "Return Unique Indices");
    if (!g.app_name.empty()) lines.push_back("AppName =" + g.app_name.str());
    lines.push_back(g.hide_fields ? "Hide Fields" : "Show Fields");
    return lines;
}

std::vector<std::string> limit_lines(const model::CConfigLimits& l) {
    std::vector<std::string> lines;
    lines.push_back(l.where_required ? "Where Req'ed" : "No Where Req'ed");
    lines.push_back(l.linear_selects ? "Linear Selects OK" : "No Linear Selects");
    lines.push_back(l.linear_joins ? "Linear Joins OK" : "No Linear Joins");
    char text[64];
    if (l.row_limit_kind == model::RowLimitKind::silent_eof)
        std::snprintf(text, sizeof text, "Silent EOF @ %d Rows", static_cast<int>(l.row_count));
    else if (l.row_limit_kind == model::RowLimitKind::error_message)
        std::snprintf(text, sizeof text, "Error Msg @ %d Rows", static_cast<int>(l.row_count));
    else
        std::snprintf(text, sizeof text, "No Row Limit");
    lines.push_back(text);
    return lines;
}

}  // namespace kestra::workspace
