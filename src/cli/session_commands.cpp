// Commands about the link itself: providers, connections, the host version and the default options.
#include <cstring>
#include <ostream>

#include "cli/arg_parser.h"
#include "cli/cli_output.h"
#include "cli/host_command.h"
#include "corvel/corvel.h"
#include "hostlink/connect_dialog_model.h"
#include "hostlink/host_session.h"

namespace kestra::cli {

namespace {

void print_list(CliContext& ctx, const std::vector<std::string>& names) {
    if (ctx.options.json) {
        ctx.out << "[";
        for (std::size_t i = 0; i < names.size(); ++i) ctx.out << (i ? "," : "") << json_string(names[i]);
        ctx.out << "]\n";
        return;
    }
    for (const auto& n : names) ctx.out << n << "\n";
}

int run_providers(CliContext& ctx, std::span<const std::string> args) {
    if (!args.empty()) return usage(ctx, "providers takes no arguments");
    char buffer[CORVEL_LIST_BUFFER] = {};
    corvel_list_providers(buffer);
    std::vector<std::string> names;
    for (const char* p = buffer; *p != '\0' && p < buffer + sizeof buffer; p += std::strlen(p) + 1)
        names.emplace_back(p);
    print_list(ctx, names);
    return kExitOk;
}

int run_connections(CliContext& ctx, std::span<const std::string> args) {
    ArgParser parser(args);
    auto provider = parser.value("provider");
    std::vector<std::string> rest;
    if (!parser.finish(rest) || !rest.empty()) return usage(ctx, parser.error().empty() ? "too many arguments" : parser.error());
    std::string name = provider ? *provider : ctx.options.provider;
    hostlink::CHostSession session;
    hostlink::ConnectDialogModel dialog(session, ctx.ini_path);
    dialog.open();
    if (!name.empty()) {
        int index = corvel_find_provider(name.c_str());
        if (index < 0) {
            ctx.err << "kestra: unknown provider " << name << "\n";
            return kExitFailure;
        }
        dialog.select_provider(index);
    }
    print_list(ctx, dialog.connection_names());
    dialog.cancel();
    return kExitOk;
}

int run_version(CliContext& ctx, std::span<const std::string> args) {
    if (!args.empty()) return usage(ctx, "version takes no arguments");
    return with_host(ctx, [&](hostlink::CHostSession& s) {
        if (ctx.options.json)
            ctx.out << "{\"text\":" << json_string(s.host_version_text()) << ",\"level\":" << s.host_level()
                    << ",\"release\":" << s.host_release() << "}\n";
        else
            ctx.out << shown(s.host_version_text()) << "\nlevel " << s.host_level() << "\nrelease " << s.host_release()
                    << "\n";
        return kExitOk;
    });
}

int run_options(CliContext& ctx, std::span<const std::string> args) {
    ArgParser parser(args);
    auto update = parser.on_off("update-allowed");
    auto groups = parser.on_off("return-groups");
    std::vector<std::string> rest;
    if (!parser.finish(rest)) return usage(ctx, parser.error());
    if (!rest.empty()) return usage(ctx, "options takes no positional arguments");
    return with_host(ctx, [&](hostlink::CHostSession& s) {
        // The login read the host's options, so the one not given goes back as the host has it.
        hostlink::CDefaultOptions& options = s.default_options();
        if (update || groups) {
            if (update) options.update_allowed = *update;
            if (groups) options.return_groups = *groups;
            if (options.set(s) != hostlink::kSuccess) return host_failure(ctx, s);
            if (!ctx.options.json) return kExitOk;
        }
        if (ctx.options.json)
            ctx.out << "{\"update_allowed\":" << (options.update_allowed ? "true" : "false")
                    << ",\"return_groups\":" << (options.return_groups ? "true" : "false") << "}\n";
        else
            ctx.out << "update allowed: " << on_off(options.update_allowed) << "\nreturn groups: "
                    << on_off(options.return_groups) << "\n";
        return kExitOk;
    });
}

const CommandRegistration providers_reg{{"providers", "", "list the comms providers, one name a line",
                                         "Lists the providers the comms shell offers, in its order.", kGroupSession,
                                         run_providers}};
const CommandRegistration connections_reg{
    {"connections", "[--provider NAME]", "list the connection names of a provider",
     "Lists the connection (path) names the provider offers. Without --provider: the global --provider, else the\n"
     "one the Connect dialog saved, else the first listed.",
     kGroupSession, run_connections}};
const CommandRegistration version_reg{{"version", "", "log in and show the host version text, level and release",
                                       "Logs in, prints the host's version text, level and release, logs out.",
                                       kGroupSession, run_version}};
const CommandRegistration options_reg{
    {"options", "[--update-allowed on|off] [--return-groups on|off]", "show or set the host default table options",
     "Without options: prints \"update allowed\" and \"return groups\". With either or both: sets them on the host,\n"
     "the other kept as the host has it, and prints nothing (with --json: both values as set).",
     kGroupSession, run_options}};

}  // namespace

}  // namespace kestra::cli
