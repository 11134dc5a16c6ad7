// Configuration files as documents: export one, compare two, apply a document to a file on the host.
#include <filesystem>
#include <ostream>
#include <system_error>

#include "cli/arg_parser.h"
#include "cli/cli_output.h"
#include "cli/config_file_arg.h"
#include "cli/host_command.h"
#include "configsvc/config_apply.h"
#include "configsvc/config_diff.h"
#include "configsvc/config_document.h"
#include "configsvc/config_export.h"
#include "configsvc/config_file_requests.h"
#include "configsvc/config_plan.h"
#include "configsvc/table_requests.h"
#include "hostlink/host_session.h"
#include "platform/atomic_file.h"

namespace kestra::cli {

namespace {

using configsvc::CConfigClient;
using configsvc::ConfigDocument;
using configsvc::CPendingUnloadList;

// Reads a document from a file, bounded before it is read; problems go to standard error with their JSON path.
bool load_document(CliContext& ctx, const std::string& path, ConfigDocument& document) {
    std::error_code ec;
    const auto size = std::filesystem::file_size(path, ec);
    if (ec) {
        ctx.err << "kestra: cannot read " << path << "\n";
        return false;
    }
    std::vector<configsvc::DocumentProblem> problems;
    std::string text;
    if (size > configsvc::kMaxDocumentBytes) {
        problems.push_back(
            {"", "the document is larger than " + std::to_string(configsvc::kMaxDocumentBytes) + " bytes"});
    } else if (!platform::read_whole_file(path, text)) {
        ctx.err << "kestra: cannot read " << path << "\n";
        return false;
    } else if (configsvc::read_config_document(text, document, problems)) {
        return true;
    }
    for (const auto& p : problems) ctx.err << "kestra: " << path << ": " << configsvc::describe(p) << "\n";
    return false;
}

bool is_document_path(const std::string& arg) {
    std::error_code ec;
    return std::filesystem::is_regular_file(arg, ec);
}

using DocumentBody = std::function<int(CConfigClient&, CPendingUnloadList&, model::CServerNode&, std::uint32_t)>;

// Lists the files, opens FILE, runs `body`, closes the file (never saving it here), prints the diagnostics.
int with_file(CliContext& ctx, hostlink::CHostSession& session, const std::string& file_arg, const DocumentBody& body) {
    CConfigClient client(session);
    model::CServerNode root;
    if (const int status = read_config_tree(ctx, session, client, root); status != kExitOk) return status;
    model::CServerNode* node = resolve_config_file(ctx, root, file_arg);
    if (node == nullptr) return kExitFailure;
    std::uint32_t reference = 0;
    if (configsvc::open_config(client, static_cast<std::uint32_t>(node->config.number), reference) !=
        hostlink::kSuccess)
        return host_failure(ctx, session);
    node->config.file_reference = static_cast<std::int32_t>(reference);
    CPendingUnloadList pending;
    int status = body(client, pending, *node, reference);
    // Whatever happened: nothing stays loaded or open on the host.
    if (configsvc::unload_all_tables(client, pending, false) != hostlink::kSuccess && status == kExitOk)
        status = kExitFailure;
    if (configsvc::close_config(client, reference) != hostlink::kSuccess && status == kExitOk) status = kExitFailure;
    print_diagnostics(ctx, session);
    return status;
}

// Everything the host's file holds, as a document.
int fetch_document(CConfigClient& client, CPendingUnloadList& pending, model::CServerNode& node,
                   ConfigDocument& document) {
    document.file_name = node.name;
    document.file.number = node.config.number;
    document.file.file_reference = node.config.file_reference;
    return configsvc::fetch_config_contents(client, pending, document.file) == hostlink::kSuccess ? kExitOk
                                                                                                  : kExitFailure;
}

// --- export ---

int run_export(CliContext& ctx, std::span<const std::string> args) {
    ArgParser parser(args);
    const auto output = parser.value("output");
    std::vector<std::string> rest;
    if (!parser.finish(rest)) return usage(ctx, parser.error());
    if (rest.size() != 1) return usage(ctx, rest.empty() ? "export: missing FILE" : "export: too many arguments");
    if (output && output->empty()) return usage(ctx, "export: --output needs a path");
    return with_host(ctx, [&](hostlink::CHostSession& session) {
        ConfigDocument document;
        const int status = with_file(ctx, session, rest[0],
                                     [&](CConfigClient& client, CPendingUnloadList& pending, model::CServerNode& node,
                                         std::uint32_t) { return fetch_document(client, pending, node, document); });
        if (status != kExitOk) return status;
        const std::string text = configsvc::write_config_document(document);
        if (!output) {
            ctx.out << text;
            return kExitOk;
        }
        if (!platform::write_file_atomically(*output, text)) {
            ctx.err << "kestra: cannot write " << *output << "\n";
            return kExitFailure;
        }
        return kExitOk;
    });
}

// --- diff ---

int run_diff(CliContext& ctx, std::span<const std::string> args) {
    ArgParser parser(args);
    const bool exit_code = parser.flag("exit-code");
    std::vector<std::string> rest;
    if (!parser.finish(rest)) return usage(ctx, parser.error());
    if (rest.size() != 2) return usage(ctx, "diff: give two documents or configuration files");
    ConfigDocument sides[2];
    bool on_host[2] = {false, false};
    // Documents are read before any login, so a bad one costs no host traffic.
    for (int i = 0; i < 2; ++i) {
        on_host[i] = !is_document_path(rest[static_cast<std::size_t>(i)]);
        if (!on_host[i] && !load_document(ctx, rest[static_cast<std::size_t>(i)], sides[i])) return kExitFailure;
    }
    const auto compare = [&]() {
        const auto lines = configsvc::diff_config_files(sides[0].file, sides[1].file);
        ctx.out << (ctx.options.json ? configsvc::format_diff_json(lines) : configsvc::format_diff_text(lines));
        return exit_code && !lines.empty() ? kExitFailure : kExitOk;
    };
    if (!on_host[0] && !on_host[1]) return compare();
    return with_host(ctx, [&](hostlink::CHostSession& session) {
        for (std::size_t i = 0; i < 2; ++i) {
            if (!on_host[i]) continue;
            const int status =
                with_file(ctx, session, rest[i],
                          [&](CConfigClient& client, CPendingUnloadList& pending, model::CServerNode& node,
                              std::uint32_t) { return fetch_document(client, pending, node, sides[i]); });
            if (status != kExitOk) return status;
        }
        return compare();
    });
}

// --- apply ---

void print_plan_json(CliContext& ctx, const configsvc::ConfigPlan& plan) {
    ctx.out << "{\"requests\":[";
    for (std::size_t i = 0; i < plan.requests.size(); ++i) {
        const auto& r = plan.requests[i];
        ctx.out << (i ? "," : "") << "{\"code\":" << r.code << ",\"target\":" << json_string(r.target)
                << ",\"changes\":[";
        for (std::size_t j = 0; j < r.changes.size(); ++j) ctx.out << (j ? "," : "") << json_string(r.changes[j]);
        ctx.out << "]}";
    }
    ctx.out << "],\"refusals\":[";
    for (std::size_t i = 0; i < plan.refusals.size(); ++i) ctx.out << (i ? "," : "") << json_string(plan.refusals[i]);
    ctx.out << "]}\n";
}

int run_apply(CliContext& ctx, std::span<const std::string> args) {
    ArgParser parser(args);
    const bool dry_run = parser.flag("dry-run");
    const bool allow_delete = parser.flag("allow-delete");
    std::vector<std::string> rest;
    if (!parser.finish(rest)) return usage(ctx, parser.error());
    if (rest.size() != 2) return usage(ctx, "apply: give DOCUMENT and FILE");
    ConfigDocument document;
    if (!load_document(ctx, rest[0], document)) return kExitFailure;
    return with_host(ctx, [&](hostlink::CHostSession& session) {
        ConfigDocument current;
        return with_file(
            ctx, session, rest[1],
            [&](CConfigClient& client, CPendingUnloadList& pending, model::CServerNode& node, std::uint32_t reference) {
                if (const int fetched = fetch_document(client, pending, node, current); fetched != kExitOk)
                    return fetched;
                const configsvc::ConfigPlan plan =
                    configsvc::plan_config_changes(current.file, document.file, allow_delete);
                if (!plan.refusals.empty()) {
                    for (const auto& r : plan.refusals) ctx.err << "kestra: " << r << "\n";
                    ctx.err << "kestra: nothing was sent\n";
                    return kExitFailure;
                }
                if (dry_run || plan.empty()) {
                    if (ctx.options.json)
                        print_plan_json(ctx, plan);
                    else if (plan.empty())
                        ctx.out << "Nothing to change\n";
                    else
                        ctx.out << configsvc::format_plan(plan)
                                << "then each changed table is unloaded with save (24) and the file saved (40)\n";
                    return kExitOk;
                }
                configsvc::ApplyReport report;
                const std::int16_t rc = configsvc::apply_config_plan(client, pending, current.file, plan, report);
                for (const auto& line : report.applied) ctx.out << "applied " << line << "\n";
                if (rc != hostlink::kSuccess) {
                    ctx.err << "kestra: refused: " << report.failed << "\n";
                    for (const auto& r : report.restored) ctx.err << "kestra: " << r << " put back as they were\n";
                    for (const auto& k : report.kept) ctx.err << "kestra: kept by the host already: " << k << "\n";
                    ctx.err << "kestra: the file was not saved\n";
                    return kExitFailure;
                }
                // Every request was accepted: the kept changes reach the file only now.
                if (configsvc::unload_all_tables(client, pending, true) != hostlink::kSuccess ||
                    configsvc::save_config(client, reference) != hostlink::kSuccess) {
                    ctx.err << "kestra: the file could not be saved\n";
                    return kExitFailure;
                }
                ctx.out << "applied 40 save configuration file\n";
                return kExitOk;
            });
    });
}

const CommandRegistration export_reg{
    {"export", "FILE [--output PATH]", "write a configuration file as a JSON document",
     "Reads everything configuration file FILE (number or name) holds: description, global options, limits,\n"
     "applications with their limits and tables, tables with their details, sets and fields, join tables with\n"
     "their members. Writes it as a \"kestra-config/1\" document (see docs/config-format.md) on standard output\n"
     "or into PATH. The same file always gives the same bytes.",
     kGroupFiles, run_export}};
const CommandRegistration diff_reg{
    {"diff", "A B [--exit-code]", "compare two configuration files or documents",
     "A and B are each a document file (an existing file of that name) or a configuration file on the host\n"
     "(number or name). Prints the differences grouped by part: \"+ PART\" and \"- PART\" for whole entries,\n"
     "\"~ KEY: OLD -> NEW\" under the part for a changed value. Numbers the host assigns are not compared.\n"
     "With --json: an array of {part, op, key, old, new}. Exit status 0 whether or not they differ; with\n"
     "--exit-code, 1 when they differ.",
     kGroupFiles, run_diff}};
const CommandRegistration apply_reg{
    {"apply", "DOCUMENT FILE [--dry-run] [--allow-delete]", "make a configuration file match a document",
     "Reads the host's configuration file FILE and sends the fewest requests that make it match DOCUMENT, in the\n"
     "order the table editor uses; the file is saved only when every request was accepted, otherwise nothing is\n"
     "saved. What a document cannot express safely (a host field the host lacks, a new DMSII table, a type the\n"
     "field editor would not allow, ...) is refused before anything is sent. A deletion of a table, field or\n"
     "application needs --allow-delete. --dry-run prints the plan and sends nothing that changes the file.",
     kGroupFiles, run_apply}};

}  // namespace

}  // namespace kestra::cli
