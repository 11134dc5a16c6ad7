// The configuration report: written into a page file as the Print command does, then shown as text, as the
// page file itself, or as the PDF that "Export to PDF" writes.
#include <fstream>
#include <limits>
#include <ostream>
#include <sstream>

#include "cli/arg_parser.h"
#include "cli/cli_output.h"
#include "cli/config_file_arg.h"
#include "cli/host_command.h"
#include "cli/temp_files.h"
#include "configsvc/config_file_requests.h"
#include "configsvc/options_requests.h"
#include "configsvc/table_requests.h"
#include "hostlink/host_session.h"
#include "platform/atomic_file.h"
#include "report/page_file.h"
#include "report/page_reader.h"
#include "report/pdf_writer.h"
#include "report/report_writer.h"

namespace kestra::cli {

namespace {

enum class Format { text, pagefile, pdf };

struct ReportArgs {
    std::string file;
    report::PrintOptions options;
    int lines_per_page = report::kDefaultLinesPerPage;
    Format format = Format::text;
    report::PaperSize paper = report::PaperSize::a4;
    std::string output;  // empty: standard output
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
    auto page = parser.value("page");
    auto output = parser.value("output");
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
        } else if (*format == "pdf") {
            out.format = Format::pdf;
        } else {
            status = usage(ctx, "report: --format is text, pagefile or pdf");
            return false;
        }
    }
    if (page) {
        if (out.format != Format::pdf) {
            status = usage(ctx, "report: --page goes with --format pdf");
            return false;
        }
        if (!report::parse_paper_size(*page, out.paper)) {
            status = usage(ctx, "report: --page is a4 or letter");
            return false;
        }
    }
    if (out.format == Format::pdf) {
        // The page holds so many lines; fewer may be asked for, more would run off its foot.
        const int fit = report::pdf_lines_per_page(out.paper);
        if (!lines) {
            out.lines_per_page = fit;
        } else if (out.lines_per_page > fit) {
            status = usage(ctx, "report: at most " + std::to_string(fit) + " lines fit a " +
                                    report::paper_size_name(out.paper) + " page");
            return false;
        }
    }
    if (output) {
        if (output->empty()) {
            status = usage(ctx, "report: --output takes a path");
            return false;
        }
        out.output = *output;
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

void print_text(std::ostream& out, const std::vector<report::Page>& pages) {
    for (std::size_t i = 0; i < pages.size(); ++i) {
        if (i > 0) out << '\f';
        for (const report::PageLine& line : pages[i]) out << line.text << '\n';
    }
}

void print_json(std::ostream& out, const std::vector<report::Page>& pages) {
    out << "{\"pages\":[";
    for (std::size_t i = 0; i < pages.size(); ++i) {
        out << (i ? "," : "") << "[";
        for (std::size_t j = 0; j < pages[i].size(); ++j)
            out << (j ? "," : "") << "{\"text\":" << json_string(pages[i][j].text)
                << ",\"bold\":" << (pages[i][j].bold() ? "true" : "false") << "}";
        out << "]";
    }
    out << "]}\n";
}

// The report in the format asked for; false with the reason on standard error.
bool render(CliContext& ctx, const ReportArgs& args, const report::CPageFile& page_file, std::ostream& out) {
    if (args.format == Format::pdf) {
        std::string pdf, error;
        if (!report::page_file_to_pdf(page_file.path(), args.paper, pdf, error)) {
            ctx.err << "kestra: " << error << "\n";
            return false;
        }
        out << pdf;
        return true;
    }
    if (args.format == Format::pagefile) {
        std::ifstream in(page_file.path(), std::ios::binary);
        if (!in) {
            ctx.err << "kestra: cannot read " << page_file.path() << "\n";
            return false;
        }
        out << in.rdbuf();
        return true;
    }
    std::vector<report::Page> pages;
    if (!report::PageReader::read_page_file(page_file.path(), pages)) {
        ctx.err << "kestra: cannot read " << page_file.path() << "\n";
        return false;
    }
    if (ctx.options.json)
        print_json(out, pages);
    else
        print_text(out, pages);
    return true;
}

int show(CliContext& ctx, const ReportArgs& args, const report::CPageFile& page_file) {
    if (args.output.empty()) return render(ctx, args, page_file, ctx.out) ? kExitOk : kExitFailure;
    std::ostringstream text;
    if (!render(ctx, args, page_file, text)) return kExitFailure;
    // A whole file or none: an earlier report at that path is never left half overwritten.
    if (!platform::write_file_atomically(args.output, text.str())) {
        ctx.err << "kestra: cannot write " << args.output << "\n";
        return kExitFailure;
    }
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
     "[--lines-per-page N] [--format text|pagefile|pdf] [--page a4|letter] [--output PATH]",
     "print a configuration file as the report",
     "Writes the report of configuration file FILE (number or name) as Print does and shows it. Sections as the\n"
     "\"Print Options\" window has them: global options, limits, applications and table names on, table details\n"
     "and fields off; --detail or --fields turns the names on. --lines-per-page sets the page length (default 60).\n"
     "--format text (default) prints the lines with a form feed between pages; pagefile prints the page file\n"
     "with its N, B, P and E codes. With --json: the pages as arrays of lines with their bold flag.\n"
     "--format pdf writes the PDF that \"Export to PDF\" writes: Courier 12 pt, on A4 unless --page letter,\n"
     "as many lines per page as fit between its margins (56 on A4, 52 on Letter; --lines-per-page may ask fewer).\n"
     "--output PATH writes the report into that file, whole or not at all, instead of standard output.\n"
     "A table, field list or application that cannot be loaded gets its \"Cannot load\" line in the report and\n"
     "its reason on standard error; the report is still complete and the exit status 0.",
     kGroupReport, run_report}};

}  // namespace

}  // namespace kestra::cli
