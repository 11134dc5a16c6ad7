// Commands on the global options, limits and PC applications of a configuration file.
#include <algorithm>
#include <optional>
#include <ostream>
#include <sstream>
#include <string_view>

#include "app/date_format.h"
#include "cli/arg_parser.h"
#include "cli/cli_output.h"
#include "cli/config_file_arg.h"
#include "cli/host_command.h"
#include "configsvc/config_file_names.h"
#include "configsvc/options_requests.h"
#include "configsvc/pending_unload_list.h"
#include "configsvc/table_requests.h"
#include "hostlink/host_session.h"
#include "model/config_field.h"
#include "workspace/global_settings_form.h"
#include "workspace/view_lines.h"

namespace kestra::cli {

namespace {

using configsvc::CConfigClient;
using model::CConfigFile;
using model::CConfigLimits;
using model::CGlobalOptions;
using model::CPcApplication;


// --- wording of the configuration view ---

using workspace::global_lines;
using workspace::limit_lines;

void print_lines(CliContext& ctx, const std::vector<std::string>& lines, const char* indent = "") {
    for (const auto& line : lines) ctx.out << indent << shown(line) << "\n";
}

std::string limits_json(const CConfigLimits& l) {
    std::ostringstream out;
    out << "{\"where_required\":" << json_bool(l.where_required) << ",\"linear_selects\":"
        << json_bool(l.linear_selects) << ",\"linear_joins\":" << json_bool(l.linear_joins)
        << ",\"row_limit_kind\":" << l.row_limit_kind << ",\"row_count\":" << l.row_count << "}";
    return out.str();
}

std::string app_line(const CPcApplication& app, bool with_limits) {
    std::string line = shown(app.program_name.view()) + (app.update_allowed ? ", Update allowed" : ", Inquiry only");
    if (with_limits) line += app.local_limits ? ", Using local limits" : ", Using global limits";
    return line;
}

// --- arguments ---

bool parse_choice(CliContext& ctx, const std::optional<std::string>& value, const char* option,
                  std::initializer_list<const char*> words, std::int32_t& out) {
    if (!value) return true;
    std::int32_t index = 0;
    for (const char* w : words) {
        if (*value == w) {
            out = index;
            return true;
        }
        ++index;
    }
    std::string list;
    for (const char* w : words) list += (list.empty() ? "" : "|") + std::string(w);
    usage(ctx, std::string("--") + option + " takes " + list);
    return false;
}

// "none", "eof:N" or "error:N".
bool parse_row_limit(const std::string& text, CConfigLimits& limits) {
    if (text == "none") {
        limits.row_limit_kind = model::RowLimitKind::none;
        return true;
    }
    const auto colon = text.find(':');
    if (colon == std::string::npos) return false;
    const std::string kind = text.substr(0, colon);
    long long rows = 0;
    if (!parse_number(text.substr(colon + 1), rows, 0, configsvc::kMaxRowCount)) return false;
    if (kind == "eof")
        limits.row_limit_kind = model::RowLimitKind::silent_eof;
    else if (kind == "error")
        limits.row_limit_kind = model::RowLimitKind::error_message;
    else
        return false;
    limits.row_count = static_cast<std::int32_t>(rows);
    return true;
}

// LIMITS: comma-separated where-required|no-where-required, linear-selects|no-linear-selects,
// linear-joins|no-linear-joins and none|eof:N|error:N, applied over `limits`.
bool parse_limits(const std::string& text, CConfigLimits& limits) {
    std::stringstream items(text);
    std::string item;
    bool any = false;
    while (std::getline(items, item, ',')) {
        any = true;
        if (item == "where-required" || item == "no-where-required")
            limits.where_required = item == "where-required";
        else if (item == "linear-selects" || item == "no-linear-selects")
            limits.linear_selects = item == "linear-selects";
        else if (item == "linear-joins" || item == "no-linear-joins")
            limits.linear_joins = item == "linear-joins";
        else if (!parse_row_limit(item, limits))
            return false;
    }
    return any;
}

using model::equal_ignoring_case;

// An APP argument: an application number, else a program name ignoring case.
CPcApplication* resolve_app(CliContext& ctx, CConfigFile& file, const std::string& arg) {
    CPcApplication* match = nullptr;
    std::size_t matches = 0;
    for (const auto& app : file.applications)
        if (equal_ignoring_case(app->program_name.view(), arg) && matches++ == 0) match = app.get();
    if (matches == 1) return match;
    if (matches > 1) {
        ctx.err << "kestra: " << matches << " applications are named " << arg << "; give its number\n";
        return nullptr;
    }
    long long number = 0;
    if (parse_number(arg, number, 1, 999))
        for (const auto& app : file.applications)
            if (app->app_number == number) return app.get();
    ctx.err << "kestra: no application " << arg << " in the configuration file\n";
    return nullptr;
}

// The name checks of the Application dialog; empty when the name passes. `current` is the application's name.
std::string check_program_name(const CConfigFile& file, std::string name, std::string_view current) {
    const char* problem = configsvc::check_program_name(name, file, current);
    return problem != nullptr ? problem : std::string();
}

// --tables TABLE[:u],...: each accessible table with its own update-allowed flag, ":u" only for a table whose
// updates the file allows.
bool parse_app_tables(CliContext& ctx, CConfigFile& file, const std::string& text, CPcApplication& app) {
    std::vector<std::unique_ptr<model::CConfigTable>> tables;
    std::stringstream items(text);
    std::string item;
    while (std::getline(items, item, ',')) {
        bool update = false;
        if (item.size() > 2 && item.compare(item.size() - 2, 2, ":u") == 0) {
            update = true;
            item.resize(item.size() - 2);
        }
        const model::CConfigTable* found = nullptr;
        std::size_t matches = 0;
        for (const auto& t : file.tables)
            if (equal_ignoring_case(t->name.view(), item) && matches++ == 0) found = t.get();
        if (matches > 1) {
            ctx.err << "kestra: " << matches << " tables are named " << item << "; give its number\n";
            return false;
        }
        long long number = 0;
        if (found == nullptr && parse_number(item, number, 1, 9999))
            for (const auto& t : file.tables)
                if (t->table_number == number) found = t.get();
        if (found == nullptr) {
            ctx.err << "kestra: no table " << item << " in the configuration file\n";
            return false;
        }
        if (update && !found->update_allowed) {
            ctx.err << "kestra: table " << shown(found->name.view())
                    << " does not allow updates in the configuration file\n";
            return false;
        }
        const bool already = std::any_of(tables.begin(), tables.end(), [&](const auto& t) {
            return t->table_number == found->table_number;
        });
        if (already) continue;
        auto entry = std::make_unique<model::CConfigTable>();
        entry->table_number = found->table_number;
        entry->name = found->name;
        entry->update_allowed = update;
        tables.push_back(std::move(entry));
    }
    app.table_list = true;
    app.tables = std::move(tables);
    return true;
}

// The file's tables, for naming an application's table list. Failure leaves them empty.
bool read_tables(CConfigClient& client, CConfigFile& file) {
    configsvc::CPendingUnloadList pending;
    return configsvc::get_table_list(client, pending, file) == hostlink::kSuccess;
}

std::string table_name(const CConfigFile& file, std::int32_t number) {
    for (const auto& t : file.tables)
        if (t->table_number == number) return t->name.str();
    return {};
}

int host_failed(CliContext& ctx, CConfigClient& client) {
    print_diagnostics(ctx, client.session());
    return kExitFailure;
}

// --- global ---

void print_global(CliContext& ctx, const CConfigFile& file) {
    const CGlobalOptions& g = file.global_options;
    if (!ctx.options.json) {
        print_lines(ctx, global_lines(g));
        return;
    }
    ctx.out << "{\"description\":" << json_string(file.description.view())
            << ",\"usercode\":" << json_string(g.usercode.view())
            << ",\"translation\":" << json_string(g.translation.view()) << ",\"priority\":" << g.priority
            << ",\"date_base\":{\"year\":" << g.date_base_year << ",\"month\":" << g.date_base_month
            << ",\"day\":" << g.date_base_day << "},\"library_kind\":" << (g.library_kind ? 1 : 0)
            << ",\"program_security\":" << g.program_security << ",\"security_use\":" << g.security_use
            << ",\"security_type\":" << g.security_type << ",\"guardfile\":" << json_string(g.guardfile.view())
            << ",\"unique_indices\":" << (g.unique_indices ? 1 : 0)
            << ",\"app_name\":" << json_string(g.app_name.view()) << ",\"hide_fields\":" << json_bool(g.hide_fields)
            << ",\"lines\":[";
    const auto lines = global_lines(g);
    for (std::size_t i = 0; i < lines.size(); ++i) ctx.out << (i ? "," : "") << json_string(lines[i]);
    ctx.out << "]}\n";
}

int run_global(CliContext& ctx, std::span<const std::string> args) {
    ArgParser parser(args);
    std::vector<std::string> rest;
    if (!parser.finish(rest)) return usage(ctx, parser.error());
    if (rest.size() != 1) return usage(ctx, "global: give one FILE");
    return with_host(ctx, [&](hostlink::CHostSession& session) {
        return with_open_file(ctx, session, rest[0], false, [&](CConfigClient& client, CConfigFile& file, std::uint32_t) {
            if (configsvc::get_global(client, file) != hostlink::kSuccess) return host_failed(ctx, client);
            print_global(ctx, file);
            return kExitOk;
        });
    });
}

// YYYY-MM-DD, or "none" for no date base, into the form's three fields; the form checks the numbers.
bool split_date_base(const std::string& text, workspace::GlobalSettingsForm& form) {
    if (text == "none") {
        form.year = form.month = form.day = "";
        return true;
    }
    const auto dash1 = text.find('-');
    const auto dash2 = dash1 == std::string::npos ? dash1 : text.find('-', dash1 + 1);
    if (dash2 == std::string::npos || text.find('-', dash2 + 1) != std::string::npos) return false;
    form.year = text.substr(0, dash1);
    form.month = text.substr(dash1 + 1, dash2 - dash1 - 1);
    form.day = text.substr(dash2 + 1);
    return true;
}

int run_set_global(CliContext& ctx, std::span<const std::string> args) {
    ArgParser parser(args);
    const auto description = parser.value("description");
    const auto usercode = parser.value("usercode");
    const auto translation = parser.value("translation");
    const auto priority = parser.value("priority");
    const auto date_base = parser.value("date-base");
    const auto library = parser.value("library");
    const auto program_security = parser.value("program-security");
    const auto security_type = parser.value("security-type");
    const auto security_use = parser.value("security-use");
    const auto guardfile = parser.value("guardfile");
    const auto unique_indices = parser.value("unique-indices");
    const auto app_name = parser.value("app-name");
    const auto hide_fields = parser.on_off("hide-fields");
    const bool no_save = parser.flag("no-save");
    std::vector<std::string> rest;
    if (!parser.finish(rest)) return usage(ctx, parser.error());
    if (rest.size() != 1) return usage(ctx, "set-global: give one FILE");

    std::int32_t library_kind = 0, unique = 0, program_code = 0, type_code = 0, use_code = 0;
    if (!parse_choice(ctx, library, "library", {"dataset", "database"}, library_kind) ||
        !parse_choice(ctx, program_security, "program-security", {"none", "update", "inquiry"}, program_code) ||
        !parse_choice(ctx, security_type, "security-type", {"private", "public", "guarded"}, type_code) ||
        !parse_choice(ctx, security_use, "security-use", {"secured", "in", "out", "io"}, use_code) ||
        !parse_choice(ctx, unique_indices, "unique-indices", {"return", "ignore"}, unique))
        return kExitUsage;

    // The options given, typed into the Global Settings form over what it was loaded with.
    const auto fill = [&](workspace::GlobalSettingsForm& form) {
        if (description) form.description = *description;
        if (usercode) form.usercode = upper(*usercode);
        if (translation) form.translation = *translation;
        if (priority) form.priority = *priority;
        if (date_base) split_date_base(*date_base, form);
        if (library) form.database_libraries = library_kind == 1;
        if (program_security) form.program_security.choose(program_code);
        if (security_type) form.security_type.choose(type_code);
        if (security_use) form.security_use.choose(use_code);
        if (guardfile) form.guardfile = *guardfile;
        if (unique_indices) form.ignore_unique_indices = unique == 1;
        if (app_name) form.app_name = upper(*app_name);
        if (hide_fields) form.hide_fields = *hide_fields;
    };
    const auto refused = [&](const workspace::FormRefusal& r) {
        ctx.err << "kestra: set-global: " << r.message << "\n";
        return kExitUsage;
    };

    workspace::GlobalSettingsForm probe;
    if (date_base && !split_date_base(*date_base, probe)) return usage(ctx, "Please enter an integer.");
    // Numbers and texts too long for any record are refused before the host is asked anything. A text within
    // what the host may hold is checked once the loaded value is known: an unchanged one goes back whole.
    probe.load(CGlobalOptions(), "");
    fill(probe);
    if (const auto r = probe.validate()) {
        using F = workspace::GlobalSettingsForm;
        const bool known_after_load = r->control == F::kAppName || r->control == F::kTranslation ||
                                      r->control == F::kGuardfile || r->control == F::kUsercode;
        if (!known_after_load) return refused(*r);
    }

    return with_host(ctx, [&](hostlink::CHostSession& session) {
        return with_open_file(ctx, session, rest[0], !no_save,
                              [&](CConfigClient& client, CConfigFile& file, std::uint32_t) {
            if (configsvc::get_global(client, file) != hostlink::kSuccess) return host_failed(ctx, client);
            workspace::GlobalSettingsForm form;
            form.load(file.global_options, file.description.view());
            fill(form);
            if (const auto r = form.validate()) return refused(*r);
            form.store(file.global_options, file.description);
            file.modified = true;
            if (configsvc::put_global(client, file) != hostlink::kSuccess) return host_failed(ctx, client);
            print_changed(ctx, "set-global");
            return kExitOk;
        });
    });
}

// --- limits ---

void print_limits(CliContext& ctx, const CConfigLimits& limits) {
    if (ctx.options.json) {
        std::string json = limits_json(limits);
        json.pop_back();
        ctx.out << json << ",\"lines\":[";
        const auto lines = limit_lines(limits);
        for (std::size_t i = 0; i < lines.size(); ++i) ctx.out << (i ? "," : "") << json_string(lines[i]);
        ctx.out << "]}\n";
        return;
    }
    print_lines(ctx, limit_lines(limits));
}

int run_limits(CliContext& ctx, std::span<const std::string> args) {
    ArgParser parser(args);
    std::vector<std::string> rest;
    if (!parser.finish(rest)) return usage(ctx, parser.error());
    if (rest.size() != 1) return usage(ctx, "limits: give one FILE");
    return with_host(ctx, [&](hostlink::CHostSession& session) {
        return with_open_file(ctx, session, rest[0], false, [&](CConfigClient& client, CConfigFile& file, std::uint32_t) {
            if (configsvc::get_limits(client, file) != hostlink::kSuccess) return host_failed(ctx, client);
            print_limits(ctx, file.limits);
            return kExitOk;
        });
    });
}

int run_set_limits(CliContext& ctx, std::span<const std::string> args) {
    ArgParser parser(args);
    const auto app_arg = parser.value("app");
    const auto where = parser.on_off("where-required");
    const auto selects = parser.on_off("linear-selects");
    const auto joins = parser.on_off("linear-joins");
    const auto row_limit = parser.value("row-limit");
    const bool no_save = parser.flag("no-save");
    std::vector<std::string> rest;
    if (!parser.finish(rest)) return usage(ctx, parser.error());
    if (rest.size() != 1) return usage(ctx, "set-limits: give one FILE");
    CConfigLimits row_probe;
    if (row_limit && !parse_row_limit(*row_limit, row_probe))
        return usage(ctx, "--row-limit takes none, eof:N or error:N with N from 0 to 2147483647");
    const auto apply = [&](CConfigLimits& limits) {
        if (where) limits.where_required = *where;
        if (selects) limits.linear_selects = *selects;
        if (joins) limits.linear_joins = *joins;
        if (row_limit) parse_row_limit(*row_limit, limits);
    };
    return with_host(ctx, [&](hostlink::CHostSession& session) {
        return with_open_file(ctx, session, rest[0], !no_save,
                              [&](CConfigClient& client, CConfigFile& file, std::uint32_t) {
            if (configsvc::get_limits(client, file) != hostlink::kSuccess) return host_failed(ctx, client);
            file.modified = true;
            if (!app_arg) {
                apply(file.limits);
                if (configsvc::put_limits(client, file) != hostlink::kSuccess) return host_failed(ctx, client);
                print_changed(ctx, "set-limits", "\"limits\":" + limits_json(file.limits));
                return kExitOk;
            }
            // An application's own limits: it overrides the global ones from now on.
            if (configsvc::get_app_list(client, file) != hostlink::kSuccess) return host_failed(ctx, client);
            CPcApplication* app = resolve_app(ctx, file, *app_arg);
            if (app == nullptr) return kExitFailure;
            if (configsvc::get_app_info(client, file, *app) != hostlink::kSuccess) return host_failed(ctx, client);
            app->local_limits = true;
            apply(app->limits);
            app->changed = true;
            if (configsvc::modify_apps(client, file) != hostlink::kSuccess) return host_failed(ctx, client);
            print_changed(ctx, "set-limits",
                          "\"app\":" + std::to_string(app->app_number) + ",\"limits\":" + limits_json(app->limits));
            return kExitOk;
        });
    });
}

// --- apps, app ---

int run_apps(CliContext& ctx, std::span<const std::string> args) {
    ArgParser parser(args);
    std::vector<std::string> rest;
    if (!parser.finish(rest)) return usage(ctx, parser.error());
    if (rest.size() != 1) return usage(ctx, "apps: give one FILE");
    return with_host(ctx, [&](hostlink::CHostSession& session) {
        return with_open_file(ctx, session, rest[0], false, [&](CConfigClient& client, CConfigFile& file, std::uint32_t) {
            // What arrived before a receive error is still shown; the exit status tells it was cut short.
            const bool ok = configsvc::get_app_list(client, file) == hostlink::kSuccess;
            if (ctx.options.json) ctx.out << "[";
            for (std::size_t i = 0; i < file.applications.size(); ++i) {
                const CPcApplication& app = *file.applications[i];
                if (ctx.options.json)
                    ctx.out << (i ? "," : "") << "{\"number\":" << app.app_number
                            << ",\"name\":" << json_string(app.program_name.view())
                            << ",\"update_allowed\":" << json_bool(app.update_allowed) << "}";
                else
                    ctx.out << app.app_number << " " << app_line(app, false) << "\n";
            }
            if (ctx.options.json) ctx.out << "]\n";
            return ok ? kExitOk : host_failed(ctx, client);
        });
    });
}

void print_app(CliContext& ctx, const CConfigFile& file, const CPcApplication& app) {
    if (ctx.options.json) {
        ctx.out << "{\"number\":" << app.app_number << ",\"name\":" << json_string(app.program_name.view())
                << ",\"update_allowed\":" << json_bool(app.update_allowed)
                << ",\"local_limits\":" << json_bool(app.local_limits) << ",\"limits\":" << limits_json(app.limits)
                << ",\"table_list\":" << json_bool(app.table_list) << ",\"tables\":[";
        for (std::size_t i = 0; i < app.tables.size(); ++i)
            ctx.out << (i ? "," : "") << "{\"number\":" << app.tables[i]->table_number
                    << ",\"name\":" << json_string(table_name(file, app.tables[i]->table_number))
                    << ",\"update_allowed\":" << json_bool(app.tables[i]->update_allowed) << "}";
        ctx.out << "]}\n";
        return;
    }
    ctx.out << app.app_number << " " << app_line(app, true) << "\n";
    // Without local limits these are the file's, as the application dialog shows them.
    print_lines(ctx, limit_lines(app.limits), "  ");
    if (!app.table_list) return;
    ctx.out << "  Tables:\n";
    for (const auto& t : app.tables) {
        const std::string name = table_name(file, t->table_number);
        ctx.out << "    " << t->table_number << " " << (name.empty() ? "?" : shown(name))
                << (t->update_allowed ? ", Update allowed" : ", Inquiry only") << "\n";
    }
}

int run_app(CliContext& ctx, std::span<const std::string> args) {
    ArgParser parser(args);
    std::vector<std::string> rest;
    if (!parser.finish(rest)) return usage(ctx, parser.error());
    if (rest.size() != 2) return usage(ctx, "app: give FILE and APP");
    return with_host(ctx, [&](hostlink::CHostSession& session) {
        return with_open_file(ctx, session, rest[0], false, [&](CConfigClient& client, CConfigFile& file, std::uint32_t) {
            // The global limits first: an application without its own shows them.
            if (configsvc::get_limits(client, file) != hostlink::kSuccess ||
                configsvc::get_app_list(client, file) != hostlink::kSuccess)
                return host_failed(ctx, client);
            CPcApplication* app = resolve_app(ctx, file, rest[1]);
            if (app == nullptr) return kExitFailure;
            if (configsvc::get_app_info(client, file, *app) != hostlink::kSuccess) return host_failed(ctx, client);
            if (app->table_list && !read_tables(client, file)) print_diagnostics(ctx, client.session());
            print_app(ctx, file, *app);
            return kExitOk;
        });
    });
}

// --- add-app, set-app, delete-apps ---

struct AppEdits {
    std::optional<bool> update_allowed;
    std::optional<std::string> local_limits;  // LIMITS or "off"
    std::optional<std::string> tables;        // TABLE[:u],... or "off"
};

AppEdits take_app_edits(ArgParser& parser) {
    return {parser.on_off("update-allowed"), parser.value("local-limits"), parser.value("tables")};
}

bool check_app_edits(CliContext& ctx, const AppEdits& edits) {
    CConfigLimits probe;
    if (edits.local_limits && *edits.local_limits != "off" && !parse_limits(*edits.local_limits, probe)) {
        usage(ctx, "--local-limits takes off, or items of where-required|no-where-required, "
                   "linear-selects|no-linear-selects, linear-joins|no-linear-joins, none|eof:N|error:N "
                   "separated by commas");
        return false;
    }
    if (edits.tables && edits.tables->empty()) {
        usage(ctx, "--tables takes off or TABLE[:u],...");
        return false;
    }
    return true;
}

// Applies the edits; false after a message when a table cannot be named.
bool apply_app_edits(CliContext& ctx, CConfigFile& file, const AppEdits& edits, CPcApplication& app) {
    if (edits.update_allowed) app.update_allowed = *edits.update_allowed;
    if (edits.local_limits) {
        app.local_limits = *edits.local_limits != "off";
        if (app.local_limits) parse_limits(*edits.local_limits, app.limits);
        else app.limits = file.limits;
    }
    if (edits.tables) {
        if (*edits.tables == "off") {
            app.table_list = false;
            app.tables.clear();
        } else if (!parse_app_tables(ctx, file, *edits.tables, app)) {
            return false;
        }
    }
    return true;
}

int run_add_app(CliContext& ctx, std::span<const std::string> args) {
    ArgParser parser(args);
    const AppEdits edits = take_app_edits(parser);
    const bool no_save = parser.flag("no-save");
    std::vector<std::string> rest;
    if (!parser.finish(rest)) return usage(ctx, parser.error());
    if (rest.size() != 2) return usage(ctx, "add-app: give FILE and NAME");
    if (!check_app_edits(ctx, edits)) return kExitUsage;
    const std::string name = upper(trim(rest[1]));
    // What the name breaks on its own is found before the login; a duplicate only once the list is read.
    if (const std::string problem = check_program_name(CConfigFile(), name, {}); !problem.empty())
        return usage(ctx, problem);
    return with_host(ctx, [&](hostlink::CHostSession& session) {
        return with_open_file(ctx, session, rest[0], !no_save,
                              [&](CConfigClient& client, CConfigFile& file, std::uint32_t) {
            if (configsvc::get_limits(client, file) != hostlink::kSuccess ||
                configsvc::get_app_list(client, file) != hostlink::kSuccess)
                return host_failed(ctx, client);
            if (const std::string problem = check_program_name(file, name, {}); !problem.empty()) {
                ctx.err << "kestra: " << problem << "\n";
                return kExitFailure;
            }
            if (edits.tables && *edits.tables != "off" && !read_tables(client, file)) return host_failed(ctx, client);
            auto app = std::make_unique<CPcApplication>();
            app->program_name.assign(name);
            app->limits = file.limits;  // overrides start from the global limits
            if (!apply_app_edits(ctx, file, edits, *app)) return kExitFailure;
            CPcApplication& added = *app;
            file.applications.push_back(std::move(app));
            file.modified = true;
            if (configsvc::add_apps(client, file) != hostlink::kSuccess) {
                file.applications.pop_back();
                return host_failed(ctx, client);
            }
            print_changed(ctx, "add-app",
                          "\"number\":" + std::to_string(added.app_number) +
                              ",\"name\":" + json_string(added.program_name.view()));
            return kExitOk;
        });
    });
}

int run_set_app(CliContext& ctx, std::span<const std::string> args) {
    ArgParser parser(args);
    const AppEdits edits = take_app_edits(parser);
    const auto new_name = parser.value("name");
    const bool no_save = parser.flag("no-save");
    std::vector<std::string> rest;
    if (!parser.finish(rest)) return usage(ctx, parser.error());
    if (rest.size() != 2) return usage(ctx, "set-app: give FILE and APP");
    if (!check_app_edits(ctx, edits)) return kExitUsage;
    if (new_name) {
        // Its length counts only once the current name is known: an unchanged long name goes back as it came.
        if (trim(*new_name).empty()) return usage(ctx, configsvc::kProgramNameMissing);
    }
    return with_host(ctx, [&](hostlink::CHostSession& session) {
        return with_open_file(ctx, session, rest[0], !no_save,
                              [&](CConfigClient& client, CConfigFile& file, std::uint32_t) {
            if (configsvc::get_limits(client, file) != hostlink::kSuccess ||
                configsvc::get_app_list(client, file) != hostlink::kSuccess)
                return host_failed(ctx, client);
            CPcApplication* app = resolve_app(ctx, file, rest[1]);
            if (app == nullptr) return kExitFailure;
            // Its information is fetched first, so what is not edited goes back as the host has it.
            if (configsvc::get_app_info(client, file, *app) != hostlink::kSuccess) return host_failed(ctx, client);
            if (new_name) {
                const std::string name = upper(trim(*new_name));
                if (const std::string problem = check_program_name(file, name, app->program_name.str());
                    !problem.empty()) {
                    ctx.err << "kestra: " << problem << "\n";
                    return kExitFailure;
                }
                app->program_name.assign(name);
            }
            if (edits.tables && *edits.tables != "off" && !read_tables(client, file)) return host_failed(ctx, client);
            if (!apply_app_edits(ctx, file, edits, *app)) return kExitFailure;
            app->changed = true;
            file.modified = true;
            if (configsvc::modify_apps(client, file) != hostlink::kSuccess) return host_failed(ctx, client);
            print_changed(
                ctx, "set-app",
                "\"number\":" + std::to_string(app->app_number) + ",\"name\":" + json_string(app->program_name.view()));
            return kExitOk;
        });
    });
}

int run_delete_apps(CliContext& ctx, std::span<const std::string> args) {
    ArgParser parser(args);
    const bool no_save = parser.flag("no-save");
    std::vector<std::string> rest;
    if (!parser.finish(rest)) return usage(ctx, parser.error());
    if (rest.size() < 2) return usage(ctx, "delete-apps: give FILE and at least one APP");
    return with_host(ctx, [&](hostlink::CHostSession& session) {
        return with_open_file(ctx, session, rest[0], !no_save,
                              [&](CConfigClient& client, CConfigFile& file, std::uint32_t) {
            if (configsvc::get_app_list(client, file) != hostlink::kSuccess) return host_failed(ctx, client);
            std::vector<std::int32_t> numbers;
            for (std::size_t i = 1; i < rest.size(); ++i) {
                const CPcApplication* app = resolve_app(ctx, file, rest[i]);
                if (app == nullptr) return kExitFailure;
                if (std::find(numbers.begin(), numbers.end(), app->app_number) == numbers.end())
                    numbers.push_back(app->app_number);
            }
            if (configsvc::delete_apps(client, file, numbers) != hostlink::kSuccess) return host_failed(ctx, client);
            std::erase_if(file.applications, [&](const auto& app) {
                return std::find(numbers.begin(), numbers.end(), app->app_number) != numbers.end();
            });
            file.modified = true;
            std::string list;
            for (std::int32_t n : numbers) list += (list.empty() ? "" : ",") + std::to_string(n);
            print_changed(ctx, "delete-apps", "\"apps\":[" + list + "]");
            return kExitOk;
        });
    });
}

const CommandRegistration global_reg{
    {"global", "FILE", "show the global options of a configuration file",
     "Prints the global options as the configuration view lists them. With --json, every value and the lines.",
     kGroupOptions, run_global}};
const CommandRegistration set_global_reg{
    {"set-global",
     "FILE [--description T] [--usercode U] [--translation T] [--priority N] [--date-base YYYY-MM-DD|none]\n"
     "       [--library dataset|database] [--program-security none|update|inquiry]\n"
     "       [--security-type private|public|guarded] [--security-use secured|in|out|io] [--guardfile F]\n"
     "       [--unique-indices return|ignore] [--app-name N] [--hide-fields on|off] [--no-save]",
     "change global options of a configuration file",
     "Gets the global options, changes the named ones and puts all of them back, then saves the file (unless\n"
     "--no-save). A usercode starting with \"<\" means the default usercode; priority 0 the default priority.",
     kGroupOptions, run_set_global}};
const CommandRegistration limits_reg{
    {"limits", "FILE", "show the global limits of a configuration file",
     "Prints the limits as the configuration view lists them.", kGroupOptions, run_limits}};
const CommandRegistration set_limits_reg{
    {"set-limits",
     "FILE [--app APP] [--where-required on|off] [--linear-selects on|off] [--linear-joins on|off]\n"
     "       [--row-limit none|eof:N|error:N] [--no-save]",
     "change the global limits, or an application's own limits",
     "Without --app: changes the file's limits. With --app: the application gets limits of its own (starting\n"
     "from what it uses now) with the named changes. The file is saved afterwards unless --no-save.",
     kGroupOptions, run_set_limits}};
const CommandRegistration apps_reg{
    {"apps", "FILE", "list the PC applications of a configuration file",
     "Prints one application a line: number, program name, \", Update allowed\" or \", Inquiry only\".",
     kGroupOptions, run_apps}};
const CommandRegistration app_reg{
    {"app", "FILE APP", "show one PC application with its limits and tables",
     "APP is a program name or an application number. Prints the application line, the limits in force and\n"
     "its table list, if any.",
     kGroupOptions, run_app}};
const CommandRegistration add_app_reg{
    {"add-app", "FILE NAME [--update-allowed on|off] [--local-limits LIMITS] [--tables TABLE[:u],...] [--no-save]",
     "add a PC application",
     "NAME is trimmed and upper-cased: at most 16 characters, no other application may have it ignoring case.\n"
     "LIMITS: items separated by commas, over the file's limits: where-required|no-where-required,\n"
     "linear-selects|no-linear-selects, linear-joins|no-linear-joins, none|eof:N|error:N. --tables names the\n"
     "accessible tables; \":u\" allows updates (only for tables that allow them). With --json, prints the new\n"
     "number.",
     kGroupOptions, run_add_app}};
const CommandRegistration set_app_reg{
    {"set-app",
     "FILE APP [--name NAME] [--update-allowed on|off] [--local-limits LIMITS|off] [--tables TABLE[:u],...|off]\n"
     "       [--no-save]",
     "change a PC application",
     "Fetches the application, applies the named changes and sends the modify request. --local-limits off and\n"
     "--tables off return to the global limits and to every table.",
     kGroupOptions, run_set_app}};
const CommandRegistration delete_apps_reg{
    {"delete-apps", "FILE APP... [--no-save]", "delete PC applications",
     "Deletes the named applications (program names or numbers); the file is saved afterwards unless --no-save.",
     kGroupOptions, run_delete_apps}};

}  // namespace

}  // namespace kestra::cli
