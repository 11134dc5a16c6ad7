// The configuration report: written into a page file as the Print command does, then shown as text or as the
// page file itself.
#include <fstream>
#include <limits>
#include <ostream>

#include "cli/arg_parser.h"
#include "cli/cli_output.h"
#include "cli/config_file_arg.h"
#include "cli/host_command.h"
#include "cli/temp_files.h"
#include "configsvc/config_file_requests.h"
#include "configsvc/options_requests.h"
#include "configsvc/table_requests.h"
#include "hostlink/host_session.h"
#include "report/page_file.h"
#include "report/page_reader.h"
#include "report/report_writer.h"

namespace kestra::cli {

namespace {

enum class Format { text, pagefile };

struct ReportArgs {
    std::string file;
    report::PrintOptions options;
    int lines_per_page = report::kDefaultLinesPerPage;
    Format format = Format::text;
};

bool parse_args(CliContext& ctx, std::span<const std::string> args, ReportArgs& out, int& status) {
    ArgParser parser(args);
    auto take = [&](const char* name, bool& flag) {
        if (auto value = parser.on_off(name)) flag = *value;
    };
    take("global", out.options.global_options);
    take("limits", out.options.limits);
    take("apps", out.options.applications);
    take("names", out.options.names);
    if (parser.flag("detail")) out.options.detail = true;
    if (parser.flag("fields")) out.options.fields = true;
    auto lines = parser.value("lines-per-page");
    auto format = parser.value("format");
    std::vector<std::string> rest;
    if (!parser.finish(rest)) {
        status = usage(ctx, parser.error());
        return false;
    }
    if (rest.size() != 1) {
        status = usage(ctx, rest.empty() ? "report: missing FILE" : "report: too many arguments");
        return false;
    }
    out.file = rest[0];
    if (lines) {
        long long n = 0;
        if (!parse_number(*lines, n, std::numeric_limits<int>::min(), std::numeric_limits<int>::max())) {
            status = usage(ctx, "report: --lines-per-page takes a number");
            return false;
        }
        if (n < 1) {
            status = usage(ctx, std::string("report: ") + report::kBadLinesPerPage);
            return false;
        }
        out.lines_per_page = static_cast<int>(n);
    }
    if (format) {
        if (*format == "text") {
            out.format = Format::text;
        } else if (*format == "pagefile") {
            out.format = Format::pagefile;
        } else {
            status = usage(ctx, "report: --format is text or pagefile");
            return false;
        }
    }
    out.options.confirm();
    return true;
}

// What the configuration view has fetched by the time Print is chosen, for the sections asked for.
std::int16_t fetch_sections(configsvc::CConfigClient& client, configsvc::CPendingUnloadList& pending,
                            model::CConfigFile& file, const report::PrintOptions& options) {
    std::int16_t rc = 0;
    if (options.global_options && (rc = configsvc::get_global(client, file)) != 0) return rc;
    // Applications that use the global limits take them from the file.
    if ((options.limits || options.applications) && (rc = configsvc::get_limits(client, file)) != 0) return rc;
    if (options.applications && (rc = configsvc::get_app_list(client, file)) != 0) return rc;
    if (options.names && (rc = configsvc::get_table_list(client, pending, file)) != 0) return rc;
    return 0;
}

void print_text(CliContext& ctx, const std::vector<report::Page>& pages) {
    for (std::size_t i = 0; i < pages.size(); ++i) {
        if (i > 0) ctx.out << '\f';
        for (const report::PageLine& line : pages[i]) ctx.out << line.text << '\n';
    }
}

void print_json(CliContext& ctx, const std::vector<report::Page>& pages) {
    ctx.out << "{\"pages\":[";
    for (std::size_t i = 0; i < pages.size(); ++i) {
        ctx.out << (i ? "," : "") << "[";
        for (std::size_t j = 0; j < pages[i].size(); ++j)
            ctx.out << (j ? "," : "") << "{\"text\":" << json_string(pages[i][j].text)
                    << ",\"bold\":" << (pages[i][j].bold() ? "true" : "false") << "}";
        ctx.out << "]";
    }
    ctx.out << "]}\n";
}

int show(CliContext& ctx, const ReportArgs& args, const report::CPageFile& page_file) {
    if (args.format == Format::pagefile) {
        std::ifstream in(page_file.path(), std::ios::binary);
        if (!in) {
            ctx.err << "kestra: cannot read " << page_file.path() << "\n";
            return kExitFailure;
        }
        ctx.out << in.rdbuf();
        return kExitOk;
    }
    std::vector<report::Page> pages;
    if (!report::PageReader::read_page_file(page_file.path(), pages)) {
        ctx.err << "kestra: cannot read " << page_file.path() << "\n";
        return kExitFailure;
    }
    if (ctx.options.json)
        print_json(ctx, pages);
    else
        print_text(ctx, pages);
    return kExitOk;
}

int run_report(CliContext& ctx, std::span<const std::string> argv) {
    ReportArgs args;
    int status = kExitOk;
    if (!parse_args(ctx, argv, args, status)) return status;
    // Made before the login, as the window makes it: a bad temporary directory costs no host traffic.
    report::CPageFile page_file;
    if (!page_file.create()) {
        ctx.err << "kestra: " << page_file.error() << "\n";
        return kExitFailure;
    }
    // An interrupt must not leave the page file behind in the temporary folder.
    const TempFileGuard guard(page_file.path());
    return with_host(ctx, [&](hostlink::CHostSession& session) {
        configsvc::CConfigClient client(session);
        model::CServerNode root;
        if (int rc = read_config_tree(ctx, session, client, root); rc != kExitOk) return rc;
        model::CServerNode* node = resolve_config_file(ctx, root, args.file);
        if (node == nullptr) return kExitFailure;
        std::uint32_t reference = 0;
        if (configsvc::open_config(client, static_cast<std::uint32_t>(node->config.number), reference) != 0)
            return host_failure(ctx, session);
        node->config.file_reference = static_cast<std::int32_t>(reference);

        configsvc::CPendingUnloadList pending;
        int result = kExitOk;
        if (fetch_sections(client, pending, node->config, args.options) != 0) {
            result = kExitFailure;
        } else {
            const std::int16_t rc = report::write_report(client, pending, node->config, node->name, args.options,
                                                         args.lines_per_page, page_file);
            if (rc < 0) result = kExitFailure;
        }
        // Whatever happened: nothing stays loaded or open on the host.
        if (configsvc::unload_all_tables(client, pending, false) != 0 && result == kExitOk) result = kExitFailure;
        if (configsvc::close_config(client, reference) != 0 && result == kExitOk) result = kExitFailure;
        // Load failures inside the report are printed too; the report itself is complete.
        print_diagnostics(ctx, session);
        if (result != kExitOk) return result;
        return show(ctx, args, page_file);
    });
}

const CommandRegistration report_reg{
    {"report",
     "FILE [--global on|off] [--limits on|off] [--apps on|off] [--names on|off] [--detail] [--fields] "
     "[--lines-per-page N] [--format text|pagefile]",
     "print a configuration file as the report",
     "Writes the report of configuration file FILE (number or name) as Print does and shows it. Sections as the\n"
     "\"Print Options\" window has them: global options, limits, applications and table names on, table details\n"
     "and fields off; --detail or --fields turns the names on. --lines-per-page sets the page length (default 60).\n"
     "--format text (default) prints the lines with a form feed between pages; pagefile prints the page file\n"
     "with its N, B, P and E codes. With --json: the pages as arrays of lines with their bold flag.\n"
     "A table, field list or application that cannot be loaded gets its \"Cannot load\" line in the report and\n"
     "its reason on standard error; the report is still complete and the exit status 0.",
     kGroupReport, run_report}};

}  // namespace

}  // namespace kestra::cli
