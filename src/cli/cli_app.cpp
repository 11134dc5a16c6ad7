#include "cli/cli_app.h"

#include <cstdlib>
#include <iostream>
#include <string>
#include <vector>

#include "cli/command_registry.h"
#include "app/admin_app.h"
#include "platform/profile_file.h"

namespace kestra::cli {

namespace {

constexpr const char* kGlobalHelp =
    "Global options:\n"
    "  --ini PATH          settings file (default: $KESTRA_INI, else ~/.config/kestra/kestra.ini)\n"
    "  --provider NAME     comms provider (default: the one the Connect dialog saved, else the first listed)\n"
    "  --connection NAME   connection (path) name of the provider\n"
    "  --user ID           user id\n"
    "  --chargecode CODE   charge code\n"
    "  --json              machine-readable output\n"
    "The password is taken from $KESTRA_PASSWORD, else asked for on the terminal.\n";

void print_usage(std::ostream& out) {
    out << "usage: kestra [GLOBAL OPTIONS] COMMAND [ARGS]\n\n" << kGlobalHelp << "\nCommands:\n";
    for (const Command& c : command_registry()) {
        std::string head = c.name + (c.synopsis.empty() ? "" : " " + c.synopsis);
        out << "  " << head;
        if (head.size() < 38)
            out << std::string(38 - head.size(), ' ');
        else
            out << "\n  " << std::string(38, ' ');
        out << c.summary << "\n";
    }
    out << "\nkestra COMMAND --help describes one command.\n";
}

void print_command_help(const Command& c, std::ostream& out) {
    out << "usage: kestra [GLOBAL OPTIONS] " << c.name << (c.synopsis.empty() ? "" : " " + c.synopsis) << "\n\n"
        << c.summary << "\n";
    if (!c.help.empty()) out << "\n" << c.help << (c.help.back() == '\n' ? "" : "\n");
}

}  // namespace

int run_cli(int argc, const char* const* argv, std::ostream& out, std::ostream& err, std::istream& in) {
    CliContext ctx{out, err, in, {}, {}};
    int i = 1;
    auto take = [&](std::string& field, const std::string& arg) -> bool {
        if (i + 1 >= argc) {
            err << "kestra: option " << arg << " needs a value\n";
            return false;
        }
        field = argv[++i];
        return true;
    };
    for (; i < argc; ++i) {
        std::string arg = argv[i];
        if (arg.rfind("--", 0) != 0) break;
        bool ok = true;
        if (arg == "--help" || arg == "-h") {
            print_usage(out);
            return kExitOk;
        } else if (arg == "--json") {
            ctx.options.json = true;
        } else if (arg == "--ini") {
            ok = take(ctx.options.ini, arg);
        } else if (arg == "--provider") {
            ok = take(ctx.options.provider, arg);
        } else if (arg == "--connection") {
            ok = take(ctx.options.connection, arg);
        } else if (arg == "--user") {
            ok = take(ctx.options.user, arg);
        } else if (arg == "--chargecode") {
            ok = take(ctx.options.chargecode, arg);
        } else {
            err << "kestra: unknown option " << arg << "\n";
            ok = false;
        }
        if (!ok) {
            err << "Try kestra --help.\n";
            return kExitUsage;
        }
    }
    if (i >= argc) {
        print_usage(err);
        return kExitUsage;
    }
    const Command* command = find_command(argv[i]);
    if (command == nullptr) {
        err << "kestra: unknown command " << argv[i] << "\nTry kestra --help.\n";
        return kExitUsage;
    }
    std::vector<std::string> args(argv + i + 1, argv + argc);
    for (const auto& a : args) {
        if (a == "--") break;
        if (a == "--help") {
            print_command_help(*command, out);
            return kExitOk;
        }
    }
    ctx.ini_path = ctx.options.ini.empty() ? platform::settings_file_path() : ctx.options.ini;
    // The comms shell and the provider read the same settings file as the program.
    ::setenv("KESTRA_INI", ctx.ini_path.c_str(), 1);
    app::admin_app().load_settings(ctx.ini_path);
    return command->run(ctx, args);
}

}  // namespace kestra::cli
