#include "cli/cli_app.h"

#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <string>
#include <vector>

#include "app/admin_app.h"
#include "cli/arg_parser.h"
#include "cli/cli_output.h"
#include "cli/escaping_output.h"
#include "platform/profile_file.h"

namespace kestra::cli {

namespace {

constexpr const char* kGlobalHelp =
    "Global options (also as --option=value):\n"
    "  --ini PATH          settings file (default: $KESTRA_INI, else ~/.config/kestra/kestra.ini)\n"
    "  --provider NAME     comms provider (default: the one the Connect dialog saved, else the first listed)\n"
    "  --connection NAME   connection (path) name of the provider\n"
    "  --user ID           user id\n"
    "  --chargecode CODE   charge code\n"
    "  --timeout SECONDS   receive time-out for this run, 1 to 254 (default: \"rcv\" of \"timeouts\", where 255\n"
    "                      means waiting without limit)\n"
    "  --json              machine-readable output (may also follow the command name)\n"
    "The password is taken from $KESTRA_PASSWORD, else asked for on the terminal.\n";

constexpr const char* kRulesHelp =
    "Exit status: 0 success; 2 for what is wrong in the command line itself (syntax, values out of range, texts\n"
    "too long), checked before the login; 1 for everything the host, the line, a file or the data refused or\n"
    "lacked, unknown names included. Errors begin with \"kestra: \"; host diagnostics read \"SQLSTATE text\".\n"
    "Commands that change something print nothing on success; with --json they print what changed.\n"
    "Texts sent to the host may not hold control characters; those in host texts are shown escaped.\n"
    "kestra batch runs many commands in one login. The settings are described in docs/settings.md.\n";

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
    out << "\n" << kRulesHelp << "\nkestra COMMAND --help describes one command.\n";
}

void print_command_help(const Command& c, std::ostream& out) {
    out << "usage: kestra [GLOBAL OPTIONS] " << c.name << (c.synopsis.empty() ? "" : " " + c.synopsis) << "\n\n"
        << c.summary << "\n";
    if (!c.help.empty()) out << "\n" << c.help << (c.help.back() == '\n' ? "" : "\n");
}

int global_usage(std::ostream& err, const std::string& message) {
    err << "kestra: " << message << "\nTry kestra --help.\n";
    return kExitUsage;
}

// The settings file in force must be one: a file named on purpose must exist, and nothing may be read whole that
// is no settings file at all (a device, a directory, a huge file).
int check_settings_file(std::ostream& err, const std::string& path, bool named) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) {
        if (errno == ENOENT && !named) return kExitOk;  // the usual place may be empty: defaults throughout
        err << "kestra: settings file " << path << ": " << (errno == ENOENT ? "does not exist" : std::strerror(errno))
            << "\n";
        return kExitFailure;
    }
    if (const std::string problem = platform::settings_file_problem(path); !problem.empty()) {
        err << "kestra: settings file " << path << ": " << problem << "\n";
        return kExitFailure;
    }
    return kExitOk;
}

}  // namespace

int run_command(CliContext& ctx, const std::string& name, std::vector<std::string> args) {
    const Command* command = find_command(name);
    if (command == nullptr) return global_usage(ctx.err, "unknown command " + shown(name));
    GlobalOptions options = ctx.options;
    for (auto it = args.begin(); it != args.end() && *it != "--";) {
        if (*it == "--help") {
            print_command_help(*command, ctx.out);
            return kExitOk;
        }
        if (*it == "--json") {
            options.json = true;
            it = args.erase(it);
        } else {
            ++it;
        }
    }
    for (std::size_t i = 0; i < args.size(); ++i) {
        if (has_control_character(args[i]))
            return usage(ctx, name + ": argument " + std::to_string(i + 1) + " (" + shown(args[i]) +
                                  ") holds a control character");
    }
    if (options.json) {
        CliContext json_ctx{ctx.out, ctx.err, ctx.in, options, ctx.ini_path, ctx.shared_login};
        return command->run(json_ctx, args);
    }
    EscapingOutput escaped(ctx.out);
    CliContext text_ctx{escaped, ctx.err, ctx.in, options, ctx.ini_path, ctx.shared_login};
    const int status = command->run(text_ctx, args);
    escaped.flush();
    return status;
}

int run_cli(int argc, const char* const* argv, std::ostream& out, std::ostream& err, std::istream& in) {
    GlobalOptions options;
    std::string timeout;
    int i = 1;
    for (; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--help" || arg == "-h") {
            print_usage(out);
            return kExitOk;
        }
        if (arg.rfind("--", 0) != 0) break;
        const std::size_t eq = arg.find('=');
        const std::string name = arg.substr(0, eq);
        std::string* field = nullptr;
        if (name == "--json") {
            if (eq != std::string::npos) return global_usage(err, "option --json takes no value");
            options.json = true;
            continue;
        }
        if (name == "--ini")
            field = &options.ini;
        else if (name == "--provider")
            field = &options.provider;
        else if (name == "--connection")
            field = &options.connection;
        else if (name == "--user")
            field = &options.user;
        else if (name == "--chargecode")
            field = &options.chargecode;
        else if (name == "--timeout")
            field = &timeout;
        else
            return global_usage(err, "unknown option " + shown(name));
        if (eq != std::string::npos) {
            *field = arg.substr(eq + 1);
        } else if (i + 1 < argc) {
            *field = argv[++i];
        } else {
            return global_usage(err, "option " + name + " needs a value");
        }
    }
    if (!timeout.empty()) {
        long long seconds = 0;
        if (!parse_number(timeout, seconds, 1, 254))
            return global_usage(err, "--timeout takes a number of seconds from 1 to 254");
        options.timeout = static_cast<int>(seconds);
    }
    if (i >= argc) {
        print_usage(err);
        return kExitUsage;
    }
    if (find_command(argv[i]) == nullptr) return global_usage(err, "unknown command " + shown(argv[i]));

    CliContext ctx{out, err, in, options, options.ini.empty() ? platform::settings_file_path() : options.ini, nullptr};
    const std::vector<std::string> args(argv + i + 1, argv + argc);
    const auto end_of_options = std::find(args.begin(), args.end(), "--");
    if (std::find(args.begin(), end_of_options, "--help") != end_of_options) return run_command(ctx, argv[i], args);

    // $KESTRA_INI as this process set it on an earlier run (it runs the CLI more than once in tests) names nothing.
    static std::string set_here;
    const char* env_ini = std::getenv("KESTRA_INI");
    const bool named = !options.ini.empty() || (env_ini != nullptr && *env_ini != '\0' && set_here != env_ini);
    if (int status = check_settings_file(err, ctx.ini_path, named); status != kExitOk) return status;
    // The comms shell and the provider read the same settings file as the program.
    ::setenv("KESTRA_INI", ctx.ini_path.c_str(), 1);
    set_here = ctx.ini_path;
    app::admin_app().load_settings(ctx.ini_path);
    if (options.timeout > 0) app::admin_app().receive_timeout = static_cast<std::uint8_t>(options.timeout);
    return run_command(ctx, argv[i], args);
}

bool finish_standard_output() {
    std::cout.flush();
    bool ok = static_cast<bool>(std::cout);
    errno = 0;
    if (std::fflush(stdout) != 0 || std::ferror(stdout) != 0) ok = false;
    const int flush_error = errno;
    if (std::fclose(stdout) != 0) ok = false;
    if (!ok) {
        const int cause = flush_error != 0 ? flush_error : errno;
        std::fprintf(stderr, "kestra: standard output: %s\n", cause != 0 ? std::strerror(cause) : "write error");
    }
    return ok;
}

}  // namespace kestra::cli
