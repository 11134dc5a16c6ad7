// Commands on the fields of a table: list, change one, hide, show, delete.
#include <algorithm>
#include <optional>
#include <ostream>

#include "cli/arg_parser.h"
#include "cli/cli_output.h"
#include "cli/config_file_arg.h"
#include "cli/host_command.h"
#include "cli/table_arg.h"
#include "configsvc/field_requests.h"
#include "configsvc/pending_unload_list.h"
#include "configsvc/table_field_names.h"
#include "configsvc/table_requests.h"
#include "hostlink/host_session.h"
#include "model/config_table.h"
#include "model/date_formats.h"
#include "model/field_edits.h"

namespace kestra::cli {

namespace {

using configsvc::CConfigClient;
using configsvc::CPendingUnloadList;
using model::CConfigField;
using model::CConfigFile;
using model::CConfigTable;
using model::FieldKind;

constexpr std::size_t kMaxFieldName = model::kFieldNameMax;

int host_failed(CliContext& ctx, CConfigClient& client) {
    print_diagnostics(ctx, client.session());
    return kExitFailure;
}

const char* kind_word(std::int32_t kind) {
    switch (kind) {
    case FieldKind::host: return "host";
    case FieldKind::user_defined: return "user-defined";
    case FieldKind::calculated: return "calculated";
    default: return "unknown";
    }
}

constexpr const char* kDateKindWords[] = {"standard", "currency", "date", "time", "timestamp"};

std::string date_word(std::int32_t kind) {
    return kind >= 0 && kind <= 4 ? kDateKindWords[kind] : "kind-" + std::to_string(kind);
}

std::string format_word(const CConfigField& f) {
    std::string text = date_word(f.date_kind);
    if (f.is_date_or_time()) {
        const std::string_view format = f.date_format_text();
        text += " " + (format.empty() ? "#" + std::to_string(f.date_format) : std::string(format));
    }
    return text;
}

void print_field_text(CliContext& ctx, const CConfigField& f) {
    ctx.out << f.tblfieldnum << " " << shown(f.name.view()) << " host-name=" << shown(f.host_name.view())
            << " kind=" << kind_word(f.field_kind) << " type=" << f.type_text() << " sql=" << f.sql_type_name()
            << " format=" << format_word(f) << " visible=" << on_off(f.visible)
            << " update-allowed=" << on_off(f.update_allowed);
    if (f.field_kind == FieldKind::host) ctx.out << " offset=" << f.offset;
    if (f.field_kind == FieldKind::user_defined)
        ctx.out << " offset=" << f.offset << " offset-value=" << f.offset_value << " "
                << (f.offset_in_characters ? "Chars" : "Digits") << " from "
                << (f.offset_from_start ? "Start" : "End") << " of "
                << (f.base_field.empty() ? std::string("<Buffer>") : f.base_field.str());
    if (f.field_kind == FieldKind::calculated) ctx.out << " expression=" << shown(f.expression.view());
    ctx.out << "\n";
}

void print_field_json(CliContext& ctx, const CConfigField& f) {
    ctx.out << "{\"number\":" << f.tblfieldnum << ",\"name\":" << json_string(f.name.view())
            << ",\"host_name\":" << json_string(f.host_name.view()) << ",\"kind\":\"" << kind_word(f.field_kind)
            << "\",\"type_code\":" << f.data_type_code << ",\"type\":" << json_string(f.type_text())
            << ",\"sql_type\":" << json_string(f.sql_type_name()) << ",\"length\":" << f.length
            << ",\"decimals\":" << f.decimals << ",\"date_kind\":" << f.date_kind
            << ",\"date_format\":" << f.date_format << ",\"date_format_text\":" << json_string(f.date_format_text())
            << ",\"visible\":" << (f.visible ? "true" : "false")
            << ",\"update_allowed\":" << (f.update_allowed ? "true" : "false") << ",\"offset\":" << f.offset;
    if (f.field_kind == FieldKind::user_defined)
        ctx.out << ",\"offset_value\":" << f.offset_value
                << ",\"offset_in_characters\":" << (f.offset_in_characters ? "true" : "false")
                << ",\"offset_from_start\":" << (f.offset_from_start ? "true" : "false")
                << ",\"base_field\":" << json_string(f.base_field.view());
    if (f.field_kind == FieldKind::calculated) ctx.out << ",\"expression\":" << json_string(f.expression.view());
    ctx.out << "}";
}

// Opens the table the way Table Edit does: its details, then its fields. A join table has no fields of its own.
int load_plain_table(CliContext& ctx, CConfigClient& client, CConfigFile& file, CPendingUnloadList& pending,
                     const std::string& table_arg, CConfigTable*& table) {
    if (configsvc::get_table_list(client, pending, file) != hostlink::kSuccess) return host_failed(ctx, client);
    table = resolve_table(ctx, file, table_arg);
    if (table == nullptr) return kExitFailure;
    if (table->join_table) {
        ctx.err << "kestra: " << shown(table->name.view()) << " is a join table: it has no fields of its own\n";
        return kExitFailure;
    }
    if (configsvc::load_table(client, static_cast<std::uint32_t>(file.file_reference), *table) != hostlink::kSuccess)
        return host_failed(ctx, client);
    return kExitOk;
}

// --- fields ---

int run_fields(CliContext& ctx, std::span<const std::string> args) {
    ArgParser parser(args);
    std::vector<std::string> rest;
    if (!parser.finish(rest)) return usage(ctx, parser.error());
    if (rest.size() != 2) return usage(ctx, "fields: give FILE and TABLE");
    return with_host(ctx, [&](hostlink::CHostSession& session) {
        return with_open_file(ctx, session, rest[0], false, [&](CConfigClient& client, CConfigFile& file, std::uint32_t) {
            CPendingUnloadList pending;
            CConfigTable* table = nullptr;
            if (const int status = load_plain_table(ctx, client, file, pending, rest[1], table); status != kExitOk)
                return status;
            // What arrived before a receive error is still shown; the exit status tells it was cut short.
            int status = configsvc::get_field_list(client, *table) == hostlink::kSuccess ? kExitOk : kExitFailure;
            if (ctx.options.json) ctx.out << "[";
            for (std::size_t i = 0; i < table->fields.size(); ++i) {
                if (ctx.options.json) {
                    if (i > 0) ctx.out << ",";
                    print_field_json(ctx, *table->fields[i]);
                } else {
                    print_field_text(ctx, *table->fields[i]);
                }
            }
            if (ctx.options.json) ctx.out << "]\n";
            if (configsvc::unload_table(client, pending, *table, false, false) != hostlink::kSuccess)
                status = kExitFailure;
            return status;
        });
    });
}

// --- the write commands ---

using FieldEdit = std::function<int(CConfigTable&)>;

// Loads the table and its fields, runs `edit` on them, and saves the table as Table Edit does on OK (field
// requests in their order, then the unload with save); the file is saved afterwards unless --no-save.
int edit_fields(CliContext& ctx, const std::string& file_arg, const std::string& table_arg, bool no_save,
                const FieldEdit& edit) {
    return with_host(ctx, [&](hostlink::CHostSession& session) {
        CPendingUnloadList pending;
        return with_open_file(
            ctx, session, file_arg, !no_save,
            [&](CConfigClient& client, CConfigFile& file, std::uint32_t) {
                CConfigTable* table = nullptr;
                if (const int status = load_plain_table(ctx, client, file, pending, table_arg, table);
                    status != kExitOk)
                    return status;
                if (configsvc::get_field_list(client, *table) != hostlink::kSuccess) {
                    // A partial list is never edited and written back as if whole.
                    configsvc::unload_table(client, pending, *table, false, false);
                    return host_failed(ctx, client);
                }
                if (const int status = edit(*table); status != kExitOk) {
                    configsvc::unload_table(client, pending, *table, false, false);
                    return status;
                }
                configsvc::TableSaveOptions options;
                options.fields = configsvc::save_field_changes;
                return configsvc::save_table(client, pending, file, *table, options) == hostlink::kSuccess
                           ? kExitOk
                           : host_failed(ctx, client);
            },
            [&pending](CConfigClient& client, CConfigFile&, std::uint32_t) {
                return configsvc::unload_all_tables(client, pending, true) == hostlink::kSuccess ? kExitOk
                                                                                                 : kExitFailure;
            });
    });
}

int run_set_field(CliContext& ctx, std::span<const std::string> args) {
    ArgParser parser(args);
    const auto name = parser.value("name");
    const auto update = parser.on_off("update-allowed");
    const auto date_kind = parser.value("date-kind");
    const auto date_format = parser.value("date-format");
    const bool no_save = parser.flag("no-save");
    std::vector<std::string> rest;
    if (!parser.finish(rest)) return usage(ctx, parser.error());
    if (rest.size() != 3) return usage(ctx, "set-field: give FILE, TABLE and FIELD");
    if (!name && !update && !date_kind && !date_format)
        return usage(ctx, "set-field: give --name, --update-allowed, --date-kind or --date-format");
    // What the name breaks on its own is a usage error found before the login; a duplicate needs the table, and so
    // does the length: a name the host already holds longer than may be typed passes when it is given unchanged.
    if (name) {
        const std::string typed = trim(*name);
        if (typed.empty()) return usage(ctx, "**You must enter a field name**");
        if (typed.size() > model::kMaxWireText) return usage(ctx, "**Field name too long**");
    }
    std::optional<std::int32_t> kind;
    if (date_kind) {
        for (std::int32_t k = 0; k <= 4; ++k)
            if (*date_kind == kDateKindWords[k]) kind = k;
        if (!kind) return usage(ctx, "--date-kind takes standard|currency|date|time|timestamp");
    }
    const int status = edit_fields(ctx, rest[0], rest[1], no_save, [&](CConfigTable& table) {
        CConfigField* field = resolve_field(ctx, table, rest[2]);
        if (field == nullptr) return kExitFailure;
        if (name) {
            // The host field dialog's name box holds upper case only.
            const std::string wanted = field->field_kind == FieldKind::host ? upper(trim(*name)) : trim(*name);
            std::string wanted_trimmed = wanted;
            if (const char* problem = configsvc::check_field_name(wanted_trimmed, table, field->name.view())) {
                ctx.err << "kestra: " << problem << "\n";
                // Too long is the command line's fault, whichever side of the login finds it.
                return wanted != field->name.view() && wanted.size() > kMaxFieldName ? kExitUsage : kExitFailure;
            }
            model::rename_field(*field, wanted);
        }
        if (update && *update != field->update_allowed) {
            if (field->field_kind == FieldKind::calculated) {
                ctx.err << "kestra: " << shown(field->name.view())
                        << " is a calculated field: it has no update-allowed flag\n";
                return kExitFailure;
            }
            field->update_allowed = *update;
            field->bModified = true;
        }
        const std::int32_t new_kind = kind.value_or(field->date_kind);
        std::int32_t new_format = new_kind == field->date_kind ? field->date_format : 0;
        if (date_format) {
            const auto formats = model::date_formats(new_kind);
            const auto it = std::find(formats.begin(), formats.end(), upper(*date_format));
            if (it == formats.end())
                return usage(ctx, "--date-format: " + *date_format + " is not a format of kind " + date_word(new_kind));
            new_format = static_cast<std::int32_t>(it - formats.begin());
        }
        if (new_kind < 2) new_format = 0;
        if (new_kind != field->date_kind || new_format != field->date_format) {
            field->date_kind = new_kind;
            field->date_format = new_format;
            field->bModified = true;
        }
        return kExitOk;
    });
    if (status == kExitOk) print_changed(ctx, "set-field");
    return status;
}

enum class Mark { hide, show, remove };

int run_marks(CliContext& ctx, std::span<const std::string> args, Mark mark, const char* command) {
    ArgParser parser(args);
    const bool no_save = parser.flag("no-save");
    std::vector<std::string> rest;
    if (!parser.finish(rest)) return usage(ctx, parser.error());
    if (rest.size() < 3) return usage(ctx, std::string(command) + ": give FILE, TABLE and at least one FIELD");
    return edit_fields(ctx, rest[0], rest[1], no_save, [&](CConfigTable& table) {
        std::vector<CConfigField*> chosen;
        for (std::size_t i = 2; i < rest.size(); ++i) {
            CConfigField* f = resolve_field(ctx, table, rest[i]);
            if (f == nullptr) return kExitFailure;
            const bool host = f->field_kind == FieldKind::host;
            if (mark == Mark::remove && host) {
                ctx.err << "kestra: " << shown(f->name.view()) << " is a host field: hide it instead\n";
                return kExitFailure;
            }
            if (mark != Mark::remove && !host) {
                ctx.err << "kestra: " << shown(f->name.view()) << " is not a host field: delete it instead\n";
                return kExitFailure;
            }
            if (std::find(chosen.begin(), chosen.end(), f) == chosen.end()) chosen.push_back(f);
        }
        for (CConfigField* f : chosen) {
            if (mark == Mark::remove)
                model::cut_field(table, *f);
            else
                model::set_field_visible(*f, mark == Mark::show);
        }
        return kExitOk;
    });
}

int run_hide_fields(CliContext& ctx, std::span<const std::string> args) {
    const int status = run_marks(ctx, args, Mark::hide, "hide-fields");
    if (status == kExitOk) print_changed(ctx, "hide-fields");
    return status;
}
int run_show_fields(CliContext& ctx, std::span<const std::string> args) {
    const int status = run_marks(ctx, args, Mark::show, "show-fields");
    if (status == kExitOk) print_changed(ctx, "show-fields");
    return status;
}
int run_delete_fields(CliContext& ctx, std::span<const std::string> args) {
    const int status = run_marks(ctx, args, Mark::remove, "delete-fields");
    if (status == kExitOk) print_changed(ctx, "delete-fields");
    return status;
}

const CommandRegistration fields_reg{
    {"fields", "FILE TABLE", "list the fields of a table",
     "One field a line: number, name, host name, kind, type text and SQL type, format (date kind and format),\n"
     "visible, update allowed; the offset of host and user-defined fields, the offset rule and base field of\n"
     "user-defined fields (\"<Buffer>\" for the record), and the expression of calculated fields.",
     kGroupFields, run_fields}};
const CommandRegistration set_field_reg{
    {"set-field",
     "FILE TABLE FIELD [--name NAME] [--update-allowed on|off]\n"
     "       [--date-kind standard|currency|date|time|timestamp] [--date-format TEXT] [--no-save]",
     "change a field's name, update-allowed flag or format",
     "FIELD is a field name or number. A name has at most 29 characters and no other field of the table may\n"
     "have it ignoring case (a change of letter case alone is refused). --date-format is a format text of the\n"
     "kind, e.g. MM/DD/YY; another kind without it takes the kind's first format. The table is saved as the\n"
     "table editor saves it, then the file unless --no-save.",
     kGroupFields, run_set_field}};
const CommandRegistration hide_fields_reg{
    {"hide-fields", "FILE TABLE FIELD... [--no-save]", "hide host fields",
     "Hides the named host fields; the file is saved afterwards unless --no-save.", kGroupFields,
     run_hide_fields}};
const CommandRegistration show_fields_reg{
    {"show-fields", "FILE TABLE FIELD... [--no-save]", "show hidden host fields again",
     "Shows the named host fields again; the file is saved afterwards unless --no-save.", kGroupFields,
     run_show_fields}};
const CommandRegistration delete_fields_reg{
    {"delete-fields", "FILE TABLE FIELD... [--no-save]", "delete user-defined and calculated fields",
     "Deletes the named user-defined or calculated fields; the file is saved afterwards unless --no-save.",
     kGroupFields, run_delete_fields}};

}  // namespace

}  // namespace kestra::cli
