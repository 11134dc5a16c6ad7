// Commands on the host's catalogue: description files, databases, datasets, and new tables made from datasets,
// sets or COBOL records.
#include <algorithm>
#include <map>
#include <ostream>

#include "cli/arg_parser.h"
#include "cli/cli_output.h"
#include "cli/config_file_arg.h"
#include "cli/host_command.h"
#include "configsvc/catalogue_requests.h"
#include "configsvc/cobol_table_request.h"
#include "configsvc/table_requests.h"
#include "configsvc/table_selection_model.h"
#include "hostlink/host_session.h"

namespace kestra::cli {

namespace {

using configsvc::CConfigClient;
using configsvc::CTableSelectionModel;
using model::CConfigFile;
using model::CDescDatasetEntry;

int failed(CliContext& ctx, CConfigClient& client) {
    print_diagnostics(ctx, client.session());
    return kExitFailure;
}

bool same_ignoring_case(std::string_view a, std::string_view b) { return upper(std::string(a)) == upper(std::string(b)); }

// Refuses a description file name that breaks the rule before the program logs in at all.
bool check_descfile(CliContext& ctx, const std::string& name) {
    if (const char* problem = configsvc::descfile_name_problem(name)) {
        ctx.err << "kestra: " << problem << "\n";
        return false;
    }
    return true;
}

// Fetches the databases of the model's description file and makes DATABASE current (its exact name, else the
// one equal ignoring case). kExitOk, or the status after a message.
int open_database(CliContext& ctx, CConfigClient& client, CTableSelectionModel& model, const std::string& database) {
    if (model.fetch_databases(client) != hostlink::kSuccess) return failed(ctx, client);
    std::string held;
    for (const auto& d : model.databases()) {
        if (d->database_name == database) {
            held = d->database_name.str();
            break;
        }
        if (held.empty() && same_ignoring_case(d->database_name.view(), database)) held = d->database_name.str();
    }
    if (held.empty()) {
        ctx.err << "kestra: no database " << database << " in " << model.descfile_name() << "\n";
        return kExitFailure;
    }
    if (model.select_database(client, held) != hostlink::kSuccess) return failed(ctx, client);
    return kExitOk;
}

void print_names(CliContext& ctx, const std::vector<std::string>& names) {
    if (ctx.options.json) {
        ctx.out << "[";
        for (std::size_t i = 0; i < names.size(); ++i) ctx.out << (i ? "," : "") << json_string(names[i]);
        ctx.out << "]\n";
        return;
    }
    for (const auto& n : names) ctx.out << shown(n) << "\n";
}

// --- descfiles, databases, datasets ---

int run_descfiles(CliContext& ctx, std::span<const std::string> args) {
    if (!args.empty()) return usage(ctx, "descfiles takes no arguments");
    return with_host(ctx, [&](hostlink::CHostSession& session) {
        CConfigClient client(session);
        std::vector<std::string> names;
        if (configsvc::get_descfile_list(client, names) != hostlink::kSuccess) return failed(ctx, client);
        print_names(ctx, names);
        return kExitOk;
    });
}

int run_databases(CliContext& ctx, std::span<const std::string> args) {
    ArgParser parser(args);
    std::vector<std::string> rest;
    if (!parser.finish(rest)) return usage(ctx, parser.error());
    if (rest.size() != 1) return usage(ctx, "databases: give DESCFILE");
    if (!check_descfile(ctx, rest[0])) return kExitUsage;
    return with_host(ctx, [&](hostlink::CHostSession& session) {
        CConfigClient client(session);
        configsvc::DatabaseList databases;
        if (configsvc::get_descfile_databases(client, rest[0], databases) != hostlink::kSuccess)
            return failed(ctx, client);
        std::vector<std::string> names;
        for (const auto& d : databases) names.push_back(d->database_name.str());
        print_names(ctx, names);
        return kExitOk;
    });
}

int run_datasets(CliContext& ctx, std::span<const std::string> args) {
    ArgParser parser(args);
    const bool sorted = parser.flag("sorted");
    std::vector<std::string> rest;
    if (!parser.finish(rest)) return usage(ctx, parser.error());
    if (rest.size() != 2) return usage(ctx, "datasets: give DESCFILE and DATABASE");
    if (!check_descfile(ctx, rest[0])) return kExitUsage;
    return with_host(ctx, [&](hostlink::CHostSession& session) {
        CConfigClient client(session);
        configsvc::TableList none;
        CTableSelectionModel model(none, false, false);
        if (sorted) model.set_sort_datasets(true);
        model.set_descfile_name(rest[0]);
        if (int status = open_database(ctx, client, model, rest[1]); status != kExitOk) return status;
        if (ctx.options.json) {
            ctx.out << "[";
            bool first = true;
            for (const auto& d : model.datasets()) {
                ctx.out << (first ? "" : ",") << "{\"name\":" << json_string(d->name.view())
                        << ",\"type\":" << static_cast<int>(d->dataset_type)
                        << ",\"set\":" << (d->is_set() ? "true" : "false")
                        << ",\"dataset\":" << json_string(d->base_dataset.view()) << "}";
                first = false;
            }
            ctx.out << "]\n";
            return kExitOk;
        }
        // A set stands indented under the dataset it belongs to, marked as a set.
        for (const auto& d : model.datasets()) {
            if (d->is_set())
                ctx.out << "  " << shown(d->name.view()) << " (set)\n";
            else
                ctx.out << shown(d->name.view()) << "\n";
        }
        return kExitOk;
    });
}

// --- add-tables ---

const CDescDatasetEntry* find_entry(const configsvc::DatasetList& datasets, const std::string& name) {
    for (const auto& d : datasets)
        if (d->name == name) return d.get();
    for (const auto& d : datasets)
        if (same_ignoring_case(d->name.view(), name)) return d.get();
    return nullptr;
}

// A changing command: nothing in text mode; with --json the tables made, by number and name.
void print_new_tables(CliContext& ctx, const char* command, const configsvc::TableList& tables) {
    std::string list;
    for (std::size_t i = 0; i < tables.size(); ++i)
        list += std::string(i ? "," : "") + "{\"number\":" + std::to_string(tables[i]->table_number) +
                ",\"name\":" + json_string(tables[i]->name.view()) + "}";
    print_changed(ctx, command, "\"tables\":[" + list + "]");
}

int run_add_tables(CliContext& ctx, std::span<const std::string> args) {
    ArgParser parser(args);
    const auto descfile = parser.value("descfile");
    const auto database = parser.value("database");
    const std::vector<std::string> renames = parser.values("as");
    const bool no_save = parser.flag("no-save");
    std::vector<std::string> rest;
    if (!parser.finish(rest)) return usage(ctx, parser.error());
    if (!descfile || !database) return usage(ctx, "add-tables: give --descfile and --database");
    if (rest.size() < 2) return usage(ctx, "add-tables: give FILE and at least one dataset or set");
    if (!check_descfile(ctx, *descfile)) return kExitUsage;
    std::map<std::string, std::string> names;  // entry (upper case) -> table name
    for (const auto& r : renames) {
        const auto eq = r.find('=');
        if (eq == std::string::npos || eq == 0 || eq + 1 == r.size())
            return usage(ctx, "add-tables: --as takes ENTRY=NAME");
        names[upper(r.substr(0, eq))] = upper(r.substr(eq + 1));
        if (r.size() - eq - 1 > 29)
            return usage(ctx, "add-tables: --as " + r + ": a table name has at most 29 characters");
    }
    return with_host(ctx, [&](hostlink::CHostSession& session) {
        configsvc::CPendingUnloadList pending;
        return with_open_file(
            ctx, session, rest[0], !no_save, [&](CConfigClient& client, CConfigFile& file, std::uint32_t reference) {
                if (configsvc::get_table_list(client, pending, file) != hostlink::kSuccess) return failed(ctx, client);
                const auto& defaults = session.default_options();
                CTableSelectionModel model(file.tables, defaults.update_allowed, defaults.return_groups);
                model.set_descfile_name(*descfile);
                if (int status = open_database(ctx, client, model, *database); status != kExitOk) return status;
                for (std::size_t i = 1; i < rest.size(); ++i) {
                    const CDescDatasetEntry* entry = find_entry(model.datasets(), rest[i]);
                    if (entry == nullptr) {
                        ctx.err << "kestra: no dataset or set " << rest[i] << " in " << *database << "\n";
                        return kExitFailure;
                    }
                    const auto given = names.find(upper(rest[i]));
                    const std::string proposed = given != names.end() ? given->second : std::string();
                    // Without a window, the name dialog's message is the answer: the table is not made.
                    auto refuse = [&](const std::string& message, std::string& name) {
                        ctx.err << "kestra: " << rest[i] << " as " << shown(name) << ": " << message << "\n";
                        return false;
                    };
                    if (model.insert_table(*entry, refuse, proposed) != 0) return kExitFailure;
                }
                if (configsvc::add_tables(client, reference, model.new_tables()) != hostlink::kSuccess)
                    return failed(ctx, client);
                configsvc::TableList added = model.take_new_tables();
                print_new_tables(ctx, "add-tables", added);
                for (auto& t : added) file.tables.push_back(std::move(t));
                file.modified = true;
                return kExitOk;
            });
    });
}

// --- add-cobol-table ---

bool parse_mode(const std::string& text, configsvc::CobolStartMode& mode) {
    using configsvc::CobolStartMode;
    if (text == "fd-name") mode = CobolStartMode::fd_name;
    else if (text == "01-name") mode = CobolStartMode::level01_name;
    else if (text == "fd-seq") mode = CobolStartMode::fd_sequence;
    else if (text == "01-seq") mode = CobolStartMode::level01_sequence;
    else return false;
    return true;
}

int run_add_cobol_table(CliContext& ctx, std::span<const std::string> args) {
    ArgParser parser(args);
    const auto name = parser.value("name");
    const auto source = parser.value("source");
    const auto mode_text = parser.value("mode");
    const auto target = parser.value("target");
    const auto data_file = parser.value("data-file");
    const auto library = parser.value("library");
    const bool no_save = parser.flag("no-save");
    std::vector<std::string> rest;
    if (!parser.finish(rest)) return usage(ctx, parser.error());
    if (rest.size() != 1) return usage(ctx, "add-cobol-table: give FILE");
    configsvc::CobolStartMode mode = configsvc::CobolStartMode::fd_name;
    if (mode_text && !parse_mode(*mode_text, mode))
        return usage(ctx, "add-cobol-table: --mode is fd-name, 01-name, fd-seq or 01-seq");
    if (name && name->size() > configsvc::kCobolTableNameMax)
        return usage(ctx, "add-cobol-table: a table name has at most 29 characters");
    return with_host(ctx, [&](hostlink::CHostSession& session) {
        configsvc::CPendingUnloadList pending;
        return with_open_file(ctx, session, rest[0], !no_save, [&](CConfigClient& client, CConfigFile& file,
                                                                   std::uint32_t) {
            if (configsvc::get_table_list(client, pending, file) != hostlink::kSuccess) return failed(ctx, client);
            configsvc::CCobolTableRequest request;
            request.table_name = name.value_or("");
            request.source_file = source.value_or("");
            request.set_mode(mode);
            request.target = target.value_or("");
            request.data_file_title = data_file.value_or("");
            request.access_library = library.value_or("");
            const std::int16_t rc = request.ok(client, file);
            if (rc != hostlink::kSuccess) {
                // The checks of the name and target are the command line's; a name the file holds is the data's.
                if (request.message() == "**Duplicate Table Name**") {
                    ctx.err << "kestra: " << request.message() << "\n";
                    return kExitFailure;
                }
                if (!request.message().empty()) return usage(ctx, request.message());
                return failed(ctx, client);
            }
            // An unload that failed after the add leaves its errors; the table exists all the same.
            print_diagnostics(ctx, session);
            configsvc::TableList added = request.take_new_tables();
            print_new_tables(ctx, "add-cobol-table", added);
            for (auto& t : added) file.tables.push_back(std::move(t));
            return kExitOk;
        });
    });
}

const CommandRegistration descfiles_reg{
    {"descfiles", "", "list the description files the host knows",
     "Prints one description file name a line, in the host's order. With --json, an array.", kGroupCatalogue,
     run_descfiles}};
const CommandRegistration databases_reg{
    {"databases", "DESCFILE", "list the databases of a description file",
     "DESCFILE must name a usercode in parentheses (or begin with \"*\") and a pack after \" ON \", e.g.\n"
     "\"(PROD)DESCRIPTION/SALESDB ON DBPACK\". Prints one database a line, in the host's order.",
     kGroupCatalogue, run_databases}};
const CommandRegistration datasets_reg{
    {"datasets", "DESCFILE DATABASE [--sorted]", "list the datasets and sets of a database",
     "Prints one dataset a line; each set follows, indented and marked \"(set)\". The host's order is kept\n"
     "unless --sorted (or the \"sort datasets\" setting) is on: then datasets by name, each followed by its sets\n"
     "in name order. With --json, an array of objects with name, type, set and dataset.",
     kGroupCatalogue, run_datasets}};
const CommandRegistration add_tables_reg{
    {"add-tables", "FILE --descfile D --database DB [--as ENTRY=NAME]... [--no-save] ENTRY...",
     "add tables over datasets or sets",
     "Makes one table per dataset or set ENTRY of the database, named from it (\"(\", \",\", \"-\" and \"=\" become\n"
     "\"_\", \")\" is dropped) or as --as names it (upper-cased). A name longer than 29 characters or equal, ignoring\n"
     "case, to another table is refused with the table name dialog's message and nothing is added. The tables take\n"
     "the host's default settings and go in one add-tables request; the file is saved unless --no-save. With\n"
     "--json, prints the new tables' numbers and names.",
     kGroupCatalogue, run_add_tables}};
const CommandRegistration add_cobol_table_reg{
    {"add-cobol-table",
     "FILE --name NAME --source FILE --mode fd-name|01-name|fd-seq|01-seq --target T --data-file TITLE "
     "[--library L] [--no-save]",
     "add a table over a COBOL record description",
     "The name keeps letters, digits and \"_\" (\"-\" becomes \"_\") in upper case. A sequence-number target has at\n"
     "most 6 digits and is padded with zeros. The host reads the record from the COBOL source, the table is added\n"
     "with dataset STYLE and the target as its database, and the file is saved unless --no-save.",
     kGroupCatalogue, run_add_cobol_table}};

}  // namespace

}  // namespace kestra::cli
