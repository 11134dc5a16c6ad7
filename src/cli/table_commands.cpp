// Commands on the tables of a configuration file: list, show, set flags, rename, set the where condition, delete.
#include <algorithm>
#include <ostream>

#include "cli/arg_parser.h"
#include "cli/cli_output.h"
#include "cli/config_file_arg.h"
#include "cli/host_command.h"
#include "cli/table_arg.h"
#include "cli/where_check.h"
#include "configsvc/field_requests.h"
#include "configsvc/table_field_names.h"
#include "configsvc/table_requests.h"
#include "hostlink/host_session.h"
#include "model/config_field.h"
#include "model/config_table.h"

namespace kestra::cli {

namespace {

using configsvc::CConfigClient;
using configsvc::CPendingUnloadList;
using model::CConfigFile;
using model::CConfigTable;

constexpr std::size_t kMaxTableName = model::kTableNameMax;
constexpr std::size_t kMaxWhere = model::kWhereConditionMax;

using model::equal_ignoring_case;

// Loads a table the way its editor does: a join through its header, any other with its details.
std::int16_t load_any(CConfigClient& client, const CConfigFile& file, CConfigTable& table, bool with_members) {
    const auto reference = static_cast<std::uint32_t>(file.file_reference);
    if (table.join_table) return configsvc::load_join_table(client, reference, table, !with_members);
    return configsvc::load_table(client, reference, table);
}

int failed(CliContext& ctx, CConfigClient& client) {
    print_diagnostics(ctx, client.session());
    return kExitFailure;
}

// Write commands save unless --no-save; pending tables go back with their changes before the save.
OpenFileBody unload_before_save(CPendingUnloadList& pending) {
    return [&pending](CConfigClient& client, CConfigFile&, std::uint32_t) {
        return configsvc::unload_all_tables(client, pending, true) == hostlink::kSuccess ? kExitOk : kExitFailure;
    };
}

// --- tables ---

void print_table_line(CliContext& ctx, const CConfigTable& t) {
    if (ctx.options.json) {
        ctx.out << "{\"number\":" << t.table_number << ",\"name\":" << json_string(t.name.view())
                << ",\"update_allowed\":" << (t.update_allowed ? "true" : "false")
                << ",\"return_groups\":" << (t.return_groups ? "true" : "false")
                << ",\"join\":" << (t.join_table ? "true" : "false") << "}";
        return;
    }
    ctx.out << t.table_number << " " << shown(t.name.view()) << " update-allowed=" << on_off(t.update_allowed)
            << " return-groups=" << on_off(t.return_groups) << " join=" << on_off(t.join_table) << "\n";
}

int run_tables(CliContext& ctx, std::span<const std::string> args) {
    ArgParser parser(args);
    std::vector<std::string> rest;
    if (!parser.finish(rest)) return usage(ctx, parser.error());
    if (rest.size() != 1) return usage(ctx, "tables: give one FILE");
    return with_host(ctx, [&](hostlink::CHostSession& session) {
        return with_open_file(ctx, session, rest[0], false, [&](CConfigClient& client, CConfigFile& file, std::uint32_t) {
            CPendingUnloadList pending;
            const bool ok = configsvc::get_table_list(client, pending, file) == hostlink::kSuccess;
            // What arrived before a receive error is still shown; the exit status tells it was cut short.
            if (ctx.options.json) ctx.out << "[";
            for (std::size_t i = 0; i < file.tables.size(); ++i) {
                if (ctx.options.json && i > 0) ctx.out << ",";
                print_table_line(ctx, *file.tables[i]);
            }
            if (ctx.options.json) ctx.out << "]\n";
            return ok ? kExitOk : kExitFailure;
        });
    });
}

// --- table ---

std::string join_field_text(const CConfigTable& t, const model::CJoinField& f) {
    // A member number outside the members names nothing; the value alone is shown.
    if (f.kind == model::JoinFieldKind::field && f.member_number >= 1 &&
        static_cast<std::size_t>(f.member_number) <= t.members.size())
        return "Field " + f.field.str() + " = " + t.members[static_cast<std::size_t>(f.member_number) - 1]->sub_table.str() +
               "." + f.value.str();
    return "Field " + f.field.str() + " = " + f.value.str();
}

void print_table_text(CliContext& ctx, const CConfigTable& t) {
    ctx.out << "number: " << t.table_number << "\nname: " << shown(t.name.view()) << "\noption: " << t.table_option
            << "\nupdate allowed: " << on_off(t.update_allowed) << "\nreturn groups: " << on_off(t.return_groups)
            << "\njoin: " << on_off(t.join_table) << "\n";
    if (!t.join_table) {
        ctx.out << "database: " << shown(t.database.view()) << "\ndataset: " << shown(t.dataset.view())
                << "\nset: " << shown(t.set.view()) << "\ndescription file: " << shown(t.description_file.view())
                << "\nwhere: " << shown(t.where_condition.view()) << "\n";
    }
    for (const auto& s : t.sets) {
        ctx.out << "set " << s->set_name.str() << " attributes " << s->first_attribute << " " << s->second_attribute
                << " " << s->third_attribute << " keys";
        for (const auto& k : s->keys) ctx.out << " " << k.field_number << "(" << k.first_attribute << k.second_attribute << ")";
        ctx.out << "\n";
    }
    for (std::size_t i = 0; i < t.members.size(); ++i) {
        const auto& m = *t.members[i];
        ctx.out << "member " << i + 1 << " " << m.sub_table.str() << " set "
                << (m.set.empty() ? "DEFAULT" : m.set.str()) << " kind "
                << (m.join_kind == model::CJoinMember::kInner ? "INNER" : "OUTER") << " where "
                << (m.where_condition.empty() ? "UNDEFINED" : m.where_condition.str()) << "\n";
        for (std::size_t j = 0; j < m.condition_count(); ++j) ctx.out << "  " << join_field_text(t, *m.join_fields[j]) << "\n";
    }
}

void print_table_json(CliContext& ctx, const CConfigTable& t) {
    ctx.out << "{\"number\":" << t.table_number << ",\"name\":" << json_string(t.name.view())
            << ",\"option\":" << t.table_option << ",\"update_allowed\":" << (t.update_allowed ? "true" : "false")
            << ",\"return_groups\":" << (t.return_groups ? "true" : "false")
            << ",\"join\":" << (t.join_table ? "true" : "false") << ",\"database\":" << json_string(t.database.view())
            << ",\"dataset\":" << json_string(t.dataset.view()) << ",\"set\":" << json_string(t.set.view())
            << ",\"description_file\":" << json_string(t.description_file.view())
            << ",\"where\":" << json_string(t.where_condition.view()) << ",\"sets\":[";
    for (std::size_t i = 0; i < t.sets.size(); ++i) {
        const auto& s = *t.sets[i];
        ctx.out << (i ? "," : "") << "{\"name\":" << json_string(s.set_name.view()) << ",\"attributes\":["
                << s.first_attribute << "," << s.second_attribute << "," << s.third_attribute << "],\"keys\":[";
        for (std::size_t k = 0; k < s.keys.size(); ++k)
            ctx.out << (k ? "," : "") << "{\"field\":" << s.keys[k].field_number << ",\"attributes\":["
                    << s.keys[k].first_attribute << "," << s.keys[k].second_attribute << "]}";
        ctx.out << "]}";
    }
    ctx.out << "],\"members\":[";
    for (std::size_t i = 0; i < t.members.size(); ++i) {
        const auto& m = *t.members[i];
        ctx.out << (i ? "," : "") << "{\"sub_table\":" << json_string(m.sub_table.view())
                << ",\"set\":" << json_string(m.set.view()) << ",\"join_kind\":" << m.join_kind
                << ",\"where\":" << json_string(m.where_condition.view()) << ",\"join_fields\":[";
        for (std::size_t j = 0; j < m.condition_count(); ++j) {
            const auto& f = *m.join_fields[j];
            ctx.out << (j ? "," : "") << "{\"field\":" << json_string(f.field.view()) << ",\"kind\":" << f.kind
                    << ",\"member\":" << f.member_number << ",\"value\":" << json_string(f.value.view()) << "}";
        }
        ctx.out << "]}";
    }
    ctx.out << "]}\n";
}

int run_table(CliContext& ctx, std::span<const std::string> args) {
    ArgParser parser(args);
    std::vector<std::string> rest;
    if (!parser.finish(rest)) return usage(ctx, parser.error());
    if (rest.size() != 2) return usage(ctx, "table: give FILE and TABLE");
    return with_host(ctx, [&](hostlink::CHostSession& session) {
        return with_open_file(ctx, session, rest[0], false, [&](CConfigClient& client, CConfigFile& file, std::uint32_t) {
            CPendingUnloadList pending;
            if (configsvc::get_table_list(client, pending, file) != hostlink::kSuccess) return failed(ctx, client);
            CConfigTable* table = resolve_table(ctx, file, rest[1]);
            if (table == nullptr) return kExitFailure;
            if (load_any(client, file, *table, true) != hostlink::kSuccess) return failed(ctx, client);
            int status = kExitOk;
            if (!table->join_table && configsvc::load_sets(client, *table) != hostlink::kSuccess) status = kExitFailure;
            if (status == kExitOk) {
                if (ctx.options.json)
                    print_table_json(ctx, *table);
                else
                    print_table_text(ctx, *table);
            }
            // Looking changes nothing: the table goes back without save.
            if (configsvc::unload_table(client, pending, *table, false, false) != hostlink::kSuccess)
                status = kExitFailure;
            return status;
        });
    });
}

// --- set-tables ---

int run_set_tables(CliContext& ctx, std::span<const std::string> args) {
    ArgParser parser(args);
    const auto update = parser.on_off("update-allowed");
    const auto groups = parser.on_off("return-groups");
    const bool no_save = parser.flag("no-save");
    std::vector<std::string> rest;
    if (!parser.finish(rest)) return usage(ctx, parser.error());
    if (rest.size() < 2) return usage(ctx, "set-tables: give FILE and at least one TABLE");
    if (!update && !groups) return usage(ctx, "set-tables: give --update-allowed or --return-groups");
    return with_host(ctx, [&](hostlink::CHostSession& session) {
        CPendingUnloadList pending;
        return with_open_file(
            ctx, session, rest[0], !no_save,
            [&](CConfigClient& client, CConfigFile& file, std::uint32_t reference) {
                if (configsvc::get_table_list(client, pending, file) != hostlink::kSuccess) return failed(ctx, client);
                std::vector<CConfigTable*> chosen;
                for (std::size_t i = 1; i < rest.size(); ++i) {
                    CConfigTable* t = resolve_table(ctx, file, rest[i]);
                    if (t == nullptr) return kExitFailure;
                    if (std::find(chosen.begin(), chosen.end(), t) == chosen.end()) chosen.push_back(t);
                }
                // Each table is loaded first so that the modify request carries its details unchanged.
                int status = kExitOk;
                for (CConfigTable* t : chosen) {
                    if (load_any(client, file, *t, false) != hostlink::kSuccess) {
                        status = kExitFailure;
                        continue;
                    }
                    if (update) t->update_allowed = *update;
                    if (groups) t->return_groups = *groups;
                    t->changed = true;
                }
                if (status == kExitOk && configsvc::modify_tables(client, reference, file.tables) != hostlink::kSuccess)
                    status = kExitFailure;
                for (CConfigTable* t : chosen) {
                    // A join's changed flag is for its members, which this command does not touch.
                    if (t->join_table) t->changed = false;
                    if (configsvc::unload_table(client, pending, *t, status == kExitOk, false) != hostlink::kSuccess)
                        status = kExitFailure;
                }
                file.modified = true;
                if (status == kExitOk) {
                    std::string list;
                    for (const CConfigTable* t : chosen)
                        list += (list.empty() ? "" : ",") + std::to_string(t->table_number);
                    print_changed(ctx, "set-tables", "\"tables\":[" + list + "]");
                }
                return status;
            },
            unload_before_save(pending));
    });
}

// --- rename-table ---

int run_rename_table(CliContext& ctx, std::span<const std::string> args) {
    ArgParser parser(args);
    const bool no_save = parser.flag("no-save");
    std::vector<std::string> rest;
    if (!parser.finish(rest)) return usage(ctx, parser.error());
    if (rest.size() != 3) return usage(ctx, "rename-table: give FILE, TABLE and NAME");
    // The name field holds upper case and at most 29 characters.
    const std::string name = upper(trim(rest[2]));
    if (name.empty()) return usage(ctx, "**You must enter a table name**");
    if (name.size() > kMaxTableName) return usage(ctx, "rename-table: a table name has at most 29 characters");
    return with_host(ctx, [&](hostlink::CHostSession& session) {
        CPendingUnloadList pending;
        return with_open_file(
            ctx, session, rest[0], !no_save,
            [&](CConfigClient& client, CConfigFile& file, std::uint32_t reference) {
                if (configsvc::get_table_list(client, pending, file) != hostlink::kSuccess) return failed(ctx, client);
                CConfigTable* table = resolve_table(ctx, file, rest[1]);
                if (table == nullptr) return kExitFailure;
                if (name == table->name.view()) {
                    print_changed(ctx, "rename-table",
                                  "\"table\":" + std::to_string(table->table_number) +
                                      ",\"name\":" + json_string(name) + ",\"unchanged\":true");
                    return kExitOk;
                }
                // A plain table's case-only change is refused; a join is not compared with itself.
                std::string checked = name;
                const std::string current = table->name.str();
                if (const char* refusal = table->join_table ? configsvc::check_join_name(checked, file, table)
                                                            : configsvc::check_table_name(checked, file, current)) {
                    ctx.err << "kestra: " << refusal << "\n";
                    return kExitFailure;
                }
                if (load_any(client, file, *table, false) != hostlink::kSuccess) return failed(ctx, client);
                table->name.assign(name);
                std::int16_t rc;
                if (table->join_table) {
                    rc = configsvc::modify_join_header(client, reference, *table);
                    const std::int16_t unload = configsvc::unload_table(client, pending, *table, rc == 0, false);
                    if (rc == 0) rc = unload;
                    file.modified = true;
                } else {
                    table->changed = true;
                    rc = configsvc::save_table(client, pending, file, *table, {});
                }
                if (rc != hostlink::kSuccess) return kExitFailure;
                print_changed(ctx, "rename-table",
                              "\"table\":" + std::to_string(table->table_number) + ",\"name\":" + json_string(name));
                return kExitOk;
            },
            unload_before_save(pending));
    });
}

// --- set-where ---

int run_set_where(CliContext& ctx, std::span<const std::string> args) {
    ArgParser parser(args);
    const bool no_save = parser.flag("no-save");
    const bool no_check = parser.flag("no-check");
    std::vector<std::string> rest;
    if (!parser.finish(rest)) return usage(ctx, parser.error());
    if (rest.size() != 3) return usage(ctx, "set-where: give FILE, TABLE and TEXT");
    if (rest[2].size() > kMaxWhere) return usage(ctx, "set-where: a where condition has at most 255 characters");
    return with_host(ctx, [&](hostlink::CHostSession& session) {
        CPendingUnloadList pending;
        return with_open_file(
            ctx, session, rest[0], !no_save,
            [&](CConfigClient& client, CConfigFile& file, std::uint32_t) {
                if (configsvc::get_table_list(client, pending, file) != hostlink::kSuccess) return failed(ctx, client);
                CConfigTable* table = resolve_table(ctx, file, rest[1]);
                if (table == nullptr) return kExitFailure;
                if (table->join_table) {
                    ctx.err << "kestra: set-where: a join table has where conditions per member\n";
                    return kExitFailure;
                }
                if (configsvc::load_table(client, static_cast<std::uint32_t>(file.file_reference), *table) !=
                    hostlink::kSuccess)
                    return failed(ctx, client);
                // Checked against the table's fields before anything is sent, so a typing slip is not stored for
                // the host to trip over later; the text itself is stored as typed.
                if (!no_check && !rest[2].empty()) {
                    if (configsvc::get_field_list(client, *table) != hostlink::kSuccess) {
                        configsvc::unload_table(client, pending, *table, false, false);
                        return failed(ctx, client);
                    }
                    if (const std::string problem = check_where_condition(rest[2], *table); !problem.empty()) {
                        ctx.err << "kestra: set-where: " << problem << " (--no-check stores it unchecked)\n";
                        configsvc::unload_table(client, pending, *table, false, false);
                        return kExitFailure;
                    }
                }
                table->where_condition.assign(rest[2]);
                configsvc::TableSaveOptions options;
                options.where_changed = true;
                if (configsvc::save_table(client, pending, file, *table, options) != hostlink::kSuccess)
                    return kExitFailure;
                print_changed(
                    ctx, "set-where",
                    "\"table\":" + std::to_string(table->table_number) + ",\"where\":" + json_string(rest[2]));
                return kExitOk;
            },
            unload_before_save(pending));
    });
}

// --- delete-tables ---

int run_delete_tables(CliContext& ctx, std::span<const std::string> args) {
    ArgParser parser(args);
    const bool no_save = parser.flag("no-save");
    std::vector<std::string> rest;
    if (!parser.finish(rest)) return usage(ctx, parser.error());
    if (rest.size() < 2) return usage(ctx, "delete-tables: give FILE and at least one TABLE");
    return with_host(ctx, [&](hostlink::CHostSession& session) {
        CPendingUnloadList pending;
        return with_open_file(
            ctx, session, rest[0], !no_save,
            [&](CConfigClient& client, CConfigFile& file, std::uint32_t) {
                if (configsvc::get_table_list(client, pending, file) != hostlink::kSuccess) return failed(ctx, client);
                std::vector<std::int32_t> numbers;
                for (std::size_t i = 1; i < rest.size(); ++i) {
                    CConfigTable* t = resolve_table(ctx, file, rest[i]);
                    if (t == nullptr) return kExitFailure;
                    if (std::find(numbers.begin(), numbers.end(), t->table_number) == numbers.end())
                        numbers.push_back(t->table_number);
                }
                if (configsvc::remove_tables(client, pending, file, numbers) != hostlink::kSuccess) return kExitFailure;
                std::string list;
                for (std::int32_t n : numbers) list += (list.empty() ? "" : ",") + std::to_string(n);
                print_changed(ctx, "delete-tables", "\"tables\":[" + list + "]");
                return kExitOk;
            },
            unload_before_save(pending));
    });
}

const CommandRegistration tables_reg{
    {"tables", "FILE", "list the tables of a configuration file",
     "Prints one table a line: number, name, and the flags update-allowed, return-groups and join as on/off.\n"
     "With --json, an array of objects.",
     kGroupTables, run_tables}};
const CommandRegistration table_reg{
    {"table", "FILE TABLE", "show every detail of a table, its sets or its join members",
     "Loads the table (a join table with its members) and its sets and prints the option, flags, database,\n"
     "dataset, set, description file and where condition, each set with its attributes and key field numbers,\n"
     "and each join member with its set, kind, where condition and join fields. TABLE is a name or a number.",
     kGroupTables, run_table}};
const CommandRegistration set_tables_reg{
    {"set-tables", "FILE [--update-allowed on|off] [--return-groups on|off] [--no-save] TABLE...",
     "change the flags of tables",
     "Loads the named tables, changes their flags, sends one modify-tables request, unloads them with save,\n"
     "saves the file (unless --no-save) and closes it.",
     kGroupTables, run_set_tables}};
const CommandRegistration rename_table_reg{
    {"rename-table", "FILE TABLE NAME [--no-save]", "rename a table",
     "The name is trimmed and upper-cased; it has at most 29 characters and no other table may have it, ignoring\n"
     "case. The file is saved afterwards unless --no-save.",
     kGroupTables, run_rename_table}};
const CommandRegistration set_where_reg{
    {"set-where", "FILE TABLE TEXT [--no-check] [--no-save]", "set the where condition of a table",
     "Checks TEXT as a search condition against the table's fields, as the where-condition window does (--no-check\n"
     "skips that), and stores it as typed (at most 255 characters; empty removes the condition). The file is\n"
     "saved afterwards unless --no-save.",
     kGroupTables, run_set_where}};
const CommandRegistration delete_tables_reg{
    {"delete-tables", "FILE TABLE... [--no-save]", "delete tables from a configuration file",
     "Deletes the named tables on the host; the file is saved afterwards unless --no-save.", kGroupTables,
     run_delete_tables}};

}  // namespace

}  // namespace kestra::cli
